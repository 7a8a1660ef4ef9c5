#include "widgets/task_panel_math.h"

#include <algorithm>

namespace taskpanel {

int HeaderHeight(int fontTextHeight) {
  if (kMinHeaderHeight < fontTextHeight + 10) return fontTextHeight + 8;
  return kMinHeaderHeight;
}

std::vector<int> ToggleHeights(int fullHeight, int headerHeight, bool expanding, bool animate) {
  const int collapsed = headerHeight + 1;
  const int final = expanding ? fullHeight : collapsed;
  std::vector<int> heights;
  const int span = fullHeight - headerHeight + 1;
  if (animate && span > 1) {
    int steps = fullHeight - headerHeight - 5 < 0 ? span : 6;
    double step = static_cast<double>(span) / steps;
    int start = expanding ? collapsed : fullHeight;
    int low = std::min(collapsed, fullHeight), high = std::max(collapsed, fullHeight);
    for (int i = 1; i < steps; ++i) {
      double h = expanding ? start + i * step : start - i * step;
      // A very short body would otherwise overshoot the final height and
      // bounce back.
      heights.push_back(std::clamp(static_cast<int>(h), low, high));
    }
  }
  heights.push_back(final);
  return heights;
}

std::vector<Run> ArrowRuns(int width, int headerHeight, bool expanded) {
  const int cx = width - (headerHeight + 1) / 2 - 5;
  const int cy = headerHeight / 2;
  std::vector<Run> runs;
  for (int row = 0; row < 5; ++row) {
    int half = expanded ? row : 4 - row;
    runs.push_back({cx - half, cy - 2 + row, 2 * half + 1});
  }
  return runs;
}

int CaptionRight(int width, int headerHeight, bool collapsible) {
  int right = width - 5;
  if (collapsible) right -= headerHeight + 5;
  return right;
}

int ContentHeight(const std::vector<GroupExtent>& groups) {
  int total = kPanelMargin;
  for (size_t i = 0; i < groups.size(); ++i) {
    total += groups[i].height;
    if (i + 1 < groups.size()) total += groups[i].gap;
  }
  return total;
}

ScrollState ComputeScroll(int contentHeight, int clientHeight, int position, bool scrollingAllowed) {
  ScrollState s{false, 0, clientHeight, 0};
  if (!scrollingAllowed || contentHeight <= clientHeight) return s;
  s.showBar = true;
  s.max = contentHeight + kPanelMargin;
  int last = std::max(0, s.max - clientHeight + 1);
  s.position = std::clamp(position, 0, last);
  return s;
}

}  // namespace taskpanel

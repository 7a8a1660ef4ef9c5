#pragma once
// Geometry of the task panel that does not need a window: header height,
// the collapse animation, the arrow, the caption room and the scroll range.
#include <vector>

namespace taskpanel {

constexpr int kPanelMargin = 7;      // groups stand 7 pixels inside the panel
constexpr int kDefaultGap = 10;      // between two groups
constexpr int kMinHeaderHeight = 20;

// 20, or the font's text height + 8 when 20 leaves less than 5 pixels above
// and below the text.
int HeaderHeight(int fontTextHeight);

// Heights the group passes through when it is toggled, the exact final height
// last: full height when expanding, header height + 1 when collapsing. Without
// animation only the final height.
std::vector<int> ToggleHeights(int fullHeight, int headerHeight, bool expanding, bool animate);

struct Run {
  int x, y, length;  // one horizontal line of the arrow
};
// The five runs of the collapse arrow (1, 3, 5, 7, 9 pixels), pointing up
// while expanded and down while collapsed.
std::vector<Run> ArrowRuns(int width, int headerHeight, bool expanded);

// Right end of the caption text: the arrow's room is kept free.
int CaptionRight(int width, int headerHeight, bool collapsible);

// Total height of the groups with the panel's top margin and the gaps.
struct GroupExtent {
  int height;
  int gap;
};
int ContentHeight(const std::vector<GroupExtent>& groups);

struct ScrollState {
  bool showBar;
  int max;       // range 0..max
  int page;      // client height
  int position;  // corrected position
};
// The scroll bar for a content of the given height in a client of the given
// height, with the current position kept when it does not pass the end.
ScrollState ComputeScroll(int contentHeight, int clientHeight, int position, bool scrollingAllowed);

}  // namespace taskpanel

#include "widgets/group_panel.h"

#include <algorithm>

#include "widgets/memory_template.h"
#include "widgets/task_panel_math.h"

namespace {

const DLGTEMPLATE* PanelTemplate() {
  static const kx::ChildDialogTemplate panel(0, 0, WS_CLIPCHILDREN);
  return panel.Get();
}

constexpr int kWheelStep = 40;

}  // namespace

CMVGroupPanelDialog::CMVGroupPanelDialog()
    : kx::Dialog(PanelTemplate()), restackMessage_(GroupRestackMessage()) {}

CMVGroupPanelDialog::~CMVGroupPanelDialog() = default;

bool CMVGroupPanelDialog::OnInit() {
  if (!brush_) MakeOwnBrush();
  return false;
}

void CMVGroupPanelDialog::MakeOwnBrush() {
  ownBrush_.Reset(CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT)));
  brush_ = static_cast<HBRUSH>(ownBrush_.Get());
}

void CMVGroupPanelDialog::SetBackgroundBrush(HBRUSH brush) {
  if (brush) {
    brush_ = brush;
    ownBrush_.Reset();
  } else {
    MakeOwnBrush();
  }
  if (IsWindow()) InvalidateRect(hwnd_, nullptr, TRUE);
}

void CMVGroupPanelDialog::AddGroup(CMVGroupDialog& group) {
  if (!IsWindow() || !group.IsWindow()) return;
  if (GetParent(group) != hwnd_) SetParent(group, hwnd_);
  RECT r{};
  GetWindowRect(group, &r);
  const int width = r.right - r.left;
  if (groups_.empty()) {
    SetWindowPos(group, nullptr, taskpanel::kPanelMargin, taskpanel::kPanelMargin - position_, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT panel{};
    GetWindowRect(hwnd_, &panel);
    SetWindowPos(hwnd_, nullptr, 0, 0, width + 2 * taskpanel::kPanelMargin, panel.bottom - panel.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    groups_.push_back(&group);
  } else {
    CMVGroupDialog& previous = *groups_.back();
    const RECT first = kx::RectInParent(*groups_.front());
    groups_.push_back(&group);
    SetWindowPos(group, nullptr, first.left, taskpanel::kPanelMargin, width, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(group, restackMessage_, previous.Gap(), reinterpret_cast<LPARAM>(previous.Handle()));
  }
  UpdateScrollRange();
}

int CMVGroupPanelDialog::ContentHeight() const {
  std::vector<taskpanel::GroupExtent> extents;
  for (CMVGroupDialog* group : groups_) {
    RECT r{};
    GetWindowRect(*group, &r);
    extents.push_back({r.bottom - r.top, group->Gap()});
  }
  return taskpanel::ContentHeight(extents);
}

void CMVGroupPanelDialog::UpdateScrollRange() {
  if (!IsWindow() || updating_) return;
  updating_ = true;
  RECT client{};
  GetClientRect(hwnd_, &client);
  const auto state = taskpanel::ComputeScroll(ContentHeight(), client.bottom, position_, !noScroll_);
  if (state.showBar) {
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, state.max, static_cast<UINT>(state.page),
                    state.position, 0};
    SetScrollInfo(hwnd_, SB_VERT, &info, TRUE);
  }
  if (state.showBar != barShown_) {
    barShown_ = state.showBar;
    ShowScrollBar(hwnd_, SB_VERT, barShown_ ? TRUE : FALSE);
    GetClientRect(hwnd_, &client);
    const int width = std::max(0L, client.right - 2L * taskpanel::kPanelMargin);
    for (CMVGroupDialog* group : groups_) {
      RECT r{};
      GetWindowRect(*group, &r);
      SetWindowPos(*group, nullptr, 0, 0, width, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
  }
  if (state.position != position_) ScrollTo(state.position);
  updating_ = false;
}

// Only the first group is moved: the others follow it through the restack
// message, so they never move twice.
void CMVGroupPanelDialog::ScrollTo(int position) {
  if (position == position_) return;
  position_ = position;
  if (!groups_.empty()) {
    RECT first = kx::RectInParent(*groups_.front());
    SetWindowPos(*groups_.front(), nullptr, first.left, taskpanel::kPanelMargin - position_, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (barShown_) SetScrollPos(hwnd_, SB_VERT, position_, TRUE);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void CMVGroupPanelDialog::OnScroll(int code) {
  SCROLLINFO info{sizeof info, SIF_ALL};
  if (!barShown_ || !GetScrollInfo(hwnd_, SB_VERT, &info)) return;
  const int last = std::max(0, info.nMax - static_cast<int>(info.nPage) + 1);
  int target = position_;
  switch (code) {
    case SB_LINEUP: target -= 1; break;
    case SB_LINEDOWN: target += 1; break;
    case SB_PAGEUP: target -= static_cast<int>(info.nPage); break;
    case SB_PAGEDOWN: target += static_cast<int>(info.nPage); break;
    case SB_THUMBPOSITION: target = info.nTrackPos; break;
    case SB_TOP: target = 0; break;
    case SB_BOTTOM: target = last; break;
    default: return;  // the thumb track itself does not scroll
  }
  ScrollTo(std::clamp(target, 0, last));
}

bool CMVGroupPanelDialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == restackMessage_ && restackMessage_ != 0) {
    UpdateScrollRange();
    return true;
  }
  switch (msg) {
    case WM_SIZE:
      UpdateScrollRange();
      return false;
    case WM_VSCROLL:
      OnScroll(LOWORD(wp));
      return true;
    case WM_MOUSEWHEEL: {
      if (!barShown_) return false;
      const int notches = GET_WHEEL_DELTA_WPARAM(wp) / WHEEL_DELTA;
      SCROLLINFO info{sizeof info, SIF_ALL};
      GetScrollInfo(hwnd_, SB_VERT, &info);
      const int last = std::max(0, info.nMax - static_cast<int>(info.nPage) + 1);
      ScrollTo(std::clamp(position_ - notches * kWheelStep, 0, last));
      return true;
    }
    case WM_CTLCOLORDLG:
      result = reinterpret_cast<LRESULT>(brush_);
      return true;
    case WM_SYSCOLORCHANGE:
      if (ownBrush_) MakeOwnBrush();
      InvalidateRect(hwnd_, nullptr, TRUE);
      return false;
    default:
      return false;
  }
}

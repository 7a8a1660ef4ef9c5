#include "widgets/mv_tooltip.h"

#include <commctrl.h>

#include "framework/module.h"

CMVToolTip::~CMVToolTip() {
  if (hwnd_ && IsWindow(hwnd_) && GetWindowThreadProcessId(hwnd_, nullptr) == GetCurrentThreadId())
    DestroyWindow(hwnd_);
}

bool CMVToolTip::Create(HWND owner) {
  if (hwnd_ && IsWindow(hwnd_)) return true;
  tools_.clear();
  hwnd_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                          WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                          kx::ModuleInstance(), nullptr);
  if (hwnd_) SendMessageA(hwnd_, TTM_SETMAXTIPWIDTH, 0, 300);
  return hwnd_ != nullptr;
}

CMVToolTip::Tool* CMVToolTip::Find(HWND control) {
  for (Tool& tool : tools_)
    if (tool.control == control) return &tool;
  return nullptr;
}

const CMVToolTip::Tool* CMVToolTip::Find(HWND control) const {
  for (const Tool& tool : tools_)
    if (tool.control == control) return &tool;
  return nullptr;
}

void CMVToolTip::Describe(HWND control, void* info) const {
  auto* ti = static_cast<TOOLINFOA*>(info);
  *ti = {};
  ti->cbSize = sizeof *ti;
  ti->uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
  ti->hwnd = GetParent(control);
  ti->uId = reinterpret_cast<UINT_PTR>(control);
  ti->hinst = kx::ModuleInstance();
}

bool CMVToolTip::AddTool(HWND control, POINT anchor) {
  if (!control || !Create(GetAncestor(control, GA_ROOT))) return false;
  if (Tool* tool = Find(control)) {
    tool->anchor = anchor;
    return true;
  }
  TOOLINFOA info;
  Describe(control, &info);
  info.lpszText = const_cast<char*>("");
  if (!SendMessageA(hwnd_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info))) return false;
  tools_.push_back({control, anchor, "", kNoIcon, ""});
  return true;
}

void CMVToolTip::RemoveTool(HWND control) {
  if (shown_ == control) HideBalloon();
  for (auto it = tools_.begin(); it != tools_.end(); ++it) {
    if (it->control != control) continue;
    if (hwnd_) {
      TOOLINFOA info;
      Describe(control, &info);
      SendMessageA(hwnd_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    }
    tools_.erase(it);
    return;
  }
}

void CMVToolTip::SetBalloon(HWND control, const char* text, Icon icon, const char* title) {
  Tool* tool = Find(control);
  if (!tool) return;
  tool->text = text ? text : "";
  tool->icon = icon;
  tool->title = title ? title : "";
}

bool CMVToolTip::ShowBalloon(HWND control) {
  Tool* tool = Find(control);
  if (!tool || !hwnd_ || !IsWindow(control)) return false;
  if (shown_ && shown_ != control) HideBalloon();
  TOOLINFOA info;
  Describe(control, &info);
  info.lpszText = const_cast<char*>(tool->text.c_str());
  SendMessageA(hwnd_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
  SendMessageA(hwnd_, TTM_SETTITLEA, static_cast<WPARAM>(tool->icon),
               reinterpret_cast<LPARAM>(tool->title.c_str()));
  RECT r{};
  GetWindowRect(control, &r);
  SendMessageA(hwnd_, TTM_TRACKPOSITION, 0, MAKELPARAM(r.left + tool->anchor.x, r.top + tool->anchor.y));
  SendMessageA(hwnd_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&info));
  shown_ = control;
  return true;
}

void CMVToolTip::HideBalloon() {
  if (!shown_) return;
  if (hwnd_) {
    TOOLINFOA info;
    Describe(shown_, &info);
    SendMessageA(hwnd_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&info));
  }
  shown_ = nullptr;
}

std::string CMVToolTip::ShownText() const {
  const Tool* tool = shown_ ? Find(shown_) : nullptr;
  return tool ? tool->text : std::string();
}

#pragma once
// CMVToolTip: the application's one tooltip window. Controls are registered
// with a point within them; a control's balloon (text, icon, title) is shown
// pointing at that point until it is hidden, the control is removed or the
// window goes.
#include <windows.h>

#include <string>
#include <vector>

class CMVToolTip {
 public:
  // Icons of a balloon, as the system's tooltips number them.
  enum Icon { kNoIcon = 0, kInfoIcon = 1, kWarningIcon = 2, kErrorIcon = 3 };

  CMVToolTip() = default;
  ~CMVToolTip();
  CMVToolTip(const CMVToolTip&) = delete;
  CMVToolTip& operator=(const CMVToolTip&) = delete;

  // The window is made on first use, on the thread that uses it.
  HWND Handle() const { return hwnd_; }
  bool AddTool(HWND control, POINT anchor);
  void RemoveTool(HWND control);
  void SetBalloon(HWND control, const char* text, Icon icon, const char* title);
  bool ShowBalloon(HWND control);
  void HideBalloon();
  bool IsShowing() const { return shown_ != nullptr; }
  // The text of the balloon that shows, "" when none does.
  std::string ShownText() const;

 private:
  struct Tool {
    HWND control;
    POINT anchor;
    std::string text;
    Icon icon;
    std::string title;
  };
  // Owned by the window of the first control, so that it stays above it;
  // made again when that window has taken it along.
  bool Create(HWND owner);
  Tool* Find(HWND control);
  const Tool* Find(HWND control) const;
  void Describe(HWND control, void* info) const;

  HWND hwnd_ = nullptr;
  std::vector<Tool> tools_;
  HWND shown_ = nullptr;
};

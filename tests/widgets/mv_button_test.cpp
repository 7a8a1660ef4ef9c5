// The owner-drawn buttons as real controls: each is painted into a bitmap
// through WM_PRINTCLIENT, as the system paints it, and the pixels show the
// state that a user would see.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "support/screenshot.h"
#include "widgets/mv_button.h"

namespace {

struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  static bool Dark(uint32_t p) { return ((p >> 16) & 0xFF) < 60 && ((p >> 8) & 0xFF) < 60 && (p & 0xFF) < 60; }
  // Rows of the rectangle that hold a dark pixel.
  std::vector<int> DarkRows(int left, int top, int right, int bottom) const {
    std::vector<int> rows;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x)
        if (Dark(At(x, y))) {
          rows.push_back(y);
          break;
        }
    return rows;
  }
};

Picture Paint(HWND control) {
  RECT client{};
  GetClientRect(control, &client);
  Picture picture;
  picture.width = client.right;
  picture.height = client.bottom;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB};
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  GdiFlush();
  const auto* p = static_cast<const uint32_t*>(bits);
  picture.pixels.assign(p, p + static_cast<size_t>(client.right) * client.bottom);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return picture;
}

class Buttons : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = CreateWindowExA(0, "#32770", "Buttons", WS_POPUP | WS_CAPTION | WS_VISIBLE, 100, 100, 360, 220,
                              nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent_, nullptr);
    font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    push_ = Make("&Start", BS_PUSHBUTTON | WS_TABSTOP, 10, 10, 90, 26, 1);
    check_ = Make("A check box whose label takes two lines", BS_AUTOCHECKBOX | BS_MULTILINE | WS_TABSTOP, 10, 50,
                  150, 44, 2);
    group_ = Make("Group", BS_GROUPBOX, 180, 10, 160, 100, 3);
    SendMessageA(parent_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
  }
  void TearDown() override {
    for (CMVButton* b : {&pushButton_, &checkButton_, &groupButton_}) b->Detach();
    DestroyWindow(parent_);
  }
  HWND Make(const char* text, DWORD style, int x, int y, int w, int h, int id) {
    HWND b = CreateWindowExA(0, "BUTTON", text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    SendMessageA(b, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return b;
  }
  void AttachAll() {
    ASSERT_TRUE(pushButton_.Attach(parent_, 1));
    ASSERT_TRUE(checkButton_.Attach(parent_, 2));
    ASSERT_TRUE(groupButton_.Attach(parent_, 3));
  }

  HWND parent_ = nullptr, push_ = nullptr, check_ = nullptr, group_ = nullptr;
  HFONT font_ = nullptr;
  CMVButton pushButton_, checkButton_, groupButton_;
};

TEST_F(Buttons, AttachTakesButtonsOnlyAndTellsTheirKind) {
  AttachAll();
  EXPECT_EQ(pushButton_.GetKind(), CMVButton::Kind::kPush);
  EXPECT_EQ(checkButton_.GetKind(), CMVButton::Kind::kCheck);
  EXPECT_EQ(groupButton_.GetKind(), CMVButton::Kind::kGroup);
  EXPECT_FALSE(pushButton_.Attach(parent_, 1)) << "already attached";
  CMVButton none;
  EXPECT_FALSE(none.Attach(parent_, 99));
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 10, 10, parent_, reinterpret_cast<HMENU>(7), nullptr,
                              nullptr);
  EXPECT_FALSE(none.Attach(edit));
}

TEST_F(Buttons, DisabledLabelsAreGreyAndEnabledOnesDark) {
  AttachAll();
  const Picture enabled = Paint(push_);
  EXPECT_FALSE(enabled.DarkRows(6, 6, enabled.width - 6, enabled.height - 6).empty());
  EnableWindow(push_, FALSE);
  const Picture disabled = Paint(push_);
  EXPECT_TRUE(disabled.DarkRows(6, 6, disabled.width - 6, disabled.height - 6).empty());
  EnableWindow(check_, FALSE);
  const Picture greyCheck = Paint(check_);
  EXPECT_TRUE(greyCheck.DarkRows(20, 0, greyCheck.width, greyCheck.height).empty());
  kxtest::SaveScreenshot(parent_, "mv_buttons_disabled");
}

TEST_F(Buttons, FocusIsShownAndAMultiLineLabelTakesTwoLines) {
  AttachAll();
  const Picture plain = Paint(push_);
  SetFocus(push_);
  ASSERT_EQ(GetFocus(), push_);
  const Picture focused = Paint(push_);
  int changed = 0;
  for (int x = 5; x < plain.width - 5; ++x) changed += plain.At(x, 4) != focused.At(x, 4) ? 1 : 0;
  EXPECT_GT(changed, plain.width / 4) << "the focus ring along the top";

  const Picture check = Paint(check_);
  const std::vector<int> rows = check.DarkRows(20, 0, check.width, check.height);
  ASSERT_FALSE(rows.empty());
  TEXTMETRICA metrics{};
  HDC dc = GetDC(check_);
  HGDIOBJ old = SelectObject(dc, font_);
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(check_, dc);
  EXPECT_GT(rows.back() - rows.front(), metrics.tmHeight) << "two lines of text";
  kxtest::SaveScreenshot(parent_, "mv_buttons");
}

TEST_F(Buttons, ACheckBoxStaysTheSystemsControlAndShowsItsCheck) {
  AttachAll();
  const Picture unchecked = Paint(check_);
  SendMessageA(check_, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageA(check_, BM_GETCHECK, 0, 0), BST_CHECKED);
  const Picture checked = Paint(check_);
  int changed = 0;
  for (int y = 0; y < checked.height; ++y)
    for (int x = 0; x < 16; ++x) changed += unchecked.At(x, y) != checked.At(x, y) ? 1 : 0;
  EXPECT_GT(changed, 4) << "the tick in the box";
  // Given back, the system paints it again: the look is ours only while attached.
  checkButton_.Detach();
  EXPECT_EQ(checkButton_.Handle(), nullptr);
}

}  // namespace

// Anchored controls in a real panel: what a panel such as the options panel
// asks of them when the main window is resized.
#include <windows.h>
#include <gtest/gtest.h>

#include <vector>

#include "support/window_search.h"
#include "widgets/anchor.h"

namespace {

std::vector<WPARAM> g_commands;

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND) g_commands.push_back(wp);
  return DefWindowProcA(hwnd, msg, wp, lp);
}

using kxtest::InParent;

class Anchors : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "AnchorPanel";
    RegisterClassA(&wc);
    panel_ = CreateWindowExA(0, "AnchorPanel", "", WS_POPUP | WS_VISIBLE, 10, 10, 300, 200, nullptr,
                             nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(panel_);
  }
  void TearDown() override { DestroyWindow(panel_); }

  HWND Control(const char* cls, int x, int y, int w, int h, DWORD style = 0, int id = 0) {
    return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, x, y, w, h, panel_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
  }

  void Resize(int width, int height) {
    SetWindowPos(panel_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    kx::AlignChildren(panel_);
  }

  HWND panel_ = nullptr;
};

TEST_F(Anchors, ControlsFollowThePanelAndTheirNeighbours) {
  // Created in an order that makes the references come after the controls
  // that depend on them.
  HWND text = Control("STATIC", 20, 40, 100, 30);
  HWND edit = Control("EDIT", 130, 40, 40, 18);
  HWND spin = Control("STATIC", 170, 40, 16, 20);
  HWND group = Control("BUTTON", 10, 20, 280, 80, BS_GROUPBOX);
  HWND cancel = Control("BUTTON", 220, 160, 70, 22);
  HWND ok = Control("BUTTON", 140, 160, 70, 22);

  ASSERT_TRUE(kx::AnchorStretch(group, 10));
  ASSERT_TRUE(kx::AnchorControl(spin, kx::Anchor().Right(10, group)));
  ASSERT_TRUE(kx::AnchorControl(edit, kx::Anchor().RightToLeftOf(spin, 1)));
  ASSERT_TRUE(kx::AnchorControl(text, kx::Anchor().Left(10, group).RightToLeftOf(edit, -10)));
  ASSERT_TRUE(kx::AnchorRight(cancel, 10));
  ASSERT_TRUE(kx::AnchorRight(ok, 70 + 15));

  for (int width : {300, 520, 260}) {
    Resize(width, 200);
    const RECT g = InParent(group), s = InParent(spin), e = InParent(edit), t = InParent(text);
    EXPECT_EQ(g.left, 10);
    EXPECT_EQ(g.right, width - 10);
    EXPECT_EQ(s.right, g.right - 10);
    EXPECT_EQ(s.right - s.left, 16);
    EXPECT_EQ(e.right, s.left + 1);  // overlaps the spin button by a pixel
    EXPECT_EQ(e.right - e.left, 40);
    EXPECT_EQ(t.left, g.left + 10);
    EXPECT_EQ(t.right, e.left - 10);
    EXPECT_EQ(InParent(cancel).right, width - 10);
    EXPECT_EQ(InParent(ok).right, InParent(cancel).left - 5);
    EXPECT_EQ(InParent(ok).top, 160);  // vertical places are kept
  }

  // Narrower than the controls allow: a stretched control never turns
  // inside out.
  Resize(60, 200);
  EXPECT_GE(InParent(text).right, InParent(text).left);
}

TEST_F(Anchors, ControlsAnchoredToEachOtherDoNotHangAndStillFollow) {
  HWND a = Control("STATIC", 10, 10, 50, 20);
  HWND b = Control("STATIC", 70, 10, 50, 20);
  ASSERT_TRUE(kx::AnchorControl(a, kx::Anchor().RightToLeftOf(b, -5)));
  ASSERT_TRUE(kx::AnchorControl(b, kx::Anchor().Left(5, a)));
  Resize(400, 200);  // endless recursion would end the test here
  for (HWND control : {a, b}) EXPECT_EQ(InParent(control).right - InParent(control).left, 50);

  // Neither is left stuck in its alignment: anchored anew, both follow.
  ASSERT_TRUE(kx::AnchorRight(a, 10));
  ASSERT_TRUE(kx::AnchorRight(b, 70));
  Resize(300, 200);
  EXPECT_EQ(InParent(a).right, 290);
  EXPECT_EQ(InParent(b).right, 230);
}

TEST_F(Anchors, LinkActsOnClickAndKeys) {
  HWND link = Control("STATIC", 10, 10, 150, 16, SS_NOTIFY, 1058);
  SetWindowTextA(link, "https://karvex.example/");
  ASSERT_TRUE(kx::MakeLink(link));
  EXPECT_TRUE(GetWindowLongA(link, GWL_STYLE) & WS_TABSTOP);
  LOGFONTA lf{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  EXPECT_TRUE(lf.lfUnderline);
  EXPECT_TRUE(SendMessageA(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));

  g_commands.clear();
  SendMessageA(link, WM_KEYDOWN, VK_SPACE, 0);
  SendMessageA(link, WM_KEYDOWN, VK_RETURN, 0);
  SendMessageA(link, WM_KEYDOWN, 'A', 0);
  ASSERT_EQ(g_commands.size(), 2u);
  EXPECT_EQ(g_commands[0], MAKEWPARAM(1058, STN_CLICKED));
}

}  // namespace

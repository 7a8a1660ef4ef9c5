// Placing and capturing a real top-level window.
#include <gtest/gtest.h>

#include <cstring>

#include "base/settings_store.h"

namespace {

class WindowState : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KXWindowStateTest";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, wc.lpszClassName, "Window state", WS_OVERLAPPEDWINDOW, 50, 60,
                              300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window_, nullptr);
    ShowWindow(window_, SW_SHOWNORMAL);
    Pump();
  }
  void TearDown() override {
    if (window_) DestroyWindow(window_);
  }
  static void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  RECT NormalRect() const {
    WINDOWPLACEMENT placement = {sizeof placement};
    GetWindowPlacement(window_, &placement);
    return placement.rcNormalPosition;
  }
  static WindowStateRecord Record(WindowStateRect rect, uint8_t maximized) {
    WindowStateRecord record;
    InitWindowState(record, kMainWindowStateName);
    record.normalRect = rect;
    record.maximized = maximized;
    return record;
  }

  HWND window_ = nullptr;
};

void ExpectRect(const RECT& r, const WindowStateRect& expected) {
  EXPECT_EQ(r.left, expected.left);
  EXPECT_EQ(r.top, expected.top);
  EXPECT_EQ(r.right, expected.right);
  EXPECT_EQ(r.bottom, expected.bottom);
}

}  // namespace

TEST_F(WindowState, MaximisedWindowReopensMaximisedOverItsNormalRect) {
  WindowStateRecord saved = Record({100, 110, 540, 430}, 1);
  // Checked before messages are pumped: without a window manager, the X11
  // side of Wine takes a maximised state back at the next event.
  ASSERT_TRUE(ApplyWindowState(window_, saved, false));
  EXPECT_TRUE(IsZoomed(window_));
  ExpectRect(NormalRect(), saved.normalRect);

  WindowStateRecord captured;
  InitWindowState(captured, kMainWindowStateName);
  ASSERT_TRUE(CaptureWindowState(window_, captured));
  ExpectRect(RECT{captured.normalRect.left, captured.normalRect.top, captured.normalRect.right,
                  captured.normalRect.bottom},
             saved.normalRect);
  EXPECT_EQ(captured.maximized, 1);

  // Minimised from the maximised state still counts as maximised.
  ShowWindow(window_, SW_MINIMIZE);
  ASSERT_TRUE(CaptureWindowState(window_, captured));
  EXPECT_EQ(captured.maximized, 1);
}

TEST_F(WindowState, BatchDialogIgnoresTheMaximisedFlag) {
  WindowStateRecord saved = Record({120, 130, 520, 390}, 1);
  ASSERT_TRUE(ApplyWindowState(window_, saved, true));
  Pump();
  EXPECT_FALSE(IsZoomed(window_));
  ExpectRect(NormalRect(), saved.normalRect);
  RECT now;
  GetWindowRect(window_, &now);
  ExpectRect(now, saved.normalRect);

  WindowStateRecord captured = Record({}, 1);
  ASSERT_TRUE(CaptureWindowState(window_, captured));
  EXPECT_EQ(captured.maximized, 0);
}

TEST_F(WindowState, EmptyRectangleLeavesTheWindowWhereItIs) {
  RECT before;
  GetWindowRect(window_, &before);
  for (WindowStateRect rect : {WindowStateRect{0, 0, 0, 0}, WindowStateRect{200, 200, 100, 400},
                               WindowStateRect{10, 10, 400, 10}}) {
    EXPECT_FALSE(ApplyWindowState(window_, Record(rect, 1), false));
    Pump();
    RECT after;
    GetWindowRect(window_, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_FALSE(IsZoomed(window_));
  }
}

TEST_F(WindowState, VanishedWindowChangesNothing) {
  DestroyWindow(window_);
  window_ = nullptr;
  HWND gone = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x12345));
  WindowStateRecord record = Record({1, 2, 3, 4}, 1);
  WindowStateRecord copy = record;
  EXPECT_FALSE(CaptureWindowState(gone, record));
  EXPECT_FALSE(CaptureWindowState(nullptr, record));
  EXPECT_EQ(std::memcmp(&record, &copy, sizeof record), 0);
  EXPECT_FALSE(ApplyWindowState(gone, record, false));
}

// The dialog, modal loop and thread layer, driven through real windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>

#include "framework/dialog.h"
#include "framework/ui_thread.h"

namespace {

constexpr UINT kModalTemplate = 100;
constexpr UINT kChildTemplate = 101;
constexpr int kCheckBox = 1001;

HWND MakeTopWindow() {
  return CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                         nullptr, nullptr, nullptr);
}

// A modal test dialog that runs a script step on each idle message.
class ScriptedDialog : public kx::Dialog {
 public:
  using Step = std::function<void(ScriptedDialog&, int idleCount)>;
  explicit ScriptedDialog(Step step) : Dialog(kModalTemplate), step_(std::move(step)) {}
  int idleCount = 0;
  bool idleWParamTrue = true;

 protected:
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (msg != kx::kIdleMessage) return false;
    idleWParamTrue = idleWParamTrue && wp == TRUE;
    step_(*this, ++idleCount);
    return true;
  }

 private:
  Step step_;
};

TEST(ModalLoop, SendsIdleWhenTheQueueEmptiesAndDisablesTheOwner) {
  HWND owner = MakeTopWindow();
  ASSERT_TRUE(owner);
  bool ownerEnabledWhileOpen = true;
  bool visibleAtIdle = false;
  ScriptedDialog dialog([&](ScriptedDialog& d, int n) {
    ownerEnabledWhileOpen = IsWindowEnabled(owner) != FALSE;
    visibleAtIdle = IsWindowVisible(d.Handle()) != FALSE;
    // Work arrives, is handled, and the queue runs empty again: one more idle.
    if (n == 1) d.Post(WM_APP);
    if (n == 2) d.EndModal(42);
  });
  EXPECT_EQ(dialog.DoModal(owner), 42);
  EXPECT_EQ(dialog.idleCount, 2);
  EXPECT_TRUE(dialog.idleWParamTrue);
  EXPECT_FALSE(ownerEnabledWhileOpen);
  EXPECT_TRUE(visibleAtIdle);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_FALSE(dialog.IsWindow());
  DestroyWindow(owner);
}

// A dialog whose queue never runs empty: every message it handles posts the
// next one, as a busy control or another thread can.
class BusyDialog : public kx::Dialog {
 public:
  BusyDialog() : Dialog(kModalTemplate) {}
  bool visible = false;

 protected:
  bool OnInit() override {
    start_ = GetTickCount();
    Post(WM_APP);
    return true;
  }
  bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT&) override {
    if (msg != WM_APP) return false;
    visible = IsWindowVisible(hwnd_) != FALSE;
    if (visible || GetTickCount() - start_ > 3000)
      EndModal(IDOK);
    else
      Post(WM_APP);
    return true;
  }

 private:
  DWORD start_ = 0;
};

TEST(ModalLoop, ShowsTheDialogEvenWhenItsQueueNeverRunsEmpty) {
  BusyDialog dialog;
  EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
  EXPECT_TRUE(dialog.visible);
}

TEST(ModalLoop, ButtonsEscapeAndCloseBoxEndWithTheirAnswers) {
  struct Case {
    const char* what;
    std::function<void(HWND)> act;
    INT_PTR expected;
  } cases[] = {
      {"OK clicked", [](HWND d) { SendDlgItemMessageA(d, IDOK, BM_CLICK, 0, 0); }, IDOK},
      {"Cancel clicked", [](HWND d) { SendDlgItemMessageA(d, IDCANCEL, BM_CLICK, 0, 0); }, IDCANCEL},
      {"close box", [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }, IDCANCEL},
      {"Esc key", [](HWND d) { PostMessageA(GetDlgItem(d, IDOK), WM_KEYDOWN, VK_ESCAPE, 1); },
       IDCANCEL},
  };
  for (const Case& c : cases) {
    ScriptedDialog dialog([&](ScriptedDialog& d, int n) {
      if (n == 1) c.act(d.Handle());
      if (n > 20) d.EndModal(-7);  // the action did nothing
    });
    EXPECT_EQ(dialog.DoModal(nullptr), c.expected) << c.what;
  }
}

TEST(ModalLoop, QuitEndsTheLoopAndIsPostedAgain) {
  HWND owner = MakeTopWindow();
  ScriptedDialog dialog([](ScriptedDialog& d, int n) {
    if (n == 1) PostQuitMessage(7);
    if (n > 20) d.EndModal(-7);
  });
  EXPECT_EQ(dialog.DoModal(owner), IDCANCEL);
  EXPECT_TRUE(IsWindowEnabled(owner));
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  DestroyWindow(owner);
}

TEST(ModalLoop, MissingTemplateAnswersMinusOneAndLeavesTheOwnerEnabled) {
  HWND owner = MakeTopWindow();
  kx::Dialog dialog(4711);
  EXPECT_EQ(dialog.DoModal(owner), -1);
  EXPECT_TRUE(IsWindowEnabled(owner));
  DestroyWindow(owner);
}

class Panel : public kx::Dialog {
 public:
  Panel() : Dialog(kChildTemplate) {}
  HBRUSH brush = CreateSolidBrush(RGB(255, 255, 255));
  ~Panel() override { DeleteObject(brush); }

 protected:
  bool OnNotify(NMHDR* header, LRESULT& result) override {
    result = header->code == 77 ? 1234 : 0;
    return true;
  }
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (msg != WM_CTLCOLORSTATIC && msg != WM_CTLCOLORBTN) return false;
    result = reinterpret_cast<LRESULT>(brush);
    return true;
  }
};

TEST(ChildDialog, ResultsReachTheSenderAndTheWindowGoesWithItsParent) {
  HWND parent = MakeTopWindow();
  Panel panel;
  ASSERT_TRUE(panel.Create(parent));
  EXPECT_EQ(GetParent(panel.Handle()), parent);

  NMHDR header{panel.Item(kCheckBox), kCheckBox, 77};
  EXPECT_EQ(panel.Send(WM_NOTIFY, kCheckBox, reinterpret_cast<LPARAM>(&header)), 1234);
  HDC dc = GetDC(panel.Handle());
  EXPECT_EQ(panel.Send(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(panel.Item(kCheckBox))),
            reinterpret_cast<LRESULT>(panel.brush));
  ReleaseDC(panel.Handle(), dc);

  panel.SetCheck(kCheckBox, true);
  EXPECT_TRUE(panel.IsChecked(kCheckBox));
  EXPECT_TRUE(panel.SetItemText(kCheckBox, "Renamed"));
  EXPECT_EQ(panel.ItemText(kCheckBox), "Renamed");
  EXPECT_EQ(panel.ItemText(999), "");  // no such control
  panel.EnableItem(kCheckBox, false);
  EXPECT_FALSE(IsWindowEnabled(panel.Item(kCheckBox)));

  DestroyWindow(parent);
  EXPECT_EQ(panel.Handle(), nullptr);
}

// A panel that paints all of itself, as the task groups and the tip box do.
class SelfPaintedPanel : public kx::Dialog {
 public:
  SelfPaintedPanel() : Dialog(kChildTemplate) {}
  int paints = 0;

 protected:
  bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
    return kx::PaintsOwnBackground(hwnd_, msg, result, [this](HDC dc) {
      RECT client{};
      GetClientRect(hwnd_, &client);
      FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      ++paints;
    });
  }
};

TEST(ChildDialog, SelfPaintedPanelSkipsTheEraseAndPaintsOncePerUpdate) {
  HWND parent = MakeTopWindow();
  SelfPaintedPanel panel;
  ASSERT_TRUE(panel.Create(parent));
  ShowWindow(panel.Handle(), SW_SHOW);
  UpdateWindow(panel.Handle());
  HDC dc = GetDC(panel.Handle());
  EXPECT_EQ(panel.Send(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc)), 1);
  ReleaseDC(panel.Handle(), dc);

  const int before = panel.paints;
  InvalidateRect(panel.Handle(), nullptr, TRUE);
  UpdateWindow(panel.Handle());
  EXPECT_EQ(panel.paints, before + 1);
  // A region left invalid would bring WM_PAINT back without end.
  EXPECT_FALSE(GetUpdateRect(panel.Handle(), nullptr, FALSE));
  DestroyWindow(parent);
}

// A window thread that shows a modal dialog, as the progress window does.
class DialogThread : public kx::UiThread {
 public:
  std::atomic<bool> started{false};
  std::atomic<bool> wasCurrent{false};
  std::atomic<HWND> dialogWindow{nullptr};

 protected:
  bool InitInstance() override {
    started = true;
    wasCurrent = Current() == this;
    ScriptedDialog dialog([this](ScriptedDialog& d, int) {
      if (!dialogWindow) {
        SetMainWindow(d.Handle());
        dialogWindow = d.Handle();
      }
    });
    dialog.DoModal(nullptr);
    return false;
  }
  int ExitInstance() override { return 5; }
};

TEST(UiThread, RunsOnlyAfterResumeAndItsWindowCanOwnAnotherThreadsDialog) {
  DialogThread thread;
  ASSERT_TRUE(thread.CreateSuspended());
  Sleep(50);
  EXPECT_FALSE(thread.started);
  ASSERT_TRUE(thread.Resume());
  for (int i = 0; i < 500 && !thread.dialogWindow; ++i) Sleep(10);
  HWND owner = thread.dialogWindow;
  ASSERT_TRUE(owner);
  EXPECT_TRUE(thread.wasCurrent);
  EXPECT_EQ(thread.MainWindow(), owner);
  EXPECT_EQ(kx::UiThread::Current(), nullptr);

  // A prompt on this thread owned by the other thread's window disables it.
  bool ownerEnabledWhileOpen = true;
  ScriptedDialog prompt([&](ScriptedDialog& d, int n) {
    ownerEnabledWhileOpen = IsWindowEnabled(owner) != FALSE;
    d.EndModal(IDOK);
  });
  EXPECT_EQ(prompt.DoModal(owner), IDOK);
  EXPECT_FALSE(ownerEnabledWhileOpen);
  EXPECT_TRUE(IsWindowEnabled(owner));

  // WM_QUIT ends the other thread's modal loop and so the thread.
  PostThreadMessageA(thread.ThreadId(), WM_QUIT, 0, 0);
  ASSERT_TRUE(thread.WaitForExit(5000));
  DWORD code = 0;
  GetExitCodeThread(thread.ThreadHandle(), &code);
  EXPECT_EQ(code, 5u);
}

}  // namespace

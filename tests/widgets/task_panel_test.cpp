// The task panel as a user meets it: real groups in a real window under
// Xvfb, driven by the mouse messages a user's clicks produce.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <vector>

#include "support/window_search.h"
#include "widgets/group_dialog.h"
#include "widgets/group_panel.h"

namespace {

std::vector<WPARAM> g_commands;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND) g_commands.push_back(wp);
  return DefWindowProcA(hwnd, msg, wp, lp);
}

void Pump() {
  MSG msg;
  for (int round = 0; round < 3; ++round) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(10);
  }
}

using kxtest::InParent;

LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }

// Three groups as the main window has them: Tasks (4 items), Tools (4 items
// and a line of text), Help (2 items).
class TaskPanel : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSA wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TaskPanelHost";
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    RegisterClassA(&wc);
    host_ = CreateWindowExA(0, "TaskPanelHost", "Task panel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 400,
                            600, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(host_);
    ASSERT_TRUE(panel_.Create(host_));
    ShowWindow(panel_, SW_SHOW);
    const int schemes[3] = {5, 8, 6};
    const int counts[3] = {4, 4, 2};
    for (int g = 0; g < 3; ++g) {
      auto group = std::make_unique<CMVGroupListDialog>();
      group->SetScheme(schemes[g]);
      ASSERT_TRUE(group->CreateGroup(host_, panel_));
      ShowWindow(*group, SW_SHOW);
      group->SetCaption(g == 0 ? "Tasks" : g == 1 ? "Tools" : "Help");
      for (int i = 0; i < counts[g]; ++i) {
        char caption[32];
        wsprintfA(caption, "Command %d", 100 * g + i);
        ASSERT_TRUE(group->AddItem(caption, 32771 + 10 * g + i, 0));
      }
      if (g == 1) group->AddItem("Just a line of text", 0xFFFF, 0);
      panel_.AddGroup(*group);
      groups_.push_back(std::move(group));
    }
    SizePanel(560);
    Pump();
    g_commands.clear();
  }

  void TearDown() override {
    groups_.clear();
    panel_.Destroy();
    DestroyWindow(host_);
  }

  void SizePanel(int height) {
    RECT r{};
    GetWindowRect(panel_, &r);
    SetWindowPos(panel_, nullptr, 0, 0, r.right - r.left, height, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
  }

  void Click(CMVGroupListDialog& group, int index) {
    RECT item = group.ItemRect(index);
    LPARAM at = Point((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    PostMessageA(group.List(), WM_MOUSEMOVE, 0, at);
    PostMessageA(group.List(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(group.List(), WM_LBUTTONUP, 0, at);
    Pump();
  }

  HWND host_ = nullptr;
  CMVGroupPanelDialog panel_;
  std::vector<std::unique_ptr<CMVGroupListDialog>> groups_;
};

TEST_F(TaskPanel, GroupsStackTenPixelsApart) {
  RECT first = InParent(*groups_[0]);
  EXPECT_EQ(first.left, 7);
  EXPECT_EQ(first.top, 7);
  RECT panel{};
  GetWindowRect(panel_, &panel);
  EXPECT_EQ(panel.right - panel.left, first.right - first.left + 14);
  for (size_t i = 1; i < groups_.size(); ++i) {
    RECT above = InParent(*groups_[i - 1]);
    RECT below = InParent(*groups_[i]);
    EXPECT_EQ(below.top, above.bottom + 10) << "group " << i;
    EXPECT_EQ(below.left, above.left);
    EXPECT_EQ(below.right, above.right);
  }
  // Each group is as tall as its items: more items, taller group.
  EXPECT_GT(InParent(*groups_[1]).bottom - InParent(*groups_[1]).top,
            InParent(*groups_[2]).bottom - InParent(*groups_[2]).top);
  EXPECT_FALSE(panel_.ScrollBarShown());
}

TEST_F(TaskPanel, CollapsingMovesTheGroupsBelowAndExpandingMovesThemBack) {
  CMVGroupListDialog& first = *groups_[0];
  const RECT before1 = InParent(*groups_[1]);
  const RECT before2 = InParent(*groups_[2]);
  const int body = first.FullHeight() - (first.HeaderHeight() + 1);
  ASSERT_GT(body, 0);

  // A click on the header, as the user does it (animated).
  PostMessageA(first, WM_LBUTTONUP, 0, Point(30, first.HeaderHeight() / 2));
  Pump();
  EXPECT_FALSE(first.IsExpanded());
  EXPECT_EQ(InParent(first).bottom - InParent(first).top, first.HeaderHeight() + 1);
  EXPECT_EQ(InParent(*groups_[1]).top, before1.top - body);
  EXPECT_EQ(InParent(*groups_[2]).top, before2.top - body);
  EXPECT_EQ(InParent(*groups_[1]).top, InParent(first).bottom + 10);

  // A click in the body of a group does not toggle it.
  PostMessageA(*groups_[1], WM_LBUTTONUP, 0, Point(30, groups_[1]->HeaderHeight() + 3));
  Pump();
  EXPECT_TRUE(groups_[1]->IsExpanded());

  first.Toggle(false);
  Pump();
  EXPECT_TRUE(first.IsExpanded());
  EXPECT_EQ(InParent(*groups_[1]).top, before1.top);
  EXPECT_EQ(InParent(*groups_[2]).top, before2.top);
}

TEST_F(TaskPanel, ClickOnAnItemPostsItsCommandAndLeavesNothingSelected) {
  Click(*groups_[0], 1);
  ASSERT_EQ(g_commands.size(), 1u);
  EXPECT_EQ(g_commands[0], 32772u);
  Click(*groups_[2], 0);
  ASSERT_EQ(g_commands.size(), 2u);
  EXPECT_EQ(g_commands[1], 32791u);
  for (auto& group : groups_)
    EXPECT_EQ(SendMessageA(group->List(), LVM_GETSELECTEDCOUNT, 0, 0), 0);

  // The line of text is drawn but sends nothing.
  Click(*groups_[1], 4);
  EXPECT_EQ(groups_[1]->ItemCommand(4), 0xFFFFu);
  EXPECT_EQ(g_commands.size(), 2u);

  // Pressing on one item and releasing on another is no click.
  RECT a = groups_[0]->ItemRect(0), b = groups_[0]->ItemRect(2);
  PostMessageA(groups_[0]->List(), WM_LBUTTONDOWN, MK_LBUTTON, Point(a.left + 30, (a.top + a.bottom) / 2));
  PostMessageA(groups_[0]->List(), WM_LBUTTONUP, 0, Point(b.left + 30, (b.top + b.bottom) / 2));
  Pump();
  EXPECT_EQ(g_commands.size(), 2u);
}

TEST_F(TaskPanel, HotItemFollowsTheMouse) {
  CMVGroupListDialog& tools = *groups_[1];
  RECT item = tools.ItemRect(2);
  PostMessageA(tools.List(), WM_MOUSEMOVE, 0, Point(item.left + 30, (item.top + item.bottom) / 2));
  Pump();
  EXPECT_EQ(tools.HotItem(), 32783u);
  EXPECT_EQ(groups_[0]->HotItem(), 0u);
  RECT line = tools.ItemRect(4);
  PostMessageA(tools.List(), WM_MOUSEMOVE, 0, Point(line.left + 30, (line.top + line.bottom) / 2));
  Pump();
  EXPECT_EQ(tools.HotItem(), 0u);  // a line of text is never a hot command
}

TEST_F(TaskPanel, HeaderReactsToTheMouseOnlyWhenTheSchemeSaysSo) {
  CMVGroupListDialog& tasks = *groups_[0];
  PostMessageA(tasks, WM_MOUSEMOVE, 0, Point(30, 5));
  Pump();
  EXPECT_FALSE(tasks.IsHot());  // scheme 5: caption colours are equal

  tasks.SetScheme(0);
  PostMessageA(tasks, WM_MOUSEMOVE, 0, Point(30, 5));
  Pump();
  EXPECT_TRUE(tasks.IsHot());
  PostMessageA(tasks, WM_MOUSEMOVE, 0, Point(30, tasks.HeaderHeight() + 5));
  Pump();
  EXPECT_FALSE(tasks.IsHot());
}

TEST_F(TaskPanel, TooShortShowsTheScrollBarAndNarrowsTheGroups) {
  const int wide = InParent(*groups_[0]).right - InParent(*groups_[0]).left;
  SizePanel(150);
  ASSERT_TRUE(panel_.ScrollBarShown());
  RECT client{};
  GetClientRect(panel_, &client);
  for (auto& group : groups_) {
    RECT r = InParent(*group);
    EXPECT_EQ(r.right - r.left, client.right - 14);
    EXPECT_LT(r.right - r.left, wide);
  }
  // Scrolled to the end, then the window grows again: the content returns
  // to the top and the bar goes.
  SendMessageA(panel_, WM_VSCROLL, SB_BOTTOM, 0);
  Pump();
  EXPECT_GT(panel_.ScrollPosition(), 0);
  EXPECT_LT(InParent(*groups_[0]).top, 7);
  EXPECT_EQ(InParent(*groups_[1]).top, InParent(*groups_[0]).bottom + 10);
  EXPECT_EQ(InParent(*groups_[2]).top, InParent(*groups_[1]).bottom + 10);

  SizePanel(560);
  EXPECT_FALSE(panel_.ScrollBarShown());
  EXPECT_EQ(panel_.ScrollPosition(), 0);
  EXPECT_EQ(InParent(*groups_[0]).top, 7);
  EXPECT_EQ(InParent(*groups_[0]).right - InParent(*groups_[0]).left, wide);
  EXPECT_EQ(InParent(*groups_[2]).top, InParent(*groups_[1]).bottom + 10);
}

}  // namespace

#pragma once
// CMVGroupPanelDialog: the scrolling column of task groups. Groups are
// stacked from (7, 7) downward, each keeping its gap to the one above; when
// the column is taller than the panel a vertical scroll bar appears and the
// groups narrow by its width.
#include <windows.h>

#include <vector>

#include "framework/dialog.h"
#include "framework/handle.h"
#include "widgets/group_dialog.h"

class CMVGroupPanelDialog : public kx::Dialog {
 public:
  CMVGroupPanelDialog();
  ~CMVGroupPanelDialog() override;

  // Appends a group (created inside this panel, or moved into it) and places
  // it below the previous one.
  void AddGroup(CMVGroupDialog& group);
  size_t GroupCount() const { return groups_.size(); }
  CMVGroupDialog& Group(size_t index) const { return *groups_[index]; }

  // The background; without one of the owner's the panel paints the system
  // highlight colour.
  void SetBackgroundBrush(HBRUSH brush);
  HBRUSH BackgroundBrush() const { return brush_; }
  void SetScrollingForbidden(bool forbidden) { noScroll_ = forbidden; }

  bool ScrollBarShown() const { return barShown_; }
  // Height the column needs to show every group without scrolling.
  int ContentHeight() const;
  int ScrollPosition() const { return position_; }
  void UpdateScrollRange();

 protected:
  bool OnInit() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void ScrollTo(int position);
  void OnScroll(int code);
  void MakeOwnBrush();

  std::vector<CMVGroupDialog*> groups_;
  HBRUSH brush_ = nullptr;
  kx::GdiObject ownBrush_;
  bool noScroll_ = false;
  bool barShown_ = false;
  bool updating_ = false;
  int position_ = 0;
  UINT restackMessage_;
};

#pragma once
// The task panel: CMVGroupDialog is one group with a coloured header, a
// collapse arrow and a body; CMVGroupListDialog a group whose body is a list
// of command items with icons; CMVGroupPanelDialog (group_panel.h) the
// scrolling column that stacks them.
//
// Groups restack themselves: whenever a group changes size it sends the
// registered message "WM_MVGD_POSCHANGING" (wParam its gap, lParam its
// window) to the next sibling and to the parent; a group that receives it
// moves below its previous sibling, which passes the message on.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/dialog.h"
#include "framework/handle.h"
#include "widgets/group_scheme.h"

UINT GroupRestackMessage();

class CMVGroupDialog : public kx::Dialog {
 public:
  CMVGroupDialog();
  ~CMVGroupDialog() override;

  void SetScheme(int scheme, int direction = 0);
  const GroupColours& Colours() const { return colours_; }
  void SetCaption(const char* caption);
  const std::string& Caption() const { return caption_; }

  // Collapses an expanded group or expands a collapsed one.
  void Toggle(bool animate);
  bool IsExpanded() const { return expanded_; }
  bool IsHot() const { return hot_; }
  int HeaderHeight() const { return headerHeight_; }
  int FullHeight() const { return fullHeight_; }
  int Gap() const { return gap_; }

  // Set before the group is shown.
  void SetCorners(bool topLeft, bool topRight, bool bottomLeft, bool bottomRight);
  void SetGap(int gap) { gap_ = gap; }
  void SetNotCollapsible(bool notCollapsible) { notCollapsible_ = notCollapsible; }

  // The command identifier under the mouse, or 0.
  virtual unsigned HotItem() const { return 0; }

 protected:
  bool OnInit() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  // Children below the header keep their distances; the group's height
  // follows the lowest of them.
  void LayoutChildren();
  HFONT HeaderFont() const { return static_cast<HFONT>(headerFont_.Get()); }
  virtual void OnSized() {}
  virtual void OnColoursChanged() {}

 private:
  void Paint(HDC dc);
  void UpdateRegion();
  void SetHot(bool hot);
  void InvalidateHeader();
  bool Collapsible() const { return !notCollapsible_; }
  bool OverHeader(int y) const { return y < headerHeight_; }
  void Restack(WPARAM gap, HWND moved);

  std::string caption_;
  kx::GdiObject headerFont_;
  HCURSOR hand_;
  bool expanded_ = true;
  bool hot_ = false;
  bool tracking_ = false;
  int headerHeight_ = 20;
  int fullHeight_ = 0;
  int gap_ = 10;
  bool notCollapsible_ = false;
  bool corners_[4] = {true, true, false, false};
  GroupColours colours_{};
  int direction_ = 0;
  UINT restackMessage_;
};

class CMVGroupListDialog : public CMVGroupDialog {
 public:
  CMVGroupListDialog() = default;
  ~CMVGroupListDialog() override;

  // Creates the group inside the parent; the owner (the parent when null)
  // receives the item commands.
  bool CreateGroup(HWND owner, HWND parent);
  // Appends an item; iconId 0 for none. Identifier 0xFFFF is a plain line of
  // text, 0 a bold line; neither can be clicked.
  bool AddItem(const char* caption, unsigned command, UINT iconId);
  void SetEmphasis(unsigned command, int index, COLORREF normal, COLORREF hot, bool bold,
                   bool underline, bool italic);

  int ItemCount() const;
  unsigned ItemCommand(int index) const;
  std::string ItemCaption(int index) const;
  void SetItemCaption(int index, const char* caption);
  // The list of the body (for tests and layout).
  HWND List() const { return list_; }
  // The item's rectangle in the list's client coordinates.
  RECT ItemRect(int index) const;

  unsigned HotItem() const override;

 protected:
  bool OnNotify(NMHDR* header, LRESULT& result) override;
  void OnSized() override;
  void OnColoursChanged() override;

 private:
  static LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                   DWORD_PTR data);
  LRESULT OnListMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT CustomDraw(NMLVCUSTOMDRAW* draw);
  void PlaceList();
  void FitListToItems();
  int ItemAt(LPARAM point) const;
  void SetHotIndex(int index);
  HFONT FontFor(int index, bool hot);

  HWND owner_ = nullptr;
  HWND list_ = nullptr;
  kx::ImageList images_;
  int hotIndex_ = -1;
  int pressedIndex_ = -1;
  bool trackingList_ = false;
  // Emphasis.
  unsigned emphasisCommand_ = 0;
  int emphasisIndex_ = -1;
  COLORREF emphasisNormal_ = CLR_INVALID;
  COLORREF emphasisHot_ = CLR_INVALID;
  bool emphasisBold_ = false, emphasisUnderline_ = false, emphasisItalic_ = false;
  // Fonts made on demand from the header font or the list's font.
  kx::GdiObject hotListFont_;
  kx::GdiObject separatorFont_;
  kx::GdiObject emphasisFonts_[2];  // normal, hot
};

#pragma once
// CKXListCtrl: the batch list's list view. It draws every row itself (a
// folder or file icon at the left, the path shortened in its middle), sorts
// by a clicked heading, offers its owner's commands on a context menu and
// keeps its column dividers where the owner put them.
//
// Column 0 holds the path, column 1 the type ("Folder" or "File", never
// shown as text); column 1 is displayed first. The owner dialog passes the
// list's WM_NOTIFY messages to OnParentNotify, as the list draws and sorts
// from its own notifications.
#include <windows.h>
#include <commctrl.h>

#include "framework/handle.h"
#include "widgets/list_sort.h"

class CKXListCtrl {
 public:
  // Icons and the context menu are resources of this module.
  CKXListCtrl(UINT folderIcon, UINT fileIcon, UINT contextMenu);
  ~CKXListCtrl();
  CKXListCtrl(const CKXListCtrl&) = delete;
  CKXListCtrl& operator=(const CKXListCtrl&) = delete;

  // Takes over the dialog's list view control id: styles, the two columns.
  bool Attach(HWND dialog, int id);
  HWND Handle() const { return hwnd_; }

  // The popup of the context menu; its texts may be changed.
  HMENU Menu() const;

  void DeleteAllRows();
  // Inserts a row at the top; data is the row's item data.
  int InsertRow(const char* path, bool folder, LPARAM data);
  int RowCount() const;
  int SelectedCount() const;
  LPARAM RowData(int row) const;
  bool IsSelected(int row) const;
  void SelectRow(int row, bool select);
  void SelectAll(bool select);
  // Column 0 fills the client width beside column 1.
  void FitPathColumn();

  // The greying of the context menu's commands for the current rows.
  struct MenuState {
    bool canRemove, canRemoveAll, canSelectAll, canSelectNone;
  };
  MenuState CommandState() const;

  // Handles the list's own notifications (custom draw, heading clicks);
  // answers whether it did and the result for the dialog to return.
  bool OnParentNotify(NMHDR* header, LRESULT& result);
  // Sorts as a click on the heading of column would.
  void SortByColumn(int column);

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR self);
  LRESULT DrawRow(NMLVCUSTOMDRAW& draw) const;
  void ShowContextMenu(POINT screen);

  HWND hwnd_ = nullptr;
  kx::IconHandle folderIcon_;
  kx::IconHandle fileIcon_;
  kx::MenuHandle menu_;
  ListSortState sort_;
};

// Command identifiers of the context menu.
constexpr int kListCmdAddFile = 1021;
constexpr int kListCmdAddFolder = 1019;
constexpr int kListCmdRemove = 1020;
constexpr int kListCmdRemoveAll = 1022;
constexpr int kListCmdSelectAll = 32780;
constexpr int kListCmdSelectNone = 32781;

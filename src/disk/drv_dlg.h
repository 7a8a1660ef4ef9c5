#pragma once
// CKXDrvDlg: the modal "Choose Disk" dialog. Lists the machine's drives with
// their shell icon, display name and size, and answers the chosen letter in
// selectedDrive (0 when nothing was chosen).
#include <windows.h>
#include <commctrl.h>

#include "disk/disk_logic.h"
#include "framework/dialog.h"

class CKXDrvDlg : public kx::Dialog {
 public:
  CKXDrvDlg();
  ~CKXDrvDlg() override;

  // Fills the list; the dialog runs it once when it opens.
  void FillDriveList();

  bool smallIcons = true;
  // The volumes of the running Windows, of its boot files and of the running
  // program are never listed while this is set, under whatever letter.
  bool skipSystemDrive = true;
  bool skipCdRom = true;
  // Only fixed and removable drives are listed.
  bool onlyLocalDisks = false;
  char selectedDrive = 0;

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  void AddDrive(char letter);
  bool MakeImageList(HICON icon);
  void FitToList();
  void UpdateOk();

  HIMAGELIST images_ = nullptr;
  GuardedVolumes guarded_;
};

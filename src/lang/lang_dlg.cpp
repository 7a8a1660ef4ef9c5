#include "lang/lang_dlg.h"

#include <commctrl.h>

#include "lang/lang_file_list.h"
#include "lang/lang_ids.h"
#include "lang/text_store.h"
#include "ui/ui_ids.h"
#include "widgets/anchor.h"

CKXLangDlg::CKXLangDlg(PanelHost& host) : CKXRPDlg(IDD_LANG, host) {}

bool CKXLangDlg::OnInit() {
  CKXRPDlg::OnInit();
  kx::AnchorStretch(Item(IDC_LANG_LIST), kMargin);
  const RECT cancel = ItemRect(IDCANCEL);
  kx::AnchorRight(Item(IDCANCEL), kMargin);
  kx::AnchorRight(Item(IDOK), (cancel.right - cancel.left) + kMargin + 5);
  SendItem(IDC_LANG_LIST, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  LVCOLUMNA column{};
  column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
  column.fmt = LVCFMT_LEFT;
  column.pszText = const_cast<char*>("");
  SendItem(IDC_LANG_LIST, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  FitColumn();
  FillList();
  return false;
}

void CKXLangDlg::RefreshTexts() {
  SetTitleFromCommand(ID_LANGUAGE);
  SetItemText(IDOK, LangText("OK"));
  SetItemText(IDCANCEL, LangText("Cancel"));
}

void CKXLangDlg::FitColumn() {
  RECT client{};
  if (HWND list = Item(IDC_LANG_LIST)) {
    GetClientRect(list, &client);
    SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, client.right);
  }
}

void CKXLangDlg::FillList() {
  SendItem(IDC_LANG_LIST, LVM_DELETEALLITEMS);
  CLangFileList& languages = LangFiles();
  int row = 0;
  for (const LangFileInfo* entry = languages.GetLanguageList(true); entry; entry = entry->next, ++row) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = row;
    item.pszText = const_cast<char*>(entry->displayName ? entry->displayName : "");
    item.lParam = reinterpret_cast<LPARAM>(entry);
    const int index = static_cast<int>(SendItem(IDC_LANG_LIST, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (index >= 0 && entry == languages.Selected()) {
      LVITEMA state{};
      state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
      state.state = LVIS_SELECTED | LVIS_FOCUSED;
      SendItem(IDC_LANG_LIST, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&state));
    }
  }
  UpdateApplyButton();
}

const LangFileInfo* CKXLangDlg::SelectedEntry() const {
  const int index = static_cast<int>(SendItem(IDC_LANG_LIST, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (index < 0) return nullptr;
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = index;
  if (!SendItem(IDC_LANG_LIST, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
  return reinterpret_cast<const LangFileInfo*>(item.lParam);
}

void CKXLangDlg::UpdateApplyButton() {
  const LangFileInfo* entry = SelectedEntry();
  EnableItem(IDOK, entry && entry != LangFiles().Selected());
}

void CKXLangDlg::ApplyLanguage() {
  const LangFileInfo* entry = SelectedEntry();
  if (!entry) return;
  CLangFileList& languages = LangFiles();
  languages.GetLanguageList(false);
  // The entry dies with the next scan: keep its name.
  char fileName[sizeof entry->fileName];
  lstrcpynA(fileName, entry->fileName, sizeof fileName);
  languages.SelectLanguage(fileName);
  TextStore().LoadActiveLanguage();
  Host().RefreshTexts();
  FillList();
  Host().ShowPanel(0);
}

bool CKXLangDlg::OnNotify(NMHDR* header, LRESULT& result) {
  if (header->idFrom == IDC_LANG_LIST && header->code == LVN_ITEMCHANGED) {
    UpdateApplyButton();
    result = 0;
    return true;
  }
  return false;
}

bool CKXLangDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  const bool handled = CKXRPDlg::OnMessage(msg, wp, lp, result);
  if (msg == WM_SIZE) FitColumn();
  return handled;
}

void CKXLangDlg::OnOK() {
  if (IsWindowEnabled(Item(IDOK))) ApplyLanguage();
}

void CKXLangDlg::OnCancel() {
  FillList();
  Host().ShowPanel(0);
}

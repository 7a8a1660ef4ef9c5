#include "ui/options_dlg.h"

#include <iterator>
#include <string>

#include "base/settings_store.h"
#include "ui/options_ids.h"
#include "ui/ui_ids.h"
#include "widgets/anchor.h"

CKXOptionDlg::CKXOptionDlg(PanelHost& host, ConfigRecord& settings)
    : CKXRPDlg(IDD_OPTIONS, host), settings_(settings) {}

bool CKXOptionDlg::OnInit() {
  CKXRPDlg::OnInit();
  static constexpr int kButtonIds[] = {IDC_OPT_ENABLE, IDC_OPT_PERIOD_GROUP, IDC_OPT_FILL_GROUP,
                                       IDC_OPT_SKIP,   IDC_OPT_VERIFY,       IDOK,
                                       IDCANCEL};
  static_assert(std::size(kButtonIds) == sizeof buttons_ / sizeof buttons_[0]);
  for (size_t i = 0; i < std::size(kButtonIds); ++i) buttons_[i].Attach(hwnd_, kButtonIds[i]);
  periodInfo_.AttachItem(hwnd_, IDC_OPT_PERIOD_INFO);
  fillInfo_.AttachItem(hwnd_, IDC_OPT_FILL_INFO);
  period_.AttachItem(hwnd_, IDC_OPT_PERIOD);
  custom_.AttachItem(hwnd_, IDC_OPT_CUSTOM);
  fill_.AttachItem(hwnd_, IDC_OPT_FILL);
  spin_.AttachWithBuddy(Item(IDC_OPT_PERIOD_SPIN), period_);
  spin_.SetRange(0, kMaxPeriod);
  period_.SetLimit(kMaxPeriodDigits);
  fill_.SetEntries({"Default", "Zero", "Custom String", "Random"});
  fill_.Select(kFillDefault);
  custom_.SetLimit(kMaxCustomFill);
  SetAnchors();
  LoadShredOptions(options_);
  LoadOptions();
  return false;
}

void CKXOptionDlg::SetAnchors() {
  for (int id :
       {IDC_OPT_ENABLE, IDC_OPT_PERIOD_GROUP, IDC_OPT_FILL_GROUP, IDC_OPT_SKIP, IDC_OPT_VERIFY})
    kx::AnchorStretch(Item(id), kMargin);
  const RECT cancel = ItemRect(IDCANCEL);
  kx::AnchorRight(Item(IDCANCEL), kMargin);
  kx::AnchorRight(Item(IDOK), (cancel.right - cancel.left) + kMargin + 5);

  HWND periodGroup = Item(IDC_OPT_PERIOD_GROUP);
  kx::AnchorControl(spin_, kx::Anchor().Right(kMargin, periodGroup));
  kx::AnchorControl(period_, kx::Anchor().RightToLeftOf(spin_, 1));
  kx::AnchorControl(periodInfo_, kx::Anchor().Left(kMargin, periodGroup).RightToLeftOf(period_, -kMargin));

  HWND fillGroup = Item(IDC_OPT_FILL_GROUP);
  for (HWND control : {fillInfo_.Handle(), fill_.Handle(), custom_.Handle()})
    kx::AnchorControl(control, kx::Anchor().Left(kMargin, fillGroup).Right(kMargin, fillGroup));
}

void CKXOptionDlg::RefreshTexts() {
  SetTitleFromCommand(ID_OPTIONS);
  SetItemText(IDC_OPT_ENABLE, LangText("Enable", "OptionsDlg"));
  SetItemText(IDC_OPT_PERIOD_GROUP, LangText("UpdateTitle", "OptionsDlg"));
  SetItemText(IDC_OPT_PERIOD_INFO, LangText("UpdateInfo", "OptionsDlg"));
  SetItemText(IDC_OPT_FILL_GROUP, LangText("FillTitle", "OptionsDlg"));
  SetItemText(IDC_OPT_FILL_INFO, LangText("FillInfo", "OptionsDlg"));
  SetItemText(IDC_OPT_SKIP, LangText("SkipErr", "OptionsDlg"));
  SetItemText(IDC_OPT_VERIFY, LangText("Verify", "OptionsDlg"));
  SetItemText(IDOK, LangText("OK"));
  SetItemText(IDCANCEL, LangText("Cancel"));
  fill_.SetEntries({LangText("FillOption1", "OptionsDlg"), LangText("FillOption2", "OptionsDlg"),
                    LangText("FillOption3", "OptionsDlg"), LangText("FillOption4", "OptionsDlg")});
}

void CKXOptionDlg::LoadOptions() {
  spin_.SetPosition(settings_.updatePeriodMs);
  SetItemText(IDC_OPT_PERIOD, std::to_string(settings_.updatePeriodMs).c_str());
  SetCheck(IDC_OPT_SKIP, settings_.skipErrors != 0);
  SetCheck(IDC_OPT_VERIFY, options_.verify != 0);
  fill_.Select(ShownFillChoice(settings_, options_));
  // A string kept under Random is there again when Custom String is chosen.
  if (StoredFillChoice(settings_) == kFillCustom)
    SetItemText(IDC_OPT_CUSTOM, StoredCustomString(settings_).c_str());
  UpdateOptionsState();
}

OptionsView CKXOptionDlg::View() const {
  OptionsView view;
  view.period = ItemText(IDC_OPT_PERIOD);
  view.skipErrors = IsChecked(IDC_OPT_SKIP);
  view.fill = fill_.Selection();
  view.custom = ItemText(IDC_OPT_CUSTOM);
  view.verify = IsChecked(IDC_OPT_VERIFY);
  return view;
}

void CKXOptionDlg::UpdateOptionsState() {
  HWND enable = Item(IDC_OPT_ENABLE);
  if (!enable) return;
  const bool ticked = IsChecked(IDC_OPT_ENABLE);
  const OptionsView view = View();
  HWND custom = custom_.Handle();
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (child == enable) continue;
    const bool show = ticked && (child != custom || view.fill == kFillCustom);
    if (((GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) != 0) != show) ShowWindow(child, show ? SW_SHOWNA : SW_HIDE);
  }
  EnableItem(IDOK, OptionsOkEnabled(settings_, view, options_));
}

bool CKXOptionDlg::OnCommand(int id, int code, HWND control) {
  if (((id == IDC_OPT_ENABLE || id == IDC_OPT_SKIP || id == IDC_OPT_VERIFY) &&
       code == BN_CLICKED) ||
      ((id == IDC_OPT_PERIOD || id == IDC_OPT_CUSTOM) && code == EN_CHANGE)) {
    UpdateOptionsState();
    return true;
  }
  if (id == IDC_OPT_FILL && code == CBN_SELCHANGE) {
    UpdateOptionsState();
    if (fill_.Selection() == kFillCustom) SetFocus(custom_);
    return true;
  }
  return false;
}

void CKXOptionDlg::OnOK() {
  // Enter reaches the panel even while OK is disabled.
  if (!IsWindowEnabled(Item(IDOK)) || !IsWindowVisible(Item(IDOK))) return;
  if (!ApplyOptions(settings_, View(), &options_)) return;
  SaveConfig(settings_);
  SaveShredOptions(options_);
  LoadOptions();
  Host().ShowPanel(0);
}

void CKXOptionDlg::OnCancel() {
  LoadOptions();
  Host().ShowPanel(0);
}

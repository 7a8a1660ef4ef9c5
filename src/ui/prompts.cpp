#include "ui/prompts.h"

#include <cstring>
#include <vector>

#include "base/path_utils.h"
#include "framework/handle.h"
#include "framework/module.h"
#include "lang/text_store.h"
#include "ui/prompt_ids.h"
#include "ui/prompt_text.h"

// The engine reads the prompt's answer as the identifier of the button that
// gave it.
static_assert(kAnswerSkip == IDC_SKIP && kAnswerSkipAll == IDC_SKIP_ALL &&
              kAnswerTryAgain == IDC_TRY_AGAIN && kAnswerCancel == IDCANCEL);

namespace {

// The name cut to one line of the width, ending in "..." when it had to be
// cut.
std::string ShortenToWidth(HDC dc, const char* name, int width) {
  size_t length = std::strlen(name);
  // The ellipsis may need room beyond the name's own bytes.
  std::vector<char> buffer(length + 10 + 1, '\0');
  std::memcpy(buffer.data(), name, length);
  RECT r{0, 0, width, 100};
  DrawTextA(dc, buffer.data(), -1, &r,
            DT_SINGLELINE | DT_CALCRECT | DT_END_ELLIPSIS | DT_MODIFYSTRING | DT_NOPREFIX);
  buffer.back() = '\0';
  return buffer.data();
}


// A device context of a control with the dialog's font selected.
class DialogFontDC {
 public:
  DialogFontDC(HWND dialog, HWND control)
      : dc_(control),
        font_(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0))),
        old_(font_ ? SelectObject(dc_.Get(), font_) : nullptr) {}
  ~DialogFontDC() {
    if (old_) SelectObject(dc_.Get(), old_);
  }
  DialogFontDC(const DialogFontDC&) = delete;
  DialogFontDC& operator=(const DialogFontDC&) = delete;
  HDC Get() const { return dc_.Get(); }

 private:
  kx::WindowDC dc_;
  HFONT font_;
  HGDIOBJ old_;
};

}  // namespace

int FormatPromptText(const char* name, const char* pattern, HDC dc, const RECT& rect,
                     std::string& result, const char* reason) {
  const bool haveName = name && *name;
  std::string shortName;
  if (haveName) {
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    int width = (rect.right - rect.left) - 3 * metrics.tmAveCharWidth;
    if (width > 0) shortName = ShortenToWidth(dc, name, width);
  }
  std::string text = FillPromptPattern(pattern, haveName ? shortName.c_str() : nullptr, reason);
  RECT r = rect;
  DrawTextA(dc, text.c_str(), -1, &r, DT_WORDBREAK | DT_EDITCONTROL | DT_CALCRECT | DT_NOPREFIX);
  result = std::move(text);
  return r.bottom - r.top;
}

CKXConfirmDlg::CKXConfirmDlg(DeleteJob& pending, BatchOpener* batch)
    : Dialog(IDD_CONFIRM), pending_(pending), batch_(batch) {}

INT_PTR CKXConfirmDlg::DoModal(HWND owner) {
  moreChosen_ = false;
  INT_PTR answer = Dialog::DoModal(owner);
  if (!moreChosen_) return answer;
  if (batch_) batch_->OpenBatchList(pending_, kx::AppMainWindow());
  return IDCANCEL;
}

bool CKXConfirmDlg::OnInit() {
  SetText(LangText("Title", "Confirm"));
  SetItemText(IDC_MORE, LangText("More"));
  SetItemText(IDOK, LangText("OK"));
  SetItemText(IDCANCEL, LangText("Cancel"));

  char firstPath[kMaxPathBytes + 1] = "";
  bool firstIsFolder = false;
  uint64_t count = CountItems(pending_, firstPath, &firstIsFolder);
  const char* pattern = LangText(ConfirmKey(count, firstIsFolder));

  HWND textControl = Item(IDC_PROMPT_TEXT);
  RECT client{};
  GetClientRect(textControl, &client);
  std::string question;
  int h;
  {
    DialogFontDC dc(hwnd_, textControl);
    if (count < 2) {
      h = FormatPromptText(PathName(firstPath), pattern, dc.Get(), client, question);
    } else {
      std::string filled = FormatWithArgs(pattern, std::to_string(count).c_str());
      h = FormatPromptText(nullptr, filled.c_str(), dc.Get(), client, question);
    }
  }

  RECT before{};
  GetClientRect(hwnd_, &before);
  QuestionLayout layout =
      FitQuestion(h, ToRect(ItemRect(IDC_PROMPT_TEXT)), ToRect(ItemRect(IDC_CONFIRM_ICON)));
  MoveItem(IDC_PROMPT_TEXT, ToRECT(layout.text));
  if (layout.grow > 0) {
    RECT frame{};
    GetWindowRect(hwnd_, &frame);
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left,
                 frame.bottom - frame.top + layout.grow, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT after{};
    GetClientRect(hwnd_, &after);
    int down = (after.bottom - after.top) - (before.bottom - before.top);
    for (int id : {IDC_MORE, IDCANCEL, IDOK}) {
      RECT r = ItemRect(id);
      OffsetRect(&r, 0, down);
      MoveItem(id, r);
    }
  }
  SetItemText(IDC_PROMPT_TEXT, question.c_str());
  return true;
}

bool CKXConfirmDlg::OnCommand(int id, int code, HWND control) {
  if (id != IDC_MORE || code != BN_CLICKED) return false;
  moreChosen_ = true;
  Show(SW_HIDE);
  EndModal(IDCANCEL);
  return true;
}

CKXMsgDlg::CKXMsgDlg(std::string message, std::string name, std::string reason)
    : Dialog(IDD_ERROR_PROMPT),
      message_(std::move(message)),
      name_(std::move(name)),
      reason_(std::move(reason)) {}

bool CKXMsgDlg::OnInit() {
  SetText(LangText("Title", "MsgDlg"));
  SetItemText(IDC_TRY_AGAIN, LangText("TryAgain"));
  SetItemText(IDC_SKIP, LangText("Skip"));
  SetItemText(IDC_SKIP_ALL, LangText("SkipAll"));
  SetItemText(IDCANCEL, LangText("Cancel"));

  std::string text;
  if (name_.empty()) {
    text = FillPromptPattern(message_.c_str(), nullptr, reason_.c_str());
  } else {
    HWND textControl = Item(IDC_PROMPT_TEXT);
    RECT client{};
    GetClientRect(textControl, &client);
    DialogFontDC dc(hwnd_, textControl);
    FormatPromptText(name_.c_str(), message_.c_str(), dc.Get(), client, text, reason_.c_str());
  }
  SetItemText(IDC_PROMPT_TEXT, text.c_str());
  return true;
}

bool CKXMsgDlg::OnCommand(int id, int code, HWND control) {
  if (code != BN_CLICKED) return false;
  if (id != kAnswerTryAgain && id != kAnswerSkip && id != kAnswerSkipAll) return false;
  EndModal(id);
  return true;
}

#include "framework/dialog.h"

#include "framework/module.h"

namespace kx {
namespace {

// The longest a modal dialog stays hidden after it was made.
constexpr DWORD kLatestShowMs = 200;

// Messages whose dialog-procedure result is the answer itself rather than a
// BOOL with the answer in DWLP_MSGRESULT.
bool ReturnsDirectly(UINT msg) {
  return (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) || msg == WM_COMPAREITEM ||
         msg == WM_VKEYTOITEM || msg == WM_CHARTOITEM || msg == WM_QUERYDRAGICON ||
         msg == WM_INITDIALOG;
}

// After these the queue counts as still idle, so that the idle handler's own
// repaints or a resting mouse do not make the loop spin.
class IdleFilter {
 public:
  bool StartsWork(const MSG& msg) {
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
      if (msg.message == lastMessage_ && msg.pt.x == lastPoint_.x && msg.pt.y == lastPoint_.y)
        return false;
      lastMessage_ = msg.message;
      lastPoint_ = msg.pt;
      return true;
    }
    return msg.message != WM_PAINT && msg.message != 0x0118;  // 0x0118: system timer (caret)
  }

 private:
  UINT lastMessage_ = 0;
  POINT lastPoint_{-1, -1};
};

}  // namespace

Dialog::Dialog(UINT templateId) : templateId_(templateId) {}

Dialog::Dialog(const DLGTEMPLATE* memoryTemplate) : memoryTemplate_(memoryTemplate) {}

Dialog::~Dialog() {
  if (hwnd_ && ::IsWindow(hwnd_)) {
    ::SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
    if (::GetWindowThreadProcessId(hwnd_, nullptr) == ::GetCurrentThreadId()) ::DestroyWindow(hwnd_);
  }
}

HWND Dialog::CreateWindowFromTemplate(HWND parent) {
  LPARAM self = reinterpret_cast<LPARAM>(this);
  if (memoryTemplate_)
    return ::CreateDialogIndirectParamA(ModuleInstance(), memoryTemplate_, parent, DialogProc, self);
  return ::CreateDialogParamA(ModuleInstance(), MAKEINTRESOURCEA(templateId_), parent, DialogProc,
                              self);
}

bool Dialog::Create(HWND parent) {
  if (hwnd_) return false;
  modal_ = false;
  ended_ = false;
  return CreateWindowFromTemplate(parent) != nullptr;
}

void Dialog::Destroy() {
  if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

INT_PTR Dialog::DoModal(HWND owner) {
  if (hwnd_) return -1;
  if (owner && (::GetWindowLongA(owner, GWL_STYLE) & WS_CHILD))
    owner = ::GetAncestor(owner, GA_ROOT);
  bool enableOwner = false;
  if (owner && owner != ::GetDesktopWindow() && ::IsWindowEnabled(owner)) {
    ::EnableWindow(owner, FALSE);
    enableOwner = true;
  }
  modal_ = true;
  ended_ = false;
  result_ = IDCANCEL;
  HWND hwnd = CreateWindowFromTemplate(owner);
  if (hwnd) RunModalLoop();
  INT_PTR result = hwnd ? result_ : -1;
  // Enable the owner before the dialog goes, so that activation returns to it.
  if (enableOwner) ::EnableWindow(owner, TRUE);
  if (hwnd && ::IsWindow(hwnd)) {
    if (owner && ::GetActiveWindow() == hwnd) ::SetActiveWindow(owner);
    ::DestroyWindow(hwnd);
  }
  modal_ = false;
  hwnd_ = nullptr;
  return result;
}

void Dialog::RunModalLoop() {
  HWND hwnd = hwnd_;
  bool shown = (::GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
  const DWORD created = ::GetTickCount();
  const auto show = [&] {
    shown = true;
    ::ShowWindow(hwnd, SW_SHOWNORMAL);
    ::UpdateWindow(hwnd);
  };
  bool idle = true;
  LPARAM idleCount = 0;
  IdleFilter filter;
  MSG msg;
  for (;;) {
    if (ended_ || !::IsWindow(hwnd)) return;
    // Shown once the queue is empty, as the system's own dialog boxes are;
    // a queue that never empties (another thread keeps sending, a control
    // keeps posting) must not keep the window hidden for good.
    if (!shown && ::GetTickCount() - created >= kLatestShowMs) show();
    if (idle && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!shown) show();
      idle = false;
      ::SendMessageA(hwnd, kIdleMessage, TRUE, idleCount++);
      continue;
    }
    BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      result_ = IDCANCEL;
      return;
    }
    if (got == -1) {
      result_ = IDCANCEL;
      return;
    }
    if (!PreTranslateMessage(msg) && !::IsDialogMessageA(hwnd, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    if (filter.StartsWork(msg)) idle = true;
  }
}

void Dialog::EndModal(INT_PTR result) {
  result_ = result;
  if (!modal_) return;
  ended_ = true;
  // Wakes the loop when this was called from a message sent by another
  // thread, which GetMessage handles without returning.
  ::PostThreadMessageA(::GetCurrentThreadId(), WM_NULL, 0, 0);
}

void Dialog::OnOK() {
  if (modal_) EndModal(IDOK);
}

void Dialog::OnCancel() {
  if (modal_) EndModal(IDCANCEL);
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    if (msg == WM_INITDIALOG) {
      auto* self = reinterpret_cast<Dialog*>(lp);
      ::SetWindowLongPtrA(hwnd, DWLP_USER, lp);
      if (!self) return TRUE;
      self->hwnd_ = hwnd;
      return self->OnInit() ? TRUE : FALSE;
    }
    auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self) return FALSE;
    return self->Dispatch(msg, wp, lp);
  } catch (...) {
    return FALSE;
  }
}

INT_PTR Dialog::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  switch (msg) {
    case WM_COMMAND: {
      int id = LOWORD(wp);
      int code = HIWORD(wp);
      if (OnCommand(id, code, reinterpret_cast<HWND>(lp))) return TRUE;
      if (code != BN_CLICKED) return FALSE;
      if (id == IDOK) {
        OnOK();
        return TRUE;
      }
      if (id == IDCANCEL) {
        OnCancel();
        return TRUE;
      }
      return FALSE;
    }
    case WM_NOTIFY:
      if (!OnNotify(reinterpret_cast<NMHDR*>(lp), result)) return FALSE;
      ::SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
      return TRUE;
    case WM_NCDESTROY: {
      OnMessage(msg, wp, lp, result);
      ::SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
      if (modal_ && !ended_) {
        ended_ = true;
        ::PostThreadMessageA(::GetCurrentThreadId(), WM_NULL, 0, 0);
      }
      if (!modal_) hwnd_ = nullptr;
      return FALSE;
    }
    default:
      if (!OnMessage(msg, wp, lp, result)) return FALSE;
      if (ReturnsDirectly(msg)) return static_cast<INT_PTR>(result);
      ::SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
      return TRUE;
  }
}

}  // namespace kx

#pragma once
// kx::Dialog: the base of every dialog and panel of the program.
//
// A dialog is built from a template, either a resource of this module (by
// identifier) or an in-memory DLGTEMPLATE. Two ways to show it:
//
//  - DoModal(owner) runs it modally with our own loop, the way the dialogs of
//    the framework we replace behave: the owner's top-level window is disabled
//    while the dialog is open (also when it belongs to another thread), the
//    loop gives each message to PreTranslateMessage and IsDialogMessage, and
//    whenever the queue has run empty it SENDS kIdleMessage (wParam TRUE,
//    lParam the number of idle messages this loop has sent) to the dialog;
//    the dialog is shown on the first idle when its template is not visible.
//    The loop ends after EndModal (DoModal returns its result) or when the
//    window is destroyed (DoModal returns the last EndModal result, IDCANCEL
//    when there was none), or on WM_QUIT, which it posts again so that
//    enclosing loops end as well (DoModal returns IDCANCEL). It returns -1
//    when the window cannot be created. The window is destroyed before
//    DoModal returns.
//  - Create(parent) makes a modeless window, normally a child panel of the
//    main window (template with WS_CHILD | DS_CONTROL). The object must
//    outlive the window or destroy it; the destructor destroys a window of
//    its own thread that still exists.
//
// Message handling: one dialog procedure stores `this` at WM_INITDIALOG under
// DWLP_USER and calls
//   OnInit()                      WM_INITDIALOG; answer true to let the system
//                                 set the focus.
//   OnCommand(id, code, control)  WM_COMMAND; answer true when handled. Not
//                                 handled clicks of IDOK and IDCANCEL (also
//                                 the Esc key and the close box) go to
//                                 OnOK / OnCancel.
//   OnOK(), OnCancel()            modal: EndModal(IDOK / IDCANCEL);
//                                 modeless: nothing.
//   OnNotify(header, result)      WM_NOTIFY; the result goes back through
//                                 DWLP_MSGRESULT.
//   OnMessage(msg, wp, lp, result) every other message; answer true when
//                                 handled. The result is returned the way the
//                                 message needs it (directly for WM_CTLCOLOR*
//                                 and the other dialog-return messages,
//                                 through DWLP_MSGRESULT for the rest).
// Handlers run on the dialog's thread; no exception leaves the procedure.
#include <windows.h>

#include "framework/window.h"

namespace kx {

// The idle message of the modal loop.
constexpr UINT kIdleMessage = 0x036A;

class Dialog : public Window {
 public:
  explicit Dialog(UINT templateId);
  // The template must stay valid while the window is being created.
  explicit Dialog(const DLGTEMPLATE* memoryTemplate);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  INT_PTR DoModal(HWND owner);
  bool Create(HWND parent);
  // Ends the modal loop with a result; call it on the dialog's thread. For a
  // modeless dialog it only records the result.
  void EndModal(INT_PTR result);
  bool IsModal() const { return modal_; }
  void Destroy();

  // Called by the modal loop before IsDialogMessage; answer true when the
  // message was fully handled (it is then not dispatched).
  virtual bool PreTranslateMessage(MSG& msg) { return false; }

 protected:
  virtual bool OnInit() { return true; }
  virtual bool OnCommand(int id, int code, HWND control) { return false; }
  virtual bool OnNotify(NMHDR* header, LRESULT& result) { return false; }
  virtual void OnOK();
  virtual void OnCancel();
  virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return false; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR Dispatch(UINT msg, WPARAM wp, LPARAM lp);
  HWND CreateWindowFromTemplate(HWND parent);
  void RunModalLoop();

  UINT templateId_ = 0;
  const DLGTEMPLATE* memoryTemplate_ = nullptr;
  bool modal_ = false;
  bool ended_ = false;
  INT_PTR result_ = IDCANCEL;
};

}  // namespace kx

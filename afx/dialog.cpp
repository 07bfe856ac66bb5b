#include "afx/dialog.h"

#include "afx/winapp.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_MESSAGE_HANDLER(WM_COMMAND, OnCommand)
ON_MESSAGE_HANDLER(WM_SHOWWINDOW, OnShowWindow)
END_MESSAGE_MAP()

INT_PTR CDialog::DoModal() {
  HWND owner = m_parent ? m_parent->m_hWnd : nullptr;
  CWnd* main = AfxGetMainWnd();
  if (!owner && main && main != this) owner = main->m_hWnd;
  return ::DialogBoxParamW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(m_templateId), owner,
                           DialogProc, reinterpret_cast<LPARAM>(this));
}

// Placed as it is about to appear, not when it is made: a dialog that ends
// before it is ever shown (the main window of a normal run) costs nothing.
void CDialog::OnShowWindow(UINT show, LPARAM) {
  if (show && !m_placed) {
    CenterWindow();
    m_placed = true;
  }
  Default();
}

void CDialog::OnCommand(UINT id, LPARAM) {
  switch (LOWORD(id)) {
    case IDOK:
      OnOK();
      break;
    case IDCANCEL:  // also what the dialog manager makes of WM_CLOSE
      OnCancel();
      break;
    default:
      Default();  // any other command, as the dialog manager's own procedure takes it
  }
}

// The dialog manager's own procedure calls ours first and does its default
// work only when we decline, so for default processing we call it with a
// note to decline the very next call.
void CDialog::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
  m_passToDefault = true;
  ::DefDlgProcW(m_hWnd, message, wParam, lParam);
  m_passToDefault = false;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    dialog->m_hWnd = window;
    ::SetWindowLongPtrW(window, DWLP_USER, lParam);
  }
  auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
  if (!dialog) return FALSE;  // messages that come before WM_INITDIALOG
  if (dialog->m_passToDefault) {
    dialog->m_passToDefault = false;
    return FALSE;
  }
  if (message == WM_NCDESTROY) dialog->m_hWnd = nullptr;

  // No exception may unwind into the system's code that called us: the
  // application reports it, and the window and its modal run carry on.
  try {
    return dialog->Handle(message, wParam, lParam);
  } catch (const std::exception& error) {
    AfxGetApp()->ReportException(error.what());
  } catch (...) {
    AfxGetApp()->ReportException("An unexpected error occurred.");
  }
  return message == WM_INITDIALOG;  // let the system choose the focus
}

INT_PTR CDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInitDialog();
  LRESULT result = 0;
  if (!Dispatch(message, wParam, lParam, &result)) return FALSE;
  // Of the messages handled here only WM_QUERYDRAGICON has a result the
  // system reads, and it is the procedure's return value, not the slot's.
  return message == WM_QUERYDRAGICON ? result : TRUE;
}

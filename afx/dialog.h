// Modal dialogs made from templates in the program's resources.
#pragma once

#include <windows.h>

#include "afx/wnd.h"

class CDialog : public CWnd {
 public:
  // With no parent, the application's main window (if it is another window)
  // owns the dialog and takes no input while it runs.
  explicit CDialog(UINT templateId, CWnd* parent = nullptr)
      : m_templateId(templateId), m_parent(parent) {}

  // Creates the window, calls OnInitDialog before it is shown, shows it when
  // no message is waiting (unless it has ended by then) and runs until it
  // ends. Returns the end code: IDOK for OK, IDCANCEL for WM_CLOSE.
  INT_PTR DoModal();
  void EndDialog(int result) { ::EndDialog(m_hWnd, result); }

  virtual BOOL OnInitDialog() { return TRUE; }

 protected:
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  void OnCommand(UINT id, LPARAM control);
  // Centres the window the first time it is shown: over its owner, or on
  // the screen.
  void OnShowWindow(UINT show, LPARAM status);

  void DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) override;

  DECLARE_MESSAGE_MAP()

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);

  UINT m_templateId;
  CWnd* m_parent;
  bool m_passToDefault = false;  // see DefaultProcessing
  bool m_placed = false;
};

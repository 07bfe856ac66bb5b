#include "app/DayNoteApp.h"

#include "app/DayNoteDlg.h"

CDayNoteApp theApp;

BOOL CDayNoteApp::InitInstance() {
  AfxEnableControlContainer();
  Enable3dControls();

  CDayNoteDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();  // OK or cancelled, the program ends the same way
  m_pMainWnd = nullptr;

  // FALSE: end the program now rather than run a message loop.
  return FALSE;
}

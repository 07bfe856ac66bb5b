// The application: shows the main dialog as the one window of the run, then
// lets the process end with the run's outcome.
#pragma once

#include "afx/winapp.h"

class CDayNoteApp : public CWinApp {
 public:
  CDayNoteApp() : CWinApp(nullptr) {}
  BOOL InitInstance() override;
  int ExitInstance() override { return m_exitCode; }

 private:
  int m_exitCode = 0;  // as the Linux command's: 0 opened, 1 not made, 2 not opened
};

// The application: shows the main dialog as the one window of the run, then
// lets the process end.
#pragma once

#include "afx/winapp.h"

class CDayNoteApp : public CWinApp {
 public:
  CDayNoteApp() : CWinApp(nullptr) {}
  BOOL InitInstance() override;
};

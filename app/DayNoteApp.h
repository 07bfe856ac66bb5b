// The application: shows the main dialog as the one window of the run, then
// lets the process end with the run's outcome.
#pragma once

#include "afx/winapp.h"
#include "daynote/command_line.h"
#include "res/resource.h"

class CDayNoteApp : public CWinApp {
 public:
  // Its messages are Quorvin's whatever the program file is called.
  CDayNoteApp() : CWinApp("Quorvin") { m_stylesManifest = IDR_VISUAL_STYLES; }
  BOOL InitInstance() override;
  int ExitInstance() override { return m_exitCode; }

 private:
  // Says what the command line asks for that needs no note (help, the
  // version, a mistake); false, with the exit status set, when it does.
  bool TakeCommandLine(const daynote::CommandLine& command);

  // As the Linux command's: 0 opened, 1 not made or found, 2 not opened,
  // 64 a wrong command line.
  int m_exitCode = 0;
};

// A wrong command line, in one message that says how to start Quorvin.
void ReportUsageError(const std::string& problem);

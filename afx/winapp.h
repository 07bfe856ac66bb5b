// The application object: exactly one per program, defined by the program
// as a global. The framework's entry point calls its InitInstance once.
#pragma once

#include <windows.h>

#include <string>

class CWnd;

class CWinApp {
 public:
  explicit CWinApp(const char* appName = nullptr);
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;
  virtual ~CWinApp();

  // FALSE (0) ends the program at once; otherwise the framework runs a
  // message loop until WM_QUIT.
  virtual BOOL InitInstance() { return TRUE; }

  // Dialogs have drawn themselves in 3D since Windows 95; kept as the
  // start-up call the program makes, it changes nothing.
  BOOL Enable3dControls() { return TRUE; }

  // Shows a failure that a message handler let through, in a message box
  // titled with the application's name, over the main window.
  virtual void ReportException(const std::string& message);

  int Run();

  CWnd* m_pMainWnd = nullptr;
  HINSTANCE m_hInstance = nullptr;
  std::string m_appName;  // the program file's name without ".exe" unless given
};

CWinApp* AfxGetApp();
// String `id` of the program's string table; empty if there is none.
std::string AfxLoadString(UINT id);
HINSTANCE AfxGetInstanceHandle();
CWnd* AfxGetMainWnd();

// The program hosts no ActiveX controls; kept as the start-up call the
// program makes, it changes nothing.
inline void AfxEnableControlContainer() {}

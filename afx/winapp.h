// The application object: exactly one per program, defined by the program
// as a global. The framework's entry point calls its InitInstance once.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

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
  // The process's exit status, asked for as the program ends.
  virtual int ExitInstance() { return 0; }

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
  // The RT_MANIFEST resource that asks for version 6 of the common
  // controls, or 0: see AfxUseVisualStyles.
  UINT m_stylesManifest = 0;
};

CWinApp* AfxGetApp();
// The program's arguments without its name, in UTF-8, split as the C
// runtime splits the command line for every Windows program: quotes group,
// and backslashes escape only a quote.
std::vector<std::string> AfxCommandLineArguments();
// String `id` of the program's string table; empty if there is none.
std::string AfxLoadString(UINT id);

// The windows shown from here on take the system's current style: the
// application's m_stylesManifest made the active activation context, once,
// for the rest of the run. Not the manifest the process starts with, since
// loading the common controls is a large part of a start that shows
// nothing. Message boxes call it themselves; a dialog shown must call it.
void AfxUseVisualStyles();

// A message box titled with the application's name, over the main window.
int AfxMessageBox(const std::string& text, UINT type = MB_OK | MB_ICONEXCLAMATION);

// Message boxes wrap lines only at spaces, so one long path would make a
// box wider than the screen. Runs of more than `width` characters without
// a space are broken, after a path separator where there is one; at 48 the
// widest characters still fit a 1024-pixel screen.
constexpr std::size_t kMessageLineWidth = 48;
std::string AfxBreakLongRuns(const std::string& text, std::size_t width);
// A box taller than the screen hides its button. A text of more than
// `lines` lines keeps its first and last ones, with a line "…" for the
// rest. A box may wrap a line of 48 wide characters once more, so 20 lines
// are what a 768-pixel screen surely holds.
constexpr std::size_t kMessageLines = 20;
std::string AfxFitLines(const std::string& text, std::size_t lines);
HINSTANCE AfxGetInstanceHandle();
CWnd* AfxGetMainWnd();

// The program hosts no ActiveX controls; kept as the start-up call the
// program makes, it changes nothing.
inline void AfxEnableControlContainer() {}

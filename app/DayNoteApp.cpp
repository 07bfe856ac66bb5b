#include "app/DayNoteApp.h"

#include "app/DayNoteDlg.h"
#include "app/user32_imports.h"
#include "res/resource.h"

// Made before WinMain, which finds and runs it, as MFC programs do.
CDayNoteApp theApp;  // NOLINT(cert-err58-cpp,cppcoreguidelines-avoid-non-const-global-variables)

namespace {

constexpr int kUsageError = 64;

// Shown in a message box, which wraps its lines itself. Its font is not of
// fixed width and its tab stops are the system's: each option's text goes
// on a line of its own, indented, rather than in a column.
constexpr char kUsage[] =
    "Quorvin [options] [folder]\n\n"
    "Opens today's note (YYYY_MM_DD.txt) in the folder given, or in the folder Quorvin is "
    "started in, and makes it first if it does not exist. The folder must exist.\n\n"
    "-d DATE, --date=DATE\n    the note of DATE instead of today's: YYYY-MM-DD, today, "
    "yesterday, tomorrow, or +N or -N days from today\n"
    "--previous\n    the newest existing note before the day (today, or DATE)\n"
    "--next\n    the oldest existing note after the day\n"
    "-h, --help, /?, /h, /help\n    this help\n"
    "-V, --version\n    the version\n\n"
    "A new note holds its date line, an empty line and then the bytes of template.txt in the "
    "folder, if there is one of at most 64 KiB.\n\n"
    "Exit status: 0 the note is ready and opened, 1 it could not be made or there is no "
    "previous or next note, 2 it is ready but could not be opened, 64 the command line is "
    "wrong.";

// The program is often started from a Downloads folder: a DLL planted
// beside it must never be loaded by what the shell's "open" loads. Looked up
// at run time, since Vista without its update lacks the call; there, at
// least the current folder leaves the search.
void LoadSystemDllsOnlyFromTheSystemFolder() {
  using SetDirectories = BOOL(WINAPI*)(DWORD);
  const auto set_directories = reinterpret_cast<SetDirectories>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (!set_directories || !set_directories(LOAD_LIBRARY_SEARCH_SYSTEM32)) ::SetDllDirectoryW(L"");
}

}  // namespace

BOOL CDayNoteApp::InitInstance() {
  LoadSystemDllsOnlyFromTheSystemFolder();
  if (!BindUser32()) {
    m_exitCode = 1;  // no window can say it: the system is broken
    return FALSE;
  }
  AfxEnableControlContainer();
  Enable3dControls();

  const daynote::CommandLine command =
      daynote::ParseCommandLine(AfxCommandLineArguments(), /*slash_help=*/true);
  if (!TakeCommandLine(command)) return FALSE;
  CDayNoteDlg dlg(command);
  m_pMainWnd = &dlg;
  dlg.DoModal();  // OK or cancelled, the program ends the same way
  m_pMainWnd = nullptr;
  m_exitCode = dlg.ExitCode();

  // FALSE: end the program now rather than run a message loop.
  return FALSE;
}

bool CDayNoteApp::TakeCommandLine(const daynote::CommandLine& command) {
  using Action = daynote::CommandLine::Action;
  std::string problem = command.problem;
  if (command.action == Action::kNote && command.print_path) {
    problem = "options '-p' and '--path' print the note's path, and Quorvin.exe has no console "
              "to print on";
  }
  if (!problem.empty()) {
    m_exitCode = kUsageError;
    ReportUsageError(problem);
    return false;
  }
  if (command.action != Action::kNote) {
    m_exitCode = 0;
    AfxMessageBox(command.action == Action::kHelp ? kUsage
                                                  : "Quorvin " QUORVIN_VERSION
                                                    "\n" QUORVIN_COPYRIGHT ". MIT licence.",
                  MB_OK | MB_ICONINFORMATION);
    return false;
  }
  return true;
}

void ReportUsageError(const std::string& problem) {
  AfxGetApp()->ReportException(problem + ".\n\nQuorvin /? shows how to start it");
}

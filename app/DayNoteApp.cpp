#include "app/DayNoteApp.h"

#include "app/DayNoteDlg.h"
#include "app/user32_imports.h"

// Made before WinMain, which finds and runs it, as MFC programs do.
CDayNoteApp theApp;  // NOLINT(cert-err58-cpp,cppcoreguidelines-avoid-non-const-global-variables)

namespace {

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

  CDayNoteDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();  // OK or cancelled, the program ends the same way
  m_pMainWnd = nullptr;
  m_exitCode = dlg.ExitCode();

  // FALSE: end the program now rather than run a message loop.
  return FALSE;
}

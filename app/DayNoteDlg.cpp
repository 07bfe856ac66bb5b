#include "app/DayNoteDlg.h"

#include "afx/paintdc.h"
#include "afx/winapp.h"
#include "app/AboutBox.h"
#include "app/DayNoteApp.h"
#include "app/icon_position.h"
#include "daynote/launch.h"
#include "daynote/sync_copies.h"
#include "daynote/utf16.h"
#include "daynote/win32_host.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(CDayNoteDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
END_MESSAGE_MAP()

CDayNoteDlg::CDayNoteDlg(daynote::CommandLine command, CWnd* pParent)
    : CDialog(IDD_QUORVIN_DIALOG, pParent),
      m_hIcon(::LoadIconW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_command(std::move(command)) {}

BOOL CDayNoteDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  AddAboutEntry(*this);
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  // A failure to make the note leaves here as an exception: the framework
  // reports it and the window stays open until the user dismisses it. A
  // note that is ready but cannot be opened, one that is not there to be
  // found, or a day that cannot have one, is said once, and the run ends.
  daynote::Win32Host host(daynote::NoteTitle(m_command.request));
  try {
    // A DATE whose day can have no note is the command line's fault, whatever the folder.
    const daynote::SettledRequest request = daynote::SettleRequest(host, m_command.request);
    if (EnterFolder()) {
      const daynote::ChosenNote note = daynote::MakeNote(host, request);
      // What the user should know of the note is said before it opens.
      for (const std::string& warning : note.warnings) AfxGetApp()->ReportException(warning);
      host.Open(note.name);
      m_exitCode = 0;
      // Once the note is open beside it, the user can compare it with the other versions.
      if (!note.other_versions.empty()) {
        std::vector<std::string> copies;
        for (const std::string& copy : note.other_versions) copies.push_back('"' + copy + '"');
        AfxGetApp()->ReportException(
            daynote::OtherVersionsWarning('"' + note.name + '"', copies));
      }
    }
  } catch (const daynote::OpenerError& error) {
    m_exitCode = 2;
    AfxGetApp()->ReportException(error.what());
  } catch (const daynote::NoNoteError& error) {
    m_exitCode = 1;
    AfxGetApp()->ReportException(error.what());
  } catch (const daynote::DateRangeError& error) {
    m_exitCode = 64;
    ReportUsageError(error.what());
  }

  // Posted, not sent: the modal run takes it before it would show the window.
  PostMessage(WM_CLOSE);
  return TRUE;
}

// The folder is the user's to make: a mistyped name must not become a
// folder of notes. A program's current folder has at most 258 characters
// (MAX_PATH with room for a last "\\"), whatever the length of paths the
// system takes otherwise: a folder that is there but longer is said so in
// words, not with the system's "invalid name".
bool CDayNoteDlg::EnterFolder() {
  if (!m_command.folder) return true;
  const std::wstring folder = utf16::FromUtf8(*m_command.folder);
  if (::SetCurrentDirectoryW(folder.c_str())) return true;
  m_exitCode = 1;
  std::string why = daynote::SystemMessage(::GetLastError());
  std::wstring full(::GetFullPathNameW(folder.c_str(), 0, nullptr, nullptr), L'\0');
  full.resize(::GetFullPathNameW(folder.c_str(), static_cast<DWORD>(full.size()), full.data(),
                                 nullptr));
  const std::wstring whole = full.compare(0, 2, L"\\\\") == 0 ? L"\\\\?\\UNC" + full.substr(1)
                                                              : L"\\\\?\\" + full;
  if (full.size() > MAX_PATH - 2 && ::GetFileAttributesW(whole.c_str()) != INVALID_FILE_ATTRIBUTES) {
    why = "its path is " + std::to_string(full.size()) +
          " characters long, and Windows starts a program in a folder of at most " +
          std::to_string(MAX_PATH - 2) + " characters";
  }
  AfxGetApp()->ReportException("cannot use folder \"" + *m_command.folder + "\": " + why);
  return false;
}

void CDayNoteDlg::OnSysCommand(UINT nID, LPARAM) {
  // The system uses the lowest four bits of a command for itself.
  if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
    AfxUseVisualStyles();
    CAboutBox about;
    about.DoModal();
  } else {
    Default();  // Move, Close and the rest as usual
  }
}

void CDayNoteDlg::OnPaint() {
  if (!IsIconic()) {
    Default();
    return;
  }
  CPaintDC dc(this);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
  RECT client;
  GetClientRect(&client);
  const int x = CentredIconOffset(client.right - client.left, ::GetSystemMetrics(SM_CXICON));
  const int y = CentredIconOffset(client.bottom - client.top, ::GetSystemMetrics(SM_CYICON));
  dc.DrawIcon(x, y, m_hIcon);
}

HICON CDayNoteDlg::OnQueryDragIcon() { return m_hIcon; }

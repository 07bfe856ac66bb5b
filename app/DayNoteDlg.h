// The main dialog. Its initialisation opens today's note and closes the
// window again before it is ever shown; the window stays only when the note
// cannot be created.
#pragma once

#include "afx/dialog.h"
#include "daynote/command_line.h"

class CDayNoteDlg : public CDialog {
 public:
  // The note the command line asks for, in the folder it names: today's,
  // in the current folder, unless it says otherwise.
  explicit CDayNoteDlg(daynote::CommandLine command = {}, CWnd* pParent = nullptr);

  // 0 the note is ready and the shell took it, 1 the note could not be
  // made or found, 2 it is ready but could not be opened, 64 the day asked
  // for cannot have a note.
  int ExitCode() const { return m_exitCode; }

 protected:
  BOOL OnInitDialog() override;
  void OnSysCommand(UINT nID, LPARAM lParam);
  void OnPaint();
  HICON OnQueryDragIcon();

  // Enters the folder given; false, once said, when it cannot be used.
  bool EnterFolder();

  HICON m_hIcon;  // belongs to the program's resources: never destroyed
  daynote::CommandLine m_command;
  int m_exitCode = 1;

  DECLARE_MESSAGE_MAP()
};

// The main dialog. Its initialisation opens today's note and closes the
// window again before it is ever shown; the window stays only when the note
// cannot be created.
#pragma once

#include "afx/dialog.h"
#include "daynote/launch.h"

class CDayNoteDlg : public CDialog {
 public:
  // The note of `request`: today's unless it says otherwise.
  explicit CDayNoteDlg(daynote::NoteRequest request = {}, CWnd* pParent = nullptr);

  // 0 the note is ready and the shell took it, 1 the note could not be
  // made or found, 2 it is ready but could not be opened, 64 the day asked
  // for cannot have a note.
  int ExitCode() const { return m_exitCode; }

 protected:
  BOOL OnInitDialog() override;
  void OnSysCommand(UINT nID, LPARAM lParam);
  void OnPaint();
  HICON OnQueryDragIcon();

  HICON m_hIcon;  // belongs to the program's resources: never destroyed
  daynote::NoteRequest m_request;
  int m_exitCode = 1;

  DECLARE_MESSAGE_MAP()
};

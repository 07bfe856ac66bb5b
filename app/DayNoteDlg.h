// The main dialog. Its initialisation opens today's note and closes the
// window again before it is ever shown; the window stays only when the note
// cannot be created.
#pragma once

#include "afx/dialog.h"

class CDayNoteDlg : public CDialog {
 public:
  explicit CDayNoteDlg(CWnd* pParent = nullptr);

  // 0 the note is ready and the shell took it, 1 the note could not be
  // made, 2 it is ready but could not be opened.
  int ExitCode() const { return m_exitCode; }

 protected:
  BOOL OnInitDialog() override;
  void OnSysCommand(UINT nID, LPARAM lParam);
  void OnPaint();
  HICON OnQueryDragIcon();

  HICON m_hIcon;  // belongs to the program's resources: never destroyed
  int m_exitCode = 1;

  DECLARE_MESSAGE_MAP()
};

// The main dialog. Its initialisation opens today's note and closes the
// window again before it is ever shown; the window stays only when the note
// cannot be created.
#pragma once

#include "afx/dialog.h"

class CDayNoteDlg : public CDialog {
 public:
  explicit CDayNoteDlg(CWnd* pParent = nullptr);

 protected:
  BOOL OnInitDialog() override;
  void OnSysCommand(UINT nID, LPARAM lParam);
  void OnPaint();
  HICON OnQueryDragIcon();

  HICON m_hIcon;  // belongs to the program's resources: never destroyed

  DECLARE_MESSAGE_MAP()
};

// The About box, shown from the main window's system menu.
#pragma once

#include "afx/dialog.h"

class CAboutBox : public CDialog {
 public:
  CAboutBox();

  DECLARE_MESSAGE_MAP()
};

// Puts a separator and the About entry at the end of `window`'s system menu,
// if it has one and the entry's text is in the program's string table.
void AddAboutEntry(CWnd& window);

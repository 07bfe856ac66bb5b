#include "app/AboutBox.h"

#include "afx/winapp.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(CAboutBox, CDialog)
END_MESSAGE_MAP()

CAboutBox::CAboutBox() : CDialog(IDD_ABOUTBOX) {}

void AddAboutEntry(CWnd& window) {
  CMenu systemMenu = window.GetSystemMenu(FALSE);
  if (!systemMenu) return;
  const std::string text = AfxLoadString(IDS_ABOUTBOX);
  if (text.empty()) return;
  systemMenu.AppendMenu(MF_SEPARATOR);
  systemMenu.AppendMenu(MF_STRING, IDM_ABOUTBOX, text);
}

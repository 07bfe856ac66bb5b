// The framework layer with real windows under Wine: the modal run, the
// message tables and the catching of exceptions at the dispatch.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "afx/dialog.h"
#include "afx/winapp.h"
#include "app/AboutBox.h"
#include "res/resource.h"

namespace {

class RecordingApp : public CWinApp {
 public:
  void ReportException(const std::string& message) override { reported.push_back(message); }
  std::vector<std::string> reported;
};
RecordingApp app;

// A dialog on the main window's template whose initialisation the test
// chooses; it notes whether it was ever shown.
class ProbeDialog : public CDialog {
 public:
  explicit ProbeDialog(std::function<void(ProbeDialog&)> init)
      : CDialog(IDD_QUORVIN_DIALOG), init_(std::move(init)) {}
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    init_(*this);
    return TRUE;
  }
  void OnShowWindow(UINT show, LPARAM) {
    if (show) shown = true;
    Default();
  }
  void OnTimer(UINT, LPARAM) { EndDialog(IDOK); }
  bool shown = false;

 private:
  std::function<void(ProbeDialog&)> init_;
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ProbeDialog, CDialog)
ON_MESSAGE_HANDLER(WM_SHOWWINDOW, OnShowWindow)
ON_MESSAGE_HANDLER(WM_TIMER, OnTimer)
END_MESSAGE_MAP()

class Framework : public ::testing::Test {
 protected:
  void SetUp() override {
    app.m_hInstance = GetModuleHandleA(nullptr);
    app.reported.clear();
  }
};

TEST_F(Framework, APostedCloseEndsTheRunAsCancelledBeforeTheWindowIsShown) {
  ProbeDialog dialog([](ProbeDialog& d) { d.PostMessage(WM_CLOSE); });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_FALSE(dialog.shown);
}

TEST_F(Framework, AnExceptionFromAHandlerIsReportedAndTheWindowCarriesOn) {
  ProbeDialog dialog([](ProbeDialog& d) {
    SetTimer(d.m_hWnd, 1, 100, nullptr);  // ends the run once it is under way
    throw std::runtime_error("cannot create 2002_09_14.txt in C:\\notes: Access denied");
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_TRUE(dialog.shown);
  EXPECT_EQ(app.reported,
            std::vector<std::string>{"cannot create 2002_09_14.txt in C:\\notes: Access denied"});
}

TEST_F(Framework, TheSystemMenuEndsWithASeparatorAndTheAboutEntry) {
  int count = 0;
  UINT last_id = 0, separator_state = 0;
  char text[64] = {};
  ProbeDialog dialog([&](ProbeDialog& d) {
    AddAboutEntry(d);
    const HMENU menu = GetSystemMenu(d.m_hWnd, FALSE);
    count = GetMenuItemCount(menu);
    last_id = GetMenuItemID(menu, count - 1);
    GetMenuStringA(menu, count - 1, text, sizeof text, MF_BYPOSITION);
    separator_state = GetMenuState(menu, count - 2, MF_BYPOSITION);
    d.EndDialog(IDOK);
  });
  dialog.DoModal();
  EXPECT_GT(count, 2);  // the system's own entries come first
  EXPECT_EQ(last_id, static_cast<UINT>(IDM_ABOUTBOX));
  EXPECT_STREQ(text, "&About Quorvin...");
  EXPECT_TRUE(separator_state & MF_SEPARATOR);
}

}  // namespace

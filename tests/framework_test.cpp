// The framework layer with real windows under Wine: the modal run, the
// message tables and the catching of exceptions at the dispatch.
#include <gtest/gtest.h>

#include <algorithm>
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
  explicit ProbeDialog(std::function<void(ProbeDialog&)> init, CWnd* owner = nullptr)
      : CDialog(IDD_QUORVIN_DIALOG, owner), init_(std::move(init)) {}
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    init_(*this);
    return TRUE;
  }
  void OnShowWindow(UINT show, LPARAM) {
    if (show) shown = true, focused = GetDlgCtrlID(GetFocus());
    Default();
  }
  void OnTimer(UINT, LPARAM) { ::SendMessageW(m_hWnd, WM_COMMAND, IDOK, 0); }  // as the OK button does
  bool shown = false;
  int focused = 0;  // the control with the focus as the window appears

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
  EXPECT_EQ(dialog.focused, IDOK);  // shown, with the system's choice of focus
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

// Over its owner, shifted as little as it takes to lie wholly in the work
// area; on the work area when the owner is minimised or hidden, or absent.
TEST_F(Framework, ADialogIsCentredOverItsOwnerWithinTheWorkArea) {
  RECT area, placed{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0));
  const auto centre_of = [&](CWnd* owner) {
    const auto place = [&](ProbeDialog& d) {
      d.CenterWindow();
      GetWindowRect(d.m_hWnd, &placed);
      d.EndDialog(IDOK);
    };
    ProbeDialog(place, owner).DoModal();
    return POINT{(placed.left + placed.right) / 2, (placed.top + placed.bottom) / 2};
  };
  const POINT middle = centre_of(nullptr);
  EXPECT_NEAR(middle.x, (area.left + area.right) / 2, 1);
  EXPECT_NEAR(middle.y, (area.top + area.bottom) / 2, 1);
  const LONG w = placed.right - placed.left, h = placed.bottom - placed.top;
  // The owner's left and top (100 × 50), its state, and the centre expected.
  const LONG cases[][5] = {
      {350, 225, SW_SHOWNOACTIVATE, 400, 250},
      {area.left, area.top, SW_SHOWNOACTIVATE, area.left + w / 2, area.top + h / 2},
      {area.right - 100, area.bottom - 50, SW_SHOWNOACTIVATE, area.right - w / 2, area.bottom - h / 2},
      {350, 225, SW_SHOWMINNOACTIVE, middle.x, middle.y},
      {350, 225, SW_HIDE, middle.x, middle.y},
  };
  for (const auto& c : cases) {
    CWnd owner;  // no caption, so that Wine need not wait on a window manager
    owner.m_hWnd = CreateWindowExW(0, L"STATIC", nullptr, WS_POPUP, c[0], c[1], 100, 50, nullptr,
                                   nullptr, nullptr, nullptr);
    ShowWindow(owner.m_hWnd, static_cast<int>(c[2]));
    const POINT centre = centre_of(&owner);
    DestroyWindow(owner.m_hWnd);
    EXPECT_NEAR(centre.x, c[3], 1) << "owner at " << c[0] << "," << c[1] << " shown " << c[2];
    EXPECT_NEAR(centre.y, c[4], 1) << "owner at " << c[0] << "," << c[1] << " shown " << c[2];
  }
}

// No run without a blank is wider than the box may be (the box wraps at
// spaces itself), a long path breaks after a separator where it has one, and
// no character is split or lost.
TEST(MessageText, LongRunsBreakIntoLinesThatFit) {
  const std::string folder = "C:\\Users\\ann\\" + std::string(60, 'd') + "\\\xE6\x97\xA5\xE6\x9C\xAC";
  std::string cjk;
  for (int i = 0; i < 100; ++i) cjk += "\xE6\x97\xA5";  // 日: both its continuation bytes odd
  struct Case {
    std::string text;
    std::string first_lines;
    std::size_t longest;  // run of characters, in whole lines where a run was broken
  };
  const Case cases[] = {
      {"Cannot create 2026_12_07.txt in C:\\notes: Access is denied.",
       "Cannot create 2026_12_07.txt in C:\\notes: Access is denied.", 14},
      {"In " + folder + "\\2026_12_07.txt now", "In C:\\Users\\ann\\\n", 48},
      {"In /home/ann/" + std::string(60, 'd'), "In /home/ann/\n", 48},  // or after a slash
      {cjk, cjk.substr(0, 48 * 3) + "\n" + cjk.substr(0, 48 * 3) + "\n", 48},
      {"In " + std::string(48, 'd') + " now", "In " + std::string(48, 'd') + " now", 48},
      {"In\t" + std::string(48, 'd'), "In\t" + std::string(48, 'd'), 48},  // a tab ends a run too
  };
  for (const Case& c : cases) {
    const std::string lines = AfxBreakLongRuns(c.text, 48);
    std::string joined;
    std::size_t longest = 0, run = 0;
    for (char ch : lines) {
      const bool blank = ch == '\n' || ch == ' ' || ch == '\t';
      if (blank) run = 0;
      if (ch != '\n') joined += ch;
      if (!blank && (static_cast<unsigned char>(ch) & 0xC0) != 0x80) longest = std::max(longest, ++run);
    }
    EXPECT_EQ(joined, c.text);
    EXPECT_EQ(longest, c.longest) << lines;
    EXPECT_EQ(lines.substr(0, c.first_lines.size()), c.first_lines);
    EXPECT_NE(lines.back(), '\n');  // no empty last line after a run that fills the last
  }
  // Taller than the screen, a text keeps its first and last lines around a line "…".
  EXPECT_EQ(AfxFitLines("1\n2\n3\n4\n5\n6", 4), "1\n2\n\xE2\x80\xA6\n6");
  EXPECT_EQ(AfxFitLines("a\nb\nc", 3), "a\nb\nc");
}

}  // namespace

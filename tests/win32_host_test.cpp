// The Win32 host on a real folder, run under Wine.
#include "daynote/win32_host.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "daynote/launch.h"
#include "fake_host.h"

namespace {

// The real folder and time zone, a fixed clock and a recording "open".
class FixedClockHost : public daynote::Win32Host {
 public:
  explicit FixedClockHost(daynote::Seconds reading) : reading_(reading) {}
  daynote::Seconds Now() override { return reading_; }
  void Open(const std::string& name) override { opened.push_back(name); }
  std::vector<std::string> opened;

 private:
  daynote::Seconds reading_;
};

class Win32HostFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    folder_ = std::string(temp) + "quorvin-test-" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
    ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, previous_), 0u);
    ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str()));
  }
  void TearDown() override {
    SetCurrentDirectoryA(previous_);
    std::system(("rmdir /s /q \"" + folder_ + "\"").c_str());
  }
  static std::string Read(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void MakeFile(const char* name, const char* content, DWORD attributes = 0) {
    std::ofstream(name, std::ios::binary) << content;
    if (attributes) SetFileAttributesA(name, attributes);
  }

  std::string folder_;
  char previous_[MAX_PATH];
};

TEST_F(Win32HostFolder, WritesANewNoteInTextModeAndOpensIt) {
  FixedClockHost host(fake::AtUtc(2002, 9, 14));
  daynote::OpenTodaysNote(host);
  const std::string note = Read("2002_09_14.txt");
  EXPECT_EQ(note, "2002/09/14   Saturday\r\n\r\n");
  EXPECT_EQ(note.size(), 25u);

  EXPECT_EQ(host.opened, std::vector<std::string>{"2002_09_14.txt"});
}

TEST_F(Win32HostFolder, FindsEntriesWhateverTheirCaseKindOrVisibility) {
  daynote::Win32Host host;
  EXPECT_EQ(host.FindEntry("2002_09_14.txt"), std::nullopt);
  MakeFile("2002_09_14.TXT", "mine");
  ASSERT_TRUE(CreateDirectoryA("2002_09_15.txt", nullptr));
  MakeFile("2002_09_16.txt", "", FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(host.FindEntry("2002_09_14.txt"), "2002_09_14.TXT");
  EXPECT_EQ(host.FindEntry("2002_09_15.txt"), "2002_09_15.txt");
  EXPECT_EQ(host.FindEntry("2002_09_16.txt"), "2002_09_16.txt");
}

TEST_F(Win32HostFolder, CreatesOnlyWhatDoesNotExist) {
  daynote::Win32Host host;
  MakeFile("taken.txt", "someone else's");
  EXPECT_EQ(host.CreateNew("taken.txt"), nullptr);
  EXPECT_EQ(Read("taken.txt"), "someone else's");

  auto note = host.CreateNew("mine.txt");
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(host.CreateNew("mine.txt"), nullptr);
  note->Close();
}

TEST_F(Win32HostFolder, CreationFailureNamesNoteFolderAndReason) {
  daynote::Win32Host host;
  try {
    host.CreateNew("no|such<name>.txt");
    FAIL() << "an invalid name was created";
  } catch (const daynote::NoteError& error) {
    EXPECT_EQ(error.step(), daynote::NoteStep::Create);
    const std::string message = error.what();
    EXPECT_EQ(message.rfind("cannot create no|such<name>.txt in " + folder_ + ": ", 0), 0u)
        << message;
    EXPECT_GT(message.size(), ("cannot create no|such<name>.txt in " + folder_ + ": ").size());
  }
}

TEST(Win32HostClock, NamesDatesPast2038AndReadsTheSystemClock) {
  FixedClockHost later(fake::AtUtc(2040, 2, 29));
  EXPECT_EQ(daynote::NoteFileName(daynote::MakeNoteStamp(later)), "2040_02_29.txt");
  FixedClockHost distant(fake::AtUtc(2106, 2, 8));  // past 32-bit unsigned seconds too
  EXPECT_EQ(daynote::NoteFileName(daynote::MakeNoteStamp(distant)), "2106_02_08.txt");

  daynote::Win32Host host;
  SYSTEMTIME local;
  GetLocalTime(&local);
  const std::tm now = host.LocalTime(host.Now());
  // The two readings could straddle midnight only in a test run at midnight.
  EXPECT_EQ(now.tm_year + 1900, local.wYear);
  EXPECT_EQ(now.tm_mon + 1, local.wMonth);
  EXPECT_EQ(now.tm_mday, local.wDay);
  EXPECT_EQ(now.tm_wday, local.wDayOfWeek);
}

}  // namespace

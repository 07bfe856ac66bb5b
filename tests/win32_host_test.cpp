// The Win32 host on a real folder, run under Wine.
#include "daynote/win32_host.h"

#include <windows.h>
#include <shellapi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>

#include "daynote/launch.h"
#include "daynote/utf16.h"
#include "fake_host.h"

namespace {

// The real folder and time zone, a clock at noon of its day in that zone, a recording "open".
class FixedClockHost : public daynote::Win32Host {
 public:
  explicit FixedClockHost(daynote::Seconds noon_utc) : reading_(noon_utc) {
    TIME_ZONE_INFORMATION zone{};  // noon UTC is the next day east of UTC+12 (New Zealand's summer)
    if (GetTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID) reading_ += zone.Bias * 60;
  }
  daynote::Seconds Now() override { return reading_; }
  void Open(const std::string& name) override { opened.push_back(name); }
  std::vector<std::string> opened;

 private:
  daynote::Seconds reading_;
};

// A folder whose name no ANSI code page holds, so that any text that went
// through one would name another folder.
class Win32HostFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    // Or on the FAT disk that the test command mounts, which takes only ASCII names.
    wchar_t temp[MAX_PATH];
    const bool fat = GetEnvironmentVariableW(L"QUORVIN_FAT_FOLDER", temp, MAX_PATH) != 0;
    ASSERT_TRUE(fat || GetTempPathW(MAX_PATH, temp) != 0);
    folder_ = std::wstring(temp) + (fat ? L"quorvin-test-" : L"quorvin-test-\u0141od\u017a-\u65e5\u672c\u8a9e-\U0001F600-") +
              std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64());
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));  // Wine's process ids repeat between sessions
    ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, previous_), 0u);
    ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
  }
  void TearDown() override {
    SetCurrentDirectoryW(previous_);
    std::wstring from = folder_ + L'\0';  // a list of one, as the shell takes it
    SHFILEOPSTRUCTW remove{nullptr, FO_DELETE, from.c_str(), nullptr,
                           FOF_NO_UI, FALSE, nullptr, nullptr};
    SHFileOperationW(&remove);
  }
  static std::string Read(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void MakeFile(const char* name, const char* content, DWORD attributes = 0) {
    std::ofstream(name, std::ios::binary) << content;
    if (attributes) SetFileAttributesA(name, attributes);
  }
  // The folder's entries, sorted, as Windows lists them.
  static std::string Listing() {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(L"*", &found);
    if (search == INVALID_HANDLE_VALUE) return "";
    do {
      const std::string name = utf16::ToUtf8(found.cFileName);
      if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    std::string listing;
    for (const std::string& name : names) listing += name + " ";
    return listing;
  }

  std::wstring folder_;
  wchar_t previous_[MAX_PATH];
};

TEST_F(Win32HostFolder, WritesANewNoteInTextModeAndOpensIt) {
  FixedClockHost host(fake::AtUtc(2002, 9, 14));
  daynote::OpenTodaysNote(host);
  EXPECT_EQ(Read("2002_09_14.txt"), "2002/09/14   Saturday\r\n\r\n");
  EXPECT_EQ(host.opened, std::vector<std::string>{"2002_09_14.txt"});
}

// A new note is as old as the start of its local day. Of a sync tool's copies, an untouched one
// is removed and the one holding words takes an untouched note's place; beside a note holding
// words it is named, and a folder, or a copy another program holds open, is left.
TEST_F(Win32HostFolder, ANewNoteIsAsOldAsItsDayAndACopyHoldingWordsTakesItsPlace) {
  FixedClockHost host(fake::AtUtc(2002, 9, 14));
  const std::string note = "2002_09_14.txt", header = "2002/09/14   Saturday\r\n\r\n",
                    dropbox = "2002_09_14 (Ann's conflicted copy 2002-09-14).txt",
                    syncthing = "2002_09_14.sync-conflict-20020914-101010-AAAAAAA.txt";
  daynote::MakeNote(host);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExA(note.c_str(), GetFileExInfoStandard, &data));
  const std::int64_t ticks = (std::int64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  // fusefat writes back, as another handle (Wine's server's) closes, the time the rename gave.
  if (!GetEnvironmentVariableW(L"QUORVIN_FAT_FOLDER", nullptr, 0)) {
    EXPECT_EQ(ticks / 10000000 - 11644473600, host.DayStart(2002, 9, 14));
  }
  MakeFile(dropbox.c_str(), "words"), MakeFile(syncthing.c_str(), header.c_str());
  EXPECT_TRUE(daynote::MakeNote(host).other_versions.empty());
  EXPECT_EQ(Listing() + Read(note.c_str()), note + " words");
  MakeFile(dropbox.c_str(), "more");
  ASSERT_TRUE(CreateDirectoryA(syncthing.c_str(), nullptr));
  EXPECT_EQ(daynote::MakeNote(host).other_versions, std::vector<std::string>{dropbox});
  EXPECT_EQ(Read(note.c_str()) + Read(dropbox.c_str()), "wordsmore");
  MakeFile(note.c_str(), header.c_str());
  ASSERT_TRUE(DeleteFileA(dropbox.c_str()) && RemoveDirectoryA(syncthing.c_str()));
  MakeFile(syncthing.c_str(), header.c_str());
  const HANDLE held = CreateFileA(syncthing.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_TRUE(daynote::MakeNote(host).other_versions.empty());
  CloseHandle(held);
  EXPECT_EQ(Listing(), syncthing + " " + note + " ");
}

// A template is a file of at most the limit, read as its bytes; a folder or a larger file is
// refused with its reason, and none at all is no problem. A listing finds every entry, by its
// whole name (not on the FAT disk, which takes only ASCII names).
TEST_F(Win32HostFolder, ReadsATemplateWithinTheLimitAndFindsEveryEntryOfTheFolder) {
  daynote::Win32Host host;
  const auto read = [&] {
    const daynote::TemplateText text = host.ReadTemplate("t.txt", 4);
    return text.bytes + "|" + text.problem;
  };
  EXPECT_EQ(read(), "|");
  MakeFile("t.txt", "a\nb\r\n");
  EXPECT_EQ(read(), "|is larger than 0 KiB");
  MakeFile("t.txt", "a\n\r\n");
  EXPECT_EQ(read(), "a\n\r\n|");
  ASSERT_TRUE(DeleteFileA("t.txt") && CreateDirectoryA("t.txt", nullptr));
  EXPECT_EQ(read(), "|is a folder");
  CloseHandle(CreateFileW(L"\u0141\u00f3d\u017a.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  std::vector<std::string> names = host.ListEntries();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "t.txt", "\xc5\x81\xc3\xb3" "d\xc5\xba.txt"}));
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

// The copy never replaces an entry, whatever its case, and is deleted by the
// system when its handle closes unsaved, as it does for a killed start.
TEST_F(Win32HostFolder, ACopyNeverReplacesAnEntryAndVanishesUnlessSaved) {
  daynote::Win32Host host;
  MakeFile("TAKEN.TXT", "someone else's");
  auto late = host.CreatePending("taken.txt");
  late->Write("late\n");
  late->Flush();
  late->Save();
  late->Discard();
  EXPECT_EQ(Read("TAKEN.TXT"), "someone else's");

  host.CreatePending("killed.txt")->Write("2002/09/14   Saturday\n\n");
  EXPECT_EQ(Listing(), "TAKEN.TXT ");

  auto note = host.CreatePending("mine.txt");
  note->Write("2002/09/14   Saturday\r\n\n");  // bytes, stored as they are
  note->Flush();
  EXPECT_EQ(GetFileAttributesW(L"mine.txt"), INVALID_FILE_ATTRIBUTES);
  note->Save();
  note->Discard();
  const HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);  // likely the freed value
  note.reset();
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT) << "the copy's handle closed twice";
  EXPECT_EQ(Listing(), "TAKEN.TXT mine.txt ");
  EXPECT_EQ(Read("mine.txt"), "2002/09/14   Saturday\r\n\n");
}

// Stopped for good after each step of saving, as by a crash or a logoff, a
// start (this program run again) leaves the whole note or nothing.
TEST(Win32HostStopped, SavesUpToItsStepAndWaits) {
  const char* steps = std::getenv("QUORVIN_STEPS");
  if (!steps) GTEST_SKIP() << "run by AStartStoppedAtAnyStepLeavesNoCopy";
  daynote::Win32Host host;
  auto note = host.CreatePending("2002_09_14.txt");
  if (*steps > '0') note->Write("2002/09/14   Saturday\r\n\r\n");
  if (*steps > '1') note->Flush();
  if (*steps > '2') note->Save();
  SetEvent(OpenEventW(EVENT_MODIFY_STATE, FALSE, L"quorvin-stopped"));
  Sleep(INFINITE);
}

TEST_F(Win32HostFolder, AStartStoppedAtAnyStepLeavesNoCopy) {
  wchar_t self[MAX_PATH];
  ASSERT_NE(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  const HANDLE stopped = CreateEventW(nullptr, FALSE, FALSE, L"quorvin-stopped");
  for (const wchar_t* steps : {L"0", L"1", L"2", L"3"}) {
    SetEnvironmentVariableW(L"QUORVIN_STEPS", steps);
    std::wstring command = L"child --gtest_filter=Win32HostStopped.*";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child;
    ASSERT_TRUE(CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &child));
    EXPECT_EQ(WaitForSingleObject(stopped, 30000), WAIT_OBJECT_0);
    TerminateProcess(child.hProcess, 9);
    WaitForSingleObject(child.hProcess, INFINITE);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    const bool saved = *steps == L'3';
    EXPECT_EQ(Listing(), saved ? "2002_09_14.txt " : "") << "stopped after step " << char(*steps);
    EXPECT_EQ(Read("2002_09_14.txt"), saved ? "2002/09/14   Saturday\r\n\r\n" : "");
  }
  SetEnvironmentVariableW(L"QUORVIN_STEPS", nullptr);
  CloseHandle(stopped);
}

// A look-up that fails for a reason other than absence (a file taken for a
// folder) is no "absent": like a failed creation, it is said in full.
TEST_F(Win32HostFolder, FailuresNameStepNoteFolderAndReason) {
  daynote::Win32Host host;
  MakeFile("file", "");
  const std::string in = " in " + utf16::ToUtf8(folder_) + ": ";
  for (const bool look : {true, false}) {
    const std::string name = look ? "file\\x.txt" : "no|such.txt";
    try {
      look ? (void)host.FindEntry(name) : (void)host.CreatePending(name);
      ADD_FAILURE() << name << " did not fail";
    } catch (const daynote::NoteError& error) {
      EXPECT_EQ(error.step(), look ? daynote::NoteStep::Look : daynote::NoteStep::Create);
      EXPECT_EQ(error.what(), (look ? "cannot look for " : "cannot create ") + name + in + "Invalid name");
    }
  }
  // Saving refused for a reason other than a taken name (a folder that is not
  // there) fails, and the copy is gone once discarded: its folder is empty.
  ASSERT_TRUE(CreateDirectoryA(".sub", nullptr));
  auto note = host.CreatePending("sub\\x.txt");
  note->Write("x\n");
  note->Flush();
  try {
    note->Save();
    ADD_FAILURE() << "saved into a folder that is not there";
  } catch (const daynote::NoteError& error) {
    EXPECT_EQ(error.what(), "cannot save sub\\x.txt" + in + "Path not found");
  }
  note->Discard();
  EXPECT_TRUE(RemoveDirectoryA(".sub"));
  // However it is spelled: in another case, as a long path, by a short name, through Wine's Z:.
  std::vector<std::string> windows{"C:\\WINDOWS", "c:\\Windows\\SYSTEM32\\",
                                   "\\\\?\\C:\\windows\\system32"};
  char short_name[MAX_PATH];  // GLOB~YNC under Wine
  if (GetShortPathNameA("C:\\windows\\globalization", short_name, MAX_PATH))
    windows.push_back(short_name);
  if (const char* prefix = std::getenv("WINEPREFIX"))
    windows.push_back("Z:" + std::string(prefix) + "/drive_c/windows");
  for (std::string& spelling : windows) {
    std::replace(spelling.begin(), spelling.end(), '/', '\\');
    EXPECT_TRUE(SetCurrentDirectoryW(utf16::FromUtf8(spelling).c_str())) << spelling;
    EXPECT_THROW(host.FindEntry("x.txt"), daynote::NoteError) << spelling;
  }
  // A reason's placeholder names the file it is about, once, even where that name holds one.
  EXPECT_EQ(daynote::SystemMessage(ERROR_BAD_EXE_FORMAT, "%1.dll"), "Bad EXE format for %1.dll");
}

TEST(Win32HostClock, NamesDatesPast2038AndReadsTheSystemClock) {
  FixedClockHost later(fake::AtUtc(2040, 2, 29));
  EXPECT_EQ(daynote::NoteFileName(daynote::MakeNoteStamp(later)), "2040_02_29.txt");
  FixedClockHost distant(fake::AtUtc(2106, 2, 8));  // past 32-bit unsigned seconds too
  EXPECT_EQ(daynote::NoteFileName(daynote::MakeNoteStamp(distant)), "2106_02_08.txt");

  daynote::Win32Host host;
  SYSTEMTIME local;
  GetLocalTime(&local);
  const std::tm now = host.LocalTime(host.Now()).value();
  // The readings could straddle midnight, or a second, only in a test run at that instant.
  EXPECT_EQ((std::vector<int>{now.tm_year + 1900, now.tm_mon + 1, now.tm_mday, now.tm_wday}),
            (std::vector<int>{local.wYear, local.wMonth, local.wDay, local.wDayOfWeek}));
  EXPECT_LE(std::llabs(host.Now() - std::time(nullptr)), 1);  // the C runtime's own count
}

// Wine never reports a current folder of the last two forms; Windows may.
TEST(Win32HostPaths, FullPathsTakeTheFormWindowsTakesAsItIs) {
  EXPECT_EQ(daynote::ExtendedLengthPath(L"C:\\notes\\a. "), L"\\\\?\\C:\\notes\\a. ");
  EXPECT_EQ(daynote::ExtendedLengthPath(L"\\\\nas\\ann\\a"), L"\\\\?\\UNC\\nas\\ann\\a");
  EXPECT_EQ(daynote::ExtendedLengthPath(L"\\\\?\\C:\\a"), L"\\\\?\\C:\\a");
}

}  // namespace

// The POSIX host against the real clock, time zones and a real folder.
#include "daynote/posix_host.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <set>

#include "daynote/launch.h"

static bool next_reading_fails = false;  // else time() reads the clock as the C library does
extern "C" time_t time(time_t* out) noexcept {
  timespec now{-1, 0};
  if (!std::exchange(next_reading_fails, false)) clock_gettime(CLOCK_REALTIME, &now);
  return out ? *out = now.tv_sec : now.tv_sec;
}

namespace {

struct FixedClockHost : daynote::PosixHost {
  explicit FixedClockHost(daynote::Seconds time) : PosixHost({"true", {"true"}}), reading(time) {}
  daynote::Seconds Now() override { return reading; }
  daynote::Seconds reading;
};

// Every day from 1970 to 2400, in zones whose date differs from UTC's at the
// hour chosen, checked against calendar arithmetic of our own: a date taken
// in UTC, or a day off at a year's or a leap day's edge, shows.
TEST(PosixHostCalendar, NamesEveryDayOfFourCenturiesInTheLocalZone) {
  struct Zone {
    const char* name;
    int utc_hour;   // an hour at which the local date is another day...
    int day_shift;  // ...this many days from UTC's, in every year since 1970
  };
  const Zone zones[] = {{"UTC", 12, 0},
                        {"America/New_York", 2, -1},
                        {"Pacific/Pago_Pago", 5, -1},
                        {"Asia/Kathmandu", 20, 1},
                        {"Australia/Lord_Howe", 20, 1},
                        {"Asia/Tokyo", 20, 1}};
  const std::int64_t first = daynote::DaysFromDate({1970, 1, 1});
  const std::int64_t last = daynote::DaysFromDate({2400, 12, 31});
  static const char* const kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                          "Thursday", "Friday", "Saturday"};
  FixedClockHost host(0);
  for (const Zone& zone : zones) {
    setenv("TZ", zone.name, 1);
    tzset();
    int mismatches = 0;
    for (std::int64_t days = first; days <= last && mismatches < 5; ++days) {
      host.reading = days * 86400 + zone.utc_hour * 3600;
      const daynote::NoteStamp stamp = daynote::MakeNoteStamp(host);

      const std::int64_t local_days = days + zone.day_shift;
      const daynote::Date date = daynote::DateFromDays(local_days);
      char expected[64];  // the name, then the header after its date
      std::snprintf(expected, sizeof expected, "%04lld_%02d_%02d.txt|   %s\n\n",
                    static_cast<long long>(date.year), date.month, date.day,
                    kWeekdays[daynote::WeekdayOf(local_days)]);
      const std::string got =
          daynote::NoteFileName(stamp) + "|" + daynote::NoteHeader(stamp).substr(10);
      if (got != expected) {
        ++mismatches;
        ADD_FAILURE() << zone.name << " day " << days << ": " << got << " expected " << expected;
      }
    }
  }
  unsetenv("TZ");
  tzset();
  // Past what the C library's calendar can hold, there is no date to name.
  host.reading = std::numeric_limits<daynote::Seconds>::max();
  EXPECT_THROW(daynote::MakeNoteStamp(host), daynote::ClockError);
  // Nor when the clock gives no reading at all: no note of 1969_12_31.
  EXPECT_THROW((next_reading_fails = true, host.PosixHost::Now()), daynote::ClockError);
}

class PosixHostFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quorvin-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    ASSERT_EQ(getcwd(previous_, sizeof previous_), previous_);
    ASSERT_EQ(chdir(folder_.c_str()), 0);
  }
  void TearDown() override {
    ASSERT_EQ(chdir(previous_), 0);
    std::system(("chattr -a " + folder_ + " 2> /dev/null; rm -rf " + folder_).c_str());
  }
  static std::string Read(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  daynote::PosixHost host_{{"true", {"true"}}};
  std::string folder_;
  char previous_[4096];
};

TEST_F(PosixHostFolder, FindsEveryKindOfEntryWithoutFollowingOrBlocking) {
  EXPECT_EQ(host_.FindEntry("a.txt"), std::nullopt);
  ASSERT_EQ(mkdir("dir.txt", 0755), 0);
  ASSERT_EQ(symlink("nowhere/at/all", "dangling.txt"), 0);
  ASSERT_EQ(mkfifo("fifo.txt", 0644), 0);  // opening it would block until a writer came
  ASSERT_EQ(close(open("hidden.TXT", O_CREAT | O_WRONLY, 0644)), 0);
  ASSERT_EQ(symlink("hidden.TXT", "link.txt"), 0);
  std::string notes;  // only a regular file, or a link to one, can be a note
  for (const std::string name : {"dir.txt", "dangling.txt", "fifo.txt", "hidden.TXT", "link.txt"}) {
    EXPECT_EQ(host_.FindEntry(name), name);
    if (host_.IsNoteFile(name)) notes += name + " ";
  }
  EXPECT_EQ(notes, "hidden.TXT link.txt ");
  EXPECT_EQ(host_.FindEntry("hidden.txt"), std::string("hidden.TXT"));
}

// What a listing of the folder shows, sorted.
std::string Listing() {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(".")) names.insert(e.path().filename());
  std::string listing;
  for (const std::string& name : names) listing += name + " ";
  return listing;
}

TEST_F(PosixHostFolder, ACopyIsUnseenUntilSavedAndNeverReplacesAnEntry) {
  ASSERT_EQ(symlink("target.txt", "link.txt"), 0);
  std::unique_ptr<daynote::PendingNote> late = host_.CreatePending("link.txt");
  late->Write("late\n");
  late->Flush();
  late->Save();
  late->Discard();
  EXPECT_EQ(Listing(), "link.txt ");  // the dangling link's target never made

  umask(022);
  std::unique_ptr<daynote::PendingNote> note = host_.CreatePending("new.txt");
  note->Write("2002/09/14   Saturday\n\n");
  note->Flush();
  EXPECT_EQ(Listing(), "link.txt ");  // a start killed now leaves nothing
  note->Save();
  note->Discard();
  EXPECT_EQ(Listing(), "link.txt new.txt ");
  EXPECT_EQ(Read("new.txt"), "2002/09/14   Saturday\n\n");
  // As any new file of the user's.
  EXPECT_EQ(int(std::filesystem::status("new.txt").permissions()), 0644);
}

// Without /proc (as posix_host_copy_kept runs it) an append-only folder keeps the hidden copy.
TEST_F(PosixHostFolder, AHiddenNameLeftBesideAWholeNoteIsAWarning) {
  if (access("/proc/self/fd", F_OK) == 0 || std::system("chattr +a .") != 0) GTEST_SKIP();
  const daynote::ChosenNote note = daynote::MakeNote(host_);
  const std::string listing = Listing(), copy = listing.substr(0, note.name.size() + 16);
  EXPECT_EQ(listing, copy + " " + note.name + " ");
  // The note was linked, not written again under its name.
  EXPECT_TRUE(std::filesystem::equivalent(copy, note.name));
  EXPECT_EQ(note.warnings, std::vector<std::string>{"cannot remove '" + copy + "' in '" + folder_ +
                                                     "': Operation not permitted"});
}

// A template is a regular file, or a link to one, of at most the limit; anything else is refused
// with its reason, and nothing blocks (a FIFO without a writer).
TEST_F(PosixHostFolder, ReadsATemplateOnlyFromARegularFileWithinTheLimit) {
  const std::tuple<const char*, std::string, const char*> cases[] = {
      {"true", "", ""},
      {"printf 'a\\r\\n\\0b' > t", std::string("a\r\n\0b", 5), ""},
      {"mkdir d && printf x > d/t && ln -s d/t t", "x", ""},
      {"head -c 65536 /dev/zero | tr '\\0' x > t", std::string(65536, 'x'), ""},
      {"head -c 65537 /dev/zero > t", "", "is larger than 64 KiB"},
      {"mkfifo t", "", "is not a regular file"},
      {"ln -s /dev/zero t", "", "is not a regular file"},
      {"mkdir t", "", "is a folder"},
      {"ln -s gone t", "", "is a link to nothing"},
      {"ln -s t t", "", "cannot be read: Too many levels of symbolic links"},
      // Another user's link is not followed, unless that user owns the folder.
      {"printf x > d && ln -s d t && chown -h 65534 t", "", "is a link that another user made"},
      {"ln -s gone t && chown -h 65534 t", "", "is a link that another user made"},
      {"printf x > d && ln -s d t && chown -h 65534 t . && chmod 1777 .", "x", ""},
      // ...nor anywhere on the way: a link it leads to, a folder link it passes through.
      {"printf x > d && ln -s d o && chown -h 65534 o && ln -s o t", "", "is a link that another user made"},
      {"mkdir -p d/e && printf x > d/e/f && ln -s d/e o && chown -h 65534 o && ln -s ./o/f t", "", "is a link that another user made"},
      {"mkdir -p d/e && printf x > d/e/f && ln -s d/e o && ln -s $PWD/o/../e/f t", "x", ""},
      {"ln -s / t", "", "is a folder"},
      {"printf x > d && chown 65534 d && ln -s d t", "x", ""},
      // 41 links, one more than the kernel follows.
      {"printf x > d && ln -s d l40 && for i in $(seq 39 -1 1); do ln -s l$((i + 1)) l$i; done && ln -s l1 t", "",
       "cannot be read: Too many levels of symbolic links"},
  };
  for (const auto& [make, bytes, problem] : cases) {
    if (std::strstr(make, "chown") && geteuid() != 0) continue;  // only root gives links away
    ASSERT_EQ(std::system((std::string("rm -rf t d o l* && chown 0 . && ") + make).c_str()), 0) << make;
    const daynote::TemplateText text = host_.ReadTemplate("t", 65536);
    EXPECT_EQ(std::tie(text.bytes, text.problem), std::tie(bytes, problem)) << make;
    EXPECT_EQ(text.others, std::strstr(make, "chown 65534 d") != nullptr) << make;
  }
}

// A copy is removed only when it is an unchanged day-old regular file of the user's, holding the
// start of what a start writes for its day; anything else stays, silently.
TEST_F(PosixHostFolder, RemovesOnlyAnOwnDayOldCopyHoldingTheStartOfANote) {
  const std::string content = "2002/09/14   Saturday\n\n- [ ]";
  const std::tuple<const char*, daynote::Seconds, bool> cases[] = {
      {"printf '2002/09/14   Sat' > c", 2 * 86400, true}, {": > c", 86400 + 60, true},
      {"printf '2002/09/14   Saturday\\n\\n- [ ]' > c", 2 * 86400, true},
      {"printf '2002/09/14   Sat' > c", 86400 - 60, false}, {"printf 'my words' > c", 2 * 86400, false},
      {"printf '2002/09/14   Saturday\\n\\n- [ ]x' > c", 2 * 86400, false},
      {"printf '2002' > c && chown 65534 c", 2 * 86400, false}, {"printf '2002' > d && ln -s d c", 2 * 86400, false},
      {"mkfifo c", 2 * 86400, false}, {"mkdir c", 2 * 86400, false},
  };
  for (const auto& [make, age, removed] : cases) {
    if (std::strstr(make, "chown") && geteuid() != 0) continue;  // only root gives files away
    ASSERT_EQ(std::system((std::string("rm -rf c d && ") + make).c_str()), 0) << make;
    FixedClockHost(time(nullptr) + age).RemoveLeftCopy("c", content);
    EXPECT_EQ(Listing().find("c ") == std::string::npos, removed) << make;
  }
}

// Judged by what they hold (read no further than need be), only regular files reached without a
// link are removed or swapped, and only when the note and copy are as the caller said.
TEST_F(PosixHostFolder, RemovesAndSwapsOnlyRegularFilesHoldingWhatTheyAreSaidTo) {
  using daynote::Holding;
  const std::vector<std::string> untouched = {"H\n", "H\nT"};
  const std::pair<const char*, Holding> kinds[] = {
      {"printf 'H\\n' > e", Holding::kUntouched}, {"printf 'H\\nT' > e", Holding::kUntouched},
      {"printf 'H\\nTx' > e", Holding::kText}, {": > e", Holding::kOther}, {"mkfifo e", Holding::kOther},
      {"printf 'H\\n' > u && ln u e", Holding::kOther}, {"printf 'H\\nT' > e && chown 65534 e", Holding::kOther},
      {"head -c 99999 /dev/zero > e", Holding::kText}, {"printf 'H\\n' > u && ln -s u e", Holding::kOther},
      {"mkdir e", Holding::kOther}, {"true", Holding::kOther}};
  for (const auto& [make, holding] : kinds) {
    ASSERT_EQ(std::system((std::string("rm -rf e u && ") + make).c_str()), 0) << make;
    const std::string before = Listing();
    EXPECT_EQ(host_.Examine("e", untouched), holding) << make;
    EXPECT_EQ(host_.RemoveUntouched("e", untouched), holding == Holding::kUntouched) << make;
    EXPECT_EQ(Listing(), holding == Holding::kUntouched ? "" : before) << make;
  }
  const std::pair<const char*, const char*> swaps[] = {
      {"printf 'H\\n' > n && echo words > c", "1:n :words\n"}, {"echo mine > n && echo words > c", "0:c n :mine\n"},
      {"printf 'H\\n' > n && echo words > w && ln -s w c", "0:c n w :H\n"},
      {"printf 'H\\n' > u && ln -s u n && echo words > c", "0:c n u :H\n"}, {"printf 'H\\n' > n && mkdir c", "0:c n :H\n"}};
  for (const auto& [make, after] : swaps) {
    ASSERT_EQ(std::system((std::string("rm -rf n c u w && ") + make).c_str()), 0) << make;
    const bool taken = host_.TakeCopy("n", "c", untouched);
    EXPECT_EQ(std::to_string(taken) + ":" + Listing() + ":" + Read("n"), after) << make;
  }
}

}  // namespace

// The POSIX host against the real clock, time zones and a real folder.
#include "daynote/posix_host.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "civil.h"
#include "daynote/launch.h"

namespace {

class ZoneScope {
 public:
  explicit ZoneScope(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneScope() {
    unsetenv("TZ");
    tzset();
  }
};

class FixedClockHost : public daynote::PosixHost {
 public:
  explicit FixedClockHost(daynote::Seconds reading) : PosixHost("true"), reading_(reading) {}
  daynote::Seconds Now() override { return reading_; }

 private:
  daynote::Seconds reading_;
};

// Every day from 1970 to 2400, at noon UTC, in zones a day apart from each
// other at that instant, checked against calendar arithmetic of our own.
TEST(PosixHostCalendar, NamesEveryDayOfFourCenturiesInEveryZone) {
  const std::int64_t first = civil::DaysFromCivil(1970, 1, 1);
  const std::int64_t last = civil::DaysFromCivil(2400, 12, 31);
  for (const char* zone : {"UTC", "America/New_York", "Australia/Lord_Howe", "Asia/Kathmandu",
                           "Pacific/Kiritimati", "Pacific/Pago_Pago"}) {
    ZoneScope scope(zone);
    int mismatches = 0;
    for (std::int64_t days = first; days <= last && mismatches < 5; ++days) {
      FixedClockHost host(days * 86400 + 43200);
      const daynote::NoteStamp stamp = daynote::MakeNoteStamp(host);

      const std::int64_t local_days = days + (43200 + stamp.local.tm_gmtoff) / 86400;
      const civil::Date date = civil::CivilFromDays(local_days);
      char expected[64];
      std::snprintf(expected, sizeof expected, "%04lld_%02d_%02d.txt",
                    static_cast<long long>(date.year), date.month, date.day);
      const std::string header_tail =
          std::string("   ") + civil::WeekdayName(civil::WeekdayFromDays(local_days)) + "\n\n";
      const std::string name = daynote::NoteFileName(stamp);
      const std::string header = daynote::NoteHeader(stamp);
      if (name != expected || header.substr(10) != header_tail) {
        ++mismatches;
        ADD_FAILURE() << zone << " day " << days << ": " << name << " / " << header << " expected "
                      << expected << header_tail;
      }
    }
  }
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
    std::system(("rm -rf " + folder_).c_str());
  }
  static std::string Read(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  daynote::PosixHost host_{"true"};
  std::string folder_;
  char previous_[4096];
};

TEST_F(PosixHostFolder, FindsEveryKindOfEntryWithoutFollowingOrBlocking) {
  EXPECT_EQ(host_.FindEntry("a.txt"), std::nullopt);
  ASSERT_EQ(mkdir("dir.txt", 0755), 0);
  ASSERT_EQ(symlink("nowhere/at/all", "dangling.txt"), 0);
  ASSERT_EQ(mkfifo("fifo.txt", 0644), 0);  // opening it would block until a writer came
  ASSERT_EQ(close(open("hidden.TXT", O_CREAT | O_WRONLY, 0644)), 0);
  EXPECT_EQ(host_.FindEntry("dir.txt"), "dir.txt");
  EXPECT_EQ(host_.FindEntry("dangling.txt"), "dangling.txt");
  EXPECT_EQ(host_.FindEntry("fifo.txt"), "fifo.txt");
  EXPECT_EQ(host_.FindEntry("hidden.txt"), "hidden.TXT");
  EXPECT_EQ(host_.FindEntry("hidden.TXT"), "hidden.TXT");
}

TEST_F(PosixHostFolder, CreatesOnlyWhatDoesNotExistAndNeverThroughALink) {
  ASSERT_EQ(symlink("target.txt", "link.txt"), 0);
  EXPECT_EQ(host_.CreateNew("link.txt"), nullptr);
  EXPECT_NE(access("target.txt", F_OK), 0);

  std::unique_ptr<daynote::NoteFile> note = host_.CreateNew("new.txt");
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(host_.CreateNew("new.txt"), nullptr);
  note->Write("2002/09/14   Saturday\n\n");
  note->Flush();
  note->Close();
  EXPECT_EQ(Read("new.txt"), "2002/09/14   Saturday\n\n");
}

}  // namespace

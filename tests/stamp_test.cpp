#include "daynote/stamp.h"

#include <gtest/gtest.h>

#include "fake_host.h"

namespace {

// The clock is read once for name and header, even when a second reading would be another day.
TEST(NoteStamp, NamesAndHeadsTheDayOfTheReading) {
  struct Case {
    std::vector<daynote::Seconds> readings;
    const char* name;
    const char* header;
  };
  const Case cases[] = {
      {{fake::AtUtc(2002, 9, 14)}, "2002_09_14.txt", "2002/09/14   Saturday\n\n"},
      {{fake::AtUtc(2003, 3, 5)}, "2003_03_05.txt", "2003/03/05   Wednesday\n\n"},
      {{fake::AtUtc(2002, 10, 1)}, "2002_10_01.txt", "2002/10/01   Tuesday\n\n"},
      {{fake::AtUtc(2002, 12, 31)}, "2002_12_31.txt", "2002/12/31   Tuesday\n\n"},
      {{fake::AtUtc(2038, 1, 19, 3, 14, 8)}, "2038_01_19.txt", "2038/01/19   Tuesday\n\n"},
      {{fake::AtUtc(2040, 2, 29)}, "2040_02_29.txt", "2040/02/29   Wednesday\n\n"},
      {{fake::AtUtc(9999, 12, 31)}, "9999_12_31.txt", "9999/12/31   Friday\n\n"},
      {{fake::AtUtc(1, 1, 1)}, "1_01_01.txt", "1/01/01   Monday\n\n"},  // the year's digits as they are
      {{fake::AtUtc(2002, 9, 14, 23, 59, 59), fake::AtUtc(2002, 9, 15, 0, 0, 0)},
       "2002_09_14.txt",
       "2002/09/14   Saturday\n\n"},
  };
  for (const Case& c : cases) {
    fake::Host host;
    host.readings = c.readings;
    const daynote::NoteStamp stamp = daynote::MakeNoteStamp(host);
    EXPECT_EQ(std::tuple(stamp.time, daynote::NoteFileName(stamp), daynote::NoteHeader(stamp),
                         host.clock_reads),
              std::tuple(c.readings[0], std::string(c.name), std::string(c.header), 1));
  }
}

// No note is named after a day past its month's last (1900 had no 29 February) or before its first,
// Saturday or December.
TEST(NoteStamp, NamesNoDayTheCalendarDoesNotHave) {
  fake::Host host;
  for (const int year : {1900, 2000, 2024}) {
    for (int month = 0; month < 12; ++month) {
      std::tm& day = host.calendar_gives.emplace();
      day.tm_year = year - 1900, day.tm_mon = month;
      day.tm_mday = daynote::DateFromDays(daynote::DaysFromDate({year, month + 2, 1}) - 1).day;
      EXPECT_NO_THROW(daynote::MakeNoteStamp(host)) << year << "/" << month + 1;
      ++day.tm_mday;
      EXPECT_THROW(daynote::MakeNoteStamp(host), daynote::ClockError) << year << "/" << month + 1;
    }
  }
  host.calendar_gives->tm_mday = 1, host.calendar_gives->tm_wday = 7;
  EXPECT_THROW(daynote::MakeNoteStamp(host), daynote::ClockError);
  host.calendar_gives->tm_wday = 0, host.calendar_gives->tm_mon = 12;  // a thirteenth month
  EXPECT_THROW(daynote::MakeNoteStamp(host), daynote::ClockError);
  host.calendar_gives->tm_mon = 0, host.calendar_gives->tm_mday = 0;  // a day before the first
  EXPECT_THROW(daynote::MakeNoteStamp(host), daynote::ClockError);
}

}  // namespace

#include "daynote/launch.h"

#include <gtest/gtest.h>

#include "fake_host.h"

namespace {

using daynote::NoteStep;

constexpr const char* kName = "2002_09_14.txt";
constexpr const char* kHeader = "2002/09/14   Saturday\n\n";

struct LaunchTest : ::testing::Test {
  LaunchTest() { host.readings = {fake::AtUtc(2002, 9, 14)}; }
  fake::Host host;
};

// Only where no entry has the note's name, in any case, is the note made, with its header; any
// that has is opened as it is, whatever its kind, and never written to.
TEST_F(LaunchTest, MakesTheNoteOnlyWhereNoEntryHasItsNameAndOpensWhatIsThere) {
  using fake::Kind;
  const std::tuple<const char*, std::optional<Kind>, const char*> cases[] = {
      {kName, std::nullopt, kHeader},
      {kName, Kind::File, "user text\n"},
      {kName, Kind::File, ""},
      {kName, Kind::Directory, ""},
      {kName, Kind::Symlink, ""},
      {kName, Kind::Fifo, ""},
      {"2002_09_14.TXT", Kind::File, "mine"}};
  for (const auto& [name, kind, content] : cases) {
    host.entries.clear(), host.opened.clear();
    if (kind) host.entries[name] = fake::Entry{*kind, content};
    daynote::OpenTodaysNote(host);
    ASSERT_EQ(host.entries.size(), 1u) << name;
    EXPECT_TRUE(host.entries[name].kind == kind.value_or(Kind::File)) << name;
    EXPECT_EQ(host.entries[name].content, content) << name;
    EXPECT_EQ(host.opened, std::vector<std::string>{name}) << name;
  }
}

// Every step in turn fails, with another start saving the note before each step in turn (or not at
// all): the note is whole or absent, nothing but the note stays unless the message or warning names
// it, and nothing is opened after a failure. A clean-up that fails once the note is there (only
// where another start saved it) is a warning, not a failure. Once the failure is gone, the next
// start makes the note whole.
TEST_F(LaunchTest, ANoteIsWholeOrAbsentWhateverFailsAndWhoeverSavesFirst) {
  const std::optional<NoteStep> none;
  const std::optional<NoteStep> steps[] = {none,            NoteStep::Look,  NoteStep::Create,
                                           NoteStep::Write, NoteStep::Flush, NoteStep::Save,
                                           NoteStep::Remove};
  for (const std::optional<NoteStep>& rival : steps) {
    if (rival == NoteStep::Remove) continue;  // by then the note is saved, by us or them
    for (const std::optional<NoteStep>& failure : steps) {
      const std::string trace = "rival before step " + std::to_string(rival ? int(*rival) : -1) +
                                ", failure at step " + std::to_string(failure ? int(*failure) : -1);
      host = fake::Host{};
      host.readings = {fake::AtUtc(2002, 9, 14)};
      host.rival_at = rival;  // with no rival, the clean-up fails as well
      if (failure) host.fail_at = rival ? std::set{*failure} : std::set{*failure, NoteStep::Remove};
      std::string message, warning;
      try {
        const daynote::TodaysNote note = daynote::MakeTodaysNote(host);
        warning = note.warning;
        host.Open(note.name);
      } catch (const daynote::NoteError& error) {
        message = error.what();
        EXPECT_EQ(error.step(), failure) << trace;  // a failed clean-up alone throws nothing
      }
      // A note there before the look-up is only opened; a clean-up can only
      // fail where another start left ours nothing to save.
      const bool fails = rival == NoteStep::Look ? failure == NoteStep::Look
                                                 : failure && failure != NoteStep::Remove;
      EXPECT_EQ(!message.empty(), fails) << trace;
      EXPECT_EQ(!warning.empty(), failure == NoteStep::Remove && rival && rival != NoteStep::Look)
          << trace;
      EXPECT_TRUE(host.saved_unflushed.empty()) << trace;
      for (const auto& [name, entry] : host.entries) {
        EXPECT_TRUE(name == kName ? entry.content == kHeader || entry.content == "theirs"
                                  : (message + warning).find(name) != std::string::npos)
            << trace << ": " << name;
      }
      EXPECT_EQ(host.opened, fails ? std::vector<std::string>{} : std::vector<std::string>{kName})
          << trace;

      host.rival_at.reset(), host.fail_at.clear(), host.opened.clear();
      daynote::OpenTodaysNote(host);
      EXPECT_TRUE(host.entries[kName].content == kHeader || host.entries[kName].content == "theirs")
          << trace;
      EXPECT_EQ(host.opened, std::vector<std::string>{kName}) << trace;
    }
  }
}

TEST_F(LaunchTest, AClockTheCalendarCannotPlaceNamesNoNote) {
  host.calendar_fails = true;
  EXPECT_THROW(daynote::OpenTodaysNote(host), daynote::ClockError);
  host.calendar_fails = false;
  // There was no year 0; a fifth digit would be cut to name another year.
  for (const std::int64_t year : {0, 10000, 12020}) {
    host.readings = {fake::AtUtc(year, 1, 1)};
    EXPECT_THROW(daynote::OpenTodaysNote(host), daynote::ClockError) << year;
  }
  EXPECT_TRUE(host.entries.empty() && host.opened.empty());
}

TEST(NoteError, NamesTheStepTheNoteTheFolderAndTheReasonAndAFailedCleanUp) {
  const daynote::NoteError failure(NoteStep::Write, kName, "/home/ann/notes", "No space left");
  EXPECT_STREQ(failure.what(), "cannot write 2002_09_14.txt in /home/ann/notes: No space left");
  const daynote::NoteError cleanup(NoteStep::Remove, ".2002_09_14.txt.k3x9qa", "/home/ann/notes",
                                   "Input/output error");
  EXPECT_STREQ(daynote::NoteError(failure, cleanup).what(),
               "cannot write 2002_09_14.txt in /home/ann/notes: No space left; cannot remove "
               ".2002_09_14.txt.k3x9qa in /home/ann/notes: Input/output error");
}

}  // namespace

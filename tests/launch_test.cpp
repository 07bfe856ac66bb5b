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

TEST_F(LaunchTest, CreatesAMissingNoteWithItsHeaderThenOpensIt) {
  daynote::OpenTodaysNote(host);
  ASSERT_EQ(host.entries.size(), 1u);
  EXPECT_EQ(host.entries[kName].content, kHeader);
  EXPECT_TRUE(host.entries[kName].complete);
  EXPECT_EQ(host.opened, std::vector<std::string>{kName});
}

TEST_F(LaunchTest, OpensAnyExistingEntryWithoutWritingToIt) {
  const fake::Entry squatters[] = {
      {fake::Kind::File, "user text\n"}, {fake::Kind::File, ""}, {fake::Kind::Directory, ""},
      {fake::Kind::Symlink, ""},         {fake::Kind::Fifo, ""},
  };
  for (const fake::Entry& squatter : squatters) {
    host.entries = {{kName, squatter}};
    host.opened.clear();
    daynote::OpenTodaysNote(host);
    EXPECT_EQ(host.entries[kName].content, squatter.content);
    EXPECT_EQ(host.opened, std::vector<std::string>{kName});
  }
}

TEST_F(LaunchTest, OpensTheEntryThatDiffersOnlyInCase) {
  host.entries = {{"2002_09_14.TXT", fake::Entry{fake::Kind::File, "mine"}}};
  daynote::OpenTodaysNote(host);
  EXPECT_EQ(host.entries.size(), 1u);
  EXPECT_EQ(host.opened, std::vector<std::string>{"2002_09_14.TXT"});
}

TEST_F(LaunchTest, LeavesANoteCreatedByAnotherStartMeanwhileToThatStart) {
  host.lose_creation_race = true;
  daynote::OpenTodaysNote(host);
  EXPECT_EQ(host.entries[kName].content, "theirs");
  EXPECT_EQ(host.opened, std::vector<std::string>{kName});
}

TEST_F(LaunchTest, AFailureAtAnyStepLeavesNoNoteAndOpensNothing) {
  for (NoteStep step : {NoteStep::Create, NoteStep::Write, NoteStep::Flush, NoteStep::Close}) {
    host.entries.clear();
    host.fail_at = step;
    try {
      daynote::OpenTodaysNote(host);
      ADD_FAILURE() << "no failure at step " << static_cast<int>(step);
    } catch (const daynote::NoteError& error) {
      EXPECT_EQ(error.step(), step);
    }
    EXPECT_TRUE(host.entries.empty()) << "step " << static_cast<int>(step);
    EXPECT_TRUE(host.opened.empty()) << "step " << static_cast<int>(step);
  }
  host.fail_at.reset();
  daynote::OpenTodaysNote(host);
  EXPECT_EQ(host.entries[kName].content, kHeader);
}

TEST(NoteError, NamesTheStepTheNoteTheFolderAndTheReason) {
  EXPECT_STREQ(
      daynote::NoteError(NoteStep::Create, kName, "/home/ann/notes", "Permission denied").what(),
      "cannot create 2002_09_14.txt in /home/ann/notes: Permission denied");
}

}  // namespace

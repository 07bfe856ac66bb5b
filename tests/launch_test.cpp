#include "daynote/launch.h"

#include <gtest/gtest.h>

#include <sstream>

#include "daynote/command_line.h"
#include "daynote/quoting.h"
#include "daynote/sync_copies.h"

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
    host.entries.clear(), host.opened.clear(), host.templates_read.clear();
    if (kind) host.entries[name] = fake::Entry{*kind, content};
    daynote::OpenTodaysNote(host);
    ASSERT_EQ(host.entries.size(), 1u) << name;
    EXPECT_TRUE(host.entries[name].kind == kind.value_or(Kind::File)) << name;
    EXPECT_EQ(host.entries[name].content, content) << name;
    EXPECT_EQ(host.opened, std::vector<std::string>{name}) << name;
    // Only a note being made reads the template.
    EXPECT_EQ(host.templates_read.size(), kind ? 0u : 1u) << name;
  }
}

// The command line as a summary: what it asks for, or what is wrong with it.
std::string Described(const std::string& words, bool slash_help = false) {
  std::vector<std::string> arguments;
  std::istringstream split(words);
  for (std::string word; split >> word;) arguments.push_back(word);
  const daynote::CommandLine line = daynote::ParseCommandLine(arguments, slash_help);
  using Action = daynote::CommandLine::Action;
  if (line.action == Action::kMisused) return "misused: " + line.problem;
  const daynote::DaySpec& day = line.request.day;
  std::string text = line.action == Action::kHelp      ? "help "
                     : line.action == Action::kVersion ? "version "
                                                       : "note ";
  text += day.date ? daynote::IsoDate(*day.date)
                   : (day.offset < 0 ? "" : "+") + std::to_string(day.offset);
  if (line.request.neighbour != daynote::Neighbour::kNone) {
    text += line.request.neighbour == daynote::Neighbour::kPrevious ? " previous" : " next";
  }
  return text + (line.print_path ? " path" : "") + (line.folder ? " in " + *line.folder : "");
}

// Options anywhere before "--", clustered or apart, shortened while unambiguous; each DATE form,
// and each way a DATE or the line can be wrong, in one message.
TEST(CommandLine, ReadsEveryFormAndNamesWhatIsWrong) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "note +0"},
      {"-d 2024-02-29 --pre notes", "note 2024-02-29 previous in notes"},
      {"notes --date=0001-10-10 -p", "note 0001-10-10 path in notes"},
      {"-dyesterday --next --next", "note -1 next"},
      {"--da TOMORROW -d today", "note +0"},
      {"-pd -1", "note -1 path"},
      {"--date=+007 -- -x", "note +7 in -x"},
      {"-d -000000000000 -", "note +0 in -"},
      {"-ph -- -x", "help +0 path"},
      {"--vers --help", "version +0"},
      {"-p /?", "note +0 path in /?"},
      {"-d 2023-02-29 --previous --next x y -h", "help +0"},
      {"-d 2023-02-29", "misused: invalid date '2023-02-29': the calendar has no such day"},
      {"-d 2026-13-01", "misused: invalid date '2026-13-01': the calendar has no such day"},
      {"-d 2026-04-31", "misused: invalid date '2026-04-31': the calendar has no such day"},
      {"-d 0000-01-01", "misused: date '0000-01-01' is outside the years 1 to 9999"},
      {"-d +1000000000", "misused: date '+1000000000' is outside the years 1 to 9999"},
      {"-d 2026-1-01", "misused: invalid date '2026-1-01': give YYYY-MM-DD, today, yesterday, "
                       "tomorrow, +N or -N"},
      {"--date=+1d", "misused: invalid date '+1d': give YYYY-MM-DD, today, yesterday, tomorrow, "
                     "+N or -N"},
      {"-p -d", "misused: option '-d' requires an argument"},
      {"--date", "misused: option '--date' requires an argument"},
      {"--previous --n", "misused: options '--previous' and '--next' cannot be given together"},
      {"--p", "misused: option '--p' is ambiguous; possibilities: '--previous' '--path'"},
      {"--pa=me", "misused: option '--path' takes no argument"},
      {"-pxV", "misused: unknown option '-x'"},
      {"--frobnicate", "misused: unknown option '--frobnicate'"},
      {"--=x", "misused: unknown option '--=x'"},
      {"-- -x two", "misused: extra operand 'two'"},
      {"-- x it's", "misused: extra operand \"it's\""},
      {"-d x'$y", "misused: invalid date 'x'\\''$y': give YYYY-MM-DD, today, yesterday, tomorrow, "
                  "+N or -N"},
      {"--next --prev -d 0 x y", "misused: options '--previous' and '--next' cannot be given together"},
  };
  for (const auto& [words, expected] : cases) EXPECT_EQ(Described(words), expected) << words;
  EXPECT_EQ(Described("a b /? --frobnicate", true), "help +0");
  for (const char* help : {"/h", "/HELP", "/Help"}) EXPECT_EQ(Described(help, true), "help +0");
  EXPECT_EQ(Described("--p --pa", true), "misused: unknown option '--pa'");
}

// Another day's note is named and headed as today's would be on that day, counted from the local
// date across month, year and leap-day edges, and dated the start of its day (now, for one to
// come); past the years a note can be named for, nothing is made.
TEST_F(LaunchTest, AnotherDaysNoteIsCountedFromTodaysLocalDate) {
  const std::tuple<daynote::Seconds, const char*, const char*> cases[] = {
      {fake::AtUtc(2027, 1, 1, 0, 0, 0), "-1", "2026/12/31   Thursday"},
      {fake::AtUtc(2024, 3, 1), "yesterday", "2024/02/29   Thursday"},
      {fake::AtUtc(2023, 3, 1, 23, 59, 59), "-1", "2023/02/28   Tuesday"},
      {fake::AtUtc(2026, 12, 31), "tomorrow", "2027/01/01   Friday"},
      {fake::AtUtc(2026, 12, 8), "2000-02-29", "2000/02/29   Tuesday"},
      {fake::AtUtc(2026, 12, 8), "+0", "2026/12/08   Tuesday"},
      {fake::AtUtc(1, 1, 1), "Yesterday", nullptr},
      {fake::AtUtc(9999, 12, 31), "+1", nullptr},
  };
  for (const auto& [now, date, header] : cases) {
    host = fake::Host{};
    host.readings = {now};
    const daynote::CommandLine line = daynote::ParseCommandLine({"-d", date});
    if (!header) {
      try {
        daynote::MakeNote(host, line.request);
        ADD_FAILURE() << date << " was taken";
      } catch (const daynote::DateRangeError& error) {
        EXPECT_EQ(error.what(), "date '" + std::string(date) + "' is outside the years 1 to 9999");
      }
      EXPECT_TRUE(host.entries.empty()) << date;
      continue;
    }
    std::string name = std::string(header, 10) + ".txt";
    std::replace(name.begin(), name.end(), '/', '_');
    EXPECT_EQ(daynote::MakeNote(host, line.request).name, name) << date;
    EXPECT_EQ(host.entries[name].content, std::string(header) + "\n\n") << date;
    // A calendar day needs no clock to be settled; the new note's time takes one reading.
    EXPECT_EQ(host.clock_reads, std::isdigit(date[0]) ? 1 : 2) << date;
    // As old as the start of its day, or as the start itself for a day to come: never later.
    const daynote::Seconds start = daynote::DaysFromDate(*daynote::NoteDate(name)) * 86400;
    EXPECT_EQ(host.times[name], std::min(start, now)) << date;
  }
  // Where the clock cannot be read, a calendar day's note is made all the same, with its time of writing.
  host = fake::Host{}, host.clock_fails = true;
  EXPECT_EQ(daynote::MakeNote(host, daynote::ParseCommandLine({"-d", "2000-02-29"}).request).name, "2000_02_29.txt");
  EXPECT_TRUE(host.times.empty());
}

// Of the entries, only names of real days in the note's own form are notes; of two spellings of
// a day, the note's own is taken. Neither neighbour is ever made, and a missing one is said.
TEST_F(LaunchTest, ThePreviousAndNextNotesAreTheNearestRealNotes) {
  const std::vector<std::string> names = {
      "2026_12_01.txt", "2026_12_05.TXT", "2026_12_05.txt", ".2026_12_07.txt.k3x9qa",
      "2026_12_07.txt.bak", "2026_02_30.txt", "2026_00_09.txt", "02026_12_06.txt", "2026_12_6.txt",
      "notes.txt", "10000_01_01.txt",
      "2026_12_10.txt", "2027_01_01.Txt", "template.txt", "2026-12-07.txt"};
  const auto near = [&](daynote::Date day, daynote::Neighbour neighbour) {
    std::string nearest;
    for (const std::string& name : daynote::NeighbourNotes(names, day, neighbour)) nearest += name + " ";
    return nearest.empty() ? "none" : nearest;
  };
  using daynote::Neighbour;
  EXPECT_EQ(near({2026, 12, 8}, Neighbour::kPrevious), "2026_12_05.txt 2026_12_05.TXT 2026_12_01.txt ");
  EXPECT_EQ(near({2026, 12, 5}, Neighbour::kPrevious), "2026_12_01.txt ");
  EXPECT_EQ(near({2026, 12, 1}, Neighbour::kPrevious), "none");
  EXPECT_EQ(near({2026, 12, 1}, Neighbour::kNext), "2026_12_05.txt 2026_12_05.TXT 2026_12_10.txt 2027_01_01.Txt ");
  EXPECT_EQ(near({2026, 12, 10}, Neighbour::kNext), "2027_01_01.Txt ");
  EXPECT_EQ(near({2027, 1, 1}, Neighbour::kNext), "none");

  host.readings = {fake::AtUtc(2026, 12, 8)};
  for (const std::string& name : names) host.entries[name] = fake::Entry{};
  const std::map<std::string, fake::Kind> no_notes = {  // the fake's link leads nowhere
      {"2026_12_06.txt", fake::Kind::Symlink}, {"2026_12_07.txt", fake::Kind::Directory}, {"2026_12_09.txt", fake::Kind::Fifo}};
  for (const auto& [name, kind] : no_notes) host.entries[name] = fake::Entry{kind, ""};
  const daynote::NoteRequest previous{{}, Neighbour::kPrevious};
  EXPECT_EQ(daynote::MakeNote(host, previous).name, "2026_12_05.txt");
  EXPECT_EQ(daynote::MakeNote(host, daynote::NoteRequest{{}, Neighbour::kNext}).name, "2026_12_10.txt");
  for (const auto& no_note : no_notes) host.entries.erase(no_note.first);
  host.entries.erase("2026_12_01.txt"), host.entries.erase("2026_12_05.TXT");
  host.entries.erase("2026_12_05.txt");
  try {
    daynote::MakeNote(host, previous);
    ADD_FAILURE() << "a previous note was found";
  } catch (const daynote::NoNoteError& error) {
    EXPECT_STREQ(error.what(), "no note before 2026-12-08 in /fake");
  }
  EXPECT_EQ(host.entries.size(), names.size() - 3);
  host.fail_at = {NoteStep::Look};
  EXPECT_THROW(daynote::MakeNote(host, daynote::NoteRequest{{}, Neighbour::kNext}), daynote::NoteError);
}

// A new note is its header, with the host's line ends, then the template's bytes as they are; a
// template the host cannot use leaves the header alone, and is told.
TEST_F(LaunchTest, ANewNoteIsItsHeaderAndThenTheTemplate) {
  host.line_end = "\r\n";
  host.template_text = {"- [ ] plan\n\nline two", ""};
  EXPECT_TRUE(daynote::MakeNote(host).warnings.empty());
  EXPECT_EQ(host.entries[kName].content, "2002/09/14   Saturday\r\n\r\n- [ ] plan\n\nline two");
  EXPECT_EQ(host.templates_read, std::vector<std::string>{"template.txt 65536"});
  // The start that made it sweeps copies left behind, each checked against what a start writes
  // for the copy's day with today's template; other names are not the host's to judge.
  const std::string left = ".2002_09_01.txt.quorvin-k3x9qa", mine = ".2002_09_02.txt.quorvin-000000";
  host.entries = {{left, {fake::Kind::File, "2002/09/01   Sunday\r\n\r\n- ["}}, {mine, {fake::Kind::File, "2002/09/02   Monday\r\n\r\nmine"}},
                  {".2002_09_03.txt.k3x9qa", {fake::Kind::File, ""}}, {".2002_09_03.TXT.quorvin-k3x9qa", {fake::Kind::File, ""}}};
  daynote::MakeNote(host);
  EXPECT_EQ(host.swept, (std::vector<std::string>{left, mine}));
  EXPECT_EQ(host.entries.size(), 4u);
  daynote::MakeNote(host);  // a start that finds the note sweeps nothing
  EXPECT_EQ(host.swept.size(), 2u);
  host.entries.clear();
  host.template_text = {"", "is larger than 64 KiB"};
  EXPECT_EQ(daynote::MakeNote(host).warnings,
            std::vector<std::string>{"'2002_09_14.txt' was made with its header alone: "
                                     "'template.txt' in /fake is larger than 64 KiB"});
  EXPECT_EQ(host.entries[kName].content, "2002/09/14   Saturday\r\n\r\n");
}

// Every step in turn fails, with another start saving the note before each step in turn (or not at
// all): the note is whole or absent, nothing but the note stays unless the message or warning names
// it, and nothing is opened after a failure. A clean-up that fails once the note is there (only
// where another start saved it) is a warning, not a failure, and so is a copy that fails before the
// save once another start saved the note: theirs is opened. Once the failure is gone, the next
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
        const daynote::ChosenNote note = daynote::MakeNote(host);
        for (const std::string& told : note.warnings) warning += told;
        host.Open(note.name);
      } catch (const daynote::NoteError& error) {
        message = error.what();
        EXPECT_EQ(error.step(), failure) << trace;  // a failed clean-up alone throws nothing
      }
      // A note there before the look-up is only opened; a clean-up can only
      // fail where another start left ours nothing to save.
      const bool theirs = rival && failure && *rival <= *failure && *failure < NoteStep::Save;
      const bool fails = rival == NoteStep::Look ? failure == NoteStep::Look
                                                 : failure && failure != NoteStep::Remove && !theirs;
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

// Names in messages read as coreutils' shell-escape quoting has them; other text stays one line.
TEST(Quoted, AsCoreutilsQuotesNames) {
  const std::pair<std::string, std::string> cases[] = {
      {"notes", "'notes'"}, {"it's", "\"it's\""}, {"it's!", "'it'\\''s!'"}, {"x'$y", "'x'\\''$y'"},
      {"a\nb", "'a'$'\\n''b'"}, {"\x1b[31m", "''$'\\033''[31m'"}, {"a\tb'c", "'a'$'\\t''b'\\''c'"},
      {"\xff\xc2\x85\xc3\xa9", "''$'\\377\\302\\205''\xc3\xa9'"}};
  for (const auto& [name, quoted] : cases) EXPECT_EQ(daynote::Quoted(name), quoted) << name;
  EXPECT_EQ(daynote::OneLine("a\nb\xff\xc3\xa9\xe2\x80\xae"), "a\\x0ab\\xff\xc3\xa9\\xe2\\x80\\xae");
}

// The day a copy is for, or "-": only a CopyName name of a note's own spelling has one.
TEST(CopiedDay, OnlyACopyNameOfANoteHasADay) {
  std::istringstream cases(
      "2026-12-05 .2026_12_05.txt.quorvin-k3x9qa 2024-02-29 .2024_02_29.txt.quorvin-0z0z0z "
      "- .2026_12_05.txt.k3x9qa - .2026_12_05.txt.quorvin-k3x9q - .2026_12_05.txt.quorvin-K3X9QA "
      "- 2026_12_05.txt.quorvin-k3x9qa - .2026_12_05.TXT.quorvin-k3x9qa - .2026_11_31.txt.quorvin-k3x9qa "
      "- .2026_12_05.txt.quorvin-k3x9q{ - .2026_12_05.txt.quorvin-/3x9qa - .2026_12_05.txt.quorvin_k3x9qa "
      "- .2026_12_05.txt.Quorvin-k3x9qa - ..quorvin-k3x9qa - .x.quorvin-k3x9qa - .2026_12_05.txt.backup");
  for (std::string day, entry; cases >> day >> entry;) {
    const std::optional<daynote::Date> copied = daynote::CopiedDay(entry);
    EXPECT_EQ(copied ? daynote::IsoDate(*copied) : "-", day) << entry;
  }
  for (const std::uint64_t seed : {0ULL, 35ULL, ~0ULL}) EXPECT_EQ(daynote::CopiedDay(daynote::CopyName("2026_12_05.txt", seed)), (daynote::Date{2026, 12, 5}));
}

// Each sync tool's names for a copy of the note, and names that only look like one: the note's own
// spellings, another day's copies, a suffix that is not this computer's name.
TEST(IsConflictCopy, TakesEachToolsNamesForTheNoteAndNothingElse) {
  const std::string copies = "|.sync-conflict-20261208-142303-5B4XNUX.txt|.sync-conflict-20261208-142303-AZ27Z0A.txt"
      "|.sync-conflict-20261208-142303.txt| (Ann's conflicted copy 2026-12-08).txt|-DESK-7.txt|-desk-7.txt"
      "| (DESK-7 conflicted copy 2026-12-08 (12)).txt| (conflicted copy 2026-12-08 142303).txt|.txt..path2"
      "|_conflict-20261208-142303.txt|.txt.conflict1|.txt.conflict12|.conflict2.txt|.txt..path1|";
  const std::string others = "|.txt|.TXT|.Txt| (copy).txt|-draft.txt|-DESK.txt|-DESK-7-1.txt|-.txt|.txt.conflict"
      "|.sync-conflict-20261208-142303-5B4XNUX.TXT|.sync-conflict-2026128-142303-5B4XNUX.txt|.txt.conflict1x"
      "|.sync-conflict-20261208-142303-5b4xnux.txt|.sync-conflict-20261208-142303-5B4XNU.txt|.txt.path1"
      "|.sync-conflict-20261208-142303-5B4XNUX.txt.txt|.txt.conflict0|.txt.conflict01| (Ann's conflicted copy 2026-12-8).txt|.txt..path3"
      "| (Ann's conflicted copy 2026-12-08) .txt| (Ann's conflicted copy 2026-12-08 ()).txt|.conflict.txt"
      "| ((x) conflicted copy 2026-12-08).txt| (Ann) (Bob's conflicted copy 2026-12-08).txt"
      "| (conflicted copy 2026-12-08 14230).txt|_conflict-20261208-1423031.txt|";
  for (const std::string* list : {&copies, &others}) {
    for (std::size_t at = 1, end; (end = list->find('|', at)) != std::string::npos; at = end + 1) {
      const std::string entry = "2026_12_08" + list->substr(at, end - at);
      EXPECT_EQ(daynote::IsConflictCopy(entry, "2026_12_08.txt", "DESK-7"), list == &copies) << entry;
    }
  }
  EXPECT_FALSE(daynote::IsConflictCopy("2026_12_07.sync-conflict-20261208-142303.txt", "2026_12_08.txt", ""));
  EXPECT_FALSE(daynote::IsConflictCopy("x2026_12_08.txt.conflict1", "2026_12_08.txt", ""));
  EXPECT_TRUE(daynote::IsConflictCopy("2026_12_08.sync-conflict-20261208-142303.TXT", "2026_12_08.TXT", ""));
  EXPECT_FALSE(daynote::IsConflictCopy(".txt.conflict1", ".txt", ""));
  EXPECT_EQ(daynote::ConflictCopies({"2026_12_08.txt.conflict1", "2026_12_08.txt", "2026_12_08-desk-7.txt"},
                                    "2026_12_08.txt", "DESK-7"),
            (std::vector<std::string>{"2026_12_08-desk-7.txt", "2026_12_08.txt.conflict1"}));
}

// The copies of the note a start opens: untouched ones (the header, or the header and template,
// with the host's line ends) are removed; one holding words takes an untouched note's place;
// anything else is left as it is, and the copies holding words are named.
TEST_F(LaunchTest, ASyncToolsCopiesOfTheNoteAreSettledWithoutLosingAWord) {
  using fake::Kind;
  const std::string h = "2002/09/14   Saturday\r\n\r\n", ht = h + "- plan\n", w = "words";
  const std::string s = "2002_09_14.sync-conflict-20020914-101010-AAAAAAA.txt",
                    d = "2002_09_14 (Ann's conflicted copy 2002-09-14).txt",
                    other_day = "2002_09_13.sync-conflict-20020914-101010-AAAAAAA.txt", like = "2002_09_14 (copy).txt";
  const auto f = [](const std::string& content) { return fake::Entry{Kind::File, content}; };
  struct Case {
    std::map<std::string, fake::Entry> before;  // the note absent: made by the start
    std::map<std::string, std::string> after;   // every entry's content
    std::vector<std::string> named;
    bool changes = false;
    std::map<std::string, std::string> held = {};  // copies held open as they are removed, then holding
  };
  const Case cases[] = {
      {{{kName, f(h)}, {s, f(w)}}, {{kName, w}}, {}},
      {{{d, f(w)}}, {{kName, ht}, {d, w}}, {d}},
      {{{kName, f(ht)}, {s, f(h)}, {d, f(ht)}}, {{kName, ht}}, {}},
      {{{kName, f("mine")}, {s, f(w)}, {d, f(h)}}, {{kName, "mine"}, {s, w}}, {s}},
      {{{kName, f(h)}, {s, f("a")}, {d, f("b")}}, {{kName, h}, {s, "a"}, {d, "b"}}, {d, s}},
      {{{kName, f(h)}, {s, f(w)}, {d, f(h)}}, {{kName, w}}, {}},
      {{{kName, f(h)}, {s, f(w)}}, {{kName, h}, {s, w}}, {s}, true},
      {{{kName, {Kind::Symlink, h}}, {s, f(w)}}, {{kName, h}, {s, w}}, {s}},
      {{{kName, f(h)}, {s, {Kind::Directory, h}}, {d, {Kind::Fifo, ""}}, {other_day, f(w)}, {like, f(w)}},
       {{kName, h}, {s, h}, {d, ""}, {other_day, w}, {like, w}}, {}},
      {{{kName, f(h)}, {s, f(h)}, {d, f(w)}}, {{kName, w}, {s, h}}, {}, false, {{s, h}}},
      {{{kName, f(h)}, {s, f(h)}}, {{kName, "typed"}}, {}, false, {{s, "typed"}}},
  };
  for (const Case& c : cases) {
    host = fake::Host{};
    host.line_end = "\r\n", host.template_text = {"- plan\n", ""}, host.readings = {fake::AtUtc(2002, 9, 14)};
    host.entries = c.before, host.note_changes_at_swap = c.changes, host.held_at_removal = c.held;
    const daynote::ChosenNote note = daynote::MakeNote(host);
    std::map<std::string, std::string> after;
    for (const auto& [name, entry] : host.entries) after[name] = entry.content;
    EXPECT_EQ(after, c.after) << &c - cases;
    EXPECT_EQ(note.name + std::to_string(note.warnings.size()), kName + std::string("0")) << &c - cases;
    EXPECT_EQ(note.other_versions, c.named) << &c - cases;
    EXPECT_TRUE(host.settled.empty()) << &c - cases;
  }
  // A copy a start moved aside and left, ended, is told.
  host = fake::Host{}, host.readings = {fake::AtUtc(2002, 9, 14)}, host.entries = {{kName, f(w)}, {"." + s + ".quorvin-0a1b2c", f(w)}};
  EXPECT_EQ(daynote::MakeNote(host).warnings, std::vector<std::string>{"'." + s + ".quorvin-0a1b2c' is '" + s + "', left aside by a start that was ended: it may hold another version of '2002_09_14.txt'"});
  // Another user's template is no measure of what may go: a copy holding it is another version.
  host = fake::Host{}, host.line_end = "\r\n", host.readings = {fake::AtUtc(2002, 9, 14)}, host.template_text = {"- plan\n", "", true};
  host.entries = {{kName, f(h)}, {s, f(ht)}, {d, f(ht)}};
  EXPECT_EQ(daynote::MakeNote(host).other_versions, (std::vector<std::string>{d, s}));
  // A folder the host knows settled is not listed; one listed and found as it was, without
  // copies, is told.
  for (const bool known : {true, false}) {
    host = fake::Host{};
    host.readings = {fake::AtUtc(2002, 9, 14)}, host.entries = {{"2002_09_14.txt.conflict1", f(w)}};
    host.known_settled = known;
    const daynote::ChosenNote made = daynote::MakeNote(host);  // a note it made takes no copy
    EXPECT_EQ(host.entries[kName].content + std::to_string(made.other_versions.size() + host.settled.size()),
              kHeader + std::string(known ? "0" : "1"));
  }
  host = fake::Host{}, host.readings = {fake::AtUtc(2002, 9, 14)}, daynote::MakeNote(host);
  EXPECT_TRUE(host.settled.empty());  // a start that made the note changed the folder
  daynote::MakeNote(host);
  EXPECT_EQ(host.settled, std::vector<std::string>{kName});
  // The previous note's copies too, judged by its own day's header; a refused removal is told.
  host = fake::Host{};
  host.readings = {fake::AtUtc(2002, 9, 15)}, host.fail_at = {NoteStep::Remove};
  host.entries = {{kName, f("2002/09/14   Saturday\n\n")}, {s, f("x")}, {d, f("2002/09/14   Saturday\n\n")}};
  EXPECT_EQ(daynote::MakeNote(host, daynote::NoteRequest{{}, daynote::Neighbour::kPrevious}).warnings,
            std::vector<std::string>{"cannot remove " + d + " in /fake: injected failure"});
  EXPECT_EQ(host.entries[kName].content + std::to_string(host.entries.size()), "x2");
  EXPECT_EQ(daynote::OtherVersionsWarning("'n'", {"'a'", "'b'", "'c'"}),
            "other versions of 'n' are in 'a', 'b' and 'c', kept as the sync tool left them");
}

}  // namespace

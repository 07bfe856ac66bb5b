// A host made of memory: a clock that reads out a list of times, a UTC
// calendar, a folder whose entries are a map, a template given as it is, a
// file layer that fails on demand at a chosen step, a rival start that
// saves the note at a chosen step, and an opener that records what it was
// asked.
#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "daynote/days.h"
#include "daynote/host.h"

namespace fake {

enum class Kind { File, Directory, Symlink, Fifo };

struct Entry {
  Kind kind = Kind::File;
  std::string content;
  bool flushed = true;  // false while written content has not reached the disk
};

class Host : public daynote::DayNoteHost {
 public:
  // Each call of Now() takes the next reading; the last one repeats.
  std::vector<daynote::Seconds> readings{0};
  std::map<std::string, Entry> entries;
  std::vector<std::string> opened;
  int clock_reads = 0;
  bool calendar_fails = false, clock_fails = false;
  std::optional<std::tm> calendar_gives;      // given as it is, instead of the reading's date
  std::set<daynote::NoteStep> fail_at;        // the steps that throw NoteError
  std::optional<daynote::NoteStep> rival_at;  // another start saves the note just before it
  std::vector<std::string> saved_unflushed;   // notes named before their content was flushed
  std::string line_end = "\n";
  daynote::TemplateText template_text;        // what ReadTemplate gives
  std::map<std::string, daynote::Seconds> times;  // saved notes' times, as SetTime set them
  bool note_changes_at_swap = false;          // TakeCopy finds the note changed, and undoes
  std::map<std::string, std::string> held_at_removal;  // copies kept open by others, then holding
  bool known_settled = false;                 // KnownSettled's answer
  std::vector<std::string> settled;           // the notes NoteSettled was told of
  std::vector<std::string> templates_read;    // the names it was asked for, with their limits
  std::vector<std::string> swept;             // the copies RemoveLeftCopy was asked to remove

  std::string LineEnd() const override { return line_end; }
  std::string FolderName() override { return "/fake"; }

  daynote::Seconds Now() override {
    if (clock_fails) throw daynote::ClockError("the clock cannot be read");
    const std::size_t i = static_cast<std::size_t>(clock_reads++);
    return readings[i < readings.size() ? i : readings.size() - 1];
  }

  std::optional<std::tm> LocalTime(daynote::Seconds time) override {
    if (calendar_fails) return std::nullopt;
    if (calendar_gives) return calendar_gives;
    const std::int64_t days = time >= 0 ? time / 86400 : (time - 86399) / 86400;
    const daynote::Date date = daynote::DateFromDays(days);
    std::tm local{};
    local.tm_year = static_cast<int>(date.year - 1900);
    local.tm_mon = date.month - 1;
    local.tm_mday = date.day;
    local.tm_wday = daynote::WeekdayOf(days);
    const std::int64_t second_of_day = time - days * 86400;
    local.tm_hour = static_cast<int>(second_of_day / 3600);
    local.tm_min = static_cast<int>(second_of_day / 60 % 60);
    local.tm_sec = static_cast<int>(second_of_day % 60);
    return local;
  }

  std::optional<std::string> FindEntry(const std::string& name) override {
    Step(daynote::NoteStep::Look, name);
    return Find(name);
  }

  std::vector<std::string> ListEntries() override {
    Step(daynote::NoteStep::Look, "notes", "", false);
    std::vector<std::string> names;
    for (const auto& entry : entries) names.push_back(entry.first);
    return names;
  }

  bool IsNoteFile(const std::string& name) override { return entries.at(name).kind == Kind::File; }

  // Removes what the start asked for, when it holds the start of `content`.
  void RemoveLeftCopy(const std::string& name, const std::string& content) override {
    swept.push_back(name);
    if (content.compare(0, entries.at(name).content.size(), entries.at(name).content) == 0) entries.erase(name);
  }

  bool SweepsLeftCopies() const override { return true; }

  daynote::TemplateText ReadTemplate(const std::string& name, std::size_t limit) override {
    templates_read.push_back(name + " " + std::to_string(limit));
    return template_text;
  }

  std::unique_ptr<daynote::PendingNote> CreatePending(const std::string& name) override {
    Step(daynote::NoteStep::Create, name);
    const std::string temporary = ".pending-" + std::to_string(++pending_count_);
    entries[temporary] = Entry{Kind::File, "", false};
    return std::make_unique<Pending>(*this, name, temporary);
  }

  void Open(const std::string& name) override { opened.push_back(name); }

  std::optional<daynote::Seconds> DayStart(std::int64_t year, int month, int day) override {
    return daynote::DaysFromDate({year, month, day}) * 86400;  // the fake calendar is UTC's
  }
  std::string ComputerName() override { return "DESK"; }
  bool KnownSettled(const std::string&) override { return known_settled; }
  void NoteSettled(const std::string& note) override { settled.push_back(note); }
  daynote::Holding Examine(const std::string& name, const std::vector<std::string>& untouched) override {
    using daynote::Holding;
    const auto entry = entries.find(name);
    if (entry == entries.end() || entry->second.kind != Kind::File) return Holding::kOther;
    const auto same = std::find(untouched.begin(), untouched.end(), entry->second.content);
    return same != untouched.end() ? Holding::kUntouched : Holding::kText;
  }
  bool RemoveUntouched(const std::string& name, const std::vector<std::string>& untouched) override {
    if (Examine(name, untouched) != daynote::Holding::kUntouched) return false;
    if (held_at_removal.count(name)) { entries[name].content = held_at_removal[name]; return false; }
    Step(daynote::NoteStep::Remove, name);
    return entries.erase(name);
  }
  bool TakeCopy(const std::string& note, const std::string& copy,
                const std::vector<std::string>& untouched) override {
    if (note_changes_at_swap || Examine(note, untouched) != daynote::Holding::kUntouched ||
        Examine(copy, untouched) == daynote::Holding::kOther) return false;
    entries[note] = entries[copy];
    return entries.erase(copy);
  }

 private:
  class Pending : public daynote::PendingNote {
   public:
    Pending(Host& host, std::string name, std::string temporary)
        : host_(host), name_(std::move(name)), temporary_(std::move(temporary)) {}
    void Write(const std::string& text) override {
      host_.Step(daynote::NoteStep::Write, name_);
      host_.entries[temporary_].content += text;
      host_.entries[temporary_].flushed = false;
    }
    void Flush() override {
      host_.Step(daynote::NoteStep::Flush, name_);
      host_.entries[temporary_].flushed = true;
    }
    void SetTime(daynote::Seconds time) override { time_ = time; }
    void Save() override {
      host_.Step(daynote::NoteStep::Save, name_);
      if (host_.Find(name_)) return;
      const Entry copy = host_.entries[temporary_];
      if (!copy.flushed) host_.saved_unflushed.push_back(name_);
      host_.entries.erase(temporary_);
      host_.entries[name_] = copy;
      if (time_) host_.times[name_] = *time_;
    }
    void Discard() override {
      if (!host_.entries.count(temporary_)) return;
      host_.Step(daynote::NoteStep::Remove, name_, temporary_);
      host_.entries.erase(temporary_);
    }

   private:
    Host& host_;
    std::string name_, temporary_;
    std::optional<daynote::Seconds> time_;
  };

  // The rival's note is whole: it is another start doing the same job.
  // A failure names `subject`: the note, or its unfinished copy.
  void Step(daynote::NoteStep step, const std::string& note, const std::string& subject = "",
            bool rival = true) {
    if (rival && rival_at == step && !Find(note)) entries[note] = Entry{Kind::File, "theirs"};
    if (fail_at.count(step)) {
      throw daynote::NoteError(step, subject.empty() ? note : subject, "/fake", "injected failure");
    }
  }

  std::optional<std::string> Find(const std::string& name) const {
    for (const auto& [entry_name, entry] : entries) {
      if (SameIgnoringCase(entry_name, name)) return entry_name;
    }
    return std::nullopt;
  }

  static bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
      return std::tolower(x) == std::tolower(y);
    });
  }

  int pending_count_ = 0;
};

inline daynote::Seconds AtUtc(std::int64_t year, int month, int day, int hour = 12, int minute = 0,
                              int second = 0) {
  return daynote::DaysFromDate({year, month, day}) * 86400 + hour * 3600 + minute * 60 + second;
}

}  // namespace fake

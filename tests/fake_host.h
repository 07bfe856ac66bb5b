// A host made of memory: a clock that reads out a list of times, a UTC
// calendar, a folder whose entries are a map, a file layer that fails on
// demand at a chosen step, and an opener that records what it was asked.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "civil.h"
#include "daynote/host.h"

namespace fake {

enum class Kind { File, Directory, Symlink, Fifo };

struct Entry {
  Kind kind = Kind::File;
  std::string content;
  bool complete = true;  // false while a new note is still being written
};

class Host : public daynote::DayNoteHost {
 public:
  // Each call of Now() takes the next reading; the last one repeats.
  std::vector<daynote::Seconds> readings{0};
  std::map<std::string, Entry> entries;
  std::vector<std::string> opened;
  int clock_reads = 0;
  std::optional<daynote::NoteStep> fail_at;  // the step that throws NoteError
  bool lose_creation_race = false;           // another start creates the note first

  daynote::Seconds Now() override {
    const std::size_t i = static_cast<std::size_t>(clock_reads++);
    return readings[i < readings.size() ? i : readings.size() - 1];
  }

  std::tm LocalTime(daynote::Seconds time) override {
    const std::int64_t days = time >= 0 ? time / 86400 : (time - 86399) / 86400;
    const civil::Date date = civil::CivilFromDays(days);
    std::tm local{};
    local.tm_year = static_cast<int>(date.year - 1900);
    local.tm_mon = date.month - 1;
    local.tm_mday = date.day;
    local.tm_wday = civil::WeekdayFromDays(days);
    const std::int64_t second_of_day = time - days * 86400;
    local.tm_hour = static_cast<int>(second_of_day / 3600);
    local.tm_min = static_cast<int>(second_of_day / 60 % 60);
    local.tm_sec = static_cast<int>(second_of_day % 60);
    return local;
  }

  std::optional<std::string> FindEntry(const std::string& name) override {
    for (const auto& [entry_name, entry] : entries) {
      if (SameIgnoringCase(entry_name, name)) return entry_name;
    }
    return std::nullopt;
  }

  std::unique_ptr<daynote::NoteFile> CreateNew(const std::string& name) override {
    if (lose_creation_race) entries[name] = Entry{Kind::File, "theirs", true};
    if (entries.count(name)) return nullptr;
    FailIfAsked(daynote::NoteStep::Create, name);
    entries[name] = Entry{Kind::File, "", false};
    return std::make_unique<File>(*this, name);
  }

  void Remove(const std::string& name) override { entries.erase(name); }

  void Open(const std::string& name) override { opened.push_back(name); }

 private:
  class File : public daynote::NoteFile {
   public:
    File(Host& host, std::string name) : host_(host), name_(std::move(name)) {}
    void Write(const std::string& text) override {
      host_.FailIfAsked(daynote::NoteStep::Write, name_);
      host_.entries[name_].content += text;
    }
    void Flush() override { host_.FailIfAsked(daynote::NoteStep::Flush, name_); }
    void Close() override {
      host_.FailIfAsked(daynote::NoteStep::Close, name_);
      host_.entries[name_].complete = true;
    }

   private:
    Host& host_;
    std::string name_;
  };

  void FailIfAsked(daynote::NoteStep step, const std::string& name) {
    if (fail_at == step) throw daynote::NoteError(step, name, "/fake", "injected failure");
  }

  static bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (std::tolower(static_cast<unsigned char>(a[i])) !=
          std::tolower(static_cast<unsigned char>(b[i])))
        return false;
    }
    return true;
  }
};

inline daynote::Seconds AtUtc(std::int64_t year, int month, int day, int hour = 12, int minute = 0,
                              int second = 0) {
  return civil::DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

}  // namespace fake

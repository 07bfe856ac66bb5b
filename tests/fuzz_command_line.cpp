// A libFuzzer target over the command-line grammar and DATE's reader. Words
// are the input split at NUL bytes, as a program's arguments are. Whatever
// they hold, nothing may crash or trip a sanitizer, every refusal says why,
// and every DATE accepted names a real day of the supported years: written
// as YYYY-MM-DD it reads back the same, and counted from today it lands
// that many days away.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "daynote/command_line.h"

namespace {

void Require(bool holds) {
  if (!holds) std::abort();
}

bool IsSupportedDay(const daynote::Date& day) {
  return daynote::IsSupportedYear(day.year) && daynote::IsRealDate(day.year, day.month, day.day);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> words(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i]) {
      words.back() += static_cast<char>(data[i]);
    } else {
      words.emplace_back();
    }
  }
  const daynote::CommandLine line = daynote::ParseCommandLine(words, size % 2 == 1);
  Require((line.action == daynote::CommandLine::Action::kMisused) == !line.problem.empty());

  for (const std::string& word : words) {
    std::string problem;
    const std::optional<daynote::DaySpec> day = daynote::ParseDate(word, &problem);
    Require(day.has_value() == problem.empty());
    if (!day) continue;
    if (day->date) {
      Require(IsSupportedDay(*day->date) && daynote::IsoDate(*day->date) == word);
      continue;
    }
    for (const daynote::Date today : {daynote::Date{1, 1, 1}, daynote::Date{2026, 12, 8},
                                      daynote::Date{9999, 12, 31}}) {
      const std::optional<daynote::Date> resolved = daynote::ResolveDay(*day, today);
      if (!resolved) continue;
      Require(IsSupportedDay(*resolved) &&
              daynote::DaysFromDate(*resolved) - daynote::DaysFromDate(today) == day->offset &&
              daynote::DateFromDays(daynote::DaysFromDate(*resolved)) == *resolved);
    }
  }
  return 0;
}

#include "daynote/command_line.h"

#include "daynote/quoting.h"

namespace daynote {
namespace {

struct LongOption {
  const char* name;
  char letter;  // the short option it stands for, or its own mark
  bool takes_value;
};
constexpr LongOption kLongOptions[] = {{"date", 'd', true},  {"previous", '<', false},
                                       {"next", '>', false}, {"path", 'p', false},
                                       {"help", 'h', false}, {"version", 'V', false}};

// The long option `word` ("--pa") names, exactly or as the only one it
// begins; none, with `problem` set, otherwise. Where `no_path`, a shortened
// word never means --path.
const LongOption* FindLongOption(const std::string& word, std::string& problem, bool no_path) {
  const std::string name = word.substr(2);
  std::vector<const LongOption*> begun;
  for (const LongOption& option : kLongOptions) {
    if (name == option.name) return &option;
    if (no_path && option.letter == 'p') continue;
    if (std::string(option.name).compare(0, name.size(), name) == 0) begun.push_back(&option);
  }
  if (begun.size() == 1) return begun[0];
  if (begun.empty()) {
    problem = "unknown option " + Quoted(word);
  } else {
    problem = "option " + Quoted(word) + " is ambiguous; possibilities:";
    for (const LongOption* option : begun) problem += std::string(" '--") + option->name + "'";
  }
  return nullptr;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments, bool slash_help) {
  CommandLine line;
  std::vector<std::string> operands;
  std::optional<Neighbour> neighbour;
  // The first wrong value or pairing. As in GNU tools, a --help or --version
  // anywhere still wins over it; a word getopt cannot read does not.
  std::string wrong;
  const auto misused = [&](const std::string& problem) {
    line.action = CommandLine::Action::kMisused;
    line.problem = problem;
    return line;
  };
  const auto mind = [&](const std::string& problem) {
    if (wrong.empty()) wrong = problem;
  };
  // Takes the option `letter`, with `value` where it takes one; true when the
  // reading ends there: help and the version are shown at once.
  const auto take = [&](char letter, const std::string& value) {
    std::string problem;
    switch (letter) {
      case 'd':
        if (const std::optional<DaySpec> day = ParseDate(value, &problem)) {
          line.request.day = *day;
        } else {
          mind(problem);
        }
        return false;
      case '<':
      case '>': {
        const Neighbour chosen = letter == '<' ? Neighbour::kPrevious : Neighbour::kNext;
        if (neighbour && *neighbour != chosen) {
          mind("options '--previous' and '--next' cannot be given together");
        }
        neighbour = chosen;
        return false;
      }
      case 'p':
        line.print_path = true;
        return false;
      default:
        line.action = letter == 'h' ? CommandLine::Action::kHelp : CommandLine::Action::kVersion;
        return true;
    }
  };

  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    if (word == "--") {
      operands.insert(operands.end(), arguments.begin() + static_cast<long>(i) + 1,
                      arguments.end());
      break;
    }
    if (word.compare(0, 2, "--") == 0) {
      const std::size_t equals = word.find('=');
      // "--=x" names no option at all, rather than every one.
      if (equals == 2) return misused("unknown option " + Quoted(word));
      std::string problem;
      const LongOption* option = FindLongOption(word.substr(0, equals), problem, slash_help);
      if (!option) return misused(problem);
      std::string value;
      if (equals != std::string::npos) {
        if (!option->takes_value) {
          return misused(std::string("option '--") + option->name + "' takes no argument");
        }
        value = word.substr(equals + 1);
      } else if (option->takes_value) {
        if (++i == arguments.size()) {
          return misused(std::string("option '--") + option->name + "' requires an argument");
        }
        value = arguments[i];
      }
      if (take(option->letter, value)) return line;
    } else if (word.size() > 1 && word[0] == '-') {
      for (std::size_t at = 1; at < word.size(); ++at) {
        const char letter = word[at];
        if (letter == 'd') {
          // The value is the rest of the word, or else the next word.
          std::string value = word.substr(at + 1);
          if (value.empty() && ++i == arguments.size()) {
            return misused("option '-d' requires an argument");
          }
          take('d', value.empty() ? arguments[i] : value);
          break;
        }
        if (letter != 'p' && letter != 'h' && letter != 'V') {
          return misused("unknown option " + Quoted(std::string("-") + letter));
        }
        if (take(letter, "")) return line;
      }
    } else if (slash_help && (word == "/?" || word == "/h" || word == "/H" || word == "/help" ||
                              word == "/HELP" || word == "/Help")) {
      take('h', "");
      return line;
    } else {
      operands.push_back(word);
    }
  }
  if (operands.size() > 1) mind("extra operand " + Quoted(operands[1]));
  if (!wrong.empty()) return misused(wrong);
  if (!operands.empty()) line.folder = operands[0];
  line.request.neighbour = neighbour.value_or(Neighbour::kNone);
  return line;
}

}  // namespace daynote

#include "console/story_name.hpp"

#include <istream>
#include <ostream>

namespace console {

bool read_console_line(std::istream& in, std::string& line) {
  line.clear();
  char c = 0;
  while (line.size() < max_line_bytes && in.get(c)) {
    line.push_back(c);
    if (c == '\n') {
      break;
    }
  }
  return !line.empty();
}

std::string_view trim_answer(std::string_view answer) {
  answer = answer.substr(0, answer.find('\0'));
  if (answer.ends_with('\n')) {
    answer.remove_suffix(1);
    if (answer.ends_with('\r')) {
      answer.remove_suffix(1);
    }
  }
  const auto last = answer.find_last_not_of(' ');
  if (last == std::string_view::npos) {
    return {};
  }
  answer = answer.substr(0, last + 1);
  return answer.substr(answer.find_first_not_of(' '));
}

std::optional<std::string> ask_story_name(std::istream& in, std::ostream& out) {
  std::string line;
  for (;;) {
    out << name_question << std::flush;
    if (!read_console_line(in, line)) {
      return std::nullopt;
    }
    const std::string_view name = trim_answer(line);
    if (!name.empty() && name.size() <= max_name_bytes) {
      return std::string(name);
    }
  }
}

} // namespace console

// Reading answers from the console, and asking for the story's name.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace console {

// One read takes at most this many bytes: a longer line arrives in pieces.
inline constexpr std::size_t max_line_bytes = 1023;
// The longest story name the database's name field holds.
inline constexpr std::size_t max_name_bytes = 31;

inline constexpr std::string_view name_question = "\nPlease name this story (max 31 chars): ";

// Reads one line, or its next piece of at most max_line_bytes bytes, up to and
// including the newline. False at the end of input when nothing was read.
bool read_console_line(std::istream& in, std::string& line);

// What is left of an answer once it is cut at a zero byte, its line end
// (a newline, or a carriage return and a newline) is dropped, and spaces are
// trimmed at both ends. Other bytes, tabs included, stay as typed.
[[nodiscard]] std::string_view trim_answer(std::string_view answer);

// Asks until an answer trims to 1 to 31 bytes, and returns it. Returns nothing
// when the input ends first: the question is not asked again after that.
[[nodiscard]] std::optional<std::string> ask_story_name(std::istream& in, std::ostream& out);

} // namespace console

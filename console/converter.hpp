// One run of the converter: the argument modes, the files, the dialogue.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace console {

// One command-line argument. `bytes` is the argument as the narrow command
// line spells it: what messages print and what a story name stores. `path` is
// what the system opens; on Windows it keeps characters that the narrow
// bytes cannot spell, elsewhere it holds the same bytes.
struct argument {
  std::string bytes;
  std::filesystem::path path;
};

// An argument whose path holds the same bytes as its text.
[[nodiscard]] argument narrow_argument(std::string_view text);

namespace message {
inline constexpr std::string_view banner =
    "tarnwick - Convert a Z-code story file into a Varlowe Palm database.\n";
inline constexpr std::string_view usage =
    "\nUsage: tarnwick filename.z filename.pdb \"Story Name\"\n"
    "Windows users can drag a Z-code file on top of this executable.\n";
inline constexpr std::string_view open_input_failed = "\nError opening input file.\n";
inline constexpr std::string_view output_file = "\nOutput file: ";
inline constexpr std::string_view open_output_failed = "\nError opening output file.\n";
inline constexpr std::string_view wrote = "\nWrote ";
inline constexpr std::string_view wrote_end = " bytes to output file.\n";
inline constexpr std::string_view pause = "\nPress ENTER: ";
// Failures that the run detects beyond the two open failures.
inline constexpr std::string_view read_input_failed = "\nError reading input file.\n";
inline constexpr std::string_view input_too_large =
    "\nError: input file is larger than 268431360 bytes.\n";
inline constexpr std::string_view output_is_input = "\nError: output file is the input file.\n";
inline constexpr std::string_view no_story_name =
    "\nError: input ended before a story name was given.\n";
inline constexpr std::string_view write_output_failed = "\nError writing output file.\n";
} // namespace message

// Runs the converter on the arguments that follow the program's name,
// talking through in and out, and returns the exit status: 0 when a database
// was written, 1 otherwise.
[[nodiscard]] int run_converter(std::span<const argument> args, std::istream& in,
                                std::ostream& out);

} // namespace console

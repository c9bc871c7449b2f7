#include "console/converter.hpp"

#include "console/output_name.hpp"
#include "console/story_name.hpp"
#include "storydb/story_database.hpp"

#include <fstream>
#include <optional>
#include <ostream>
#include <system_error>

namespace console {
namespace {

namespace fs = std::filesystem;

constexpr int exit_success = 0;
constexpr int exit_failure = 1;

int fail(std::ostream& out, std::string_view text) {
  out << text << std::flush;
  return exit_failure;
}

std::string_view story_error_message(storydb::write_error error) {
  switch (error) {
  case storydb::write_error::story_too_large:
    return message::input_too_large;
  case storydb::write_error::database_unwritable:
    return message::write_output_failed;
  case storydb::write_error::story_unmeasurable:
  case storydb::write_error::story_unreadable:
  case storydb::write_error::none:
    break;
  }
  return message::read_input_failed;
}

// Refuses, before opening it, a story path that names no file of bytes: a
// folder (which some systems open for reading all the same), or a pipe or
// socket, which cannot be measured and whose opening may wait for a writer.
std::optional<std::string_view> unusable_story(const fs::path& path) {
  std::error_code ec;
  const fs::file_status kind = fs::status(path, ec);
  if (fs::is_directory(kind)) {
    return message::open_input_failed;
  }
  if (fs::is_fifo(kind) || fs::is_socket(kind)) {
    return message::read_input_failed;
  }
  return std::nullopt;
}

// True when both paths name one existing file, however they are spelled
// (another relative form, a link, a hard link).
bool same_file(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec);
}

// Removes what a failed run wrote, but only a plain file: a device such as
// a terminal, or a link, is left alone.
void discard_database(const fs::path& path) {
  std::error_code ec;
  if (fs::is_regular_file(fs::symlink_status(path, ec))) {
    fs::remove(path, ec);
  }
}

void pause(std::istream& in, std::ostream& out) {
  out << message::pause << std::flush;
  std::string line;
  read_console_line(in, line);
}

} // namespace

argument narrow_argument(std::string_view text) {
  return {std::string(text), fs::path(text)};
}

int run_converter(std::span<const argument> args, std::istream& in, std::ostream& out) {
  out << message::banner;
  if (args.empty()) {
    out << message::usage;
    pause(in, out);
    return exit_failure;
  }

  const argument& story_arg = args[0];
  if (const auto refusal = unusable_story(story_arg.path)) {
    return fail(out, *refusal);
  }
  std::ifstream story(story_arg.path, std::ios::binary);
  if (!story) {
    return fail(out, message::open_input_failed);
  }
  // Measured now so that a story that cannot be converted is refused before
  // any question, and before the database is created or emptied.
  const storydb::story_size size = storydb::measure_story(story);
  if (size.error != storydb::write_error::none) {
    return fail(out, story_error_message(size.error));
  }

  fs::path database_path;
  if (args.size() == 1) {
    database_path = derive_output_path(story_arg.path);
    out << message::output_file << derive_output_name(story_arg.bytes) << '\n';
  } else {
    database_path = args[1].path;
  }
  if (same_file(story_arg.path, database_path)) {
    return fail(out, message::output_is_input);
  }

  std::string name;
  if (args.size() >= 3) {
    name = args[2].bytes;
  } else {
    std::optional<std::string> answer = ask_story_name(in, out);
    if (!answer) {
      return fail(out, message::no_story_name);
    }
    name = std::move(*answer);
  }

  std::ofstream database(database_path, std::ios::binary | std::ios::trunc);
  if (!database) {
    story.close();
    return fail(out, message::open_output_failed);
  }
  const storydb::write_result result = storydb::write_story_database(story, database, name);
  database.close();
  story.close();
  if (result.error != storydb::write_error::none || database.fail()) {
    discard_database(database_path);
    const auto error = result.error == storydb::write_error::none
                           ? storydb::write_error::database_unwritable
                           : result.error;
    return fail(out, story_error_message(error));
  }

  out << message::wrote << result.bytes_written << message::wrote_end;
  if (args.size() == 1) {
    pause(in, out);
  }
  out << std::flush;
  return exit_success;
}

} // namespace console

#include "storydb/story_database.hpp"

#include <algorithm>
#include <array>
#include <istream>
#include <ostream>
#include <vector>

namespace storydb {
namespace {

// Both dates of every database: a fixed moment, so that the same story and
// name always give the same bytes.
constexpr std::uint32_t fixed_date = 883720863;         // 0x34AC829F
constexpr std::uint32_t record_attributes = 0x60000000; // attributes 0x60, unique ID 0
constexpr std::array<char, 4> database_type{'Z', 'C', 'O', 'D'};
constexpr std::array<char, 4> creator{'V', 'r', 'l', 'w'};
// The copy moves the story through a buffer of this size, so memory does
// not grow with the story.
constexpr std::size_t copy_block = std::size_t{256} * 1024;

void put_byte(std::ostream& out, std::uint32_t value) {
  out.put(static_cast<char>(value & 0xFFU));
}

void write_name_field(std::ostream& database, std::string_view name) {
  const auto length = std::min({name.find('\0'), name.size(), name_field_size - 1});
  std::array<char, name_field_size> field{};
  std::copy_n(name.begin(), length, field.begin());
  database.write(field.data(), field.size());
}

void write_header(std::ostream& database, std::string_view name, std::uint32_t records) {
  write_name_field(database, name);
  put_be16(database, 0);          // attributes
  put_be16(database, 1);          // version
  put_be32(database, fixed_date); // created
  put_be32(database, fixed_date); // modified
  put_be32(database, 0);          // last backup
  put_be32(database, 0);          // modification number
  put_be32(database, 0);          // application info offset
  put_be32(database, 0);          // sort info offset
  database.write(database_type.data(), database_type.size());
  database.write(creator.data(), creator.size());
  put_be32(database, 0); // unique ID seed
  put_be32(database, 0); // next record list
  put_be16(database, records);
}

void write_record_list(std::ostream& database, std::uint32_t records) {
  const std::uint32_t first = header_size + entry_size * records;
  for (std::uint32_t i = 0; i < records; ++i) {
    put_be32(database, first + record_size * i);
    put_be32(database, record_attributes);
  }
}

// Copies exactly `bytes` bytes from the start of story; false when the story
// ends early or cannot be read.
bool copy_story(std::istream& story, std::ostream& database, std::uint32_t bytes) {
  if (!story.seekg(0, std::ios::beg)) {
    return false;
  }
  std::vector<char> block(std::min<std::size_t>(copy_block, bytes));
  std::uint32_t left = bytes;
  while (left > 0 && database) {
    const auto wanted = static_cast<std::streamsize>(std::min<std::size_t>(left, block.size()));
    story.read(block.data(), wanted);
    const auto got = story.gcount();
    database.write(block.data(), got);
    if (got != wanted) {
      return false;
    }
    left -= static_cast<std::uint32_t>(got);
  }
  return true;
}

} // namespace

void put_be16(std::ostream& out, std::uint32_t value) {
  put_byte(out, value >> 8U);
  put_byte(out, value);
}

void put_be32(std::ostream& out, std::uint32_t value) {
  put_byte(out, value >> 24U);
  put_byte(out, value >> 16U);
  put_byte(out, value >> 8U);
  put_byte(out, value);
}

story_size measure_story(std::istream& story) {
  if (!story.seekg(0, std::ios::end)) {
    return {write_error::story_unmeasurable, 0};
  }
  const std::streamoff end = story.tellg();
  if (end < 0) {
    return {write_error::story_unmeasurable, 0};
  }
  if (end > std::streamoff{max_story_size}) {
    return {write_error::story_too_large, 0};
  }
  return {write_error::none, static_cast<std::uint32_t>(end)};
}

write_result write_story_database(std::istream& story, std::ostream& database,
                                  std::string_view name) {
  const story_size size = measure_story(story);
  if (size.error != write_error::none) {
    return {size.error, 0};
  }
  const std::uint32_t records = record_count(size.bytes);
  write_header(database, name, records);
  write_record_list(database, records);
  const bool story_read = copy_story(story, database, size.bytes);
  database.flush();
  if (!database) {
    return {write_error::database_unwritable, 0};
  }
  if (!story_read) {
    return {write_error::story_unreadable, 0};
  }
  // The story is left at its end, as after reading it through.
  story.seekg(0, std::ios::end);
  return {write_error::none, static_cast<std::int32_t>(database_size(size.bytes))};
}

} // namespace storydb

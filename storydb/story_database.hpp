// Writes a story file as a Palm database of type "ZCOD" and creator "Vrlw":
// a 78-byte header, one 8-byte entry per 4,096-byte record, then the story's
// bytes unchanged. The writer only uses the streams it is given; opening,
// closing and naming files is the caller's business.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string_view>

namespace storydb {

inline constexpr std::uint32_t record_size = 4096;
inline constexpr std::uint32_t header_size = 78;
inline constexpr std::uint32_t entry_size = 8;
// The record count is a 16-bit field, which caps the story's size.
inline constexpr std::uint32_t max_records = 0xFFFF;
inline constexpr std::uint32_t max_story_size = max_records * record_size;
// Bytes of the name field, the terminating zero included.
inline constexpr std::size_t name_field_size = 32;

enum class write_error {
  none,
  story_unmeasurable,  // the story cannot be sized by seeking (a pipe, say)
  story_too_large,     // more than max_story_size bytes
  story_unreadable,    // a read failed or the story ended early
  database_unwritable, // a write to the database failed
};

struct story_size {
  write_error error;
  std::uint32_t bytes; // meaningful only when error is none
};

struct write_result {
  write_error error;
  // Bytes written to the database, 78 + 8N + S; 0 when error is not none.
  std::int32_t bytes_written;
};

// Number of records for a story of the given size: ceil(size / 4096).
[[nodiscard]] constexpr std::uint32_t record_count(std::uint32_t story_bytes) {
  return story_bytes / record_size + (story_bytes % record_size != 0 ? 1 : 0);
}

// Total size of the database written for a story of the given size.
[[nodiscard]] constexpr std::uint32_t database_size(std::uint32_t story_bytes) {
  return header_size + entry_size * record_count(story_bytes) + story_bytes;
}

// Writes bits 15..8 then 7..0 of value; the upper half is ignored.
void put_be16(std::ostream& out, std::uint32_t value);
// Writes bits 31..24, 23..16, 15..8 and 7..0 of value.
void put_be32(std::ostream& out, std::uint32_t value);

// Seeks the story to its end to learn its size, and leaves it there. Fails
// when the story cannot seek or is too large for the record count.
[[nodiscard]] story_size measure_story(std::istream& story);

// Writes the whole database for story to database, which must be empty, and
// leaves story at its end and database open. The name is taken up to its
// first zero byte, at most 31 bytes of it; the rest of the 32-byte field is
// zero. Exactly the measured number of story bytes is copied, so the header
// always describes the data that follows it.
// When the story cannot be measured or is too large, nothing is written.
// After a failed read or write the database is incomplete: discard it.
[[nodiscard]] write_result write_story_database(std::istream& story, std::ostream& database,
                                                std::string_view name);

} // namespace storydb

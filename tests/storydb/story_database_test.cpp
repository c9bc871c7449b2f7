#include "storydb/story_database.hpp"

#include "tests/support/test_streams.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace {

using storydb::write_error;
using tarnwick_test::checking_database;
using tarnwick_test::generated_story;
using tarnwick_test::story_byte;

std::string bytes_of(std::initializer_list<int> values) {
  std::string out;
  for (const int v : values) {
    out.push_back(static_cast<char>(v));
  }
  return out;
}

std::uint32_t be32_at(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    v = (v << 8U) | static_cast<unsigned char>(s.at(at + i));
  }
  return v;
}

std::uint32_t be16_at(const std::string& s, std::size_t at) {
  return (std::uint32_t{static_cast<unsigned char>(s.at(at))} << 8U) |
         static_cast<unsigned char>(s.at(at + 1));
}

std::string story_of_size(std::size_t size) {
  std::string story(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    story[i] = story_byte(i);
  }
  return story;
}

struct converted {
  storydb::write_result result;
  std::string database;
};

converted convert(const std::string& story_bytes, std::string_view name) {
  std::istringstream story(story_bytes);
  std::ostringstream database;
  const auto result = storydb::write_story_database(story, database, name);
  return {result, database.str()};
}

TEST(PutBigEndian, WritesMostSignificantByteFirst) {
  struct case16 {
    std::uint32_t value;
    std::string bytes;
  };
  for (const auto& [value, bytes] : std::vector<case16>{
           {0x0000, bytes_of({0x00, 0x00})},
           {0x0001, bytes_of({0x00, 0x01})},
           {0xABCD, bytes_of({0xAB, 0xCD})},
           {0x1234FFFE, bytes_of({0xFF, 0xFE})}, // the upper half is ignored
       }) {
    std::ostringstream out;
    storydb::put_be16(out, value);
    EXPECT_EQ(out.str(), bytes) << std::hex << value;
  }
  for (const auto& [value, bytes] : std::vector<case16>{
           {0x00000000, bytes_of({0x00, 0x00, 0x00, 0x00})},
           {0x34AC829F, bytes_of({0x34, 0xAC, 0x82, 0x9F})},
           {0x60000000, bytes_of({0x60, 0x00, 0x00, 0x00})},
           {0xFFFFFFFF, bytes_of({0xFF, 0xFF, 0xFF, 0xFF})},
       }) {
    std::ostringstream out;
    storydb::put_be32(out, value);
    EXPECT_EQ(out.str(), bytes) << std::hex << value;
  }
}

// A whole small database, byte for byte.
TEST(WriteStoryDatabase, WritesTheExactBytesOfASmallDatabase) {
  const converted c = convert("ZORK", "Night Garden");
  const std::string expected =
      std::string("Night Garden") + std::string(20, '\0') +        // name field
      bytes_of({0x00, 0x00, 0x00, 0x01}) +                         // attributes, version
      bytes_of({0x34, 0xAC, 0x82, 0x9F, 0x34, 0xAC, 0x82, 0x9F}) + // dates
      std::string(16, '\0') + "ZCODVrlw" + std::string(8, '\0') +  // ... type, creator
      bytes_of({0x00, 0x01}) +                                     // one record
      bytes_of({0x00, 0x00, 0x00, 0x56, 0x60, 0x00, 0x00, 0x00}) + // at offset 86
      "ZORK";
  EXPECT_EQ(c.result.error, write_error::none);
  EXPECT_EQ(c.result.bytes_written, 90);
  EXPECT_EQ(c.database, expected);
}

TEST(WriteStoryDatabase, LaysOutRecordsForEverySize) {
  struct size_case {
    std::size_t story_size;
    std::uint32_t records;
    std::size_t last_record_size;
  };
  for (const auto& [story_size, records, last_record_size] : std::vector<size_case>{
           {0, 0, 0},
           {1, 1, 1},
           {4095, 1, 4095},
           {4096, 1, 4096},
           {4097, 2, 1},
           {2 * 4096 + 100, 3, 100},
       }) {
    SCOPED_TRACE(story_size);
    const std::string story = story_of_size(story_size);
    const converted c = convert(story, "Size test");
    const std::size_t data_start = 78 + 8 * std::size_t{records};

    EXPECT_EQ(c.result.error, write_error::none);
    ASSERT_EQ(c.database.size(), data_start + story_size);
    EXPECT_EQ(c.result.bytes_written, static_cast<std::int32_t>(c.database.size()));
    EXPECT_EQ(be16_at(c.database, 76), records);
    for (std::uint32_t i = 0; i < records; ++i) {
      EXPECT_EQ(be32_at(c.database, 78 + 8 * i), data_start + 4096 * i) << "record " << i;
      EXPECT_EQ(be32_at(c.database, 78 + 8 * i + 4), 0x60000000U) << "record " << i;
    }
    if (records > 0) {
      EXPECT_EQ(c.database.size() - be32_at(c.database, 78 + 8 * (records - 1)), last_record_size);
    }
    EXPECT_EQ(c.database.substr(data_start), story);
  }
}

TEST(WriteStoryDatabase, FixedHeaderBytesAreTheSameForAnyStory) {
  const std::string fixed =
      bytes_of({0x00, 0x00, 0x00, 0x01, 0x34, 0xAC, 0x82, 0x9F, 0x34, 0xAC, 0x82, 0x9F}) +
      std::string(16, '\0') + "ZCODVrlw" + std::string(8, '\0');
  for (const std::string& story :
       {std::string(), std::string("plain text, not a story\r\n"), std::string(5000, '\xFF')}) {
    const converted c = convert(story, "Any");
    EXPECT_EQ(c.database.substr(32, 44), fixed);
  }
}

TEST(WriteStoryDatabase, NameFieldHoldsAtMost31BytesAndZeros) {
  struct name_case {
    std::string name;
    std::string field;
  };
  const std::string thirty_one(31, 'n');
  for (const auto& [name, field] : std::vector<name_case>{
           {"", std::string(32, '\0')},
           {"  Spaced  ", "  Spaced  " + std::string(22, '\0')},
           {thirty_one, thirty_one + '\0'},
           {thirty_one + "overflow", thirty_one + '\0'},
           {std::string("Cut\0garbage", 11), "Cut" + std::string(29, '\0')},
           {"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9" + std::string(27, '\0')},
       }) {
    EXPECT_EQ(convert("x", name).database.substr(0, 32), field) << name;
  }
}

TEST(WriteStoryDatabase, CopiesTheWholeStoryFromAnyStartingPosition) {
  const std::string bytes = story_of_size(5000);
  std::istringstream story(bytes);
  story.seekg(1234);
  std::ostringstream database;
  const auto result = storydb::write_story_database(story, database, "Pos");
  EXPECT_EQ(result.error, write_error::none);
  EXPECT_EQ(database.str().substr(94), bytes);
  EXPECT_EQ(story.tellg(), std::streampos(5000));
}

TEST(WriteStoryDatabase, ConvertsTheLargestStoryTheFormatHolds) {
  constexpr std::uint64_t size = 268431360;
  constexpr std::uint64_t data_start = 78 + 8 * 65535;
  generated_story story_buf(size, size);
  checking_database database_buf(data_start, data_start);
  std::istream story(&story_buf);
  std::ostream database(&database_buf);

  const auto result = storydb::write_story_database(story, database, "Largest");

  EXPECT_EQ(result.error, write_error::none);
  EXPECT_EQ(result.bytes_written, std::int64_t{data_start + size});
  EXPECT_EQ(database_buf.size(), data_start + size);
  EXPECT_EQ(database_buf.data_mismatches(), 0U);
  const std::string head(database_buf.head().begin(), database_buf.head().end());
  EXPECT_EQ(be16_at(head, 76), 65535U);
  EXPECT_EQ(be32_at(head, 78 + 8 * 65534), data_start + 4096 * 65534);
}

TEST(WriteStoryDatabase, RefusesStoriesItCannotDescribeBeforeWritingAnything) {
  struct refusal {
    std::uint64_t size;
    write_error error;
  };
  for (const auto& [size, error] : std::vector<refusal>{
           {268431361, write_error::story_too_large},
           {std::uint64_t{1} << 32, write_error::story_too_large},
       }) {
    generated_story story_buf(size, 0);
    checking_database database_buf(0, 0);
    std::istream story(&story_buf);
    std::ostream database(&database_buf);
    EXPECT_EQ(storydb::write_story_database(story, database, "Big").error, error) << size;
    EXPECT_EQ(database_buf.size(), 0U);
  }

  tarnwick_test::unseekable_story pipe_buf({'a', 'b'});
  std::istream pipe(&pipe_buf);
  std::ostringstream database;
  EXPECT_EQ(storydb::write_story_database(pipe, database, "Pipe").error,
            write_error::story_unmeasurable);
  EXPECT_TRUE(database.str().empty());
}

TEST(WriteStoryDatabase, ReportsAStoryThatEndsBeforeItsMeasuredSize) {
  generated_story story_buf(10000, 9999);
  checking_database database_buf(78 + 8 * 3, 0);
  std::istream story(&story_buf);
  std::ostream database(&database_buf);
  EXPECT_EQ(storydb::write_story_database(story, database, "Short").error,
            write_error::story_unreadable);
}

TEST(WriteStoryDatabase, CopiesOnlyTheMeasuredBytesOfAStoryThatGrows) {
  generated_story story_buf(5000, 9000);
  checking_database database_buf(78 + 8 * 2, 0);
  std::istream story(&story_buf);
  std::ostream database(&database_buf);
  const auto result = storydb::write_story_database(story, database, "Grows");
  EXPECT_EQ(result.error, write_error::none);
  EXPECT_EQ(database_buf.size(), 78 + 8 * 2 + 5000U);
  EXPECT_EQ(database_buf.data_mismatches(), 0U);
}

TEST(WriteStoryDatabase, ReportsAFailedWriteWherever) {
  // Full in the header, in the record list, and in the story's bytes.
  for (const std::uint64_t capacity : {0U, 40U, 90U, 78U + 8 * 3 + 5000U}) {
    generated_story story_buf(9000, 9000);
    checking_database database_buf(78 + 8 * 3, 0, capacity);
    std::istream story(&story_buf);
    std::ostream database(&database_buf);
    EXPECT_EQ(storydb::write_story_database(story, database, "Full").error,
              write_error::database_unwritable)
        << capacity;
  }
}

} // namespace

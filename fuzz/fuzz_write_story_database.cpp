// Feeds arbitrary stories and names to the writer and reads every database
// back: its size, each header field, each record entry and the story bytes.
//
// Input: one byte giving the name's length (modulo 48), the name, then the
// story.
#include "storydb/story_database.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

namespace {

void require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "database check failed: %s\n", what);
    std::abort();
  }
}

std::uint32_t be(const std::string& s, std::size_t at, std::size_t width) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < width; ++i) {
    v = (v << 8U) | static_cast<unsigned char>(s[at + i]);
  }
  return v;
}

bool zeros(const std::string& s, std::size_t from, std::size_t to) {
  return std::all_of(s.begin() + static_cast<std::ptrdiff_t>(from),
                     s.begin() + static_cast<std::ptrdiff_t>(to), [](char c) { return c == 0; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t name_length = std::min<std::size_t>(data[0] % 48, size - 1);
  const std::string name = input.substr(1, name_length);
  const std::string story_bytes = input.substr(1 + name_length);

  std::istringstream story(story_bytes);
  std::ostringstream database_stream;
  const auto result = storydb::write_story_database(story, database_stream, name);
  const std::string db = database_stream.str();

  const std::size_t s = story_bytes.size();
  const std::size_t n = (s + 4095) / 4096;
  const std::size_t data_start = 78 + 8 * n;
  require(result.error == storydb::write_error::none, "the writer reported an error");
  require(db.size() == data_start + s, "size is 78 + 8N + S");
  require(static_cast<std::size_t>(result.bytes_written) == db.size(), "count returned");

  const std::string_view kept =
      std::string_view(name).substr(0, std::min(name.find('\0'), std::size_t{31}));
  require(db.compare(0, kept.size(), kept) == 0, "name bytes");
  require(zeros(db, kept.size(), 32), "name field ends in zeros");
  require(be(db, 32, 2) == 0 && be(db, 34, 2) == 1, "attributes and version");
  require(be(db, 36, 4) == 0x34AC829F && be(db, 40, 4) == 0x34AC829F, "dates");
  require(zeros(db, 44, 60), "backup, modification number, info offsets");
  require(db.compare(60, 8, "ZCODVrlw") == 0, "type and creator");
  require(zeros(db, 68, 76), "seed and next list");
  require(be(db, 76, 2) == n, "record count");
  for (std::size_t i = 0; i < n; ++i) {
    require(be(db, 78 + 8 * i, 4) == data_start + 4096 * i, "record offset");
    require(be(db, 78 + 8 * i + 4, 4) == 0x60000000, "record attributes and ID");
  }
  require(db.compare(data_start, s, story_bytes) == 0, "story bytes");
  return 0;
}

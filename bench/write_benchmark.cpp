// Throughput of write_story_database on in-memory streams: the writer's own
// cost, with no file system underneath.
#include "storydb/story_database.hpp"

#include <benchmark/benchmark.h>

#include <istream>
#include <ostream>
#include <streambuf>
#include <string>

namespace {

// A story read straight from a string, without the copy that a string
// stream would make of it.
class story_view : public std::streambuf {
public:
  explicit story_view(std::string& bytes) {
    setg(bytes.data(), bytes.data(), bytes.data() + bytes.size());
  }

protected:
  pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode) override {
    const off_type base = dir == std::ios_base::beg   ? 0
                          : dir == std::ios_base::cur ? gptr() - eback()
                                                      : egptr() - eback();
    return seekpos(pos_type(base + off), std::ios_base::in);
  }
  pos_type seekpos(pos_type pos, std::ios_base::openmode) override {
    const off_type at = pos;
    if (at < 0 || at > egptr() - eback()) {
      return pos_type(off_type(-1));
    }
    setg(eback(), eback() + at, egptr());
    return pos;
  }
};

// A database that only counts what it is given, so the measure is the
// writer's work and not the growth of a string.
class counting_sink : public std::streambuf {
public:
  std::streamsize count = 0;

protected:
  int_type overflow(int_type ch) override {
    ++count;
    return traits_type::not_eof(ch);
  }
  std::streamsize xsputn(const char*, std::streamsize n) override {
    count += n;
    return n;
  }
};

void write_story_database(benchmark::State& state) {
  std::string story_bytes(static_cast<std::size_t>(state.range(0)), 'z');
  for (auto _ : state) {
    story_view source(story_bytes);
    std::istream story(&source);
    counting_sink sink;
    std::ostream database(&sink);
    const auto result = storydb::write_story_database(story, database, "Benchmark");
    benchmark::DoNotOptimize(result);
    if (result.error != storydb::write_error::none) {
      state.SkipWithError("the writer failed");
    }
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

BENCHMARK(write_story_database)->Arg(4096)->Arg(1 << 20)->Arg(64 << 20)->Arg(65535 * 4096);

} // namespace

BENCHMARK_MAIN();

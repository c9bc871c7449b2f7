// Stream buffers for the writer's tests: a story of any size that holds no
// memory, and a database that fails once it has taken a given number of bytes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <ios>
#include <streambuf>
#include <vector>

namespace tarnwick_test {

// The byte at offset i of every generated story. 251 is prime, so the
// pattern does not line up with the 4,096-byte records.
inline char story_byte(std::uint64_t i) {
  return static_cast<char>(i % 251);
}

// A read-only story that reports `measured` bytes when seeked to its end but
// yields `readable` bytes when read from its start, so a story that shrinks
// or grows between the two can be played.
class generated_story : public std::streambuf {
public:
  generated_story(std::uint64_t measured, std::uint64_t readable)
      : measured_(measured), readable_(readable), block_(64 * 1024) {
    setg(block_.data(), block_.data(), block_.data());
  }

protected:
  int_type underflow() override {
    if (next_ >= readable_) {
      return traits_type::eof();
    }
    const auto count = std::min<std::uint64_t>(block_.size(), readable_ - next_);
    for (std::uint64_t i = 0; i < count; ++i) {
      block_[i] = story_byte(next_ + i);
    }
    next_ += count;
    setg(block_.data(), block_.data(), block_.data() + count);
    return traits_type::to_int_type(block_[0]);
  }

  pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode) override {
    if (dir == std::ios_base::end && off == 0) {
      restart(measured_);
      return pos_type(off_type(measured_));
    }
    if (dir == std::ios_base::beg) {
      return seekpos(pos_type(off), std::ios_base::in);
    }
    if (dir == std::ios_base::cur && off == 0) {
      return pos_type(off_type(next_) - (egptr() - gptr()));
    }
    return pos_type(off_type(-1));
  }

  pos_type seekpos(pos_type pos, std::ios_base::openmode) override {
    restart(static_cast<std::uint64_t>(off_type(pos)));
    return pos;
  }

private:
  void restart(std::uint64_t at) {
    next_ = at;
    setg(block_.data(), block_.data(), block_.data());
  }

  std::uint64_t measured_;
  std::uint64_t readable_;
  std::uint64_t next_ = 0;
  std::vector<char> block_;
};

// A story that can be read but not seeked, as a pipe.
class unseekable_story : public std::streambuf {
public:
  explicit unseekable_story(std::vector<char> bytes) : bytes_(std::move(bytes)) {
    setg(bytes_.data(), bytes_.data(), bytes_.data() + bytes_.size());
  }

private:
  std::vector<char> bytes_;
};

// A database sink that keeps the first `keep` bytes it is given, counts all of
// them, and checks every byte from `data_start` on against the generated
// story's pattern. With a `capacity`, it refuses every byte beyond it, as a
// full disk does.
class checking_database : public std::streambuf {
public:
  checking_database(std::uint64_t data_start, std::size_t keep, std::uint64_t capacity = UINT64_MAX)
      : data_start_(data_start), keep_(keep), capacity_(capacity) {}

  std::uint64_t size() const {
    return size_;
  }
  std::uint64_t data_mismatches() const {
    return mismatches_;
  }
  const std::vector<char>& head() const {
    return head_;
  }

protected:
  int_type overflow(int_type ch) override {
    if (traits_type::eq_int_type(ch, traits_type::eof())) {
      return traits_type::not_eof(ch);
    }
    const char c = traits_type::to_char_type(ch);
    return xsputn(&c, 1) == 1 ? ch : traits_type::eof();
  }

  std::streamsize xsputn(const char* s, std::streamsize n) override {
    std::streamsize taken = 0;
    for (; taken < n && size_ < capacity_; ++taken, ++size_) {
      if (head_.size() < keep_) {
        head_.push_back(s[taken]);
      }
      if (size_ >= data_start_ && s[taken] != story_byte(size_ - data_start_)) {
        ++mismatches_;
      }
    }
    return taken;
  }

private:
  std::uint64_t data_start_;
  std::size_t keep_;
  std::uint64_t capacity_;
  std::uint64_t size_ = 0;
  std::uint64_t mismatches_ = 0;
  std::vector<char> head_;
};

} // namespace tarnwick_test

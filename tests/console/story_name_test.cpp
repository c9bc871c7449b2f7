#include "console/story_name.hpp"

#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string question = "\nPlease name this story (max 31 chars): ";

std::string times(int n, const std::string& s) {
  std::string out;
  for (int i = 0; i < n; ++i) {
    out += s;
  }
  return out;
}

struct dialogue {
  std::string label;
  std::string input;
  std::optional<std::string> name;
  int questions;           // how often the question is printed
  std::string left_unread; // what stays on the input for the next read
};

TEST(AskStoryName, PlaysEveryDialogue) {
  const std::string b31(31, 'b');
  const std::vector<dialogue> dialogues{
      {"plain", "Night Garden\n", "Night Garden", 1, ""},
      {"trimmed", "   Night Garden   \n", "Night Garden", 1, ""},
      {"inner spaces kept", "Night  Garden\n", "Night  Garden", 1, ""},
      {"empty then name", "\nNight\n", "Night", 2, ""},
      {"spaces then name", "     \nNight\n", "Night", 2, ""},
      {"exactly 31", b31 + "\n", b31, 1, ""},
      {"32 rejected", b31 + "c\nShort\n", "Short", 2, ""},
      {"leading spaces do not count", times(10, " ") + b31 + "\n", b31, 1, ""},
      {"tab stays", "Night\t\n", "Night\t", 1, ""},
      {"windows line end", "Night Garden\r\n", "Night Garden", 1, ""},
      {"windows line end and spaces", "  Night  \r\n", "Night", 1, ""},
      {"last line without newline", "Night", "Night", 1, ""},
      {"only the first line is read", "Night\nPause answer\n", "Night", 1, "Pause answer\n"},
      {"cut at a zero byte", std::string("Night\0junk\n", 11), "Night", 1, ""},
      {"utf-8 counted in bytes", times(16, "\xC3\xA9") + "\n\xC3\xA9t\xC3\xA9\n",
       "\xC3\xA9t\xC3\xA9", 2, ""},
      // A long line arrives in pieces of 1,023 bytes, each one answer.
      {"long line in pieces", times(1100, "x") + "\nName\n", "Name", 3, ""},
      {"accepted piece leaves the rest", times(1000, " ") + "Night" + times(18, " ") + "tail\n",
       "Night", 1, "tail\n"},
      // The end of input stops the questions.
      {"no input at all", "", std::nullopt, 1, ""},
      {"only rejected answers", "\n   \n" + b31 + "cc\n", std::nullopt, 4, ""},
      {"rejected last line without newline", "   ", std::nullopt, 2, ""},
  };
  for (const dialogue& d : dialogues) {
    SCOPED_TRACE(d.label);
    std::istringstream in(d.input);
    std::ostringstream out;
    EXPECT_EQ(console::ask_story_name(in, out), d.name);
    EXPECT_EQ(out.str(), times(d.questions, question));
    in.clear();
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), d.left_unread);
  }
}

TEST(ReadConsoleLine, ReadsAtMost1023BytesUpToTheNewline) {
  std::istringstream in(std::string(2000, 'a') + "\nb");
  std::string line;
  ASSERT_TRUE(console::read_console_line(in, line));
  EXPECT_EQ(line, std::string(1023, 'a'));
  ASSERT_TRUE(console::read_console_line(in, line));
  EXPECT_EQ(line, std::string(977, 'a') + "\n");
  ASSERT_TRUE(console::read_console_line(in, line));
  EXPECT_EQ(line, "b");
  EXPECT_FALSE(console::read_console_line(in, line));
  EXPECT_FALSE(console::read_console_line(in, line));
}

} // namespace

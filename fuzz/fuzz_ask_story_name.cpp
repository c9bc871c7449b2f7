// Feeds arbitrary console input to the story-name question: it must end on
// every input, ask at most once per line it reads plus once at the end of the
// input, and accept only a name of 1 to 31 bytes with no space at either end.
#include "console/story_name.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

void require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "story name check failed: %s\n", what);
    std::abort();
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::istringstream in(input);
  std::ostringstream out;
  const auto name = console::ask_story_name(in, out);

  const std::string printed = out.str();
  const std::string_view question = console::name_question;
  const std::size_t asked = printed.size() / question.size();
  require(asked * question.size() == printed.size(), "prints whole questions only");
  for (std::size_t i = 0; i < asked; ++i) {
    require(printed.compare(i * question.size(), question.size(), question) == 0,
            "prints the question and nothing else");
  }
  // Every question but the last one reads at least one byte, so the
  // question cannot come back more often than this: the loop ends.
  require(asked >= 1 && asked <= size + 1, "asks a bounded number of times");

  if (name) {
    require(!name->empty() && name->size() <= 31, "a name holds 1 to 31 bytes");
    require(name->front() != ' ' && name->back() != ' ', "no space at either end");
    require(name->find('\n') == std::string::npos, "no line end");
    require(name->find('\0') == std::string::npos, "no zero byte");
    require(input.find(*name) != std::string::npos, "the name was typed");
  } else {
    require(in.eof(), "gives up only at the end of the input");
  }
  return 0;
}

// The program's entry point: hands the real command line and console to the
// converter and returns its status.
#include "console/converter.hpp"

#include <iostream>
#include <vector>

#ifdef _WIN32
#include <windows.h>

namespace {

// The argument as the narrow (ANSI) command line spells it, which is what
// a story name keeps and what messages print.
std::string ansi_bytes(const wchar_t* wide) {
  const int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) {
    return {};
  }
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, -1, bytes.data(), size, nullptr, nullptr);
  bytes.pop_back(); // the terminating zero
  return bytes;
}

} // namespace

// Windows hands over the command line in wide characters: a dropped file's
// path may hold characters that the ANSI code page cannot spell, and only
// the wide path opens it.
int wmain(int argc, wchar_t** argv) {
  std::vector<console::argument> args;
  for (int i = 1; i < argc; ++i) {
    args.push_back({ansi_bytes(argv[i]), std::filesystem::path(argv[i])});
  }
  return console::run_converter(args, std::cin, std::cout);
}

#else

int main(int argc, char** argv) {
  std::vector<console::argument> args;
  for (int i = 1; i < argc; ++i) {
    args.push_back(console::narrow_argument(argv[i]));
  }
  return console::run_converter(args, std::cin, std::cout);
}

#endif

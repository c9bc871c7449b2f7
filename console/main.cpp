// The program's entry point: hands the real command line and console to the
// converter and returns its status.
#include "console/converter.hpp"

#include <iostream>
#include <vector>

int main(int argc, char **argv) {
  std::vector<console::argument> args;
  for (int i = 1; i < argc; ++i) {
    args.push_back(console::narrow_argument(argv[i]));
  }
  return console::run_converter(args, std::cin, std::cout);
}

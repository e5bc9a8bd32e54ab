#include <iostream>
#include <string>
#include <vector>

#include "tools/tavrin-cli/cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const int code = tavrin::cli::Run(args, std::cout, std::cerr);
  std::cout.flush();
  return code;
}

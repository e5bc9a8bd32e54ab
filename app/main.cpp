// Tavrin, the desktop program.
#include <iostream>
#include <string>
#include <vector>

#include "app/Tavrin.h"
#include "common/command_line.h"

namespace {

constexpr const char* kUsage =
    "usage: Tavrin [FILE.tvr]\n"
    "Compose messages for LED message signs and send them to the sign.\n"
    "  FILE.tvr     a message file to open in the editor\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n"
    "Qt's own options are taken too: -platform NAME, -style NAME, -reverse, ...\n";

}  // namespace

// Help, the version and mistakes in the arguments are answered here, without a window; the
// rest (a file to open, Qt's options) is the program's.
int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const auto answered = tavrin::AnswerHelpOrVersion(args, std::cout, "Tavrin", kUsage)) {
    return *answered;
  }
  const std::string problem = tavrin::ArgumentsProblem(args, {{"--exit-when-shown"}, true, true});
  if (!problem.empty()) return tavrin::TellBadArguments(std::cerr, "Tavrin", problem);
  return tavrin::RunTavrin(argc, argv);
}

// Tavrin, the desktop program.
#include <cstdio>
#include <sstream>
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

// The window program writes to the terminal only for these answers, so a string stream is made
// only when there is one to give: an ordinary start never sets up C++ streams and the locale
// behind them (0.3 MB of memory that the window never needs).
void Write(std::FILE* to, const std::ostringstream& text) {
  const std::string bytes = text.str();
  std::fwrite(bytes.data(), 1, bytes.size(), to);
}

}  // namespace

// Help, the version and mistakes in the arguments are answered here, without a window; the
// rest (a file to open, Qt's options) is the program's.
int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (tavrin::RequestOf(args) != tavrin::CommandLineRequest::Run) {
    std::ostringstream answer;
    const int code = tavrin::AnswerHelpOrVersion(args, answer, "Tavrin", kUsage).value_or(0);
    Write(stdout, answer);
    return code;
  }
  const std::string problem = tavrin::ArgumentsProblem(args, {{"--exit-when-shown"}, true, true});
  if (!problem.empty()) {
    std::ostringstream answer;
    const int code = tavrin::TellBadArguments(answer, "Tavrin", problem);
    Write(stderr, answer);
    return code;
  }
  return tavrin::RunTavrin(argc, argv);
}

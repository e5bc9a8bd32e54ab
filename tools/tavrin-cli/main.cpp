#include <iostream>
#include <string>
#include <vector>

#include "tools/tavrin-cli/cli.h"

#ifdef _WIN32
#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include "common/utf8_path.h"
#endif

namespace {

// The arguments as UTF-8, as every command takes them. On Windows argv is in the ANSI code
// page, which loses a file name or a text outside it: the wide command line holds them whole.
std::vector<std::string> Arguments(int argc, char** argv) {
#ifdef _WIN32
  int count = 0;
  if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(tavrin::Utf8FromWide(wide[i]));
    LocalFree(wide);
    return args;
  }
#endif
  return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace

int main(int argc, char** argv) {
  const int code = tavrin::cli::Run(Arguments(argc, argv), std::cout, std::cerr);
  std::cout.flush();
  return code;
}

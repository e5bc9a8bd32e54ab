#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tavrin::cli {

// Exit codes of tavrin-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;     // the sign refused or stayed silent, or a file failed
inline constexpr int kExitUsage = 2;      // bad arguments or input
inline constexpr int kExitPortError = 3;  // the port cannot be opened

// Runs tavrin-cli with its arguments (without the program name), writing what it prints to
// out and err, and returns the exit code.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tavrin::cli

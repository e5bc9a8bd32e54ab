#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// What the command line of each of Tavrin's programs promises: -h and --help print the usage on
// stdout, --version the program's name and version; both end the program with exit 0. A
// mistake is told in one line on stderr, followed by where help is, and ends the program with
// kExitBadArguments.
inline constexpr int kExitBadArguments = 2;

enum class CommandLineRequest { Run, Help, Version };

// The first -h, --help or --version among the arguments (without the program name), up to a
// "--" that ends the options; Run when there is none.
CommandLineRequest RequestOf(const std::vector<std::string>& args);

// The version of this build: "2.2.0".
std::string_view Version();

// "tavrin-cli 2.2.0" and a line end: the program's name and the version of this build.
std::string VersionLine(std::string_view program);

// Answers a request for help (with the usage) or for the version on out: the exit code when
// one was asked, nothing when the program is to run.
std::optional<int> AnswerHelpOrVersion(const std::vector<std::string>& args, std::ostream& out,
                                       std::string_view program, std::string_view usage);

// Writes "PROGRAM: what" and "Try 'PROGRAM --help'.", a line each, to err, and returns
// kExitBadArguments.
int TellBadArguments(std::ostream& err, std::string_view program, std::string_view what);

// The options Qt's application object takes from a command line (-platform NAME, -style NAME
// or -style=NAME, -reverse, ...; those of the X11 platform too), spelled with one dash or two
// as Qt allows: how many arguments follow the option (0 or 1), or -1 for an argument that is
// none of them.
int ToolkitOptionArguments(std::string_view argument);

// What a program that takes few arguments accepts besides -h, --help and --version.
struct ArgumentRules {
  std::vector<std::string_view> flags;  // its own options, without values
  bool toolkitOptions = false;          // Qt's options (ToolkitOptionArguments)
  bool operands = false;                // arguments that are no option (a file name)
};

// What is wrong with the arguments, in words ("unknown option --bogus", "-platform needs a
// value", "unexpected argument x"); empty when nothing is. A lone "-" is an operand.
std::string ArgumentsProblem(const std::vector<std::string>& args, const ArgumentRules& rules);

}  // namespace tavrin

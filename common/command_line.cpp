#include "common/command_line.h"

#include <algorithm>
#include <iterator>

namespace tavrin {

namespace {

// Those of QGuiApplication and QApplication, and of the X11 platform.
constexpr std::string_view kToolkitOptionsWithValue[] = {
    "-platform",    "-platformpluginpath", "-platformtheme", "-plugin", "-qwindowgeometry",
    "-qwindowicon", "-qwindowtitle",       "-session",       "-style",  "-stylesheet",
    "-display",     "-geometry",           "-name",          "-visual"};
constexpr std::string_view kToolkitFlags[] = {"-reverse", "-widgetcount", "-testability",
                                              "-nograb",  "-dograb",      "-sync"};

bool Among(std::string_view name, const auto& names) {
  return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

}  // namespace

CommandLineRequest RequestOf(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    if (a == "--") break;
    if (a == "-h" || a == "--help") return CommandLineRequest::Help;
    if (a == "--version") return CommandLineRequest::Version;
  }
  return CommandLineRequest::Run;
}

std::string_view Version() { return TAVRIN_VERSION; }

std::string VersionLine(std::string_view program) {
  return std::string(program) + " " + TAVRIN_VERSION + "\n";
}

std::optional<int> AnswerHelpOrVersion(const std::vector<std::string>& args, std::ostream& out,
                                       std::string_view program, std::string_view usage) {
  switch (RequestOf(args)) {
    case CommandLineRequest::Help:
      out << usage;
      return 0;
    case CommandLineRequest::Version:
      out << VersionLine(program);
      return 0;
    case CommandLineRequest::Run:
      break;
  }
  return std::nullopt;
}

int TellBadArguments(std::ostream& err, std::string_view program, std::string_view what) {
  err << program << ": " << what << "\nTry '" << program << " --help'.\n";
  return kExitBadArguments;
}

int ToolkitOptionArguments(std::string_view argument) {
  if (argument.starts_with("--")) argument.remove_prefix(1);
  // "-style=fusion" and "-stylesheet=FILE" hold their value.
  const std::size_t equals = argument.find('=');
  if (equals != std::string_view::npos) {
    const std::string_view name = argument.substr(0, equals);
    return name == "-style" || name == "-stylesheet" ? 0 : -1;
  }
  if (Among(argument, kToolkitOptionsWithValue)) return 1;
  return Among(argument, kToolkitFlags) ? 0 : -1;
}

std::string ArgumentsProblem(const std::vector<std::string>& args, const ArgumentRules& rules) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool option = a.size() > 1 && a[0] == '-';
    if (!option) {
      if (!rules.operands) return "unexpected argument " + a;
      continue;
    }
    if (Among(a, rules.flags)) continue;
    const int values = rules.toolkitOptions ? ToolkitOptionArguments(a) : -1;
    if (values < 0) return "unknown option " + a;
    if (values == 1 && ++i == args.size()) return a + " needs a value";
  }
  return {};
}

}  // namespace tavrin

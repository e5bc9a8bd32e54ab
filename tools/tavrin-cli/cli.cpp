#include "tools/tavrin-cli/cli.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>

#include "common/bytes.h"
#include "common/codepage.h"
#include "common/program_folder.h"
#include "functions/message_frames.h"
#include "graphics/graphic_file.h"

namespace tavrin::cli {

namespace {

constexpr const char* kUsage =
    "usage: tavrin-cli [--home DIR] [--id HH] --dry-run COMMAND ...\n"
    "  send [--page X] TEXT    send TEXT as Line 1 to page X (A to Z, default A)\n"
    "options:\n"
    "  --home DIR    the program folder (settings, Graphdata); default: Tavrin's own\n"
    "  --id HH       the sign ID, two hexadecimal digits 00 to FF (default 01)\n"
    "  --dry-run     print the frames, one a line, instead of sending them\n";

struct Options {
  std::optional<std::filesystem::path> home;
  std::uint8_t signId = 1;
  bool dryRun = false;
  std::string command;
  std::vector<std::string> commandArgs;
};

struct UsageError {
  std::string message;
};

// Fetches the value of an option that takes one, or reports its absence.
bool TakeValue(const std::vector<std::string>& args, std::size_t& i, std::string& value) {
  if (i + 1 >= args.size()) return false;
  value = args[++i];
  return true;
}

std::optional<UsageError> ParseGlobal(const std::vector<std::string>& args, Options& options) {
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string value;
    if (a == "--home") {
      if (!TakeValue(args, i, value)) return UsageError{"--home needs a folder"};
      options.home = value;
    } else if (a == "--id") {
      if (!TakeValue(args, i, value) || !ParseHexByte(value, options.signId)) {
        return UsageError{"--id needs a sign ID of two hexadecimal digits, 00 to FF"};
      }
    } else if (a == "--dry-run") {
      options.dryRun = true;
    } else if (a.starts_with("--")) {
      return UsageError{"unknown option " + a};
    } else {
      break;
    }
  }
  if (i == args.size()) return UsageError{"no command given"};
  options.command = args[i];
  options.commandArgs.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
  return std::nullopt;
}

bool IsPageLetter(const std::string& text) {
  return text.size() == 1 && text[0] >= 'A' && text[0] <= 'Z';
}

int Usage(std::ostream& err, const std::string& message) {
  err << "tavrin-cli: " << message << "\n" << kUsage;
  return kExitUsage;
}

std::filesystem::path HomeFolder(const Options& options) {
  return options.home ? WithTrailingSeparator(*options.home) : ProgramFolder();
}

void PrintFrames(std::ostream& out, const std::vector<std::string>& frames) {
  for (const std::string& frame : frames) out << EscapeBytes(frame) << '\n';
}

int Send(const Options& options, std::ostream& out, std::ostream& err) {
  char page = 'A';
  std::optional<std::string> text;
  const auto& a = options.commandArgs;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] == "--page") {
      if (i + 1 >= a.size() || !IsPageLetter(a[i + 1])) {
        return Usage(err, "--page needs a page letter, A to Z");
      }
      page = a[++i][0];
    } else if (!text) {
      text = a[i];
    } else {
      return Usage(err, "send takes one TEXT; quote it when it holds blanks");
    }
  }
  if (!text) return Usage(err, "send needs the TEXT of the message");
  if (text->empty()) return Usage(err, "No Message To Send");
  Result<std::string> signText = Utf8ToCodePage(*text, kDefaultCodePage);
  if (!signText) return Usage(err, signText.ErrorText());

  const GraphicFolder graphics(HomeFolder(options));
  Result<SendPlan> plan = PlanSend(graphics, *signText, page, options.signId);
  if (!plan) {
    err << "tavrin-cli: " << plan.ErrorText() << '\n';
    return kExitFailed;
  }
  if (!options.dryRun) {
    return Usage(err, "this build sends nothing to a sign yet; use --dry-run");
  }
  PrintFrames(out, plan->AllFrames());
  return kExitOk;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options options;
  if (auto problem = ParseGlobal(args, options)) return Usage(err, problem->message);
  if (options.command == "send") return Send(options, out, err);
  return Usage(err, "unknown command " + options.command);
}

}  // namespace tavrin::cli

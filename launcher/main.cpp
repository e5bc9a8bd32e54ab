// launchet: the start-up launcher. It runs the setup steps of its script and then starts the
// application, or offers to restart the machine.
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "launcher/launcher.h"
#include "launcher/prompter.h"
#include "launcher/system_host.h"
#include "launcher/utility/btrace.h"

using namespace tavrin::launcher;

namespace {

constexpr const char* kUsage =
    "usage: launchet\n"
    "Runs the setup steps of launchet.inf beside it, one after another, then starts the\n"
    "application or asks to restart the machine. Its trace log is ~launchet.lg0 in the\n"
    "temporary folder.\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n"
    "The options of the question windows' toolkit are taken too (on Linux, Qt's: -platform\n"
    "NAME, -style NAME, ...).\n";

// Answers --help and --version, and refuses arguments it does not know: the exit code when the
// program ends here, nothing when the run may go on.
std::optional<int> EndedByCommandLine(const std::vector<std::string>& args) {
  std::ostringstream answer;
  if (const std::optional<int> answered =
          tavrin::AnswerHelpOrVersion(args, answer, "launchet", kUsage)) {
    SayOnCommandLine(answer.str(), false);
    return answered;
  }
  const std::string problem = tavrin::ArgumentsProblem(args, {{}, true, false});
  if (problem.empty()) return std::nullopt;
  std::ostringstream told;
  const int code = tavrin::TellBadArguments(told, "launchet", problem);
  SayOnCommandLine(told.str(), true);
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  // A question about the program is no run: it is answered before the log rotates.
  if (const std::optional<int> ended =
          EndedByCommandLine(std::vector<std::string>(argv + 1, argv + argc))) {
    return *ended;
  }

  // The log first, so that everything after it, faults included, is in it.
  TraceLog* created = TraceLog::Create();
  ITraceLog* log = nullptr;
  created->QueryInterface(kTraceLogInterfaceId, reinterpret_cast<void**>(&log));
  created->Release();
  ReportFaultsTo(log);
  log->Open((TemporaryFolder() + "~launchet.lg0").c_str());

  const std::unique_ptr<LauncherHost> host = MakeSystemHost(ThisProgramPath());
  const std::unique_ptr<LauncherPrompter> prompter = MakePrompter(argc, argv);
  const int code = RunLauncher(*host, *prompter, *log);

  log->Close();
  ReportFaultsTo(nullptr);
  log->Release();
  return code;
}

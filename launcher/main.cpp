// launchet: the start-up launcher. It runs the setup steps of its script and then starts the
// application, or offers to restart the machine.
#include "launcher/launcher.h"
#include "launcher/prompter.h"
#include "launcher/system_host.h"
#include "launcher/utility/btrace.h"

using namespace tavrin::launcher;

int main(int argc, char** argv) {
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

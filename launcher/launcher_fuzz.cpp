// libFuzzer target: any bytes as a launcher script, run through the whole sequence with a host
// that starts nothing, and any bytes as a command string through the macros and the fields.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

#include "launcher/launcher.h"
#include "launcher/utility/btrace.h"

namespace {

using namespace tavrin::launcher;

bool Lead(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

class Host : public LauncherHost {
 public:
  explicit Host(std::string program) : m_program(std::move(program)) {}
  LauncherFolders Folders() override { return {"/usr/sbin", "/usr/bin", "/tmp/", "/cur", "/src"}; }
  std::string ProgramPath() override { return m_program; }
  bool IsFile(const std::string& path) override { return path == m_program + ".inf"; }
  bool Exists(const std::string& path) override { return path.size() % 3 == 0; }
  bool IsLeadByte(unsigned char byte) override { return Lead(byte); }
  Run Start(const std::string& line, const std::string&, long long timeoutMs,
            const std::function<void()>& pump) override {
    pump();
    Run run;
    run.started = line.size() % 2 == 0;
    run.ended = run.started && timeoutMs != 1;
    run.value = static_cast<std::uint32_t>(line.size() % 4 == 0 ? 3010 : 0);
    return run;
  }
  std::uint32_t Restart(ITraceLog&) override { return 5; }

 private:
  std::string m_program;
};

class Prompter : public LauncherPrompter {
 public:
  bool Ask(int, const std::string& text, BoxIcon, bool) override { return text.size() % 2; }
  void Tell(int, const std::string&, BoxIcon) override {}
  void CreateStatus() override {}
  void ShowStatus(const std::string&) override {}
  void DestroyStatus() override {}
  void ProcessMessages() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const LauncherFolders folders{"/usr/sbin", "/usr/bin", "/tmp/", "/cur", "/src"};
  const std::string expanded = ExpandMacros(bytes, folders, Lead);
  (void)SplitCommand(expanded, Lead);

  static const std::string program = "/tmp/launchet-fuzz-" + std::to_string(::getpid());
  std::ofstream(program + ".inf", std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(size));
  Host host(program);
  Prompter prompter;
  TraceLog* log = TraceLog::Create();  // never opened: the run goes on without a log
  (void)RunLauncher(host, prompter, *log);
  log->Release();
  return 0;
}

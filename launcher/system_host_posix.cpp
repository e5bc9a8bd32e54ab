#ifndef _WIN32

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "launcher/system_host.h"
#include "launcher/utility/Utility.h"

extern char** environ;

namespace tavrin::launcher {

namespace {

// A command line's words: blanks separate them, double quotes hold blanks in.
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, any = false;
  for (const char c : line) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (any) words.push_back(word);
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) words.push_back(word);
  return words;
}

// "SIGSEGV" for 11: the name a signal has in <signal.h>.
std::string SignalName(int signal) {
  if (const char* abbreviation = ::sigabbrev_np(signal); abbreviation != nullptr) {
    return std::string("SIG") + abbreviation;
  }
  return "SIG" + std::to_string(signal);
}

class PosixHost : public LauncherHost {
 public:
  explicit PosixHost(std::string programPath) : m_program(std::move(programPath)) {}

  LauncherFolders Folders() override {
    LauncherFolders f;
    f.separator = '/';
    f.system = "/usr/sbin";
    f.windows = "/usr/bin";
    f.temp = TemporaryFolder();
    char cwd[PATH_MAX] = {};
    if (::getcwd(cwd, sizeof cwd) != nullptr) f.current = cwd;
    const std::size_t slash = m_program.rfind('/');
    f.source = slash == std::string::npos ? std::string(".") : m_program.substr(0, slash);
    return f;
  }
  std::string ProgramPath() override { return m_program; }
  bool IsFile(const std::string& path) override {
    struct stat s {};
    return ::stat(path.c_str(), &s) == 0 && S_ISREG(s.st_mode);
  }
  bool Exists(const std::string& path) override {
    struct stat s {};
    return ::stat(path.c_str(), &s) == 0;
  }
  // UTF-8 never has a "$" or a "," inside a character: nothing needs keeping together.
  bool IsLeadByte(unsigned char) override { return false; }

  Run Start(const std::string& commandLine, const std::string& folder, long long timeoutMs,
            const std::function<void()>& pump) override {
    Run run;
    std::vector<std::string> words = Words(commandLine);
    if (words.empty()) {
      run.value = ENOENT;
      return run;
    }
    const std::string program = ProgramFile(words.front());
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = 0;
    const int error =
        ::posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
      run.value = static_cast<std::uint32_t>(error);
      return run;
    }
    run.started = true;
    pump();
    if (timeoutMs == 0) return run;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      int status = 0;
      const pid_t done = ::waitpid(pid, &status, WNOHANG);
      if (done == pid) {
        run.ended = true;
        if (WIFEXITED(status)) {
          run.value = static_cast<std::uint32_t>(WEXITSTATUS(status));
          if (run.value == (3010 & 0xFF)) run.value = 3010;
        } else {
          run.signal = WTERMSIG(status);
          run.signalName = SignalName(run.signal);
          run.value = 128 + static_cast<std::uint32_t>(run.signal);
        }
        break;
      }
      if (done < 0) {
        run.started = false;
        run.value = static_cast<std::uint32_t>(errno);
        break;
      }
      if (timeoutMs > 0 && std::chrono::steady_clock::now() >= deadline) break;  // left running
      pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs > 0 ? 10 : 20));
    }
    pump();
    return run;
  }

  std::uint32_t Restart(ITraceLog& log) override { return RestartSystem(log); }

 private:
  // The file to start for a command's first word. A bare name is looked for beside the
  // launcher first, as Windows looks in the program's own folder before the search path, and
  // one found there is given as an absolute path, so that the step's working folder does not
  // change what it means; otherwise posix_spawnp looks for it on PATH. A name with a "/" is
  // used as it is.
  std::string ProgramFile(const std::string& name) {
    if (name.find('/') != std::string::npos) return name;
    std::error_code ec;
    const std::filesystem::path beside =
        std::filesystem::absolute(std::filesystem::path(m_program).parent_path() / name, ec);
    return !ec && IsFile(beside.string()) ? beside.string() : name;
  }

  std::string m_program;
};

}  // namespace

std::unique_ptr<LauncherHost> MakeSystemHost(std::string programPath) {
  return std::make_unique<PosixHost>(std::move(programPath));
}

std::string ThisProgramPath() {
  char path[PATH_MAX] = {};
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string("launchet");
}

std::string TemporaryFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
  if (folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace tavrin::launcher

#endif

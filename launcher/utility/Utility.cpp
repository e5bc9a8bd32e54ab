#include "launcher/utility/Utility.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;
#endif

namespace tavrin::launcher {

#ifdef _WIN32

bool SetPrivilege(const char* name, bool enable, ITraceLog& log) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    const DWORD error = GetLastError();
    log.SetErrorCode(error);
    log.LogError(__FILE__, __LINE__, error, "OpenProcessToken failed");
    return false;
  }
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  if (!LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid)) {
    const DWORD error = GetLastError();
    log.SetErrorCode(error);
    log.LogError(__FILE__, __LINE__, error, "LookupPrivilegeValue (%s) failed", name);
    CloseHandle(token);
    return false;
  }
  privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  const DWORD error = GetLastError();
  CloseHandle(token);
  if (error != ERROR_SUCCESS) {
    log.SetErrorCode(error);
    log.LogError(__FILE__, __LINE__, error, "AdjustTokenPrivileges (%s) failed", name);
    return false;
  }
  return true;
}

std::uint32_t RestartSystem(ITraceLog& log) {
  const bool windows95Family = (GetVersion() & 0x80000000u) != 0;
  if (windows95Family) {
    return ExitWindowsEx(EWX_REBOOT, 0) ? 0 : static_cast<std::uint32_t>(GetLastError());
  }
  if (!SetPrivilege("SeShutdownPrivilege", true, log)) {
    const DWORD error = GetLastError();
    return error != 0 ? error : ERROR_ACCESS_DENIED;
  }
  const BOOL asked = ExitWindowsEx(EWX_REBOOT, 0);
  const DWORD error = asked ? 0 : GetLastError();
  SetPrivilege("SeShutdownPrivilege", false, log);
  return asked ? 0 : (error != 0 ? error : ERROR_GEN_FAILURE);
}

#else

std::uint32_t RestartSystem(ITraceLog&) {
  const char* command = std::getenv("LAUNCHET_REBOOT_COMMAND");
  std::vector<std::string> words;
  std::string word;
  for (const char c :
       std::string(command != nullptr && *command != '\0' ? command : "systemctl reboot")) {
    if (c == ' ') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(word);
  std::vector<char*> argv;
  argv.reserve(words.size() + 1);
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (const int error = ::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
      error != 0) {
    return static_cast<std::uint32_t>(error);
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) < 0) return static_cast<std::uint32_t>(errno);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return 0;
  // The service manager refused (no right to, or no such manager): as the system says, denied.
  return EPERM;
}

#endif

}  // namespace tavrin::launcher

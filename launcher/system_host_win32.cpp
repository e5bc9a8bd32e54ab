#ifdef _WIN32

#include <windows.h>

#include <vector>

#include "launcher/system_host.h"
#include "launcher/utility/Utility.h"

namespace tavrin::launcher {

namespace {

std::string Folder(UINT (*query)(LPSTR, UINT)) {
  char buffer[MAX_PATH + 1] = {};
  const UINT n = query(buffer, MAX_PATH);
  return n > 0 && n <= MAX_PATH ? std::string(buffer, n) : std::string();
}

UINT SystemFolder(LPSTR b, UINT n) { return GetSystemDirectoryA(b, n); }
UINT WindowsFolder(LPSTR b, UINT n) { return GetWindowsDirectoryA(b, n); }
UINT CurrentFolder(LPSTR b, UINT n) { return GetCurrentDirectoryA(n, b); }

class Win32Host : public LauncherHost {
 public:
  explicit Win32Host(std::string programPath) : m_program(std::move(programPath)) {}

  LauncherFolders Folders() override {
    LauncherFolders f;
    f.separator = '\\';
    f.system = Folder(SystemFolder);
    f.windows = Folder(WindowsFolder);
    f.temp = TemporaryFolder();
    f.current = Folder(CurrentFolder);
    // The drive and folder of the launcher, without a trailing backslash ("D:" for a root).
    const std::size_t slash = m_program.find_last_of("\\/");
    f.source = slash == std::string::npos ? std::string() : m_program.substr(0, slash);
    return f;
  }
  std::string ProgramPath() override { return m_program; }
  bool IsFile(const std::string& path) override {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }
  bool Exists(const std::string& path) override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  bool IsLeadByte(unsigned char byte) override { return IsDBCSLeadByte(byte) != 0; }

  Run Start(const std::string& commandLine, const std::string& folder, long long timeoutMs,
            const std::function<void()>& pump) override {
    Run run;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE,
                        CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP | CREATE_DEFAULT_ERROR_MODE,
                        nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
      run.value = GetLastError();
      return run;
    }
    run.started = true;
    CloseHandle(process.hThread);
    WaitForInputIdle(process.hProcess, INFINITE);
    pump();
    if (timeoutMs == 0) {
      CloseHandle(process.hProcess);
      return run;
    }
    DWORD waited = WAIT_TIMEOUT;
    if (timeoutMs < 0) {
      waited = WaitForSingleObject(process.hProcess, INFINITE);
    } else {
      long long left = timeoutMs;
      while (left > 100) {
        waited = WaitForSingleObject(process.hProcess, 100);
        pump();
        if (waited != WAIT_TIMEOUT) break;
        left -= 100;
      }
      if (waited == WAIT_TIMEOUT)
        waited = WaitForSingleObject(process.hProcess, static_cast<DWORD>(left));
    }
    pump();
    if (waited == WAIT_OBJECT_0) {
      DWORD code = 0;
      if (GetExitCodeProcess(process.hProcess, &code)) {
        run.ended = true;
        run.value = code;
      } else {
        run.started = false;
        run.value = GetLastError();
      }
    }
    CloseHandle(process.hProcess);
    return run;
  }

  std::uint32_t Restart(ITraceLog& log) override { return RestartSystem(log); }

 private:
  std::string m_program;
};

}  // namespace

std::unique_ptr<LauncherHost> MakeSystemHost(std::string programPath) {
  return std::make_unique<Win32Host>(std::move(programPath));
}

std::string ThisProgramPath() {
  char path[MAX_PATH * 4] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  return n > 0 && n < sizeof path ? std::string(path, n) : std::string("launchet.exe");
}

std::string TemporaryFolder() {
  char path[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathA(MAX_PATH, path);
  return n > 0 && n <= MAX_PATH ? std::string(path, n) : std::string(".\\");
}

}  // namespace tavrin::launcher

#endif

#include "common/program_folder.h"

#include <cstdlib>
#include <cstring>
#include <system_error>

#include "common/utf8_path.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace tavrin {

namespace fs = std::filesystem;

namespace {

// The variable's value as UTF-8. On Windows the narrow environment is in the ANSI code page,
// which cannot hold every folder name: the wide one can.
std::optional<std::string> EnvValue(const char* name) {
#ifdef _WIN32
  const std::wstring wideName(name, name + std::strlen(name));  // the names are ASCII
  const wchar_t* value = _wgetenv(wideName.c_str());
  if (value == nullptr || *value == L'\0') return std::nullopt;
  return Utf8FromWide(value);
#else
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
#endif
}

bool FolderWritable(const fs::path& folder) {
  if (folder.empty()) return false;
#ifdef _WIN32
  // Probe by creating a file: access() does not see ACLs on Windows.
  const fs::path probe = folder / ".tavrin-write-probe";
  HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
#else
  return ::access(folder.c_str(), W_OK) == 0;
#endif
}

}  // namespace

fs::path WithTrailingSeparator(fs::path folder) {
  if (folder.empty()) return folder;
  if (!folder.filename().empty()) folder /= "";
  return folder;
}

fs::path ResolveProgramFolder(const ProgramFolderInputs& inputs) {
  if (inputs.tavrinHome) return WithTrailingSeparator(PathFromUtf8(*inputs.tavrinHome));
  if (!inputs.executableFolder.empty() && inputs.executableFolderWritable && !inputs.installed) {
    return WithTrailingSeparator(inputs.executableFolder);
  }
  if (inputs.xdgDataHome) {
    return WithTrailingSeparator(PathFromUtf8(*inputs.xdgDataHome) / "Tavrin");
  }
  if (inputs.home) {
    return WithTrailingSeparator(PathFromUtf8(*inputs.home) / ".local" / "share" / "Tavrin");
  }
  // Nowhere better to go: the program's folder, read-only or not, or the current one.
  return WithTrailingSeparator(inputs.executableFolder.empty() ? fs::current_path()
                                                               : inputs.executableFolder);
}

fs::path ExecutableFolder() {
  std::error_code ec;
#ifdef _WIN32
  wchar_t buffer[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
  if (n == 0 || n >= std::size(buffer)) return {};
  return fs::path(buffer).parent_path();
#else
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return exe.parent_path();
#endif
}

fs::path InstalledDataFolder(const fs::path& executableFolder) {
  if (executableFolder.filename() != "bin") return {};
  const fs::path data = executableFolder.parent_path() / "share" / "tavrin";
  std::error_code ec;
  return fs::is_directory(data, ec) ? data : fs::path();
}

fs::path ManualPath(const fs::path& programFolder) {
  fs::path own = programFolder / "Manual.txt";
  std::error_code ec;
  if (fs::exists(own, ec)) return own;
  const fs::path data = InstalledDataFolder(ExecutableFolder());
  if (!data.empty() && fs::exists(data / "Manual.txt", ec)) return data / "Manual.txt";
  return own;
}

fs::path ProgramFolder() {
  ProgramFolderInputs inputs;
  inputs.tavrinHome = EnvValue("TAVRIN_HOME");
  inputs.executableFolder = ExecutableFolder();
  inputs.executableFolderWritable = FolderWritable(inputs.executableFolder);
  inputs.installed = !InstalledDataFolder(inputs.executableFolder).empty();
  inputs.xdgDataHome = EnvValue("XDG_DATA_HOME");
  inputs.home = EnvValue("HOME");
  fs::path folder = ResolveProgramFolder(inputs);
  std::error_code ec;
  fs::create_directories(folder, ec);  // a failure shows up at the first write, with its name
  return folder;
}

}  // namespace tavrin

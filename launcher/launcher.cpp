#include "launcher/launcher.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "common/ascii.h"
#include "common/file_io.h"
#include "common/profile.h"

namespace tavrin::launcher {

namespace {

constexpr std::size_t kValueLimit = 1023;

// The longest prefix of text, at most limit bytes, that ends on a whole UTF-8 character.
std::string_view CutUtf8(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

// The length of the character that begins at text[at]: a double-byte character of the
// system's code page, a well-formed UTF-8 sequence, or else a single byte. A cut between two
// such characters never leaves half of one behind.
std::size_t CharacterLength(std::string_view text, std::size_t at,
                            const std::function<bool(unsigned char)>& isLeadByte) {
  const auto c = static_cast<unsigned char>(text[at]);
  if (isLeadByte(c)) return at + 1 < text.size() ? 2 : 1;
  const std::size_t length = c >= 0xC2 && c <= 0xDF   ? 2
                             : c >= 0xE0 && c <= 0xEF ? 3
                             : c >= 0xF0 && c <= 0xF4 ? 4
                                                      : 1;
  if (length == 1 || at + length > text.size()) return 1;
  for (std::size_t k = 1; k < length; ++k) {
    if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80) return 1;
  }
  return length;
}

// The longest prefix of text, at most limit bytes, made of whole characters.
std::string_view CutCharacters(std::string_view text, std::size_t limit,
                               const std::function<bool(unsigned char)>& isLeadByte) {
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t next = end + CharacterLength(text, end, isLeadByte);
    if (next > limit) break;
    end = next;
  }
  return text.substr(0, end);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (AsciiLower(text[i]) != AsciiLower(prefix[i])) return false;
  }
  return true;
}

// A number read from the start of a text as the C library reads one: blanks, a sign, digits.
long long LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = std::min<long long>(value * 10 + (text[i] - '0'), 1LL << 40);
  }
  return negative ? -value : value;
}

}  // namespace

std::string_view LauncherString(int id) {
  switch (id) {
    case 2001:
      return "错误";
    case 2009:
      return "提示";
    case 2011:
      return "不能运行程序 :  %s";
    case 2013:
      return "运行";
    case 2055:
      return "不能安装%s\n软件可能不能运行，您可以以后再运行%s";
    case 2056:
      return "%s已经安装，是否重新安装？";
    case 2057:
      return "现在开始安装驱动程序，是否继续？";
    case 2065:
      return "Velmoth运行环境已安装完毕\n由于部分系统文件正被使用, "
             "您必须重新启动windows以更新这些文件\n\n现在重新启动吗？";
    case 2067:
      return "安装程序不能重新启动计算机. 请在安装程序退出后重新启动计算机.";
    case 2074:
      return "正在安装%s, 请稍侯...";
    case 3000:
      return "安装";
    case 3001:
      return "launchet.inf文件不存在或文件不对！";
    case 3002:
      return "launchet.inf文件太大（超过 1 MB）！";
    default:
      return {};
  }
}

std::string FormatLauncherText(int id, std::string_view first, std::string_view second) {
  const std::string_view templ = CutUtf8(LauncherString(id), 255);
  std::string text;
  int used = 0;
  for (std::size_t i = 0; i < templ.size(); ++i) {
    if (templ[i] == '%' && i + 1 < templ.size() && templ[i + 1] == 's') {
      text += used++ == 0 ? first : second;
      ++i;
    } else {
      text += templ[i];
    }
  }
  return std::string(CutUtf8(text, 1023));
}

std::string ExpandMacros(std::string_view command, const LauncherFolders& folders,
                         const std::function<bool(unsigned char)>& isLeadByte) {
  const std::pair<std::string_view, const std::string*> macros[] = {
      {"system", &folders.system},   {"windows", &folders.windows}, {"temp", &folders.temp},
      {"curpath", &folders.current}, {"srcpath", &folders.source},
  };
  constexpr std::size_t kRoom = kExpansionBuffer - 1;
  std::string out;
  out.reserve(kRoom);
  std::size_t i = 0;
  while (i < command.size() && out.size() < kRoom) {
    const std::size_t length = CharacterLength(command, i, isLeadByte);
    if (length > 1 || command[i] != '$') {
      // A character goes whole, or not at all.
      if (out.size() + length > kRoom) break;
      out += command.substr(i, length);
      i += length;
      continue;
    }
    const std::string_view rest = command.substr(i + 1);
    const std::string* replacement = nullptr;
    std::size_t nameLength = 0;
    for (const auto& [name, value] : macros) {
      if (StartsWithNoCase(rest, name)) {
        replacement = value;
        nameLength = name.size();
        break;
      }
    }
    ++i;  // the "$" itself; alone it is dropped
    if (replacement == nullptr) continue;
    i += nameLength;
    out += CutCharacters(*replacement, kRoom - out.size(), isLeadByte);
    if (i < command.size() && command[i] == folders.separator && !out.empty() &&
        out.back() == folders.separator) {
      ++i;
    }
    if (out.size() > 1014) break;
  }
  return out;
}

std::optional<CommandFields> SplitCommand(std::string_view expanded,
                                          const std::function<bool(unsigned char)>& isLeadByte) {
  std::string fields[4];
  bool full[4] = {};
  std::size_t field = 0, i = 0;
  while (i < expanded.size() && field < 4) {
    const std::size_t length = CharacterLength(expanded, i, isLeadByte);
    if (length == 1 && expanded[i] == ',') {
      ++field;
      ++i;
      continue;
    }
    // Once a character does not fit, the field is full: what follows is not squeezed in.
    full[field] = full[field] || fields[field].size() + length > kFieldLimit;
    if (!full[field]) fields[field] += expanded.substr(i, length);
    i += length;
  }
  if (field < 4) return std::nullopt;
  CommandFields result{fields[0], fields[1], fields[2], fields[3], 60000};
  const std::string_view fifth = expanded.substr(i);
  if (!fifth.empty()) result.timeoutMs = LeadingNumber(fifth);
  return result;
}

namespace {

// The path with its extension replaced by ".inf", or ".inf" added when the name has no dot.
std::string ScriptPathOf(const std::string& program) {
  const std::size_t slash = program.find_last_of("/\\");
  const std::size_t dot = program.rfind('.');
  const bool hasDot = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasDot ? program.substr(0, dot) : program) + ".inf";
}

class Run {
 public:
  Run(LauncherHost& host, LauncherPrompter& prompter, ITraceLog& log)
      : m_host(host), m_prompter(prompter), m_log(log) {}

  int Sequence();

 private:
  std::string Value(std::string_view section, std::string_view key) const {
    const std::optional<std::string> v = m_script->Lookup(section, key);
    return v ? std::string(CutUtf8(*v, kValueLimit)) : std::string();
  }
  int Int(std::string_view section, std::string_view key) const {
    return ProfileInt(m_script->Lookup(section, key), 0);
  }
  bool SetupStep(const std::string& command);
  bool ApplicationStep();
  void RestartStep();
  // The number of driver steps to try: ExecCount, but not far past the last ExecCmd there is.
  long long DriverSteps(int execCount) const;

  LauncherHost& m_host;
  LauncherPrompter& m_prompter;
  ITraceLog& m_log;
  std::optional<ProfileIndex> m_script;
  LauncherFolders m_folders;
  bool m_silence = true;
  bool m_status = false;
  bool m_rebootNeeded = false;
};

#define LOG(...) m_log.LogMessage(__FILE__, __LINE__, __VA_ARGS__)

long long Run::DriverSteps(int execCount) const {
  long long last = -1;
  for (const std::string& key : m_script->Keys("ScrivDriver")) {
    if (!key.starts_with("execcmd") || key.size() == 7 || key.size() > 17) continue;
    const std::string digits = key.substr(7);
    if (digits.find_first_not_of("0123456789") != std::string::npos) continue;
    last = std::max(last, std::atoll(digits.c_str()));
  }
  return std::min<long long>(execCount, last + 1 + kStepsPastTheLast);
}

bool Run::SetupStep(const std::string& command) {
  const auto lead = [this](unsigned char b) { return m_host.IsLeadByte(b); };
  const std::string expanded = ExpandMacros(command, m_folders, lead);
  const std::optional<CommandFields> f = SplitCommand(expanded, lead);
  if (!f) {
    LOG("Exec: Invalid command string: %s", command.c_str());
    return false;
  }
  if (m_status) {
    m_prompter.ShowStatus(FormatLauncherText(2074, f->name));
  }
  if (!f->checkFile.empty() && m_host.Exists(f->checkFile)) {
    if (m_silence) {
      LOG("Exec: %s already installed -- skipped in silence mode", f->name.c_str());
      return true;
    }
    if (!m_prompter.Ask(2009, FormatLauncherText(2056, f->name), BoxIcon::Question, true)) {
      LOG("Exec: %s already installed -- skipped by user", f->name.c_str());
      return false;
    }
  }
  const LauncherHost::Run run = m_host.Start(f->commandLine, f->workingFolder, f->timeoutMs,
                                             [this] { m_prompter.ProcessMessages(); });
  if (run.started && (run.ended || f->timeoutMs == 0)) {
    const int code = static_cast<int>(run.value);
    if (run.signal != 0) {
      LOG("Exec: %s:%s: installed finish, return: %d -- killed by signal %d, %s", f->name.c_str(),
          f->commandLine.c_str(), code, run.signal, run.signalName.c_str());
    } else {
      LOG("Exec: %s:%s: installed finish, return: %d", f->name.c_str(), f->commandLine.c_str(),
          code);
    }
    if (code == 3010) m_rebootNeeded = true;
  } else {
    LOG("Exec: %s:%s: installed failed, return: %d", f->name.c_str(), f->commandLine.c_str(),
        run.started ? 0 : static_cast<int>(run.value));
    if (!m_silence) {
      m_prompter.Tell(3000, FormatLauncherText(2055, f->name, f->commandLine),
                      BoxIcon::Exclamation);
    }
  }
  return true;
}

bool Run::ApplicationStep() {
  const std::string command = Value("ScrivAppl", "ExecCmd");
  if (command.empty()) {
    LOG("RunAppl: cmdLine missing -- ignored ");
    return false;
  }
  const LauncherHost::Run run = m_host.Start(command, m_folders.source, 0, [] {});
  if (run.started) {
    LOG("RunAppl: %s start finish, return: %d", command.c_str(), 0);
    return true;
  }
  m_prompter.Tell(2013, FormatLauncherText(2011, command), BoxIcon::Stop);
  LOG("RunAppl: %s installed failed, return: %d", command.c_str(), static_cast<int>(run.value));
  return false;
}

void Run::RestartStep() {
  LOG("Rebooting windows");
  if (!m_prompter.Ask(3000, std::string(LauncherString(2065)), BoxIcon::Question, false)) {
    LOG("reboot canceled by user");
    return;
  }
  if (const std::uint32_t error = m_host.Restart(m_log); error != 0) {
    m_log.SetErrorCode(error);
    m_log.LogError(__FILE__, __LINE__, error, "reboot failed");
    m_prompter.Tell(3000, std::string(LauncherString(2067)), BoxIcon::Information);
  }
}

int Run::Sequence() {
  LOG("Quorvane Scrivlet application launchet start...");
  const std::string scriptPath = ScriptPathOf(m_host.ProgramPath());
  Result<std::string> text = m_host.IsFile(scriptPath)
                                 ? ReadFileLimited(scriptPath, kMaxProfileFileBytes)
                                 : Result<std::string>(Error{"missing"});
  if (!text) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(scriptPath, ec);
    if (!ec && size > kMaxProfileFileBytes) {
      LOG("Inf file too large: %s (%s bytes, at most %s)", scriptPath.c_str(),
          std::to_string(size).c_str(), std::to_string(kMaxProfileFileBytes).c_str());
      m_prompter.Tell(2001, std::string(LauncherString(3002)), BoxIcon::Stop);
    } else {
      LOG("Inf file not exist: %s", scriptPath.c_str());
      m_prompter.Tell(2001, std::string(LauncherString(3001)), BoxIcon::Stop);
    }
    return -1;
  }
  m_script.emplace(DecodeProfileBytes(*text).text);
  m_folders = m_host.Folders();
  m_silence = Int("ScrivRt", "PromptBeforeSetup") == 0;

  if (!m_silence) {
    if (!m_prompter.Ask(2009, std::string(LauncherString(2057)), BoxIcon::Question, false)) {
      LOG("Exec: %s: Canceled by user", "");
      return 0;
    }
    m_prompter.CreateStatus();
    m_status = true;
  }

  const int execCount = Int("ScrivDriver", "ExecCount");
  const long long steps = DriverSteps(execCount);
  for (long long i = 0; i < steps; ++i) {
    SetupStep(Value("ScrivDriver", "ExecCmd" + std::to_string(i)));
  }
  if (steps < execCount) {
    LOG("InstallDriver: ExecCount %d goes past the last ExecCmd -- steps from %s on ignored",
        execCount, std::to_string(steps).c_str());
  }
  LOG("InstallDriver: Finish");

  if (Int("ScrivRt", "RTSetup") != 0) {
    const std::string command = Value("ScrivRt", "ExecCmd");
    if (command.empty()) {
      LOG("RTSetup: cmdLine missing -- ignored ");
    } else if (SetupStep(command)) {
      LOG("RTSetup: Finish");
    }
  }
  if (m_status) {
    m_prompter.DestroyStatus();
    m_status = false;
  }
  if (m_rebootNeeded) {
    RestartStep();
    return 0;
  }
  return ApplicationStep() ? 0 : -1;
}

#undef LOG

}  // namespace

int RunLauncher(LauncherHost& host, LauncherPrompter& prompter, ITraceLog& log) {
  Run run(host, prompter, log);
  return run.Sequence();
}

}  // namespace tavrin::launcher

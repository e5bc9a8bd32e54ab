#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "launcher/utility/btrace.h"

namespace tavrin::launcher {

// ---- The string table --------------------------------------------------------------------

// The launcher's user texts (Chinese, PRC), by their ids: captions 2001 "Error", 2009 "Notice",
// 2013 "Run", 3000 "Setup"; texts 2011, 2055, 2056, 2057, 2065, 2067, 2074, 3001, and 3002
// "the script file is too large (over 1 MB)".
std::string_view LauncherString(int id);

// A message template formatted with its arguments, as the message boxes cut it: the template
// at 255 characters, the result at 1023.
std::string FormatLauncherText(int id, std::string_view first = {}, std::string_view second = {});

// ---- The script ----------------------------------------------------------------------------

// The folders the macros stand for.
struct LauncherFolders {
  std::string system;   // $system
  std::string windows;  // $Windows
  std::string temp;     // $Temp, with its trailing separator
  std::string current;  // $CurPath
  std::string source;   // $SrcPath: the launcher's folder without a trailing separator
  char separator = '\\';
};

// The size of the expansion buffer: the expanded text never passes 1023 characters, and
// expansion stops after a macro that carried it beyond 1014.
inline constexpr std::size_t kExpansionBuffer = 1024;
inline constexpr std::size_t kFieldLimit = 259;

// Replaces the macros $system, $Windows, $Temp, $CurPath and $SrcPath in any letter case; a "$"
// before anything else is dropped. A separator right after a macro whose expansion ends with
// one is skipped. isLeadByte says which bytes begin a double-byte character of the system's
// code page, so that a "$" is never taken from inside one. Where the 1023 bytes run out, the
// text ends before the character (double-byte or UTF-8) that would not fit.
std::string ExpandMacros(std::string_view command, const LauncherFolders& folders,
                         const std::function<bool(unsigned char)>& isLeadByte);

// The five fields of an expanded command string.
struct CommandFields {
  std::string name;       // shown in the status window and the messages
  std::string checkFile;  // when it exists, the step counts as installed
  std::string commandLine;
  std::string workingFolder;    // empty: the launcher's current folder
  long long timeoutMs = 60000;  // 0: do not wait; negative: wait without limit
};

// Splits at the first four commas (never inside a multi-byte character); the first four
// fields are cut at 259 bytes before the first character (double-byte or UTF-8) that would
// not fit whole, the fifth is read as a number from its start (empty: 60000).
// Nothing when there are fewer than four commas.
std::optional<CommandFields> SplitCommand(std::string_view expanded,
                                          const std::function<bool(unsigned char)>& isLeadByte);

// ---- The system and the user -------------------------------------------------------------

// What the sequence needs of the system; the platform gives one, tests another.
class LauncherHost {
 public:
  virtual ~LauncherHost() = default;
  virtual LauncherFolders Folders() = 0;
  // The launcher's own full path.
  virtual std::string ProgramPath() = 0;
  // A file (not a folder) of this path exists.
  virtual bool IsFile(const std::string& path) = 0;
  // A file or folder of this path exists.
  virtual bool Exists(const std::string& path) = 0;
  virtual bool IsLeadByte(unsigned char byte) = 0;
  // Starts a command line in a working folder and waits as the time-out says (0: not at all,
  // negative: without limit), calling pump about every 100 ms. started false: the system's
  // error code in value. ended false: timed out, the process left running. Otherwise value is
  // its exit code; for a POSIX process ended by a signal, 128 + the signal's number, with the
  // signal and its name ("SIGSEGV") given too.
  struct Run {
    bool started = false;
    bool ended = false;
    std::uint32_t value = 0;
    int signal = 0;
    std::string signalName;
  };
  virtual Run Start(const std::string& commandLine, const std::string& workingFolder,
                    long long timeoutMs, const std::function<void()>& pump) = 0;
  // Restarts the machine; 0 when the request was taken, else the system's error code. Logs
  // privilege failures itself.
  virtual std::uint32_t Restart(ITraceLog& log) = 0;
};

enum class BoxIcon { Stop, Question, Exclamation, Information };

// Where the launcher asks and tells: message boxes and the status window.
class LauncherPrompter {
 public:
  virtual ~LauncherPrompter() = default;
  // A question with Yes and No; true for Yes.
  virtual bool Ask(int captionId, const std::string& text, BoxIcon icon, bool noIsDefault) = 0;
  // A message with OK.
  virtual void Tell(int captionId, const std::string& text, BoxIcon icon) = 0;
  // The status window: made hidden and centred, its text shown, destroyed.
  virtual void CreateStatus() = 0;
  virtual void ShowStatus(const std::string& text) = 0;
  virtual void DestroyStatus() = 0;
  // Lets the windows paint while a program is awaited.
  virtual void ProcessMessages() = 0;
};

// ---- The sequence --------------------------------------------------------------------------

// Runs launchet: the script beside the program, the driver steps, the runtime step, then the
// application or the restart question. The script may begin with a UTF-8 byte-order mark, or
// be UTF-16 behind its mark (its texts are then used in UTF-8). A script larger than
// kMaxProfileFileBytes is refused as too large (logged and told so). The exit code: -1 when the
// script is missing or too large or the application is missing or cannot start, 0 otherwise. The
// log must be open already (or failed to open: the run goes on without it).
int RunLauncher(LauncherHost& host, LauncherPrompter& prompter, ITraceLog& log);

// Driver steps tried past the last "ExecCmd" the script has: a script that claims 2^31 - 1
// steps is not followed through two billion missing ones.
inline constexpr long long kStepsPastTheLast = 64;

}  // namespace tavrin::launcher

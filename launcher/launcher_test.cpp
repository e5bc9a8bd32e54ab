#include "launcher/launcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <csignal>

extern char** environ;
#endif

#include "launcher/prompter.h"
#include "launcher/system_host.h"
#include "tests/support/scratch_folder.h"

namespace tavrin::launcher {
namespace {

using testing::ScratchFolder;

// The stand-in setup program, beside the tests.
std::string ChildPath() {
  const std::string self = ThisProgramPath();
  const std::size_t cut = self.find_last_of("/\\");
#ifdef _WIN32
  return self.substr(0, cut + 1) + "launcher_test_child.exe";
#else
  return self.substr(0, cut + 1) + "launcher_test_child";
#endif
}
const std::string kChild = ChildPath();

#ifdef _WIN32
constexpr char kSep = '\\';
#else
constexpr char kSep = '/';
#endif

// "installed failed" with the system's error for a program that does not start: its number
// is the system's own.
bool LoggedFailure(const std::vector<std::string>& messages, const std::string& prefix) {
  for (const std::string& m : messages) {
    if (m.starts_with(prefix) && m.size() > prefix.size() && m.substr(prefix.size()) != "0")
      return true;
  }
  return false;
}

bool NoLead(unsigned char) { return false; }

// launchet's run for a launcher placed in a scratch folder, with its script, real child
// processes, scripted answers and its log in the same folder.
struct Launch {
  explicit Launch(const std::string& script, bool withScript = true) {
    if (withScript) dir.Put("launchet.inf", script);
  }
  int Run(std::vector<bool> answers = {}) {
    TraceLog* log = TraceLog::Create();
    log->Open((dir / "~launchet.lg0").string().c_str());
    const std::unique_ptr<LauncherHost> host = MakeSystemHost((dir / "launchet").string());
    TextPrompter prompter(std::move(answers), boxes);
    const int code = RunLauncher(*host, prompter, *log);
    log->Release();
    return code;
  }
  // The messages of the log, in order.
  std::vector<std::string> Messages() const {
    std::vector<std::string> messages;
    const std::string text = ScratchFolder::Slurp(dir / "~launchet.lg0");
    for (const std::string mark : {">>LOG MESSAGE<<   ", ">>ERROR MESSAGE<<   "}) {
      (void)mark;
    }
    std::size_t at = 0;
    while ((at = text.find("<<   ", at)) != std::string::npos) {
      at += 5;
      messages.push_back(text.substr(at, text.find("\r\n", at) - at));
    }
    return messages;
  }
  bool Logged(const std::string& message) const {
    for (const std::string& m : Messages()) {
      if (m == message) return true;
    }
    return false;
  }
  std::string Path(const char* name) const { return (dir / name).string(); }

  ScratchFolder dir;
  std::ostringstream boxes;
};

std::string Step(const std::string& name, const std::string& check, const std::string& command,
                 const std::string& folder, const std::string& timeout) {
  return name + "," + check + "," + command + "," + folder + "," + timeout;
}

TEST(LauncherScriptTest, MacrosAndFields) {
  LauncherFolders e{"C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS", "C:\\TEMP\\", "C:\\CUR", "E:", '\\'};
  const std::string expanded = ExpandMacros(
      "Driver X,$SrcPath\\drv\\ok.txt,$SrcPath\\drv\\setup.exe,$SrcPath\\drv,", e, NoLead);
  const std::optional<CommandFields> f = SplitCommand(expanded, NoLead);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->name, "Driver X");
  EXPECT_EQ(f->checkFile, "E:\\drv\\ok.txt");
  EXPECT_EQ(f->commandLine, "E:\\drv\\setup.exe");
  EXPECT_EQ(f->workingFolder, "E:\\drv");
  EXPECT_EQ(f->timeoutMs, 60000);
  // The same on a POSIX disc.
  LauncherFolders p{"/usr/sbin", "/usr/bin", "/tmp/", "/home", "/media/disc", '/'};
  EXPECT_EQ(ExpandMacros("$SrcPath/drv/setup,$TEMP/a,$temp/a,$Temp/a", p, NoLead),
            "/media/disc/drv/setup,/tmp/a,/tmp/a,/tmp/a");
  EXPECT_EQ(ExpandMacros("$Temp\\a.exe", e, NoLead), "C:\\TEMP\\a.exe");
  EXPECT_EQ(ExpandMacros("a$b$SYSTEM$windows$CurPath$", e, NoLead),
            "abC:\\WINDOWS\\SYSTEMC:\\WINDOWSC:\\CUR");

  // Time-outs: a number from the start of the fifth field; empty is 60000.
  for (const auto& [fifth, ms] : std::vector<std::pair<std::string, long long>>{
           {"", 60000}, {"0", 0}, {"-1", -1}, {"250,more,commas", 250}, {"x", 0}, {" 12ms", 12}}) {
    EXPECT_EQ(SplitCommand("a,b,c,d," + fifth, NoLead)->timeoutMs, ms) << fifth;
  }
  EXPECT_FALSE(SplitCommand("a,b,c,d", NoLead));
  // Fields are cut at 259 bytes; the expansion never passes its buffer.
  const std::optional<CommandFields> big =
      SplitCommand(std::string(10000, 'n') + "," + std::string(10000, 'c') + ",,,", NoLead);
  ASSERT_TRUE(big);
  EXPECT_EQ(big->name.size(), 259u);
  EXPECT_EQ(big->checkFile.size(), 259u);
  EXPECT_LE(ExpandMacros(std::string(1020, 'x') + "$Temp$Temp", e, NoLead).size(), 1023u);
  EXPECT_EQ(ExpandMacros(std::string(1010, 'x') + "$Temp" + "tail", e, NoLead),
            std::string(1010, 'x') + "C:\\TEMP\\");  // beyond 1014 after a macro: stop
  EXPECT_EQ(ExpandMacros(std::string(1022, 'x') + "$", e, NoLead), std::string(1022, 'x'));
  // A lead byte keeps its second byte, a "," or "$" included.
  const auto sjis = [](unsigned char b) { return b == 0x81; };
  EXPECT_EQ(SplitCommand("\x81,a,b,c,d,", sjis)->name, "\x81,a");
  EXPECT_EQ(ExpandMacros("\x81$Temp", e, sjis), "\x81$Temp");
}

TEST(LauncherScriptTest, CutsFallOnCharacterBoundaries) {
  // 100 characters of three bytes: the name keeps the 86 that fit in 259 bytes.
  std::string hundred;
  for (int i = 0; i < 100; ++i) hundred += "驱";
  std::string fitting;
  for (int i = 0; i < 86; ++i) fitting += "驱";
  const std::optional<CommandFields> f =
      SplitCommand(hundred + "," + hundred + ",run,," + hundred, NoLead);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->name, fitting);
  EXPECT_EQ(f->checkFile, fitting);
  // A field is full once a character does not fit: nothing later slips in behind it.
  const auto sjis = [](unsigned char b) { return b == 0x81; };
  const std::string pairThenB = std::string("\x81\x40") + "b,,,,";
  EXPECT_EQ(SplitCommand(std::string(258, 'a') + pairThenB, sjis)->name, std::string(258, 'a'));
  EXPECT_EQ(SplitCommand(std::string(257, 'a') + "驱b,,,,", NoLead)->name, std::string(257, 'a'));
  // Bytes that are no UTF-8 character are kept one by one, as before.
  const std::string loneThenB = std::string("\xE9") + "b,,,,";
  EXPECT_EQ(SplitCommand(std::string(258, 'a') + loneThenB, NoLead)->name,
            std::string(258, 'a') + "\xE9");

  // The expansion buffer: neither literal text nor a macro's folder is cut inside a character.
  LauncherFolders e{"C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS", "", "C:\\CUR", "E:", '\\'};
  for (int i = 0; i < 10; ++i) e.temp += "驱";
  EXPECT_EQ(ExpandMacros(std::string(1021, 'x') + "驱", e, NoLead), std::string(1021, 'x'));
  EXPECT_EQ(ExpandMacros(std::string(1000, 'x') + "$Temp", e, NoLead),
            std::string(1000, 'x') + hundred.substr(0, 21));
}

TEST(LauncherTest, ALongNameIsCutOnACharacterInTheLogAndTheMessages) {
  std::string hundred, fitting;
  for (int i = 0; i < 100; ++i) hundred += "驱";
  for (int i = 0; i < 86; ++i) fitting += "驱";
  Launch l("[ScrivRt]\r\nPromptBeforeSetup=1\r\n[ScrivDriver]\r\nExecCount=1\r\nExecCmd0=" +
           Step(hundred, "", "/no/such/setup", "", "") + "\r\n");
  EXPECT_EQ(l.Run({true}), -1);
  EXPECT_TRUE(LoggedFailure(l.Messages(),
                            "Exec: " + fitting + ":/no/such/setup: installed failed, return: "));
  EXPECT_NE(l.boxes.str().find("launchet: 正在安装" + fitting + ", 请稍侯...\n"),
            std::string::npos);
  EXPECT_NE(l.boxes.str().find("不能安装" + fitting + "\n软件可能不能运行"), std::string::npos);
}

TEST(LauncherTest, TheScriptMissingOrWrong) {
  Launch missing("", false);
  EXPECT_EQ(missing.Run(), -1);
  EXPECT_TRUE(missing.Logged("Inf file not exist: " + missing.Path("launchet.inf")));
  EXPECT_NE(missing.boxes.str().find("[错误] launchet.inf文件不存在或文件不对！"),
            std::string::npos);

  // Empty or binary: nothing to run, and no application.
  for (const std::string& bad : {std::string(), std::string("\0\1\2\xFF[\x90", 6)}) {
    Launch l(bad);
    EXPECT_EQ(l.Run(), -1);
    EXPECT_TRUE(l.Logged("InstallDriver: Finish"));
    EXPECT_TRUE(l.Logged("RunAppl: cmdLine missing -- ignored "));
  }
}

TEST(LauncherTest, AScriptTooLargeToReadIsSaidToBeSo) {
  // One byte over 1 MiB: refused as too large, not as missing.
  const std::string application = "[ScrivAppl]\r\nExecCmd=" + kChild + "\r\n";
  std::string padding = ";";
  padding.resize(1024 * 1024 - application.size() - 2, 'p');
  padding += "\r\n";
  Launch large(padding + application + "x");
  EXPECT_EQ(large.Run(), -1);
  EXPECT_TRUE(large.Logged("Inf file too large: " + large.Path("launchet.inf") +
                           " (1048577 bytes, at most 1048576)"));
  EXPECT_FALSE(large.Logged("Inf file not exist: " + large.Path("launchet.inf")));
  EXPECT_EQ(large.boxes.str(), "launchet: [错误] launchet.inf文件太大（超过 1 MB）！\n");

  // Exactly 1 MiB is read.
  Launch fits(padding + application);
  EXPECT_EQ(fits.Run(), 0);
  EXPECT_TRUE(fits.Logged("RunAppl: " + kChild + " start finish, return: 0"));
}

// UTF-16 bytes behind their byte-order mark, of text whose non-ASCII part is given as UTF-16.
std::string Utf16(const std::string& ascii, std::u16string_view more, bool bigEndian) {
  std::u16string text(ascii.begin(), ascii.end());
  text += more;
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

TEST(LauncherTest, ScriptsSavedWithAByteOrderMark) {
  // The first section right behind the mark, as Windows editors save it.
  const std::string script =
      "[ScrivDriver]\r\nExecCount=1\r\nExecCmd0=" + Step("Driver", "", kChild + " 4", "", "") +
      "\r\n[ScrivAppl]\r\nExecCmd=" + kChild + "\r\n";
  Launch utf8("\xEF\xBB\xBF" + script);
  EXPECT_EQ(utf8.Run(), 0);
  EXPECT_TRUE(utf8.Logged("Exec: Driver:" + kChild + " 4: installed finish, return: 4"));
  EXPECT_TRUE(utf8.Logged("RunAppl: " + kChild + " start finish, return: 0"));

  // UTF-16 of either byte order, read as the profile functions read Unicode: a name in
  // Chinese comes out in UTF-8, in the log and in the questions.
  for (const bool bigEndian : {false, true}) {
    Launch utf16(Utf16("[ScrivRt]\r\nPromptBeforeSetup=1\r\n[ScrivAppl]\r\nExecCmd=" + kChild +
                           "\r\n[ScrivDriver]\r\nExecCount=1\r\nExecCmd0=",
                       u"\u9A71\u52A8,,/no/such/setup,,\r\n", bigEndian));
    EXPECT_EQ(utf16.Run({true}), 0) << bigEndian;
    EXPECT_TRUE(
        LoggedFailure(utf16.Messages(), "Exec: 驱动:/no/such/setup: installed failed, return: "))
        << bigEndian;
    EXPECT_NE(utf16.boxes.str().find("不能安装驱动\n"), std::string::npos) << bigEndian;
    EXPECT_TRUE(utf16.Logged("RunAppl: " + kChild + " start finish, return: 0")) << bigEndian;
  }
}

TEST(LauncherTest, TheApplicationAloneStartsFromTheSourceFolderWithoutWaiting) {
  Launch l("");
  l.dir.Put("launchet.inf",
            "[ScrivAppl]\r\nExecCmd=" + kChild + " 0 300 " + l.Path("where") + "\r\n");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(l.Run(), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
  EXPECT_TRUE(
      l.Logged("RunAppl: " + kChild + " 0 300 " + l.Path("where") + " start finish, return: 0"));
  EXPECT_EQ(l.Messages().size(), 3u);
  for (int i = 0; i < 100 && !std::filesystem::exists(l.dir / "where"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(ScratchFolder::Slurp(l.dir / "where"), l.dir.Path().string());

  Launch broken("[ScrivAppl]\r\nExecCmd=/no/such/program\r\n");
  EXPECT_EQ(broken.Run(), -1);
  EXPECT_TRUE(
      LoggedFailure(broken.Messages(), "RunAppl: /no/such/program installed failed, return: "));
  EXPECT_NE(broken.boxes.str().find("[运行] 不能运行程序 :  /no/such/program"), std::string::npos);
}

TEST(LauncherTest, StepsExitCodesAndTimeOuts) {
  Launch l("");
  const std::string script =
      "[ScrivDriver]\r\nExecCount=5\r\n"
      "ExecCmd0=" +
      Step("Zero", "", kChild + " 7", "", "") +
      "\r\n"
      "ExecCmd2=" +
      Step("Slow", "", kChild + " 0 3000 " + l.Path("late"), "", "200") +
      "\r\n"
      "ExecCmd3=" +
      Step("Quick", "", kChild + " 9 1000", "", "0") +
      "\r\n"
      "ExecCmd4=" +
      Step("Nothing", "", "   ", "", "") +
      "\r\n"
      "[ScrivAppl]\r\nExecCmd=" +
      kChild + "\r\n";
  l.dir.Put("launchet.inf", script);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(l.Run(), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
  EXPECT_TRUE(l.Logged("Exec: Zero:" + kChild + " 7: installed finish, return: 7"));
  EXPECT_TRUE(l.Logged("Exec: Invalid command string: "));  // ExecCmd1 is missing
  EXPECT_TRUE(l.Logged("Exec: Slow:" + kChild + " 0 3000 " + l.Path("late") +
                       ": installed failed, return: 0"));
  EXPECT_TRUE(l.Logged("Exec: Quick:" + kChild + " 9 1000: installed finish, return: 0"));
  EXPECT_TRUE(LoggedFailure(l.Messages(), "Exec: Nothing:   : installed failed, return: "));
  EXPECT_TRUE(l.Logged("InstallDriver: Finish"));
  // The slow step was left running: it ends later, by itself.
  EXPECT_FALSE(std::filesystem::exists(l.dir / "late"));
  EXPECT_EQ(l.boxes.str(), "");  // silence mode asks and tells nothing
}

#ifndef _WIN32
// Windows' CreateProcess looks in the launcher's own folder first by itself; POSIX looks there
// before the search path as well.
TEST(LauncherTest, ABareProgramNameIsLookedForBesideTheLauncherThenOnThePath) {
  Launch l("");
  const auto put = [](const std::filesystem::path& to) {
    std::filesystem::create_directories(to.parent_path());
    std::filesystem::copy_file(kChild, to);
  };
  put(l.dir / "setup-child");
  put(l.dir / "bin/path-child");
  l.dir.Put("bin/setup-child", "#!/bin/sh\nexit 42\n");
  std::filesystem::permissions(l.dir / "bin/setup-child", std::filesystem::perms::owner_all);
  l.dir.Put("work/.keep", "");
  const std::string oldPath = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  ::setenv("PATH", (l.Path("bin") + ":" + oldPath).c_str(), 1);
  l.dir.Put("launchet.inf",
            "[ScrivDriver]\r\nExecCount=3\r\n"
            "ExecCmd0=" +
                Step("Beside", "", "setup-child 5 0 " + l.Path("where"), l.Path("work"), "") +
                "\r\n"
                "ExecCmd1=" +
                Step("OnPath", "", "path-child 6", "", "") +
                "\r\n"
                "ExecCmd2=" +
                Step("Nowhere", "", "no-such-setup-child", "", "") +
                "\r\n"
                "[ScrivAppl]\r\nExecCmd=setup-child\r\n");
  const int code = l.Run();
  ::setenv("PATH", oldPath.c_str(), 1);
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(l.Logged("Exec: Beside:setup-child 5 0 " + l.Path("where") +
                       ": installed finish, return: 5"));
  EXPECT_EQ(ScratchFolder::Slurp(l.dir / "where"), l.Path("work"));  // in its working folder
  EXPECT_TRUE(l.Logged("Exec: OnPath:path-child 6: installed finish, return: 6"));
  EXPECT_TRUE(l.Logged("Exec: Nowhere:no-such-setup-child: installed failed, return: 2"));
  EXPECT_TRUE(l.Logged("RunAppl: setup-child start finish, return: 0"));
}

TEST(LauncherTest, AStepKilledByASignalSaysWhichSignal) {
  Launch l("[ScrivDriver]\r\nExecCount=2\r\nExecCmd0=" +
           Step("Crash", "", kChild + " raise 11", "", "") +
           "\r\nExecCmd1=" + Step("Stopped", "", kChild + " raise 15", "", "") + "\r\n");
  EXPECT_EQ(l.Run(), -1);
  EXPECT_TRUE(l.Logged("Exec: Crash:" + kChild +
                       " raise 11: installed finish, return: 139 -- killed by signal 11, SIGSEGV"));
  EXPECT_TRUE(l.Logged("Exec: Stopped:" + kChild +
                       " raise 15: installed finish, return: 143 -- killed by signal 15, SIGTERM"));
}
#endif

TEST(LauncherTest, A3010AsksToRestartInsteadOfStarting) {
  Launch l("");
  const std::string script =
      "[ScrivRt]\r\nRTSetup=1\r\nExecCmd=" + Step("Runtime", "", kChild + " 3010", "", "") +
      "\r\n[ScrivAppl]\r\nExecCmd=" + kChild + " 0 0 " + l.Path("app") + "\r\n";
  l.dir.Put("launchet.inf", script);
  EXPECT_EQ(l.Run({false}), 0);
  EXPECT_TRUE(l.Logged("Exec: Runtime:" + kChild + " 3010: installed finish, return: 3010"));
  EXPECT_TRUE(l.Logged("RTSetup: Finish"));
  EXPECT_TRUE(l.Logged("Rebooting windows"));
  EXPECT_TRUE(l.Logged("reboot canceled by user"));
  EXPECT_NE(l.boxes.str().find("现在重新启动吗？ -> No"), std::string::npos);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(std::filesystem::exists(l.dir / "app"));  // the application is not started

#ifndef _WIN32
  // Yes, and the service manager refuses: the error is logged and said.
  ::setenv("LAUNCHET_REBOOT_COMMAND", "false", 1);
  Launch refused(script);
  EXPECT_EQ(refused.Run({true}), 0);
  ::unsetenv("LAUNCHET_REBOOT_COMMAND");
  bool failed = false;
  for (const std::string& m : refused.Messages())
    failed = failed || m.starts_with("Error(0:0x00000001) : reboot failed -- ");
  EXPECT_TRUE(failed);
  EXPECT_NE(refused.boxes.str().find("[安装] 安装程序不能重新启动计算机."), std::string::npos);
#endif
}

TEST(LauncherTest, CheckFilesInSilenceAndPromptModes) {
  Launch l("");
  l.dir.Put("ok.txt", "installed");
  const std::string step = Step("Driver", std::string("$SrcPath") + kSep + "ok.txt",
                                kChild + " 0 0 " + l.Path("ran"), "", "");
  l.dir.Put("launchet.inf", "[ScrivDriver]\r\nExecCount=1\r\nExecCmd0=" + step + "\r\n");
  EXPECT_EQ(l.Run(), -1);  // no application
  EXPECT_TRUE(l.Logged("Exec: Driver already installed -- skipped in silence mode"));
  EXPECT_FALSE(std::filesystem::exists(l.dir / "ran"));

  // Prompt mode: the first question, then the check question (No: skipped).
  const std::string prompt =
      "[ScrivRt]\r\nPromptBeforeSetup=1\r\n[ScrivDriver]\r\nExecCount=1\r\nExecCmd0=" + step +
      "\r\n";
  l.dir.Put("launchet.inf", prompt);
  EXPECT_EQ(l.Run({true, false}), -1);
  EXPECT_TRUE(l.Logged("Exec: Driver already installed -- skipped by user"));
  EXPECT_NE(l.boxes.str().find("launchet: 正在安装Driver, 请稍侯..."), std::string::npos);
  EXPECT_NE(l.boxes.str().find("Driver已经安装，是否重新安装？ -> No"), std::string::npos);

  // Refused at the first question: nothing runs, exit 0.
  Launch no(prompt);
  EXPECT_EQ(no.Run({false}), 0);
  EXPECT_TRUE(no.Logged("Exec: : Canceled by user"));
  EXPECT_FALSE(no.Logged("InstallDriver: Finish"));

  // A step that fails in prompt mode is told, and the sequence goes on.
  Launch told("[ScrivRt]\r\nPromptBeforeSetup=1\r\n[ScrivDriver]\r\nExecCount=1\r\nExecCmd0=" +
              Step("Bad", "", "/no/such/setup", "", "") + "\r\n");
  EXPECT_EQ(told.Run({true}), -1);
  EXPECT_NE(told.boxes.str().find("不能安装Bad\n软件可能不能运行，您可以以后再运行/no/such/setup"),
            std::string::npos);
  EXPECT_TRUE(told.Logged("InstallDriver: Finish"));
}

TEST(LauncherTest, HostileScripts) {
  // 5000 steps that name nothing, counts that lie, a field of 10000 bytes, a "$" at the edge.
  std::string many = "[ScrivDriver]\r\nExecCount=5000\r\n";
  for (int i = 0; i < 5000; ++i)
    many += "ExecCmd" + std::to_string(i) + "=s" + std::to_string(i) + ",,,,\r\n";
  Launch l(many);
  EXPECT_EQ(l.Run(), -1);
  EXPECT_TRUE(LoggedFailure(l.Messages(), "Exec: s4999:: installed failed, return: "));
  EXPECT_TRUE(l.Logged("InstallDriver: Finish"));

  Launch negative("[ScrivDriver]\r\nExecCount=-4\r\nExecCmd0=a,,,,\r\n");
  EXPECT_EQ(negative.Run(), -1);
  EXPECT_EQ(negative.Messages().size(), 3u);  // start, finish, no application

  const auto start = std::chrono::steady_clock::now();
  // A value is read up to 1023 characters: the commas of a longer one are never seen.
  Launch huge("[ScrivDriver]\r\nExecCount=2147483647\r\nExecCmd0=" + std::string(1000, 'f') +
              ",,,,\r\nExecCmd1=" + std::string(1019, 'x') +
              "$\r\nExecCmd2=" + std::string(10000, 'g') + ",,,,\r\n");
  EXPECT_EQ(huge.Run(), -1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  int invalid = 0;
  for (const std::string& m : huge.Messages())
    invalid += m.starts_with("Exec: Invalid command string: ");
  EXPECT_EQ(invalid, 2 + kStepsPastTheLast);
  EXPECT_TRUE(
      huge.Logged("InstallDriver: ExecCount 2147483647 goes past the last ExecCmd -- "
                  "steps from 67 on ignored"));
  bool cut = false;
  for (const std::string& m : huge.Messages()) {
    cut = cut || m.starts_with("Exec: " + std::string(259, 'f') + ":: installed failed, return: ");
  }
  EXPECT_TRUE(cut);
}

#ifndef _WIN32
// launchet itself, built beside the tests when the build has the windows.
std::string LaunchetPath() {
  const std::string self = ThisProgramPath();
  return self.substr(0, self.find_last_of('/') + 1) + "launchet";
}

// A display that no server serves: its socket does not exist.
std::string UnreachableDisplay() {
  int n = 4871;
  while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n))) ++n;
  return ":" + std::to_string(n);
}

struct ProgramRun {
  int status = -1;     // as waitpid gives it
  std::string output;  // stdout and stderr
  std::string log;
};

// Runs the launchet in the folder, with the arguments, and with the environment of the tests
// less everything that picks its questions' windows and answers, plus what is given; its log
// goes to the folder. A run that has not ended after ten seconds is killed.
ProgramRun RunProgram(const ScratchFolder& dir, const std::vector<std::string>& settings,
                      std::vector<std::string> args = {}) {
  std::vector<std::string> environment;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    if (name != "DISPLAY" && name != "WAYLAND_DISPLAY" && name != "QT_QPA_PLATFORM" &&
        name != "LAUNCHET_ANSWERS" && name != "TMPDIR")
      environment.push_back(entry);
  }
  environment.push_back("TMPDIR=" + dir.Path().string());
  environment.insert(environment.end(), settings.begin(), settings.end());
  std::vector<char*> envp;
  envp.reserve(environment.size() + 1);
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::string program = (dir / "launchet").string();
  std::vector<char*> argv{program.data()};
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, (dir / "output").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = 0;
  ProgramRun run;
  const int error =
      ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return run;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (::waitpid(pid, &run.status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &run.status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  run.output = ScratchFolder::Slurp(dir / "output");
  run.log = ScratchFolder::Slurp(dir / "~launchet.lg0");
  return run;
}

TEST(LaunchetProgramTest, WithNoWindowToShowTheTextGoesToStderrAndEveryAnswerIsNo) {
  if (!std::filesystem::exists(LaunchetPath())) GTEST_SKIP() << "this build has no launchet";
  ScratchFolder dir;
  std::filesystem::copy_file(LaunchetPath(), dir / "launchet");
  const std::string display = "DISPLAY=" + UnreachableDisplay();
  // No display at all; a display that cannot be reached; one whose windows nobody sees.
  for (const std::vector<std::string>& settings : std::vector<std::vector<std::string>>{
           {}, {display}, {display, "QT_QPA_PLATFORM=offscreen"}}) {
    const std::string what = settings.empty() ? "no display" : settings.back();
    std::filesystem::remove(dir / "launchet.inf");
    const ProgramRun missing = RunProgram(dir, settings);
    EXPECT_TRUE(WIFEXITED(missing.status) && WEXITSTATUS(missing.status) == 255)
        << what << ": " << missing.status << "\n"
        << missing.output;
    EXPECT_NE(missing.output.find("launchet: [错误] launchet.inf文件不存在或文件不对！\n"),
              std::string::npos)
        << what;
    EXPECT_TRUE(missing.log.ends_with(
        ">>SYSTEM TERMINATED NORMALLY<<  Total Trace : 2   Total Logged : 2\r\n\r\n"))
        << what << "\n"
        << missing.log;

    dir.Put("launchet.inf", "[ScrivRt]\r\nPromptBeforeSetup=1\r\n");
    const ProgramRun asked = RunProgram(dir, settings);
    EXPECT_TRUE(WIFEXITED(asked.status) && WEXITSTATUS(asked.status) == 0)
        << what << ": " << asked.status << "\n"
        << asked.output;
    EXPECT_NE(asked.output.find("launchet: [提示] 现在开始安装驱动程序，是否继续？ -> No\n"),
              std::string::npos)
        << what;
    EXPECT_NE(asked.log.find(">>LOG MESSAGE<<   Exec: : Canceled by user\r\n"), std::string::npos)
        << what;
    EXPECT_TRUE(asked.log.ends_with("Total Trace : 2   Total Logged : 2\r\n\r\n")) << what;
  }
}

// A question about the program, or a mistake in its arguments, is answered without a run: no
// step starts, and the log of the last run stays as it was.
TEST(LaunchetProgramTest, HelpVersionAndMistakesRunNothing) {
  if (!std::filesystem::exists(LaunchetPath())) GTEST_SKIP() << "this build has no launchet";
  ScratchFolder dir;
  std::filesystem::copy_file(LaunchetPath(), dir / "launchet");
  const std::string made = (dir / "made").string();
  dir.Put("launchet.inf", "[ScrivDriver]\r\nExecCount=1\r\nExecCmd0=Driver,," + kChild + " 0 0 " +
                              made + ",,\r\n[ScrivAppl]\r\nExecCmd=" + kChild + "\r\n");
  dir.Put("~launchet.lg0", "the last run\r\n");
  struct Row {
    std::vector<std::string> args;
    int code;
    std::string output;
  } rows[] = {
      {{"--help"}, 0, "usage: launchet\n"},
      {{"-h"}, 0, "usage: launchet\n"},
      {{"--version"}, 0, "launchet "},
      {{"--bogus"}, 2, "launchet: unknown option --bogus\nTry 'launchet --help'.\n"},
      {{"setup.inf"}, 2, "launchet: unexpected argument setup.inf\nTry 'launchet --help'.\n"},
      {{"-platform"}, 2, "launchet: -platform needs a value\n"},
  };
  for (const Row& row : rows) {
    const ProgramRun run = RunProgram(dir, {}, row.args);
    const std::string what = ::testing::PrintToString(row.args);
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == row.code)
        << what << ": " << run.status << "\n"
        << run.output;
    EXPECT_TRUE(run.output.starts_with(row.output)) << what << ": " << run.output;
    EXPECT_EQ(run.log, "the last run\r\n") << what;
    EXPECT_FALSE(std::filesystem::exists(made)) << what;
  }
  // Qt's own options pass to the run.
  const ProgramRun run = RunProgram(dir, {}, {"-platform", "offscreen"});
  EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << run.output;
  EXPECT_TRUE(std::filesystem::exists(made)) << run.output << run.log;
}
#endif

TEST(LauncherTest, WithoutALogTheRunGoesOn) {
  ScratchFolder dir;
  dir.Put("launchet.inf", "[ScrivAppl]\r\nExecCmd=" + kChild + "\r\n");
  TraceLog* log = TraceLog::Create();
  EXPECT_EQ(log->Open((dir / "missing/folder/~launchet.lg0").string().c_str()), kTraceFail);
  const std::unique_ptr<LauncherHost> host = MakeSystemHost((dir / "launchet").string());
  std::ostringstream boxes;
  TextPrompter prompter({}, boxes);
  EXPECT_EQ(RunLauncher(*host, prompter, *log), 0);
  log->Release();
}

}  // namespace
}  // namespace tavrin::launcher

#include "tools/tavrin-cli/cli.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <thread>

#include "common/bytes.h"
#include "common/codepage.h"
#include "common/command_line.h"
#include "common/file_io.h"
#include "common/program_folder.h"
#include "common/settings.h"
#include "common/utf8_path.h"
#include "editor/message_rtf.h"
#include "fonts/font_transfer.h"
#include "fonts/user_font.h"
#include "functions/network_send.h"
#include "functions/sign_plans.h"
#include "graphics/graphic_file.h"
#include "signlink/link_factory.h"
#include "signlink/serial_ports.h"
#include "signlink/sign_road.h"
#include "tools/tavrin-cli/cli_graphic.h"

namespace tavrin::cli {

namespace {

constexpr const char* kProgram = "tavrin-cli";

constexpr const char* kUsage =
    "usage: tavrin-cli [--home DIR] [--port N | --device PATH | --tcp HOST:PORT | --queue NAME]\n"
    "                  [--id HH] [--dry-run] COMMAND ...\n"
    "       tavrin-cli -h | --help | --version\n"
    "commands:\n"
    "  send [--page X] [--] TEXT            send TEXT as Line 1 to page X (default A); after\n"
    "                                       --, a TEXT that begins with - too\n"
    "  send [--page X] --file FILE.tvr      send Line 1 of a message file saved by Tavrin\n"
    "  set-id NEW                           give the sign the new ID NEW (01 to FF)\n"
    "  clock [--at \"YYYY-MM-DD hh:mm:ss\"]   set the sign's clock (default: now)\n"
    "  brightness 100|75|50|25              set the brightness in percent\n"
    "  run-page X                           run page X now\n"
    "  schedule START END PAGES ...         send 1 to 5 schedule entries;\n"
    "                                       START and END as \"MM/DD/YY hh:mm\"\n"
    "  delete-schedule N [N ...]            delete schedule entries 1 to 5\n"
    "  delete-page X1 [X2 ...]              delete page lines: C2 is page C line 2,\n"
    "                                       C alone both lines\n"
    "  delete-all                           delete everything on the sign\n"
    "  link PAGES                           link pages to run, e.g. ABC\n"
    "  transfer-font FILE.fon               send the drawn characters of a font file\n"
    "  recall-font                          the sign goes back to its default font\n"
    "  show-port                            print the port and the device it opens\n"
    "  show-queues                          print the print queues, the default one marked\n"
    "  ports                                print the serial devices present and their COM\n"
    "                                       numbers, and the settings' [Ports] entries\n"
    "  font list FILE.fon                   print the characters of a font file\n"
    "  preview TEXT [--width 128|96|160] [--font FILE.fon] [--gif FILE] [--png DIR]\n"
    "                                       what the sign shows: the line as text, or its\n"
    "                                       animation as a GIF or numbered PNG pictures\n"
    "  graphic show NAME                    print graphic NAME (G01 to G16) as cell letters\n"
    "  graphic export NAME FILE.bmp         write graphic NAME as a 24-bit bitmap\n"
    "  graphic import FILE.bmp NAME --width W --height H\n"
    "                                       make graphic NAME from a bitmap, W one of 32,\n"
    "                                       64, 96, 120, 128, H 7 or 8; cells beyond the\n"
    "                                       picture are off\n"
    "options:\n"
    "  --home DIR       the program folder (settings, Graphdata); default: Tavrin's own\n"
    "  --port N         serial port N (COMn); default: the port of the settings file\n"
    "  --device PATH    a serial device by its path\n"
    "  --tcp HOST:PORT  a sign behind a serial device server, or the virtual sign\n"
    "  --queue NAME     send as one raw print job to the print queue NAME (send only)\n"
    "  --id HH          the sign ID, two hexadecimal digits 00 to FF (default 01)\n"
    "  --dry-run        print the frames, one a line, instead of sending them\n"
    "  -h, --help       print this help and exit\n"
    "  --version        print the version and exit\n"
    "A sign command prints one line at its end: its notice, or what it sent (sent: 3 frames\n"
    "to sign 01, page A in 0.5 s); a failure goes to stderr with its reason.\n"
    "exit: 0 done, 1 refused or silent (or a graphic file failed, or the queue dropped the\n"
    "      job), 2 bad arguments, 3 the port or the queue cannot be opened\n";

struct Options {
  std::optional<std::filesystem::path> home;
  std::optional<int> port;
  std::optional<std::string> device;
  std::optional<std::string> tcp;
  std::optional<std::string> queue;
  std::uint8_t signId = 1;
  bool dryRun = false;
  std::string command;
  std::vector<std::string> args;
};

// A mistake in the command line.
struct UsageError {
  std::string message;
};

// A notice's text without the blanks around it.
std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Prints notices as the windows would show them: the text without its surrounding blanks,
// errors on stderr; questions are answered Yes, the command line having asked already.
class PrintingNotice : public Notice {
 public:
  PrintingNotice(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}
  NoticeAnswer Show(NoticeKind kind, NoticeButtons buttons, const std::string& text) override {
    if (buttons == NoticeButtons::YesNo) return NoticeAnswer::Yes;
    (kind == NoticeKind::Error ? m_err : m_out) << Trimmed(text) << '\n';
    return buttons == NoticeButtons::Ok ? NoticeAnswer::Ok : NoticeAnswer::Yes;
  }

 private:
  std::ostream& m_out;
  std::ostream& m_err;
};

class SleepingWaiter : public Waiter {
 public:
  void WaitMs(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

bool TakeValue(const std::vector<std::string>& args, std::size_t& i, std::string& value) {
  if (i + 1 >= args.size()) return false;
  value = args[++i];
  return true;
}

bool ParseInt(const std::string& text, int& value) {
  if (text.empty() || text.size() > 9) return false;
  std::size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return false;
  for (std::size_t k = i; k < text.size(); ++k) {
    if (text[k] < '0' || text[k] > '9') return false;
  }
  value = std::stoi(text);
  return true;
}

std::optional<UsageError> ParseGlobal(const std::vector<std::string>& args, Options& options) {
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string value;
    if (a == "--home") {
      if (!TakeValue(args, i, value)) return UsageError{"--home needs a folder"};
      options.home = PathFromUtf8(value);
    } else if (a == "--port") {
      int port = 0;
      if (!TakeValue(args, i, value) || !ParseInt(value, port)) {
        return UsageError{"--port needs a port number"};
      }
      options.port = port;
    } else if (a == "--device") {
      if (!TakeValue(args, i, value) || value.empty()) return UsageError{"--device needs a path"};
      options.device = value;
    } else if (a == "--tcp") {
      std::string host;
      int port = 0;
      if (!TakeValue(args, i, value) || !ParseHostPort(value, host, port)) {
        return UsageError{"--tcp needs HOST:PORT"};
      }
      options.tcp = value;
    } else if (a == "--queue") {
      if (!TakeValue(args, i, value) || value.empty()) return UsageError{"--queue needs a name"};
      options.queue = value;
    } else if (a == "--id") {
      if (!TakeValue(args, i, value) || !ParseHexByte(value, options.signId)) {
        return UsageError{"--id needs a sign ID of two hexadecimal digits, 00 to FF"};
      }
    } else if (a == "--dry-run") {
      options.dryRun = true;
    } else if (a.starts_with("--")) {
      return UsageError{"unknown option " + a};
    } else {
      break;
    }
  }
  if ((options.port ? 1 : 0) + (options.device ? 1 : 0) + (options.tcp ? 1 : 0) +
          (options.queue ? 1 : 0) >
      1) {
    return UsageError{"give only one of --port, --device, --tcp and --queue"};
  }
  if (i == args.size()) return UsageError{"no command given"};
  options.command = args[i];
  if (options.queue && options.command != "send") {
    return UsageError{"--queue goes with send only: a print queue carries messages one way"};
  }
  options.args.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
  return std::nullopt;
}

bool IsPageLetter(const std::string& text) {
  return text.size() == 1 && text[0] >= 'A' && text[0] <= 'Z';
}

bool IsDigitAt(const std::string& s, std::initializer_list<std::size_t> positions) {
  for (const std::size_t p : positions) {
    if (p >= s.size() || s[p] < '0' || s[p] > '9') return false;
  }
  return true;
}

// "YYYY-MM-DD hh:mm:ss" as a calendar date and a time text.
bool ParseClockArgument(const std::string& s, std::chrono::year_month_day& date,
                        std::string& time) {
  if (s.size() != 19 || !IsDigitAt(s, {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18}) ||
      s[4] != '-' || s[7] != '-' || s[10] != ' ' || s[13] != ':' || s[16] != ':') {
    return false;
  }
  date = std::chrono::year_month_day{
      std::chrono::year{std::stoi(s.substr(0, 4))},
      std::chrono::month{static_cast<unsigned>(std::stoi(s.substr(5, 2)))},
      std::chrono::day{static_cast<unsigned>(std::stoi(s.substr(8, 2)))}};
  time = s.substr(11);
  return date.ok() && TickTimeField(time).has_value();
}

void Now(std::chrono::year_month_day& date, std::string& time) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  date = std::chrono::year_month_day{std::chrono::year{local.tm_year + 1900},
                                     std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
                                     std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
  char text[16];
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  time = text;
}

std::string Seconds(std::chrono::steady_clock::duration took) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s",
                std::chrono::duration_cast<std::chrono::duration<double>>(took).count());
  return text;
}

int ExitCode(SignOutcome outcome) {
  switch (outcome) {
    case SignOutcome::Accepted:
    case SignOutcome::Over:
      return kExitOk;
    case SignOutcome::PortError:
      return kExitPortError;
    case SignOutcome::Invalid:
      return kExitUsage;
    case SignOutcome::Refused:
    case SignOutcome::Cancelled:
    case SignOutcome::FileError:
    case SignOutcome::Busy:
    case SignOutcome::Stopped:
      break;
  }
  return kExitFailed;
}

// Runs a sign command: over the link the options name, or for --dry-run by printing its
// frames, one a line, without a sign.
class Runner {
 public:
  Runner(const Options& options, std::ostream& out, std::ostream& err)
      : m_options(options),
        m_out(out),
        m_err(err),
        m_home(options.home ? WithTrailingSeparator(*options.home) : ProgramFolder()),
        m_settings(SettingsPath(m_home)) {}

  const std::filesystem::path& Home() const { return m_home; }
  const Settings& AppSettings() const { return m_settings; }

  // Where the sign functions would go: "COM3 /dev/ttyS2 default", "tcp HOST:PORT", ...
  std::string PortDescription() const {
    if (m_options.tcp) return "tcp " + *m_options.tcp;
    if (m_options.device) return "device " + *m_options.device;
    return DescribePort(PortNumber(), m_settings);
  }

  // Runs the plan, and prints how it ended: the notice of its end; the failure of a step with
  // its reason, on stderr; or, when the plan says nothing at its end, what it sent (to the
  // sign named by `to`, "sign 01, page A"; the sign of the options when empty). A watcher, when
  // given, hears each frame that went through.
  int Run(const SignPlan& plan, const std::string& to = {}, CommandWatcher* watcher = nullptr) {
    if (m_options.dryRun) return DryRun(plan);
    PrintingNotice notice(m_out, m_err);
    SleepingWaiter waiter;
    std::unique_ptr<Spooler> spooler;
    std::unique_ptr<SignLink> link;
    if (m_options.queue) {
      spooler = MakeSystemSpooler();
      spooler->SelectPrinter(*m_options.queue);
    } else {
      Result<std::unique_ptr<SignLink>> made = MakeLink(Target(), m_settings);
      if (!made) return TellBadArguments(m_err, kProgram, made.ErrorText());
      link = std::move(*made);
    }
    if (const std::optional<PlanResult> ended = RefuseOrAsk(plan, notice)) {
      return ExitCode(ended->outcome);
    }
    const auto start = std::chrono::steady_clock::now();
    // A print job follows its job until the queue has passed it on (or a few seconds went).
    const PlanResult result =
        spooler ? ExecutePlanAsPrintJob(plan, PrintJobSession{*spooler, waiter, watcher})
                : ExecutePlan(plan, LinkSession{*link, waiter, PortNumber(), nullptr, watcher});
    const bool done =
        result.outcome == SignOutcome::Accepted || result.outcome == SignOutcome::Over;
    if (result.failedStep) {
      const std::string failure = Trimmed(result.failure);
      m_err << failure << (failure.empty() ? "" : ": ") << result.reason << '\n';
    } else if (result.notice) {
      notice.Tell(*result.notice);
    } else if (done) {
      m_out << "sent: " << result.framesWritten
            << (result.framesWritten == 1 ? " frame" : " frames") << " to "
            << (to.empty() ? SignName(m_options.signId) : to)
            << (spooler ? " through the print queue " + *m_options.queue : std::string()) << " in "
            << Seconds(std::chrono::steady_clock::now() - start)
            << (result.outcome == SignOutcome::Over ? " (ID 00 does not answer)" : "") << '\n';
    }
    if (!result.failedStep && !done && !result.linkError.empty()) {
      m_err << "tavrin-cli: " << result.linkError << '\n';
    }
    return ExitCode(result.outcome);
  }

 private:
  // The frames as they would go; a command that cannot start says why on stderr.
  int DryRun(const SignPlan& plan) {
    if (plan.refusal) {
      m_err << plan.refusal->text << '\n';
      return ExitCode(plan.refusalOutcome);
    }
    for (const std::string& frame : plan.Frames()) m_out << EscapeBytes(frame) << '\n';
    return kExitOk;
  }

  LinkTarget Target() const {
    if (m_options.tcp) return {LinkTarget::Kind::Tcp, *m_options.tcp};
    if (m_options.device) return {LinkTarget::Kind::Device, *m_options.device};
    return {};
  }

  int PortNumber() const { return m_options.port.value_or(m_settings.PortNumber()); }

  const Options& m_options;
  std::ostream& m_out;
  std::ostream& m_err;
  std::filesystem::path m_home;
  Settings m_settings;
};

// A mistake in the arguments: one line saying what is wrong, then where help is (exit 2).
int Usage(std::ostream& err, const std::string& message) {
  return TellBadArguments(err, kProgram, message);
}

using Command = std::function<int(const Options&, Runner&, std::ostream& out, std::ostream& err)>;

// Line 1 of a message file, as the window would hold it after opening the file.
Result<std::string> MessageFileText(const std::string& path, const std::string& codePage) {
  Result<std::vector<TextRun>> runs = LoadMessageFile(PathFromUtf8(path), codePage);
  if (!runs) return runs.TakeError();
  std::string text;
  for (const TextRun& run : *runs) text += run.text;
  return text;
}

int Send(const Options& o, Runner& runner, std::ostream&, std::ostream& err) {
  char page = 'A';
  std::optional<std::string> text;
  std::optional<std::string> file;
  for (std::size_t i = 0; i < o.args.size(); ++i) {
    if (o.args[i] == "--page") {
      if (i + 1 >= o.args.size() || !IsPageLetter(o.args[i + 1])) {
        return Usage(err, "--page needs a page letter, A to Z");
      }
      page = o.args[++i][0];
    } else if (o.args[i] == "--file") {
      if (i + 1 >= o.args.size() || file) return Usage(err, "--file needs one message file");
      file = o.args[++i];
    } else if (o.args[i] == "--" && !text) {
      // What follows is the TEXT, whatever it begins with.
      if (i + 2 != o.args.size()) return Usage(err, "send takes one TEXT after --");
      text = WithBlanksForTabs(o.args[++i]);
    } else if (!text) {
      text = WithBlanksForTabs(o.args[i]);
    } else {
      return Usage(err, "send takes one TEXT; quote it when it holds blanks");
    }
  }
  if (text && file) return Usage(err, "send takes a TEXT or a --file, not both");
  if (file) {
    Result<std::string> read = MessageFileText(*file, runner.AppSettings().CodePage());
    if (!read) {
      err << "tavrin-cli: " << read.ErrorText() << '\n';
      return kExitFailed;
    }
    text = *read;
  }
  if (!text) return Usage(err, "send needs the TEXT of the message");
  // A print queue takes an empty message (the sign shows a blank); a port does not.
  if (text->empty() && !o.queue) return Usage(err, "No Message To Send");
  Result<std::string> signText = Utf8ToCodePage(*text, runner.AppSettings().CodePage());
  if (!signText) return Usage(err, signText.ErrorText());
  const GraphicFolder graphics(runner.Home());
  return runner.Run(o.queue ? PlanSendViaNetwork(graphics, *signText, page, o.signId)
                            : PlanSendMessage(graphics, *signText, page, o.signId),
                    SignName(o.signId) + ", page " + page);
}

int SetId(const Options& o, Runner& runner, std::ostream&, std::ostream& err) {
  std::uint8_t newId = 0;
  if (o.args.size() != 1 || !ParseHexByte(o.args[0], newId) || newId == 0) {
    return Usage(err, "set-id needs the new ID, two hexadecimal digits 01 to FF");
  }
  return runner.Run(PlanSetSignId(newId));
}

int Clock(const Options& o, Runner& runner, std::ostream&, std::ostream& err) {
  std::chrono::year_month_day date{};
  std::string time;
  if (o.args.empty()) {
    Now(date, time);
  } else if (o.args.size() != 2 || o.args[0] != "--at" ||
             !ParseClockArgument(o.args[1], date, time)) {
    return Usage(err, "clock takes --at \"YYYY-MM-DD hh:mm:ss\" with a real date and time");
  }
  return runner.Run(PlanSetClock(o.signId, date, time));
}

int Brightness(const Options& o, Runner& runner, std::ostream&, std::ostream& err) {
  const std::optional<int> level =
      o.args.size() == 1 ? BrightnessLevelIndex(o.args[0]) : std::nullopt;
  if (!level) return Usage(err, "brightness takes 100, 75, 50 or 25");
  return runner.Run(PlanSetBrightness(o.signId, *level));
}

int RunPageCommand(const Options& o, Runner& runner, std::ostream&, std::ostream& err) {
  if (o.args.size() != 1 || !IsPageLetter(o.args[0])) {
    return Usage(err, "run-page needs a page letter, A to Z");
  }
  return runner.Run(PlanRunPage(o.signId, o.args[0][0]));
}

int Schedule(const Options& o, Runner& runner, std::ostream&, std::ostream& err) {
  if (o.args.empty() || o.args.size() % 3 != 0 || o.args.size() > 3 * ScheduleList::kMaxEntries) {
    return Usage(err, "schedule takes 1 to 5 entries of START END PAGES");
  }
  ScheduleList list;
  for (std::size_t i = 0; i < o.args.size(); i += 3) {
    const std::string& start = o.args[i];
    const std::string& end = o.args[i + 1];
    std::string pages = o.args[i + 2];
    if (!IsWellFormedScheduleStamp(start) || !IsWellFormedScheduleStamp(end)) {
      return Usage(err, "START and END are \"MM/DD/YY hh:mm\", hours 00 to 23, minutes 00 to 59");
    }
    if (!NormalizePageLetters(pages) || pages.size() > kMaxSchedulePages) {
      return Usage(err, "PAGES are up to 26 letters A to Z");
    }
    Result<ScheduleEntry> entry = MakeScheduleEntry(start, end, pages);
    if (!entry) return Usage(err, entry.ErrorText());
    if (Status added = list.Add(*entry); !added) return Usage(err, added.ErrorText());
  }
  return runner.Run(PlanSendSchedules(o.signId, list));
}

int DeleteSchedule(const Options& o, Runner& runner, std::ostream&, std::ostream& err) {
  std::array<bool, 5> checked{};
  for (const std::string& a : o.args) {
    if (a.size() != 1 || a[0] < '1' || a[0] > '5') {
      return Usage(err, "delete-schedule takes entry numbers 1 to 5");
    }
    checked[static_cast<std::size_t>(a[0] - '1')] = true;
  }
  if (o.args.empty() || o.args.size() > 5) {
    return Usage(err, "delete-schedule takes 1 to 5 entry numbers");
  }
  return runner.Run(PlanDeleteSchedules(o.signId, checked));
}

int DeletePage(const Options& o, Runner& runner, std::ostream&, std::ostream& err) {
  if (o.args.empty()) return Usage(err, "delete-page needs page lines, e.g. C2, or C for both");
  PageTree tree;
  for (const std::string& a : o.args) {
    const bool ok = (a.size() == 1 || (a.size() == 2 && (a[1] == '1' || a[1] == '2'))) &&
                    a[0] >= 'A' && a[0] <= 'Z';
    if (!ok) {
      return Usage(err, "delete-page takes a page letter and a line, e.g. C2, or C for both");
    }
    const int page = a[0] - 'A';
    for (int line = 1; line <= 2; ++line) {
      const bool wanted = a.size() == 1 || a[1] - '0' == line;
      if (wanted && !tree.LineChecked(page, line)) tree.Toggle(page, line);
    }
  }
  return runner.Run(PlanDeletePages(o.signId, tree));
}

int DeleteAllCommand(const Options& o, Runner& runner, std::ostream&, std::ostream& err) {
  if (!o.args.empty()) return Usage(err, "delete-all takes no arguments");
  return runner.Run(PlanDeleteAll(o.signId));
}

int Link(const Options& o, Runner& runner, std::ostream&, std::ostream& err) {
  if (o.args.size() != 1) return Usage(err, "link takes PAGES, letters A to Z");
  std::string pages = o.args[0];
  if (!NormalizePageLetters(pages)) return Usage(err, "link takes PAGES, letters A to Z");
  return runner.Run(PlanLinkPages(o.signId, pages));
}

// The characters a transfer sent, for the European table once it has run to its end.
class SentCharacters : public CommandWatcher {
 public:
  explicit SentCharacters(const FontTransferPlan& plan) : m_plan(plan) {}
  void LinkOpened() override {}
  void StepAccepted(std::size_t step) override {
    if (const auto& record = m_plan.recordOfStep.at(step)) sent.push_back(*record);
  }
  void LinkClosed(bool done) override { completed = done; }
  std::vector<UserFontRecord> sent;
  bool completed = false;

 private:
  const FontTransferPlan& m_plan;
};

int TransferFont(const Options& o, Runner& runner, std::ostream&, std::ostream& err) {
  if (o.args.size() != 1) return Usage(err, "transfer-font takes FILE.fon");
  Result<FontList> list = ReadFontFile(PathFromUtf8(o.args[0]));
  if (!list) {
    err << "tavrin-cli: " << o.args[0] << ":" << list.ErrorText() << '\n';
    return kExitFailed;
  }
  const FontTransferPlan plan = PlanFontTransfer(o.signId, *list);
  SentCharacters sent(plan);
  const int code = runner.Run(plan.plan, {}, &sent);
  if (sent.completed && !o.dryRun) RecordSentCharacters(runner.Home(), sent.sent, err);
  return code;
}

int RecallFont(const Options& o, Runner& runner, std::ostream&, std::ostream& err) {
  if (!o.args.empty()) return Usage(err, "recall-font takes no arguments");
  const int code = runner.Run(PlanRecallDefaultFont(o.signId));
  if (code == kExitOk && !o.dryRun) RecallEuroPictures(runner.Home());
  return code;
}

int Graphic(const Options& o, Runner& runner, std::ostream& out, std::ostream& err) {
  const GraphicOutcome outcome = GraphicCommand(o.args, runner.Home(), out, err);
  if (!outcome.usageError.empty()) return Usage(err, outcome.usageError);
  return outcome.code;
}

int Font(const Options& o, Runner&, std::ostream& out, std::ostream& err) {
  if (o.args.size() != 2 || o.args[0] != "list") return Usage(err, "font takes: list FILE.fon");
  Result<FontList> list = ReadFontFile(PathFromUtf8(o.args[1]));
  if (!list) {
    err << "tavrin-cli: " << o.args[1] << ":" << list.ErrorText() << '\n';
    return kExitFailed;
  }
  // A line a character: its text, then its rows of dots.
  for (const FontEntry& entry : list->Entries()) {
    out << entry.text;
    if (const std::optional<FontSize> size = entry.Size()) {
      for (int y = 0; y < size->height; ++y) {
        out << ' ';
        for (int x = 0; x < size->width; ++x)
          out << (entry.record.Dot(x, y, size->width) ? '#' : '.');
      }
    }
    out << '\n';
  }
  return kExitOk;
}

int ShowPort(const Options& o, Runner& runner, std::ostream& out, std::ostream& err) {
  if (!o.args.empty()) return Usage(err, "show-port takes no arguments");
  out << runner.PortDescription() << '\n';
  return kExitOk;
}

int Ports(const Options& o, Runner& runner, std::ostream& out, std::ostream& err) {
  if (!o.args.empty()) return Usage(err, "ports takes no arguments");
  const std::vector<SerialPortInfo> ports = ListSerialPorts(runner.AppSettings());
  if (ports.empty()) out << "no serial devices\n";
  // A line a device: its COM number, its path, what it is, its stable name.
  for (const SerialPortInfo& p : ports) {
    out << (p.comNumber > 0 ? "COM" + std::to_string(p.comNumber) : std::string("-")) << '\t'
        << p.device << '\t';
    if (!p.present) {
      out << "not present (a [Ports] entry)";
    } else {
      out << (p.description.empty() ? "serial port" : p.description);
      if (p.configured) out << " ([Ports] entry)";
    }
    if (!p.stableName.empty()) out << '\t' << p.stableName;
    out << '\n';
  }
  return kExitOk;
}

int Preview(const Options& o, Runner& runner, std::ostream& out, std::ostream& err) {
  if (o.args.empty() || o.args[0].starts_with("--"))
    return Usage(err, "preview needs the TEXT of a line");
  Result<std::string> signText =
      Utf8ToCodePage(WithBlanksForTabs(o.args[0]), runner.AppSettings().CodePage());
  if (!signText) return Usage(err, signText.ErrorText());
  const GraphicOutcome outcome =
      PreviewCommand(*signText, std::vector<std::string>(o.args.begin() + 1, o.args.end()),
                     runner.Home(), out, err);
  if (!outcome.usageError.empty()) return Usage(err, outcome.usageError);
  return outcome.code;
}

int ShowQueues(const Options& o, Runner&, std::ostream& out, std::ostream& err) {
  if (!o.args.empty()) return Usage(err, "show-queues takes no arguments");
  const std::vector<PrintQueue> queues = MakeSystemSpooler()->Queues();
  if (queues.empty()) out << "no print queues\n";
  std::string defaultQueue;
  // A line a queue: its name, whether it prints and takes jobs, and what it last said.
  for (const PrintQueue& q : queues) {
    if (q.isDefault) defaultQueue = q.name;
    out << q.name << '\t' << (q.stopped ? "stopped" : "ready") << ", "
        << (q.accepting ? "accepting jobs" : "rejecting jobs");
    if (!q.message.empty()) out << ", " << q.message;
    out << '\n';
  }
  out << "default: " << (defaultQueue.empty() ? "none" : defaultQueue) << '\n';
  return kExitOk;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  static const std::pair<const char*, Command> kCommands[] = {
      {"send", Send},
      {"set-id", SetId},
      {"clock", Clock},
      {"brightness", Brightness},
      {"run-page", RunPageCommand},
      {"schedule", Schedule},
      {"delete-schedule", DeleteSchedule},
      {"delete-page", DeletePage},
      {"delete-all", DeleteAllCommand},
      {"link", Link},
      {"show-port", ShowPort},
      {"show-queues", ShowQueues},
      {"ports", Ports},
      {"preview", Preview},
      {"graphic", Graphic},
      {"font", Font},
      {"transfer-font", TransferFont},
      {"recall-font", RecallFont},
  };
  if (const std::optional<int> answered = AnswerHelpOrVersion(args, out, kProgram, kUsage)) {
    return *answered;
  }
  Options options;
  if (auto problem = ParseGlobal(args, options)) return Usage(err, problem->message);
  for (const auto& [name, command] : kCommands) {
    if (options.command != name) continue;
    Runner runner(options, out, err);
    return command(options, runner, out, err);
  }
  return Usage(err, "unknown command " + options.command);
}

}  // namespace tavrin::cli

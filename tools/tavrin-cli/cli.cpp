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
#include "fonts/user_font.h"
#include "functions/command_bodies.h"
#include "functions/font_plans.h"
#include "functions/print_job.h"
#include "functions/sign_plans.h"
#include "functions/time_fields.h"
#include "graphics/graphic_file.h"
#include "signlink/link_factory.h"
#include "signlink/serial_ports.h"
#include "signlink/sign_jobs.h"
#include "signlink/sign_list.h"
#include "signlink/sign_road.h"
#include "signlink/sign_roads.h"
#include "tools/tavrin-cli/cli_graphic.h"

namespace tavrin::cli {

namespace {

constexpr const char* kProgram = "tavrin-cli";

constexpr const char* kUsage =
    "usage: tavrin-cli [--home DIR] [--port N | --device PATH | --tcp HOST:PORT | --queue NAME]\n"
    "                  [--id HH] [--dry-run] COMMAND ...\n"
    "       tavrin-cli [--home DIR] (--sign NAME [--sign NAME ...] | --all) [--dry-run]\n"
    "                  COMMAND ...\n"
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
    "  signs list                           print the sign list (Tavrin.signs): name, address,\n"
    "                                       ID, colours, width\n"
    "  signs add NAME (--port N | --device PATH | --tcp HOST:PORT | --queue Q)\n"
    "            [--id HH] [--colours 3|1] [--width 128|96|160]\n"
    "                                       add a sign to the list (ID 01, 3 colours, 128)\n"
    "  signs remove NAME                    take a sign off the list\n"
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
    "  --sign NAME      a sign of the list, with its address and ID; again for more signs\n"
    "  --all            every sign of the list\n"
    "                   Several signs: those on one link one after another, different links\n"
    "                   at the same time; a line for each sign, the exit code the worst\n"
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
  bool idGiven = false;
  std::vector<std::string> signs;  // --sign, in order
  bool allSigns = false;
  std::vector<NamedSign> named;  // the signs of --sign or --all, when more than one
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
      options.idGiven = true;
    } else if (a == "--sign") {
      if (!TakeValue(args, i, value) || value.empty()) return UsageError{"--sign needs a name"};
      options.signs.push_back(value);
    } else if (a == "--all") {
      options.allSigns = true;
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
  const bool named = !options.signs.empty() || options.allSigns;
  if (!options.signs.empty() && options.allSigns) {
    return UsageError{"give --sign NAME or --all, not both"};
  }
  if (named &&
      (options.port || options.device || options.tcp || options.queue || options.idGiven)) {
    return UsageError{
        "a sign of the list has its own address and ID: no --port, --device, "
        "--tcp, --queue or --id with --sign or --all"};
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

// A command's plan for a sign of that ID; viaQueue when the sign is behind a print queue.
using PlanFor = std::function<SignPlan(std::uint8_t id, bool viaQueue)>;

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

  // Runs the command for the signs of the options: one sign as Run does; several (--sign
  // more than once, --all) each with the plan made for its ID, at the same time where their
  // links differ, and a line for each: "Shop window: done in 0.5 s" on stdout, a failure with
  // its reason on stderr. The exit code is that of the worst outcome. `to` and the watcher are
  // Run's, for one sign; someDone, when given, is set when the command went through to at
  // least one sign.
  int RunFor(const PlanFor& planFor, bool queueAllowed, const std::string& to = {},
             bool* someDone = nullptr, CommandWatcher* watcher = nullptr) {
    if (m_options.named.empty()) {
      const int code = Run(planFor(m_options.signId, m_options.queue.has_value()), to, watcher);
      if (someDone) *someDone = code == kExitOk;
      return code;
    }
    if (m_options.dryRun) return DryRunEach(planFor, queueAllowed);
    std::vector<SignJob> jobs;
    std::vector<SignJobResult> results;  // of the signs the command does not reach
    for (const NamedSign& sign : m_options.named) {
      const bool viaQueue = sign.address.kind == SignAddress::Kind::Queue;
      if (viaQueue && !queueAllowed) {
        results.push_back({sign.name, NotSent(SignOutcome::Invalid, kQueueSendsOnly), {}});
        continue;
      }
      SignPlan plan = planFor(sign.id, viaQueue);
      if (plan.refusal) {
        results.push_back(
            {sign.name, NotSent(plan.refusalOutcome, Trimmed(plan.refusal->text)), {}});
        continue;
      }
      SignRoad::Work work;
      if (viaQueue) {
        std::shared_ptr<Spooler> spooler = MakeSystemSpooler();
        spooler->SelectPrinter(sign.address.address);
        work = [spooler, plan](Waiter& waiter, const std::atomic<bool>& stop) {
          return ExecutePlanAsPrintJob(
              plan, PrintJobSession{.spooler = *spooler, .waiter = waiter, .stop = &stop});
        };
      }
      plan.summary = sign.name;
      jobs.push_back({sign.name, sign.address, std::move(plan), std::move(work)});
    }
    SignRoads roads(m_settings);
    for (SignJobResult& ran : RunJobs(roads, std::move(jobs))) results.push_back(std::move(ran));
    // In the order the signs were given.
    std::vector<SignJobResult> ordered;
    for (const NamedSign& sign : m_options.named) {
      for (SignJobResult& r : results) {
        if (r.name == sign.name) ordered.push_back(r);
      }
    }
    bool done = false;
    for (const SignJobResult& r : ordered) {
      const bool ok =
          r.result.outcome == SignOutcome::Accepted || r.result.outcome == SignOutcome::Over;
      done = done || ok;
      (ok ? m_out : m_err) << SignJobLine(r) << '\n';
    }
    if (someDone) *someDone = done;
    return ExitCode(WorstOutcome(ordered));
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

  // The frames as they would go; a command that cannot start says why on stderr.
  int DryRun(const SignPlan& plan) {
    if (plan.refusal) {
      m_err << plan.refusal->text << '\n';
      return ExitCode(plan.refusalOutcome);
    }
    for (const std::string& frame : plan.Frames()) m_out << EscapeBytes(frame) << '\n';
    return kExitOk;
  }

  // After set-id went through to a sign of the list, the list follows the sign.
  void RecordNewId(const std::string& name, std::uint8_t newId) {
    SignListRead read = ReadSignList(m_home);
    const NamedSign* sign = read.list.Find(name);
    if (!read.problems.empty() || !sign) return;
    NamedSign changed = *sign;
    changed.id = newId;
    const std::string found = sign->name;
    if (!read.list.Replace(found, changed) || !WriteSignList(m_home, read.list)) {
      m_err << "tavrin-cli: the sign list could not be changed: " << found << " is still ID "
            << HexByte(sign->id) << " there\n";
      return;
    }
    m_out << "the sign list now gives " << found << " ID " << HexByte(newId) << '\n';
  }

 private:
  static constexpr const char* kQueueSendsOnly =
      "a print queue carries messages one way: only send goes to it";

  static PlanResult NotSent(SignOutcome outcome, std::string reason) {
    PlanResult none{outcome, 0, {}, {}, {}};
    none.reason = std::move(reason);
    return none;
  }

  // For several signs: a heading line for each ("# Shop window: COM1, ID 01"), then its frames.
  int DryRunEach(const PlanFor& planFor, bool queueAllowed) {
    int code = kExitOk;
    for (const NamedSign& sign : m_options.named) {
      const bool viaQueue = sign.address.kind == SignAddress::Kind::Queue;
      m_out << "# " << sign.name << ": " << sign.address.Text() << ", ID " << HexByte(sign.id)
            << '\n';
      if (viaQueue && !queueAllowed) {
        m_err << sign.name << ": not sent: " << kQueueSendsOnly << '\n';
        code = std::max(code, kExitUsage);
        continue;
      }
      code = std::max(code, DryRun(planFor(sign.id, viaQueue)));
    }
    return code;
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

std::filesystem::path HomeOf(const Options& options) {
  return options.home ? WithTrailingSeparator(*options.home) : ProgramFolder();
}

// The signs of --sign and --all, from the sign list: one sign becomes the address and ID of
// the options, as if given with --port (or --device, --tcp, --queue) and --id; several are kept
// for the runner. A name not in the list, or an empty list, is a mistake in the arguments;
// the list's bad lines are said on stderr and left out.
std::optional<UsageError> ChooseNamedSigns(Options& options, std::ostream& err) {
  if (options.signs.empty() && !options.allSigns) return std::nullopt;
  const SignListRead read = ReadSignList(HomeOf(options));
  for (const std::string& problem : read.problems) err << "tavrin-cli: " << problem << '\n';
  std::vector<NamedSign> chosen;
  if (options.allSigns) {
    chosen = read.list.Signs();
    if (chosen.empty()) {
      return UsageError{"--all: there are no signs in " + SignListPath(HomeOf(options)).string() +
                        " (add one with: tavrin-cli signs add NAME --port N)"};
    }
  }
  for (const std::string& name : options.signs) {
    const NamedSign* sign = read.list.Find(name);
    if (!sign) return UsageError{"there is no sign named \"" + name + "\" in the sign list"};
    const bool twice = std::any_of(chosen.begin(), chosen.end(),
                                   [&](const NamedSign& c) { return c.name == sign->name; });
    if (!twice) chosen.push_back(*sign);
  }
  if (chosen.size() > 1) {
    options.named = std::move(chosen);
    if (options.command == "set-id") {
      return UsageError{"set-id goes to one sign: give one --sign NAME"};
    }
    return std::nullopt;
  }
  const NamedSign& sign = chosen.front();
  options.signId = sign.id;
  switch (sign.address.kind) {
    case SignAddress::Kind::Port:
      options.port = sign.address.port;
      break;
    case SignAddress::Kind::Device:
      options.device = sign.address.address;
      break;
    case SignAddress::Kind::Tcp:
      options.tcp = sign.address.address;
      break;
    case SignAddress::Kind::Queue:
      options.queue = sign.address.address;
      if (options.command != "send") {
        return UsageError{sign.name +
                          " is behind a print queue, which carries messages one "
                          "way: only send goes to it"};
      }
      break;
  }
  if (options.command == "set-id") {
    // The new ID goes to every sign on the line: a bus of several named signs would take it
    // all at once.
    for (const NamedSign& other : read.list.Signs()) {
      if (other.name != sign.name && other.address.LinkKey() == sign.address.LinkKey()) {
        return UsageError{"set-id reaches every sign on its line, and " + sign.name + " shares " +
                          sign.address.Text() + " with " + other.name};
      }
    }
  }
  return std::nullopt;
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
  const auto plan = [&](std::uint8_t id, bool viaQueue) {
    return viaQueue ? PlanSendViaNetwork(graphics, *signText, page, id)
                    : PlanSendMessage(graphics, *signText, page, id);
  };
  return runner.RunFor(plan, true, SignName(o.signId) + ", page " + page);
}

int SetId(const Options& o, Runner& runner, std::ostream&, std::ostream& err) {
  std::uint8_t newId = 0;
  if (o.args.size() != 1 || !ParseHexByte(o.args[0], newId) || newId == 0) {
    return Usage(err, "set-id needs the new ID, two hexadecimal digits 01 to FF");
  }
  bool done = false;
  const int code =
      runner.RunFor([&](std::uint8_t, bool) { return PlanSetSignId(newId); }, false, {}, &done);
  if (done && !o.signs.empty() && !o.dryRun) runner.RecordNewId(o.signs.front(), newId);
  return code;
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
  return runner.RunFor([&](std::uint8_t id, bool) { return PlanSetClock(id, date, time); }, false);
}

int Brightness(const Options& o, Runner& runner, std::ostream&, std::ostream& err) {
  const std::optional<int> level =
      o.args.size() == 1 ? BrightnessLevelIndex(o.args[0]) : std::nullopt;
  if (!level) return Usage(err, "brightness takes 100, 75, 50 or 25");
  return runner.RunFor([&](std::uint8_t id, bool) { return PlanSetBrightness(id, *level); }, false);
}

int RunPageCommand(const Options& o, Runner& runner, std::ostream&, std::ostream& err) {
  if (o.args.size() != 1 || !IsPageLetter(o.args[0])) {
    return Usage(err, "run-page needs a page letter, A to Z");
  }
  const char page = o.args[0][0];
  return runner.RunFor([&](std::uint8_t id, bool) { return PlanRunPage(id, page); }, false);
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
  return runner.RunFor([&](std::uint8_t id, bool) { return PlanSendSchedules(id, list); }, false);
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
  return runner.RunFor([&](std::uint8_t id, bool) { return PlanDeleteSchedules(id, checked); },
                       false);
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
  return runner.RunFor([&](std::uint8_t id, bool) { return PlanDeletePages(id, tree); }, false);
}

int DeleteAllCommand(const Options& o, Runner& runner, std::ostream&, std::ostream& err) {
  if (!o.args.empty()) return Usage(err, "delete-all takes no arguments");
  return runner.RunFor([](std::uint8_t id, bool) { return PlanDeleteAll(id); }, false);
}

int Link(const Options& o, Runner& runner, std::ostream&, std::ostream& err) {
  if (o.args.size() != 1) return Usage(err, "link takes PAGES, letters A to Z");
  std::string pages = o.args[0];
  if (!NormalizePageLetters(pages)) return Usage(err, "link takes PAGES, letters A to Z");
  return runner.RunFor([&](std::uint8_t id, bool) { return PlanLinkPages(id, pages); }, false);
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
  bool done = false;
  const int code =
      runner.RunFor([&](std::uint8_t id, bool) { return PlanFontTransfer(id, *list).plan; }, false,
                    {}, &done, &sent);
  if (o.dryRun) return code;
  if (sent.completed) {
    RecordSentCharacters(runner.Home(), sent.sent, err);
  } else if (done && !o.named.empty()) {
    // Several signs: the characters are recorded once one of them has taken them all.
    std::vector<UserFontRecord> all;
    for (const auto& record : plan.recordOfStep) {
      if (record) all.push_back(*record);
    }
    RecordSentCharacters(runner.Home(), all, err);
  }
  return code;
}

int RecallFont(const Options& o, Runner& runner, std::ostream&, std::ostream& err) {
  if (!o.args.empty()) return Usage(err, "recall-font takes no arguments");
  bool done = false;
  const int code = runner.RunFor([](std::uint8_t id, bool) { return PlanRecallDefaultFont(id); },
                                 false, {}, &done);
  if (done && !o.dryRun) RecallEuroPictures(runner.Home());
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

// The address of `signs add`: one of --port, --device, --tcp and --queue.
std::optional<SignAddress> TakeSignAddress(const std::string& option, const std::string& value) {
  if (option == "--port") {
    int port = 0;
    if (!ParseInt(value, port) || port < 1 || port > 255) return std::nullopt;
    return SignAddress{SignAddress::Kind::Port, port, {}};
  }
  Result<SignAddress> parsed = ParseSignAddress(option == "--queue" ? "queue:" + value : value);
  if (!parsed) return std::nullopt;
  const SignAddress::Kind wanted = option == "--device" ? SignAddress::Kind::Device
                                   : option == "--tcp"  ? SignAddress::Kind::Tcp
                                                        : SignAddress::Kind::Queue;
  if (parsed->kind != wanted) return std::nullopt;
  return *parsed;
}

int SignsAdd(const std::vector<std::string>& args, SignList& list, std::ostream& err) {
  if (args.size() < 2 || args[1].starts_with("--")) {
    return Usage(err, "signs add takes NAME and one of --port, --device, --tcp, --queue");
  }
  NamedSign sign;
  sign.name = args[1];
  bool addressed = false;
  for (std::size_t i = 2; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string value;
    if (!TakeValue(args, i, value)) return Usage(err, a + " needs a value");
    if (a == "--port" || a == "--device" || a == "--tcp" || a == "--queue") {
      const std::optional<SignAddress> address = TakeSignAddress(a, value);
      if (!address) {
        return Usage(err, a == "--port"     ? "--port takes a port number, 1 to 255"
                          : a == "--device" ? "--device takes the path of a serial device"
                          : a == "--tcp"    ? "--tcp takes HOST:PORT"
                                            : "--queue takes the name of a print queue");
      }
      if (addressed) return Usage(err, "give a sign one of --port, --device, --tcp and --queue");
      sign.address = *address;
      addressed = true;
    } else if (a == "--id") {
      if (!ParseHexByte(value, sign.id)) {
        return Usage(err, "--id needs a sign ID of two hexadecimal digits, 00 to FF");
      }
    } else if (a == "--colours" || a == "--colors") {
      if (value != "3" && value != "1") return Usage(err, "--colours takes 3 or 1 (red alone)");
      sign.tripleColor = value == "3";
    } else if (a == "--width") {
      int width = 0;
      if (!ParseInt(value, width) ||
          std::find(std::begin(kSignListWidths), std::end(kSignListWidths), width) ==
              std::end(kSignListWidths)) {
        return Usage(err, "--width takes 128, 96 or 160");
      }
      sign.width = width;
    } else {
      return Usage(err, "signs add does not know " + a);
    }
  }
  if (!addressed) return Usage(err, "signs add needs one of --port, --device, --tcp, --queue");
  if (Status added = list.Add(sign); !added) return Usage(err, added.ErrorText());
  return kExitOk;
}

// The sign list: printed a line a sign as the file holds it, added to, taken from.
int Signs(const Options& o, Runner& runner, std::ostream& out, std::ostream& err) {
  if (!o.signs.empty() || o.allSigns) return Usage(err, "signs takes no --sign or --all");
  const std::string verb = o.args.empty() ? std::string() : o.args[0];
  SignListRead read = ReadSignList(runner.Home());
  const std::string file = SignListPath(runner.Home()).string();
  if (verb == "list") {
    if (o.args.size() != 1) return Usage(err, "signs list takes no arguments");
    for (const std::string& problem : read.problems) err << "tavrin-cli: " << problem << '\n';
    if (read.list.Signs().empty()) out << "no signs in " << file << '\n';
    for (const NamedSign& sign : read.list.Signs()) out << SignListLine(sign) << '\n';
    return read.problems.empty() ? kExitOk : kExitFailed;
  }
  if (verb != "add" && verb != "remove") return Usage(err, "signs takes: list, add or remove");
  if (!read.problems.empty()) {
    // Writing the list again would drop the lines it could not read.
    for (const std::string& problem : read.problems) err << "tavrin-cli: " << problem << '\n';
    err << "tavrin-cli: " << file << " was left as it is: mend the lines above first\n";
    return kExitFailed;
  }
  if (verb == "add") {
    if (const int code = SignsAdd(o.args, read.list, err); code != kExitOk) return code;
  } else {
    if (o.args.size() != 2) return Usage(err, "signs remove takes NAME");
    if (!read.list.Remove(o.args[1])) {
      return Usage(err, "there is no sign named \"" + o.args[1] + "\" in the sign list");
    }
  }
  if (Status written = WriteSignList(runner.Home(), read.list); !written) {
    err << "tavrin-cli: " << written.ErrorText() << '\n';
    return kExitFailed;
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
      {"signs", Signs},
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
  if (options.command != "signs") {
    if (auto problem = ChooseNamedSigns(options, err)) return Usage(err, problem->message);
  }
  for (const auto& [name, command] : kCommands) {
    if (options.command != name) continue;
    Runner runner(options, out, err);
    return command(options, runner, out, err);
  }
  return Usage(err, "unknown command " + options.command);
}

}  // namespace tavrin::cli

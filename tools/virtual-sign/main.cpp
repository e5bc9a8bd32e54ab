// virtual-sign: a sign in software on a pseudo-terminal or a TCP port.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <thread>

#include "common/bytes.h"
#include "common/command_line.h"
#include "tools/virtual-sign/led_picture.h"
#include "tools/virtual-sign/sign_options.h"

namespace {

using namespace tavrin::vsign;

volatile sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

int Fail(const std::string& message) {
  std::cerr << "virtual-sign: " << message << "\n";
  return 2;
}

// Writes all the bytes to a descriptor; false when the other side is gone.
bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
      return false;
    }
  }
  return true;
}

class Server {
 public:
  Server(SignOptions options, std::ostream* log)
      : m_options(std::move(options)), m_log(log), m_bus(m_options.ids, m_options.faults) {}

  // Serves one connection until it hangs up, is dropped or the program stops. Returns false
  // when the program should stop.
  bool Serve(int fd) {
    char buffer[4096];
    for (;;) {
      if (g_stop) return false;
      pollfd p{fd, POLLIN, 0};
      const int rc = ::poll(&p, 1, 50);
      if (rc < 0 && errno != EINTR) return false;
      std::vector<SignBus::Event> events;
      if (rc > 0) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) return true;  // hung up
        if (n > 0) events = m_bus.Feed(std::string_view(buffer, static_cast<std::size_t>(n)));
      } else {
        events = m_bus.Idle();
      }
      for (const SignBus::Event& busEvent : events) {
        const FrameEvent& e = busEvent.event;
        Report(e, m_bus.Sign(busEvent.sign));
        if (!e.reply.empty()) {
          if (m_options.faults.delayMs > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(m_options.faults.delayMs));
          }
          if (!WriteAll(fd, e.reply)) return true;
        }
        if (m_options.exitAfter && e.seq >= *m_options.exitAfter) return false;
        if (e.hangUp) {
          m_dropped = true;
          return !m_options.pty;
        }
      }
    }
  }

  bool Dropped() const { return m_dropped; }

 private:
  void Report(const FrameEvent& e, const VirtualSign& sign) {
    if (m_log != nullptr) *m_log << LogLine(e) << std::endl;
    if (!m_options.show || !e.applied) return;
    // Inside a transfer the page is drawn once, when the transfer closes and its graphics
    // are there.
    const Command& c = e.command;
    if (c.kind == Command::Kind::Message) {
      m_shownPage = c.page;
      m_shownLine = c.line;
      m_pending = sign.State().transferOpen;
      if (!m_pending) Show(sign);
    } else if (c.kind == Command::Kind::GraphicBlock) {
      m_pending = m_shownPage != 0;
    } else if (c.kind == Command::Kind::CloseTransfer && m_pending) {
      m_pending = false;
      Show(sign);
    }
  }

  void Show(const VirtualSign& sign) {
    const auto page = sign.State().pages.find(m_shownPage);
    if (page == sign.State().pages.end()) return;
    // On a bus, each picture says which sign shows it.
    if (m_bus.Size() > 1) std::cout << "sign " << tavrin::HexByte(sign.State().id) << ": ";
    const auto& line = page->second[static_cast<std::size_t>(m_shownLine - 1)];
    if (!line) return;
    std::cout << DescribeLine(m_shownPage, m_shownLine, *line) << "\n"
              << PictureText(RenderLine(sign.State(), *line, m_options.width),
                             ::isatty(STDOUT_FILENO) != 0)
              << std::flush;
  }

  SignOptions m_options;
  std::ostream* m_log;
  SignBus m_bus;
  char m_shownPage = 0;
  int m_shownLine = 0;
  bool m_pending = false;  // a page waits to be drawn
  bool m_dropped = false;
};

int RunPty(Server& server, const SignOptions& options) {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
    return Fail(std::string("cannot make a pseudo-terminal: ") + std::strerror(errno));
  }
  const std::string path = ::ptsname(master);
  // Our own hold on the terminal side keeps the pty alive between the program's opens, and
  // raw mode keeps the terminal from echoing our answers back to us.
  const int slave = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios t{};
  if (slave < 0 || ::tcgetattr(slave, &t) != 0) return Fail("cannot open " + path);
  ::cfmakeraw(&t);
  ::tcsetattr(slave, TCSANOW, &t);
  if (!options.link.empty()) {
    ::unlink(options.link.c_str());
    if (::symlink(path.c_str(), options.link.c_str()) != 0) {
      return Fail("cannot link " + options.link + ": " + std::strerror(errno));
    }
  }
  std::cout << path << std::endl;
  server.Serve(master);
  // The last answer is on its way to the terminal's input (the kernel passes it on a moment
  // later); give the program time to read it before the hang-up throws it away.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  for (int waited = 0; waited < 1000; waited += 10) {
    int unread = 0;
    if (::ioctl(slave, FIONREAD, &unread) != 0 || unread == 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ::close(master);
  ::close(slave);
  if (!options.link.empty()) ::unlink(options.link.c_str());
  return 0;
}

int RunTcp(Server& server, int port) {
  const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int one = 1;
  ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  socklen_t len = sizeof address;
  if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener, 1) != 0 ||
      ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &len) != 0) {
    return Fail("cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno));
  }
  std::cout << "127.0.0.1:" << ntohs(address.sin_port) << std::endl;
  while (!g_stop) {
    pollfd p{listener, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    const bool goOn = server.Serve(client);
    // Our side ends; what the program still sends is read and dropped, so that closing does
    // not reset the connection before it has read our last answer.
    ::shutdown(client, SHUT_WR);
    char drain[256];
    pollfd rest{client, POLLIN, 0};
    while (::poll(&rest, 1, 500) > 0 && ::read(client, drain, sizeof drain) > 0) continue;
    ::close(client);
    if (!goOn) break;
  }
  ::close(listener);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const auto answered =
          tavrin::AnswerHelpOrVersion(args, std::cout, "virtual-sign", kSignUsage)) {
    return *answered;
  }
  SignOptions options;
  std::string error;
  if (!ParseSignOptions(args, options, error)) {
    return tavrin::TellBadArguments(std::cerr, "virtual-sign", error);
  }
  struct sigaction action {};
  action.sa_handler = OnSignal;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
  ::signal(SIGPIPE, SIG_IGN);

  std::ofstream logFile;
  std::ostream* log = nullptr;
  if (options.logPath == "-") {
    log = &std::cout;
  } else if (!options.logPath.empty()) {
    logFile.open(options.logPath, std::ios::app);
    if (!logFile) return Fail("cannot write the log " + options.logPath);
    log = &logFile;
  }
  Server server(options, log);
  return options.pty ? RunPty(server, options) : RunTcp(server, *options.tcpPort);
}

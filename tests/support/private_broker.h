#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/scratch_folder.h"

namespace tavrin::testing {

// An MQTT broker of the test's own: Debian's mosquitto on a free port of 127.0.0.1, anonymous
// clients allowed, its configuration, log and persistence file (sessions, subscriptions,
// retained and queued QoS 1 messages) in a scratch folder. Stop() and Start() restart it on
// the same port, as a broker restarted under a running service; whatever broker the machine
// runs is left alone. Killed when the object goes.
class PrivateBroker {
 public:
  static constexpr const char* kProgram = "/usr/sbin/mosquitto";

  // `extraConfiguration`: lines added to the broker's configuration ("set_tcp_nodelay true\n").
  explicit PrivateBroker(std::string extraConfiguration = {})
      : m_extraConfiguration(std::move(extraConfiguration)) {
    // Another process can take the port between our probe and the broker's bind: try again.
    for (int attempt = 0; attempt < 10 && !m_running; ++attempt) {
      m_port = FreeLoopbackPort();
      Start();
    }
  }
  ~PrivateBroker() { Kill(); }
  PrivateBroker(const PrivateBroker&) = delete;
  PrivateBroker& operator=(const PrivateBroker&) = delete;

  int Port() const { return m_port; }
  bool Running() const { return m_running; }
  // The broker's own log, for a failure message.
  std::string Log() const { return ScratchFolder::Slurp(m_folder / "mosquitto.log"); }

  // Starts the broker on Port() and waits up to five seconds until the port accepts.
  // False when it did not come up (the port taken meanwhile, the program missing).
  bool Start() {
    if (m_running) return true;
    WriteConfiguration();
    m_broker = std::make_unique<BackgroundProcess>(
        std::vector<std::string>{kProgram, "-c", (m_folder / "mosquitto.conf").string()});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
      if (Accepts(m_port)) {
        m_running = true;
        return true;
      }
      if (m_broker->WaitForExit(20)) break;
    }
    m_broker.reset();
    return false;
  }

  // Stops the broker as an administrator would (SIGTERM): it writes its persistence file, so
  // persistent sessions and their queued messages survive to the next Start().
  void Stop() {
    m_broker.reset();
    m_running = false;
  }

  // Ends the broker at once, as a crash would: nothing is saved since the last Stop().
  void Kill() {
    if (m_broker) m_broker->Kill();
    m_broker.reset();
    m_running = false;
  }

  // While stopped: the next Start() knows no session, subscription or retained message, as a
  // broker replaced by a fresh one.
  void ForgetEverything() {
    std::error_code ec;
    std::filesystem::remove(m_folder / "mosquitto.db", ec);
  }

  // Publishes one message through mosquitto_pub; empty when it went, else what it said.
  std::string Publish(const std::string& topic, const std::string& payload, int qos = 1,
                      bool retain = false) const {
    std::vector<std::string> argv{"/usr/bin/mosquitto_pub",
                                  "-h",
                                  "127.0.0.1",
                                  "-p",
                                  Text(m_port),
                                  "-t",
                                  topic,
                                  "-m",
                                  payload,
                                  "-q",
                                  Text(qos)};
    if (retain) argv.push_back("-r");
    const ProcessResult r = RunProcess(argv);
    return r.code == 0 ? std::string() : "mosquitto_pub: " + r.err + r.out;
  }

  // The messages a fresh subscriber to `filter` receives within `ms` (retained ones included),
  // up to `count`, as (topic, payload) pairs. Payloads hold no line break here.
  std::vector<std::pair<std::string, std::string>> Collect(const std::string& filter, int count,
                                                           int ms) const {
    const ProcessResult r =
        RunProcess({"/usr/bin/mosquitto_sub", "-h", "127.0.0.1", "-p", Text(m_port), "-t", filter,
                    "-v", "-C", Text(count), "-W", Text(std::max(1, (ms + 999) / 1000))});
    std::vector<std::pair<std::string, std::string>> messages;
    std::size_t start = 0;
    while (start < r.out.size()) {
      std::size_t end = r.out.find('\n', start);
      if (end == std::string::npos) end = r.out.size();
      const std::string line = r.out.substr(start, end - start);
      const std::size_t blank = line.find(' ');
      if (blank == std::string::npos) {
        messages.emplace_back(line, std::string());
      } else {
        messages.emplace_back(line.substr(0, blank), line.substr(blank + 1));
      }
      start = end + 1;
    }
    return messages;
  }

  // A port of 127.0.0.1 that nothing listens on now.
  static int FreeLoopbackPort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      port = ntohs(address.sin_port);
    }
    ::close(s);
    return port;
  }

  // True when something accepts a connection on the port of 127.0.0.1.
  static bool Accepts(int port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(s);
    return ok;
  }

 private:
  static std::string Text(int n) { return std::to_string(n); }

  void WriteConfiguration() const {
    // Run by root, mosquitto would become the user "mosquitto", who cannot write here.
    const passwd* user = ::getpwuid(::geteuid());
    std::string conf = "listener " + Text(m_port) + " 127.0.0.1\nallow_anonymous true\n";
    conf += "persistence true\npersistence_location " + m_folder.Path().string() + "/\n";
    conf += "log_dest file " + (m_folder / "mosquitto.log").string() + "\n";
    conf += "log_type error\nlog_type warning\nlog_type notice\nlog_type information\n";
    if (user) conf += std::string("user ") + user->pw_name + "\n";
    conf += m_extraConfiguration;
    m_folder.Put("mosquitto.conf", conf);
  }

  ScratchFolder m_folder;
  std::string m_extraConfiguration;
  int m_port = 0;
  bool m_running = false;
  std::unique_ptr<BackgroundProcess> m_broker;
};

}  // namespace tavrin::testing

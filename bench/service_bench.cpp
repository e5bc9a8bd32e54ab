// tavrin-service under load: the program itself, a private mosquitto (tests/support), and 100
// signs on TCP links of their own.
//
// The signs are stand-ins in this process: one thread polls 100 listening sockets of 127.0.0.1
// and every connection the service makes to them, cuts what comes into frames and answers each
// at once with ACK, as a serial device server with an idle sign behind it would. One poll thread
// rather than 100 virtual-sign processes: the signs then take next to nothing of the two cores
// that the service, the broker and the bench share, and the bench sees each byte the moment it
// arrives. The messages go in through libmosquitto (TCP_NODELAY on the bench's side, QoS 1),
// timed from just before the publish.
//
//   1. One message (an ordinary short text on page A: three frames) to one sign alone, then one
//      to each of the 100 signs, the 100 publishes made back to back: the time until the last
//      sign has its frames whole, against one sign's time. Signs on different links are served
//      at the same time, so the ratio should stay near 1 (each message spends about 0.5 s in
//      the frames' waits; the service's own work is what adds to it).
//   2. Latency from the publish to the first byte at the sign, one sign, each message another
//      text (an unchanged page is not sent again), the next published 0 to 300 ms after the
//      service said the last one's end: with the broker as Debian ships it, and with
//      set_tcp_nodelay.
//   3. The service's CPU time (utime + stime) and peak resident memory (VmHWM) over the
//      100-sign rounds, and its resident memory idle with 100 signs, before and after.
//
// Run by hand (about a minute and a half):
//   build/bench/service_bench [--signs N] [--rounds N] [--messages N]
//
// Figures, 2 cores shared with other work, Debian 12, RelWithDebInfo, mosquitto 2.0.11:
//   1. One sign alone 501 ms (the frames' waits are 500 ms of it). 100 signs: the last sign whole
//      after 506-517 ms, 1.01-1.03 times one sign; the last of the 100 first bytes 5-14 ms after
//      the first publish. 250 signs: 516-523 ms, 1.03-1.04 times one. The service's line for the
//      last end comes within 0.5 ms of that sign being whole (before its state file was written
//      once a burst ended, a write after every end put 45-70 ms there with 100 signs and
//      0.7-1.4 s with 250).
//   2. Publish to first byte: median 0.54-0.65 ms, p90 0.61-0.79 ms, max 0.8-12 ms; with
//      set_tcp_nodelay the same median and p90, max 0.8-3.3 ms. Nagle's algorithm at the broker
//      shows only in the odd outlier.
//   3. Idle with 100 signs: RSS 19.7 MB, 2 threads, CPU below what /proc counts. Three rounds of
//      100 messages: 50 ms CPU (0.17 ms a message; 0.53-0.63 ms before the state file was written
//      once a burst), peak RSS 21.4 MB; 250 signs: 0.20 ms a message, peak 24.5 MB. Idle after:
//      RSS 21.5 MB, 102 threads (each link's worker stays), CPU below what /proc counts.
#include <mosquitto.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "functions/sign_plans.h"
#include "tests/support/private_broker.h"
#include "tests/support/process.h"
#include "tests/support/pty_peer.h"
#include "tests/support/scratch_folder.h"

namespace {

using Clock = std::chrono::steady_clock;
using Time = Clock::time_point;
using tavrin::testing::PrivateBroker;
using tavrin::testing::PtyPeer;
using tavrin::testing::ScratchFolder;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "service_bench: %s\n", why.c_str());
  std::exit(1);
}

bool WaitUntil(const std::function<bool()>& done, int ms) {
  const Time deadline = Clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Stand-in signs on TCP, each a listening socket of 127.0.0.1. Every frame that comes is kept
// with the times its first byte and its end arrived, and answered at once as the sign would.
class SignFarm {
 public:
  struct Frame {
    std::string bytes;
    Time firstByte;
    Time end;
  };

  explicit SignFarm(int signs) : m_frames(static_cast<std::size_t>(signs)) {
    for (int i = 0; i < signs; ++i) {
      const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      socklen_t length = sizeof address;
      if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
          ::listen(fd, 8) != 0 ||
          ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        Fail("a stand-in sign cannot listen");
      }
      m_listeners.push_back(fd);
      m_ports.push_back(ntohs(address.sin_port));
    }
    m_thread = std::thread([this] { Serve(); });
  }
  ~SignFarm() {
    m_stop = true;
    m_thread.join();
    for (const int fd : m_listeners) ::close(fd);
    for (const Connection& c : m_connections) ::close(c.fd);
  }
  SignFarm(const SignFarm&) = delete;
  SignFarm& operator=(const SignFarm&) = delete;

  int Port(int sign) const { return m_ports[static_cast<std::size_t>(sign)]; }
  std::size_t Count(int sign) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_frames[static_cast<std::size_t>(sign)].size();
  }
  std::vector<Frame> FramesFrom(int sign, std::size_t first) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto& all = m_frames[static_cast<std::size_t>(sign)];
    return {all.begin() + static_cast<long>(std::min(first, all.size())), all.end()};
  }

 private:
  struct Connection {
    int fd = -1;
    std::size_t sign = 0;
    std::string buffer;
    Time firstByte;  // of the frame at the buffer's start
  };

  void Serve() {
    std::vector<pollfd> fds;
    while (!m_stop) {
      fds.clear();
      for (const int fd : m_listeners) fds.push_back({fd, POLLIN, 0});
      for (const Connection& c : m_connections) fds.push_back({c.fd, POLLIN, 0});
      if (::poll(fds.data(), fds.size(), 20) <= 0) continue;
      const std::size_t polled = m_connections.size();
      for (std::size_t k = 0; k < polled; ++k) {
        if (fds[m_listeners.size() + k].revents != 0) Take(m_connections[k]);
      }
      std::erase_if(m_connections, [](const Connection& c) { return c.fd < 0; });
      for (std::size_t i = 0; i < m_listeners.size(); ++i) {
        if ((fds[i].revents & POLLIN) == 0) continue;
        const int fd = ::accept4(m_listeners[i], nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        m_connections.push_back({fd, i, {}, {}});
      }
    }
  }

  void Take(Connection& c) {
    char chunk[4096];
    const ssize_t n = ::read(c.fd, chunk, sizeof chunk);
    const Time now = Clock::now();
    if (n <= 0) {
      ::close(c.fd);
      c.fd = -1;
      return;
    }
    if (c.buffer.empty()) c.firstByte = now;
    c.buffer.append(chunk, static_cast<std::size_t>(n));
    const std::size_t start = c.buffer.find("<ID");
    if (start == std::string::npos) {
      c.buffer.clear();
      return;
    }
    c.buffer.erase(0, start);
    while (const std::size_t length = PtyPeer::FrameLength(c.buffer)) {
      Frame frame{c.buffer.substr(0, length), c.firstByte, now};
      c.buffer.erase(0, length);
      c.firstByte = now;
      const std::string reply = PtyPeer::Ack(frame.bytes);
      {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_frames[c.sign].push_back(std::move(frame));
      }
      if (::write(c.fd, reply.data(), reply.size()) < 0) return;
    }
  }

  std::vector<int> m_listeners;
  std::vector<int> m_ports;
  std::vector<Connection> m_connections;  // the serving thread's alone
  mutable std::mutex m_mutex;
  std::vector<std::vector<Frame>> m_frames;  // by sign
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};

// tavrin-service as a child process, its output read as it comes (one line for each command's
// end), each line with the time it arrived. Stopped with SIGTERM at the end.
class ServiceProcess {
 public:
  explicit ServiceProcess(const std::vector<std::string>& argv) {
    m_pid = tavrin::testing::Spawn(argv, m_out, m_err);
    m_reader = std::thread([this] { Read(); });
  }
  ~ServiceProcess() {
    ::kill(m_pid, SIGTERM);
    ::waitpid(m_pid, nullptr, 0);
    m_reader.join();
    ::close(m_out);
    ::close(m_err);
  }
  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;

  pid_t Pid() const { return m_pid; }
  std::size_t LineCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lines.size();
  }
  // How many lines from `first` on hold `text`; `last` is when the last of them came.
  int CountSince(std::size_t first, const std::string& text, Time& last) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    int count = 0;
    for (std::size_t i = first; i < m_lines.size(); ++i) {
      if (m_lines[i].second.find(text) == std::string::npos) continue;
      ++count;
      last = m_lines[i].first;
    }
    return count;
  }
  std::string Log() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::string all;
    for (const auto& [time, line] : m_lines) all += line + "\n";
    return all;
  }

 private:
  void Read() {
    pollfd fds[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
    std::string partial[2];
    int open = 2;
    while (open > 0) {
      if (::poll(fds, 2, 1000) <= 0) continue;
      for (int i = 0; i < 2; ++i) {
        if (fds[i].fd < 0 || fds[i].revents == 0) continue;
        char buffer[4096];
        const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
        if (n <= 0) {
          fds[i].fd = -1;
          --open;
          continue;
        }
        const Time now = Clock::now();
        partial[i].append(buffer, static_cast<std::size_t>(n));
        std::lock_guard<std::mutex> lock(m_mutex);
        for (std::size_t end; (end = partial[i].find('\n')) != std::string::npos;) {
          m_lines.emplace_back(now, partial[i].substr(0, end));
          partial[i].erase(0, end + 1);
        }
      }
    }
  }

  pid_t m_pid = -1;
  int m_out = -1;
  int m_err = -1;
  mutable std::mutex m_mutex;
  std::vector<std::pair<Time, std::string>> m_lines;
  std::thread m_reader;
};

// What /proc says of a process now.
struct ProcessFigures {
  double cpuMs = 0;  // user and system time so far
  long rssKb = 0;
  long peakRssKb = 0;
  int threads = 0;
};

ProcessFigures FiguresOf(pid_t pid) {
  ProcessFigures f;
  std::ifstream statFile("/proc/" + std::to_string(pid) + "/stat");
  const std::string stat((std::istreambuf_iterator<char>(statFile)), {});
  // The fields after the program's name, which may hold blanks: state is field 3, utime 14.
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));
  std::vector<std::string> field((std::istream_iterator<std::string>(fields)), {});
  if (field.size() > 12) {
    const double tick = 1000.0 / static_cast<double>(::sysconf(_SC_CLK_TCK));
    f.cpuMs = (std::stod(field[11]) + std::stod(field[12])) * tick;
  }
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    const auto value = [&] { return std::atol(line.c_str() + line.find(':') + 1); };
    if (line.starts_with("VmRSS:")) f.rssKb = value();
    if (line.starts_with("VmHWM:")) f.peakRssKb = value();
    if (line.starts_with("Threads:")) f.threads = static_cast<int>(value());
  }
  return f;
}

// The bench's MQTT client: publishes the messages, and hears the service's status and states.
class Mqtt {
 public:
  explicit Mqtt(int port) {
    mosquitto_lib_init();
    m_mosq = mosquitto_new("service-bench", true, this);
    if (m_mosq == nullptr) Fail("no MQTT client");
    mosquitto_int_option(m_mosq, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_message_callback_set(m_mosq, [](mosquitto*, void* self, const mosquitto_message* m) {
      auto* me = static_cast<Mqtt*>(self);
      std::lock_guard<std::mutex> lock(me->m_mutex);
      me->m_last[m->topic] = std::string(static_cast<const char*>(m->payload),
                                         static_cast<std::size_t>(m->payloadlen));
    });
    if (mosquitto_connect(m_mosq, "127.0.0.1", port, 60) != MOSQ_ERR_SUCCESS ||
        mosquitto_subscribe(m_mosq, nullptr, "tavrin/status", 1) != MOSQ_ERR_SUCCESS ||
        mosquitto_subscribe(m_mosq, nullptr, "tavrin/+/state", 1) != MOSQ_ERR_SUCCESS ||
        mosquitto_loop_start(m_mosq) != MOSQ_ERR_SUCCESS) {
      Fail("the bench's MQTT client cannot reach the broker");
    }
  }
  ~Mqtt() {
    mosquitto_disconnect(m_mosq);
    mosquitto_loop_stop(m_mosq, false);
    mosquitto_destroy(m_mosq);
    mosquitto_lib_cleanup();
  }
  Mqtt(const Mqtt&) = delete;
  Mqtt& operator=(const Mqtt&) = delete;

  void Publish(const std::string& topic, const std::string& payload) {
    if (mosquitto_publish(m_mosq, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                          payload.data(), 1, false) != MOSQ_ERR_SUCCESS) {
      Fail("cannot publish to " + topic);
    }
  }
  std::string Last(const std::string& topic) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_last.find(topic);
    return found == m_last.end() ? std::string() : found->second;
  }
  std::size_t StatesHeard() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<std::size_t>(std::count_if(
        m_last.begin(), m_last.end(), [](const auto& t) { return t.first.ends_with("/state"); }));
  }

 private:
  mosquitto* m_mosq = nullptr;
  mutable std::mutex m_mutex;
  std::map<std::string, std::string> m_last;
};

std::string SignName(int sign) {
  char name[16];
  std::snprintf(name, sizeof name, "Sign%03d", sign + 1);
  return name;
}
std::uint8_t SignId(int sign) { return static_cast<std::uint8_t>(sign + 1); }

// A broker, the stand-in signs, the service with them in its sign list, and the bench's client,
// started and waited for until the service is online with every sign's state published.
struct Rig {
  Rig(int signs, bool brokerNoDelay)
      : broker(brokerNoDelay ? "set_tcp_nodelay true\n" : ""), farm(signs) {
    if (!broker.Running()) Fail("the private broker did not start");
    std::string list;
    for (int i = 0; i < signs; ++i) {
      char id[4];
      std::snprintf(id, sizeof id, "%02X", SignId(i));
      list +=
          SignName(i) + " = 127.0.0.1:" + std::to_string(farm.Port(i)) + ", " + id + ", 3, 128\n";
    }
    home.Put("Tavrin.signs", list);
    home.Put("Tavrin.INI", "[Service]\r\nmqtt=127.0.0.1:" + std::to_string(broker.Port()) +
                               "\r\nhttp=127.0.0.1:0\r\nclientid=bench\r\nretrymin=1\r\n");
    mqtt = std::make_unique<Mqtt>(broker.Port());
    service = std::make_unique<ServiceProcess>(
        std::vector<std::string>{TAVRIN_SERVICE_PATH, "--home", home.Path().string()});
    if (!WaitUntil(
            [&] {
              return mqtt->Last("tavrin/status") == "online" &&
                     mqtt->StatesHeard() == static_cast<std::size_t>(signs);
            },
            20000)) {
      Fail("the service did not come up:\n" + service->Log());
    }
  }

  ScratchFolder home;
  PrivateBroker broker;
  SignFarm farm;
  std::unique_ptr<Mqtt> mqtt;
  std::unique_ptr<ServiceProcess> service;
};

struct Delivery {
  double firstByteMs = 0;  // from just before the first publish of the round
  double wholeMs = 0;      // the last frame's end
};

struct Round {
  std::vector<Delivery> signs;
  double lastFirstByteMs = 0;
  double lastWholeMs = 0;
  double serviceDoneMs = 0;  // the service's line for the last command's end
};

// Publishes each job's text to its sign, back to back, and waits until every sign has the
// message's frames whole and the service has said each command's end. A sign that does not get
// exactly its frames ends the bench: a lost or garbled message is a fault, not a figure.
Round Send(Rig& rig, const std::vector<std::pair<int, std::string>>& jobs) {
  const tavrin::GraphicFolder graphics(rig.home.Path());
  std::vector<std::size_t> before;
  std::vector<std::vector<std::string>> expected;
  for (const auto& [sign, text] : jobs) {
    before.push_back(rig.farm.Count(sign));
    expected.push_back(tavrin::PlanSendMessage(graphics, text, 'A', SignId(sign)).Frames());
  }
  const std::size_t logFrom = rig.service->LineCount();
  const Time start = Clock::now();
  for (const auto& [sign, text] : jobs) {
    std::string topic = SignName(sign);
    std::transform(topic.begin(), topic.end(), topic.begin(), ::tolower);
    rig.mqtt->Publish("tavrin/" + topic + "/message/set", text);
  }
  const bool arrived = WaitUntil(
      [&] {
        for (std::size_t k = 0; k < jobs.size(); ++k) {
          if (rig.farm.Count(jobs[k].first) < before[k] + expected[k].size()) return false;
        }
        return true;
      },
      30000);
  Time done{};
  const bool said = WaitUntil(
      [&] {
        return rig.service->CountSince(logFrom, ": done in ", done) >=
               static_cast<int>(jobs.size());
      },
      10000);
  Round round;
  for (std::size_t k = 0; k < jobs.size(); ++k) {
    const auto frames = rig.farm.FramesFrom(jobs[k].first, before[k]);
    std::vector<std::string> got;
    got.reserve(frames.size());
    for (const auto& f : frames) got.push_back(f.bytes);
    if (!arrived || got != expected[k]) {
      Fail(SignName(jobs[k].first) + " got " + std::to_string(got.size()) + " frames of the " +
           std::to_string(expected[k].size()) + " of \"" + jobs[k].second +
           "\", or others; the service said:\n" + rig.service->Log());
    }
    const Delivery d{Ms(frames.front().firstByte - start), Ms(frames.back().end - start)};
    round.signs.push_back(d);
    round.lastFirstByteMs = std::max(round.lastFirstByteMs, d.firstByteMs);
    round.lastWholeMs = std::max(round.lastWholeMs, d.wholeMs);
  }
  if (!said) Fail("the service did not say every command's end:\n" + rig.service->Log());
  round.serviceDoneMs = Ms(done - start);
  return round;
}

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const auto rank =
      static_cast<std::size_t>(std::lround(p * static_cast<double>(values.size() - 1)));
  return values[std::min(rank, values.size() - 1)];
}

// Publish to first byte for sign 0, `count` messages, each published 0 to 300 ms after the
// service said the last one's end (so that some meet its state being published, some not).
std::vector<double> Latencies(Rig& rig, int count, std::mt19937& random) {
  std::uniform_int_distribution<int> pause(0, 300);
  std::vector<double> latencies;
  for (int n = 0; n < count; ++n) {
    const Round r = Send(rig, {{0, "Latency " + std::to_string(n + 1)}});
    latencies.push_back(r.signs[0].firstByteMs);
    std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
  }
  return latencies;
}

int Number(const char* text, int least, int most) {
  const int n = std::atoi(text);
  if (n < least || n > most) {
    Fail(std::string(text) + " is not a number from " + std::to_string(least) + " to " +
         std::to_string(most));
  }
  return n;
}

struct Results {
  double oneSignMs = 0;  // median of the rounds to one sign alone
  std::vector<Round> rounds;
  std::vector<double> latencies;
  double idleCpuMsPerSecond = 0;
  ProcessFigures idle;     // before any message
  double roundsCpuMs = 0;  // over the rounds to every sign
  ProcessFigures afterRounds;
  double idleAfterCpuMsPerSecond = 0;
  ProcessFigures idleAfter;  // a second after the rounds
};

// The whole sequence on a fresh broker, service and signs.
Results Measure(int signs, bool brokerNoDelay, int rounds, int messages, std::mt19937& random) {
  std::fprintf(stderr, "service_bench: measuring with the broker %s...\n",
               brokerNoDelay ? "set to TCP_NODELAY" : "as shipped");
  Results results;
  Rig rig(signs, brokerNoDelay);
  const pid_t pid = rig.service->Pid();
  const auto cpuPerSecond = [&](ProcessFigures& end) {
    const double cpu = FiguresOf(pid).cpuMs;
    std::this_thread::sleep_for(std::chrono::seconds(2));
    end = FiguresOf(pid);
    return (end.cpuMs - cpu) / 2.0;
  };
  results.idleCpuMsPerSecond = cpuPerSecond(results.idle);

  std::vector<double> alone;
  alone.reserve(static_cast<std::size_t>(rounds));
  for (int r = 0; r < rounds; ++r) {
    alone.push_back(Send(rig, {{0, "Alone " + std::to_string(r + 1)}}).lastWholeMs);
  }
  results.oneSignMs = Percentile(alone, 0.5);

  const double cpuBefore = FiguresOf(pid).cpuMs;
  for (int r = 0; r < rounds; ++r) {
    std::vector<std::pair<int, std::string>> jobs;
    jobs.reserve(static_cast<std::size_t>(signs));
    for (int i = 0; i < signs; ++i) {
      jobs.emplace_back(i, "Round " + std::to_string(r + 1) + " for " + SignName(i));
    }
    results.rounds.push_back(Send(rig, jobs));
  }
  results.afterRounds = FiguresOf(pid);
  results.roundsCpuMs = results.afterRounds.cpuMs - cpuBefore;
  std::this_thread::sleep_for(std::chrono::seconds(1));
  results.idleAfterCpuMsPerSecond = cpuPerSecond(results.idleAfter);

  results.latencies = Latencies(rig, messages, random);
  return results;
}

double Mb(long kb) { return static_cast<double>(kb) / 1024.0; }

}  // namespace

int main(int argc, char** argv) {
  int signs = 100, rounds = 3, messages = 50;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (i + 1 < argc && a == "--signs") {
      signs = Number(argv[++i], 2, 254);
    } else if (i + 1 < argc && a == "--rounds") {
      rounds = Number(argv[++i], 1, 100);
    } else if (i + 1 < argc && a == "--messages") {
      messages = Number(argv[++i], 1, 10000);
    } else {
      Fail("usage: service_bench [--signs N] [--rounds N] [--messages N]");
    }
  }
  std::mt19937 random(20240601);
  const char* brokers[] = {"as shipped", "set_tcp_nodelay"};
  std::vector<Results> all;
  for (const bool noDelay : {false, true}) {
    all.push_back(Measure(signs, noDelay, rounds, messages, random));
  }

  std::printf("tavrin-service, %d signs on TCP links of their own, a private mosquitto 2.0\n\n",
              signs);
  std::printf(
      "1. One message (3 frames) to one sign alone, then one to each of %d signs published\n"
      "   back to back; ms from the first publish (service said: its line for the last\n"
      "   command's end)\n",
      signs);
  std::printf(
      "   broker            one sign  round  last 1st byte  median whole  last whole  "
      "service said  ratio\n");
  for (std::size_t b = 0; b < all.size(); ++b) {
    for (std::size_t r = 0; r < all[b].rounds.size(); ++r) {
      const Round& round = all[b].rounds[r];
      std::vector<double> whole;
      for (const Delivery& d : round.signs) whole.push_back(d.wholeMs);
      if (r == 0) {
        std::printf("   %-16s  %8.1f", brokers[b], all[b].oneSignMs);
      } else {
        std::printf("   %-16s  %8s", "", "");
      }
      std::printf("  %5zu  %13.1f  %12.1f  %10.1f  %12.1f  %5.2f\n", r + 1, round.lastFirstByteMs,
                  Percentile(whole, 0.5), round.lastWholeMs, round.serviceDoneMs,
                  round.lastWholeMs / all[b].oneSignMs);
    }
  }

  std::printf("\n2. Latency, publish to the first byte at one sign, %d messages (ms)\n", messages);
  std::printf("   broker              median     p90     min     max\n");
  for (std::size_t b = 0; b < all.size(); ++b) {
    const std::vector<double>& ms = all[b].latencies;
    std::printf("   %-16s  %7.2f %7.2f %7.2f %7.2f\n", brokers[b], Percentile(ms, 0.5),
                Percentile(ms, 0.9), *std::min_element(ms.begin(), ms.end()),
                *std::max_element(ms.begin(), ms.end()));
  }

  std::printf(
      "\n3. The service process (/proc): idle before any message; over the %d rounds to "
      "every sign;\n   idle a second after them (idle CPU in ms a second over 2 s; /proc counts "
      "10 ms ticks)\n",
      rounds);
  std::printf(
      "   broker            idle: RSS MB threads  CPU   rounds: CPU ms  a message  peak "
      "RSS MB   after: RSS MB threads  CPU\n");
  for (std::size_t b = 0; b < all.size(); ++b) {
    const Results& r = all[b];
    std::printf("   %-16s  %13.1f %7d %4.1f  %14.0f  %9.2f  %11.1f  %13.1f %7d %4.1f\n", brokers[b],
                Mb(r.idle.rssKb), r.idle.threads, r.idleCpuMsPerSecond, r.roundsCpuMs,
                r.roundsCpuMs / (rounds * signs), Mb(r.afterRounds.peakRssKb),
                Mb(r.idleAfter.rssKb), r.idleAfter.threads, r.idleAfterCpuMsPerSecond);
  }
  return 0;
}

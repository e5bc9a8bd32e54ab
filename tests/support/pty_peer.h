#pragma once

#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tavrin::testing {

// A stand-in sign on the master side of a pseudo-terminal. It cuts the byte stream into
// frames ("<ID" .. ">" body checksum "<E>", the end being the first "<E>" after a body whose
// XOR matches the two digits before it; "<ID><NN><E>" for Set ID) and answers each with what
// the responder returns. The program opens Device().
class PtyPeer {
 public:
  using Responder = std::function<std::string(const std::string& frame)>;

  explicit PtyPeer(Responder responder) : m_responder(std::move(responder)) {
    char name[256];
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) std::abort();
    m_device = name;
    m_thread = std::thread([this] { Serve(); });
  }
  ~PtyPeer() {
    m_stop = true;
    m_thread.join();
    ::close(m_master);
    ::close(m_slave);
  }

  // Answers "ACK" to every frame and echoes Set ID.
  static std::string Ack(const std::string& frame) {
    if (frame.rfind("<ID><", 0) == 0) return frame.substr(5, 2);
    return "ACK";
  }

  // The length of the first whole frame at the start of the buffer, or 0 (for other stand-ins
  // that cut a byte stream into frames too).
  static std::size_t FrameLength(const std::string& b) {
    if (b.rfind("<ID>", 0) == 0) {
      const std::size_t end = b.find("<E>");
      return end == std::string::npos ? 0 : end + 3;
    }
    for (std::size_t end = b.find("<E>", 6); end != std::string::npos;
         end = b.find("<E>", end + 1)) {
      if (end < 8) continue;
      std::uint8_t sum = 0;
      for (std::size_t i = 6; i < end - 2; ++i) sum ^= static_cast<std::uint8_t>(b[i]);
      const int hi = HexValue(b[end - 2]), lo = HexValue(b[end - 1]);
      if (hi >= 0 && lo >= 0 && hi * 16 + lo == sum) return end + 3;
    }
    return 0;
  }

  const std::string& Device() const { return m_device; }
  std::vector<std::string> Frames() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_frames;
  }

 private:
  static int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  void Serve() {
    std::string buffer;
    while (!m_stop) {
      pollfd p{m_master, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      char chunk[4096];
      const ssize_t n = ::read(m_master, chunk, sizeof chunk);
      if (n <= 0) continue;
      buffer.append(chunk, static_cast<std::size_t>(n));
      const std::size_t start = buffer.find("<ID");
      if (start == std::string::npos) continue;
      buffer.erase(0, start);
      while (const std::size_t length = FrameLength(buffer)) {
        const std::string frame = buffer.substr(0, length);
        buffer.erase(0, length);
        {
          std::lock_guard<std::mutex> lock(m_mutex);
          m_frames.push_back(frame);
        }
        const std::string reply = m_responder(frame);
        if (!reply.empty() && ::write(m_master, reply.data(), reply.size()) < 0) return;
      }
    }
  }

  Responder m_responder;
  int m_master = -1;
  int m_slave = -1;
  std::string m_device;
  std::atomic<bool> m_stop{false};
  std::mutex m_mutex;
  std::vector<std::string> m_frames;
  std::thread m_thread;
};

}  // namespace tavrin::testing

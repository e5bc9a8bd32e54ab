#ifndef _WIN32

#include "signlink/fd_link.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace tavrin {

namespace {

constexpr int kSliceMs = 10;

using SteadyClock = std::chrono::steady_clock;

int MsUntil(SteadyClock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

FdLink::~FdLink() {
  if (m_fd >= 0) ::close(m_fd);
}

void FdLink::Adopt(int fd) {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = fd;
  m_broken = false;
  m_lastError.clear();
}

void FdLink::Break(const std::string& why) {
  m_broken = true;
  if (m_lastError.empty()) m_lastError = why;
}

void FdLink::CloseLink() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

int FdLink::WriteLimitMs(std::size_t n) const {
  // Ten bits a byte at 9600 baud, twice over, and a second to spare.
  return static_cast<int>(n * 10 * 1000 * 2 / kSignBaud) + 1000;
}

int FdLink::ReadByte(std::uint8_t& byte) {
  if (m_fd < 0 || m_broken) return 0;
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(kReadTimeoutMs);
  for (;;) {
    pollfd p{m_fd, POLLIN, 0};
    const int rc = ::poll(&p, 1, std::min(kSliceMs, MsUntil(deadline)));
    if (rc < 0 && errno != EINTR) {
      Break(std::string("read failed: ") + std::strerror(errno));
      return 0;
    }
    if (rc > 0) {
      const ssize_t n = ::read(m_fd, &byte, 1);
      if (n == 1) return 1;
      if (n == 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        Break("the connection to the sign was closed");
        return 0;
      }
      if (n < 0 && errno != EAGAIN && errno != EINTR) {
        Break(std::string("read failed: ") + std::strerror(errno));
        return 0;
      }
    }
    if (MsUntil(deadline) == 0) return 0;
    Idle();
  }
}

bool FdLink::Write(std::string_view bytes, const WriteProgress& progress) {
  if (m_fd < 0 || m_broken) {
    if (m_lastError.empty()) m_lastError = "the link is not open";
    return false;
  }
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(WriteLimitMs(bytes.size()));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
      Break(std::string("write failed: ") + std::strerror(errno));
      return false;
    }
    if (MsUntil(deadline) == 0) {
      Break("write timed out: the line does not take the bytes");
      return false;
    }
    pollfd p{m_fd, POLLOUT, 0};
    ::poll(&p, 1, std::min(kSliceMs, MsUntil(deadline)));
    Idle();
  }
  if (progress) {
    // The bytes are with the driver; follow them out of its queue.
    for (;;) {
      const std::size_t pending = std::min(PendingOutput(), bytes.size());
      progress(bytes.size() - pending);
      if (pending == 0 || MsUntil(deadline) == 0) break;
      Idle();
      ::usleep(kSliceMs * 1000);
    }
  }
  return true;
}

}  // namespace tavrin

#endif

#ifndef _WIN32

#include "signlink/tcp_link.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace tavrin {

TcpLink::TcpLink(std::string host, int port) : m_host(std::move(host)), m_port(port) {}

bool ParseHostPort(const std::string& text, std::string& host, int& port) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) return false;
  host = text.substr(0, colon);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
  }
  const std::string digits = text.substr(colon + 1);
  if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  port = std::stoi(digits);
  return !host.empty() && port >= 1 && port <= 65535;
}

bool TcpLink::OpenLink(int, int) {
  CloseLink();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string where = m_host + ":" + std::to_string(m_port);
  if (const int rc = ::getaddrinfo(m_host.c_str(), std::to_string(m_port).c_str(), &hints, &found);
      rc != 0) {
    m_lastError = "cannot find " + where + ": " + ::gai_strerror(rc);
    return false;
  }
  std::string failure = "cannot connect to " + where;
  for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
    const int fd =
        ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    int rc = ::connect(fd, a->ai_addr, a->ai_addrlen);
    if (rc != 0 && errno == EINPROGRESS) {
      pollfd p{fd, POLLOUT, 0};
      const auto start = std::chrono::steady_clock::now();
      int waited = 0;
      do {
        rc = ::poll(&p, 1, 20);
        if (rc != 0) break;
        Idle();
        waited = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                      std::chrono::steady_clock::now() - start)
                                      .count());
      } while (waited < kConnectTimeoutMs);
      int err = rc > 0 ? 0 : ETIMEDOUT;
      socklen_t len = sizeof err;
      if (rc > 0) ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
      rc = err == 0 ? 0 : -1;
      errno = err;
    }
    if (rc == 0) {
      const int one = 1;
      ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      ::freeaddrinfo(found);
      Adopt(fd);
      return true;
    }
    failure = "cannot connect to " + where + ": " + std::strerror(errno);
    ::close(fd);
  }
  ::freeaddrinfo(found);
  m_lastError = failure;
  return false;
}

}  // namespace tavrin

#endif

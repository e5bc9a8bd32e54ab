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

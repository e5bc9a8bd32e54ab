#pragma once

#ifndef _WIN32

#include <string>

#include "signlink/fd_link.h"

namespace tavrin {

// A sign reached over TCP: a serial device server, or the virtual sign. Reads and writes
// keep the serial link's time-outs.
class TcpLink : public FdLink {
 public:
  // How long a connection may take to be made.
  static constexpr int kConnectTimeoutMs = 3000;

  TcpLink(std::string host, int port);

  // Connects; the port number of the serial world is not used.
  bool OpenLink(int portNumber, int baud) override;

 private:
  std::string m_host;
  int m_port;
};

// Splits "HOST:PORT" ("[::1]:PORT" for IPv6). False for anything else or a port outside
// 1 to 65535.
bool ParseHostPort(const std::string& text, std::string& host, int& port);

}  // namespace tavrin

#endif

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

}  // namespace tavrin

#endif

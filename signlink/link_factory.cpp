#include "signlink/link_factory.h"

#include "signlink/serial_link.h"
#include "signlink/tcp_link.h"

namespace tavrin {

Result<std::unique_ptr<SignLink>> MakeLink(const LinkTarget& target, const Settings& settings) {
  switch (target.kind) {
    case LinkTarget::Kind::Device: {
      if (target.address.empty()) return Error{"no serial device was named"};
      const std::string device = target.address;
      return std::unique_ptr<SignLink>(
          std::make_unique<SerialLink>([device](int) { return device; }));
    }
    case LinkTarget::Kind::Tcp: {
#ifdef _WIN32
      return Error{"a sign on TCP is reached from Linux only; on Windows use its COM port"};
#else
      std::string host;
      int port = 0;
      if (!ParseHostPort(target.address, host, port)) {
        return Error{"\"" + target.address + "\" is not HOST:PORT"};
      }
      return std::unique_ptr<SignLink>(std::make_unique<TcpLink>(host, port));
#endif
    }
    case LinkTarget::Kind::Port:
      break;
  }
#ifdef _WIN32
  (void)settings;
  return std::unique_ptr<SignLink>(
      std::make_unique<SerialLink>([](int port) { return WindowsPortDeviceName(port); }));
#else
  return std::unique_ptr<SignLink>(std::make_unique<SerialLink>(
      [settings](int port) { return PosixPortDevice(port, settings.PortDevice(port)); }));
#endif
}

std::string DescribePort(int portNumber, const Settings& settings) {
  const int port = NormalizePortNumber(portNumber);
#ifdef _WIN32
  (void)settings;
  return "COM" + std::to_string(port) + " " + WindowsPortDeviceName(port);
#else
  const std::string configured = settings.PortDevice(port);
  const std::string device = PosixPortDevice(port, configured);
  return "COM" + std::to_string(port) + " " + (device.empty() ? "(none)" : device) +
         (configured.empty() ? " default" : " configured");
#endif
}

}  // namespace tavrin

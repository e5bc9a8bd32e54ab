#include "signlink/link_factory.h"

#include "signlink/serial_link.h"
#include "signlink/tcp_link.h"

namespace tavrin {

#ifndef _WIN32
namespace {

// The link of a port number: at each open it asks the settings what the port opens, a serial
// device or, for a "Ports" entry of HOST:PORT, a serial device server or a virtual sign.
class PortLink : public SignLink {
 public:
  explicit PortLink(Settings settings)
      : m_settings(std::move(settings)),
        m_serial([this](int port) { return PosixPortDevice(port, m_settings.PortDevice(port)); }) {}

  bool OpenLink(int portNumber, int baud) override {
    if (m_inner != nullptr && m_inner->IsOpen()) m_inner->CloseLink();
    const int port = NormalizePortNumber(portNumber);
    std::string host;
    int tcpPort = 0;
    if (ParseHostPort(m_settings.PortDevice(port), host, tcpPort)) {
      m_tcp = std::make_unique<TcpLink>(host, tcpPort);
      m_inner = m_tcp.get();
    } else {
      m_inner = &m_serial;
    }
    return Told(m_inner->OpenLink(port, baud));
  }
  int ReadByte(std::uint8_t& byte) override {
    return m_inner != nullptr ? Told(m_inner->ReadByte(byte)) : 0;
  }
  bool Write(std::string_view bytes, const WriteProgress& progress = {}) override {
    return m_inner != nullptr && Told(m_inner->Write(bytes, progress));
  }
  void CloseLink() override {
    if (m_inner != nullptr) m_inner->CloseLink();
  }
  bool IsOpen() const override { return m_inner != nullptr && m_inner->IsOpen(); }

 private:
  // Passes a result on with the inner link's account of what went wrong.
  template <class T>
  T Told(T result) {
    m_lastError = m_inner->LastError();
    return result;
  }

  Settings m_settings;
  SerialLink m_serial;
  std::unique_ptr<TcpLink> m_tcp;
  SignLink* m_inner = nullptr;
};

}  // namespace
#endif

Result<std::unique_ptr<SignLink>> MakeLink(const LinkTarget& target, const Settings& settings) {
  switch (target.kind) {
    case LinkTarget::Kind::Device: {
      if (target.address.empty()) return Error{"no serial device was named"};
      return std::unique_ptr<SignLink>(
          std::make_unique<SerialLink>([device = target.address](int) { return device; }));
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
  return std::unique_ptr<SignLink>(std::make_unique<PortLink>(settings));
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

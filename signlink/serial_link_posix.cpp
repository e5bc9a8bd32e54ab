#ifndef _WIN32

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "signlink/serial_link.h"
#include "signlink/serial_ports.h"

namespace tavrin {

namespace {

speed_t BaudConstant(int baud) {
  switch (baud) {
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    default:
      return B9600;
  }
}

}  // namespace

void ApplySignLineSettings(termios& attributes, int baud) {
  attributes.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                               ICRNL | IXON | IXOFF | IXANY);
  attributes.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  attributes.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  attributes.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
  attributes.c_cflag |= CS8 | CREAD | CLOCAL;
  attributes.c_cc[VMIN] = 0;
  attributes.c_cc[VTIME] = kReadTimeoutMs / 100;
  cfsetispeed(&attributes, BaudConstant(baud));
  cfsetospeed(&attributes, BaudConstant(baud));
}

SerialLink::SerialLink(DeviceForPort deviceForPort) : m_deviceForPort(std::move(deviceForPort)) {}

bool SerialLink::OpenLink(int portNumber, int baud) {
  CloseLink();
  const int port = NormalizePortNumber(portNumber);
  m_deviceName = m_deviceForPort ? m_deviceForPort(port) : std::string();
  if (m_deviceName.empty()) {
    m_lastError = "COM" + std::to_string(port) + " has no device; name one in the settings file";
    return false;
  }
  // Non-blocking, so that neither a missing carrier nor a full line can hang the program.
  const int fd = ::open(m_deviceName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int err = errno;
    const std::string explained = ExplainOpenFailure(m_deviceName, err);
    m_lastError =
        !explained.empty() ? explained : "cannot open " + m_deviceName + ": " + std::strerror(err);
    return false;
  }
  termios attributes{};
  if (::tcgetattr(fd, &attributes) != 0) {
    const int err = errno;
    ::close(fd);
    m_lastError = m_deviceName + " is not a serial port: " + std::strerror(err);
    return false;
  }
  ApplySignLineSettings(attributes, baud);
  if (::tcsetattr(fd, TCSANOW, &attributes) != 0) {
    const int err = errno;
    ::close(fd);
    m_lastError = "cannot set up " + m_deviceName + ": " + std::strerror(err);
    return false;
  }
  Adopt(fd);
  return true;
}

std::size_t SerialLink::PendingOutput() const {
  int pending = 0;
  if (m_fd < 0 || ::ioctl(m_fd, TIOCOUTQ, &pending) != 0 || pending < 0) return 0;
  return static_cast<std::size_t>(pending);
}

}  // namespace tavrin

#endif

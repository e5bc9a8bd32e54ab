#pragma once

#include <functional>
#include <string>

#include "signlink/sign_link.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <termios.h>

#include "signlink/fd_link.h"
#endif

namespace tavrin {

#ifndef _WIN32

// Fills in the line settings of the sign on a terminal's attributes: the baud rate, 8 data
// bits, no parity, one stop bit, raw bytes both ways (no echo, no line editing, no character
// translation, no XON/XOFF, which would swallow graphic data), the receiver on and modem lines
// ignored, and a read time-out of 1.1 s per byte. Hardware flow control and the rest stay as
// the driver had them.
void ApplySignLineSettings(termios& attributes, int baud);

// A serial port on POSIX, through termios.
class SerialLink : public FdLink {
 public:
  // Maps a port number to its device path; an empty path means the port has no device.
  using DeviceForPort = std::function<std::string(int portNumber)>;

  explicit SerialLink(DeviceForPort deviceForPort);

  // Opens the device of the port (numbers outside 1 to 255 open port 1) and sets the line.
  // A device that is missing, busy or not a terminal fails with LastError saying which.
  bool OpenLink(int portNumber, int baud) override;

 protected:
  std::size_t PendingOutput() const override;

 private:
  DeviceForPort m_deviceForPort;
  std::string m_deviceName;
};

#else

// A serial port on Windows, through the Win32 communication functions.
class SerialLink : public SignLink {
 public:
  // Maps a port number to its device name ("COM1", "\\.\COM10").
  using DeviceForPort = std::function<std::string(int portNumber)>;

  explicit SerialLink(DeviceForPort deviceForPort);
  ~SerialLink() override;

  // Opens the device of the port (numbers outside 1 to 255 open port 1) with the line settings
  // of the sign: 9600 8N1, queues of 1024 bytes, ReadTotalTimeoutConstant 1100 ms, the rest
  // of the driver's state as it was. On failure LastError names the device and the system's
  // reason for the call that failed.
  bool OpenLink(int portNumber, int baud) override;
  // Waits for a byte in slices of about 10 ms, the idle hook running between them, so that
  // the windows keep working while the sign thinks; returns 0 after about 1100 ms.
  int ReadByte(std::uint8_t& byte) override;
  bool Write(std::string_view bytes, const WriteProgress& progress = {}) override;
  void CloseLink() override;
  bool IsOpen() const override { return m_handle != INVALID_HANDLE_VALUE; }

 private:
  // The system's reason for the last failure, read right after the call that failed.
  std::string Failure(const std::string& what) const;

  DeviceForPort m_deviceForPort;
  HANDLE m_handle = INVALID_HANDLE_VALUE;
  std::string m_deviceName;
};

#endif

}  // namespace tavrin

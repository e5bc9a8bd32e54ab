#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tavrin {

// How long a read waits for one byte before it gives up.
inline constexpr int kReadTimeoutMs = 1100;
// Every caller opens the link at this rate.
inline constexpr int kSignBaud = 9600;

// The program's one connection to a sign: opened by a sign function at its start and closed
// at its end. Kinds: a serial port, a TCP connection (a serial device server or the virtual
// sign), and a scripted link for tests.
class SignLink {
 public:
  // Told how many bytes of the current Write have left the computer so far.
  using WriteProgress = std::function<void(std::size_t bytesWritten)>;

  virtual ~SignLink() = default;

  // Opens the link; true on success. The port number only matters to a serial link. A second
  // open without a close closes the first connection.
  virtual bool OpenLink(int portNumber, int baud) = 0;

  // Waits up to kReadTimeoutMs for one byte: 1 with the byte, or 0 when none came. On a
  // broken link (device gone, peer hung up) it returns 0 at once and LastError says why.
  virtual int ReadByte(std::uint8_t& byte) = 0;

  // Writes all the bytes with one call to the system where it can, so that a frame goes out
  // without pauses. False when they could not all be written (LastError says why). Progress,
  // when given, hears of the bytes as they leave.
  virtual bool Write(std::string_view bytes, const WriteProgress& progress = {}) = 0;

  bool WriteByte(std::uint8_t byte) {
    const char c = static_cast<char>(byte);
    return Write(std::string_view(&c, 1));
  }

  virtual void CloseLink() = 0;
  virtual bool IsOpen() const = 0;

  // Called about every 10 ms while a read or a write waits, so that windows keep responding.
  void SetIdle(std::function<void()> idle) { m_idle = std::move(idle); }

  // Why the last open, read or write failed; empty when nothing went wrong since the open.
  const std::string& LastError() const { return m_lastError; }

 protected:
  void Idle() {
    if (m_idle) m_idle();
  }

  std::string m_lastError;

 private:
  std::function<void()> m_idle;
};

// The sign functions never sleep on their own: they are handed a waiter. The windows pass one
// that keeps processing window messages, the command line one that sleeps, the tests a
// virtual clock.
class Waiter {
 public:
  virtual ~Waiter() = default;
  virtual void WaitMs(int ms) = 0;
};

// The sign's reply to a frame, as ReadAck reads it.
struct AckReply {
  std::string received;   // the bytes that came, in order; a read that timed out adds none
  bool accepted = false;  // the reply was exactly "ACK"
};

// Reads the reply to the frame just written: three bytes, a fourth after an "N", accepted
// exactly for "ACK". Bytes beyond those stay unread.
AckReply ReadAckReply(SignLink& link);
bool ReadAck(SignLink& link);

// Port numbers below 1 or above 255 open port 1.
int NormalizePortNumber(int portNumber);

// The Windows device name of a port: "COM1" to "COM9", then "\\.\COM10" to "\\.\COM255".
std::string WindowsPortDeviceName(int portNumber);

// The POSIX device of a port: the one configured for it, when given; else COM1-COM32 are
// /dev/ttyS0-31, COM33-COM64 /dev/ttyUSB0-31, COM65-COM96 /dev/ttyACM0-31, and higher ports
// have no device unless configured (empty result).
std::string PosixPortDevice(int portNumber, const std::string& configured);

// Splits "HOST:PORT" ("[::1]:PORT" for IPv6). False for anything else or a port outside
// 1 to 65535.
bool ParseHostPort(const std::string& text, std::string& host, int& port);

}  // namespace tavrin

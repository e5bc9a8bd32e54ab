#include "signlink/sign_link.h"

#include <array>

#include "signlink/sign_frame.h"

namespace tavrin {

AckReply ReadAckReply(SignLink& link) {
  AckReply reply;
  std::array<std::uint8_t, 4> buffer{};
  const auto read = [&](std::size_t position) {
    std::uint8_t byte = 0;
    if (link.ReadByte(byte) != 1) return;
    buffer[position] = byte;
    reply.received += static_cast<char>(byte);
  };
  for (int i = 0; i < kReplyReads; ++i) read(static_cast<std::size_t>(i));
  if (ReplyNeedsFourthRead(buffer[0])) read(3);
  reply.accepted = ReplyAccepted(buffer);
  return reply;
}

bool ReadAck(SignLink& link) { return ReadAckReply(link).accepted; }

int NormalizePortNumber(int portNumber) {
  return (portNumber < 1 || portNumber > 255) ? 1 : portNumber;
}

std::string WindowsPortDeviceName(int portNumber) {
  const int port = NormalizePortNumber(portNumber);
  if (port <= 9) return "COM" + std::to_string(port);
  return "\\\\.\\COM" + std::to_string(port);
}

std::string PosixPortDevice(int portNumber, const std::string& configured) {
  if (!configured.empty()) return configured;
  const int port = NormalizePortNumber(portNumber);
  if (port <= 32) return "/dev/ttyS" + std::to_string(port - 1);
  if (port <= 64) return "/dev/ttyUSB" + std::to_string(port - 33);
  if (port <= 96) return "/dev/ttyACM" + std::to_string(port - 65);
  return {};
}

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

}  // namespace tavrin

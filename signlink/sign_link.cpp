#include "signlink/sign_link.h"

#include <array>

#include "signlink/sign_frame.h"

namespace tavrin {

bool ReadAck(SignLink& link) {
  std::array<std::uint8_t, 4> buffer{};
  for (int i = 0; i < kReplyReads; ++i) {
    std::uint8_t byte = 0;
    if (link.ReadByte(byte) == 1) buffer[i] = byte;
  }
  if (ReplyNeedsFourthRead(buffer[0])) {
    std::uint8_t byte = 0;
    if (link.ReadByte(byte) == 1) buffer[3] = byte;
  }
  return ReplyAccepted(buffer);
}

bool WriteFrameAndJudge(SignLink& link, std::uint8_t signId, std::string_view frame,
                        const SignLink::WriteProgress& progress) {
  // A frame that could not be written was not accepted, whatever the ID.
  if (!link.Write(frame, progress)) return false;
  return signId == 0 || ReadAck(link);
}

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

}  // namespace tavrin

#include "signlink/sign_frame.h"

#include "common/bytes.h"

namespace tavrin {

std::uint8_t FrameChecksum(std::string_view body) {
  std::uint8_t sum = 0;
  for (const char c : body) sum ^= static_cast<std::uint8_t>(c);
  return sum;
}

std::string SignFrame(std::uint8_t signId, std::string_view body) {
  std::string frame;
  frame.reserve(body.size() + 11);
  frame += "<ID";
  frame += HexByte(signId);
  frame += '>';
  frame += body;
  frame += HexByte(FrameChecksum(body));
  frame += kEndTag;
  return frame;
}

std::string SetIdFrame(std::uint8_t newId) { return "<ID><" + HexByte(newId) + "><E>"; }

bool SetIdEchoAccepted(std::uint8_t newId, std::uint8_t first, std::uint8_t second) {
  const std::string digits = HexByte(newId);
  return first == static_cast<std::uint8_t>(digits[0]) &&
         second == static_cast<std::uint8_t>(digits[1]);
}

bool ReplyNeedsFourthRead(std::uint8_t firstByte) { return firstByte == 'N'; }

bool ReplyAccepted(const std::array<std::uint8_t, 4>& buffer) {
  // "ACK" followed by a zero: a fourth byte is only ever read after an "N".
  return buffer[0] == 'A' && buffer[1] == 'C' && buffer[2] == 'K' && buffer[3] == 0;
}

}  // namespace tavrin

#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavrin {

// The end tag of every frame.
inline constexpr std::string_view kEndTag = "<E>";

// XOR of the body bytes, starting from 0. Only the body takes part: not the address header,
// not the end tag. An empty body gives 0.
std::uint8_t FrameChecksum(std::string_view body);

// One command for the sign with the given ID (0 to 255): "<ID" + two upper-case hex digits
// + ">" + body + checksum as two upper-case hex digits + "<E>". The body travels as it is:
// it may hold any byte, "<E>" included, and nothing is escaped.
std::string SignFrame(std::uint8_t signId, std::string_view body);

// The Set ID command, the only one without an address and a checksum: "<ID><" NN "><E>".
std::string SetIdFrame(std::uint8_t newId);

// The sign's answer to a Set ID frame is the new ID's two digits echoed back. The two bytes
// are those the two reads returned; a read that timed out is given as 0.
bool SetIdEchoAccepted(std::uint8_t newId, std::uint8_t first, std::uint8_t second);

// The reply to a frame, as read by ReadAck: three single-byte reads, and a fourth when the
// first byte is "N", so that a four-byte refusal leaves the line whole. A read that timed
// out leaves its position 0.
inline constexpr int kReplyReads = 3;
bool ReplyNeedsFourthRead(std::uint8_t firstByte);

// The verdict on the reply bytes as they stand in ReadAck's buffer (positions 0 to 3, 0 where
// nothing arrived): accepted exactly when the buffer, read up to its first zero, is "ACK".
bool ReplyAccepted(const std::array<std::uint8_t, 4>& buffer);

}  // namespace tavrin

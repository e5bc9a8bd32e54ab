#include "tools/virtual-sign/frame_reader.h"

#include "common/bytes.h"
#include "signlink/sign_frame.h"

namespace tavrin::vsign {

namespace {

constexpr std::string_view kStart = "<ID";
constexpr std::size_t kHeader = 6;  // "<IDnn>"

bool IsUpperHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

// Whether two checksum digits state the XOR of the body.
bool ChecksumMatches(std::string_view body, std::string_view digits) {
  std::uint8_t stated = 0;
  return digits.size() == 2 && IsUpperHex(digits[0]) && IsUpperHex(digits[1]) &&
         ParseHexByte(digits, stated) && stated == FrameChecksum(body);
}

}  // namespace

std::optional<std::size_t> BinaryBodyLength(std::string_view b) {
  if (b.size() < 2) return std::nullopt;
  if (b[0] != '<') return 0;
  if (b[1] == 'G') {
    if (b.size() < 5) return std::nullopt;
    const bool block = b[2] >= 'A' && b[2] <= 'Z' && b[3] >= '1' && b[3] <= '9' && b[4] == '>';
    return block ? 5 + 64 : 0;
  }
  if (b[1] == 'F') {
    if (b.size() < 6) return std::nullopt;
    const bool character =
        b[2] >= 'A' && b[2] <= 'Z' && IsUpperHex(b[3]) && IsUpperHex(b[4]) && b[5] == '>';
    return character ? 6 + 8 : 0;
  }
  return 0;
}

void FrameReader::Feed(std::string_view bytes) {
  m_buffer.append(bytes);
  while (TakeOne(false)) {
  }
}

void FrameReader::Idle() {
  while (TakeOne(true)) {
  }
}

std::optional<ReceivedFrame> FrameReader::Next() {
  if (m_readyFront == m_ready.size()) {
    m_ready.clear();
    m_readyFront = 0;
    return std::nullopt;
  }
  return std::move(m_ready[m_readyFront++]);
}

std::size_t FrameReader::TakeJunkCount() {
  const std::size_t since = m_junk - m_junkAtLastFrame;
  m_junkAtLastFrame = m_junk;
  return since;
}

void FrameReader::SkipJunk(std::size_t n) {
  m_junk += n;
  Consume(n);
}

void FrameReader::Consume(std::size_t n) {
  m_buffer.erase(0, n);
  m_scanFrom = 0;
  m_firstEnd = 0;
}

bool FrameReader::TakeOne(bool idle) {
  if (!SkipToFrameStart()) return false;
  const std::string_view b = m_buffer;
  if (b.size() < 4) return false;
  if (b[3] == '>') return TakeSetId();
  if (b.size() < kHeader) return false;
  std::uint8_t id = 0;
  if (!IsUpperHex(b[3]) || !IsUpperHex(b[4]) || b[5] != '>' || !ParseHexByte(b.substr(3, 2), id)) {
    SkipJunk(1);
    return true;
  }
  const std::optional<std::size_t> binary = BinaryBodyLength(b.substr(kHeader));
  if (!binary) return false;
  return *binary > 0 ? TakeBinaryBody(id, *binary) : TakeTextBody(id, idle);
}

bool FrameReader::SkipToFrameStart() {
  const std::size_t start = m_buffer.find(kStart);
  if (start == std::string::npos) {
    // Keep a tail that may be the start of "<ID".
    std::size_t keep = 0;
    if (m_buffer.ends_with("<I"))
      keep = 2;
    else if (m_buffer.ends_with("<"))
      keep = 1;
    SkipJunk(m_buffer.size() - keep);
    return false;
  }
  if (start > 0) SkipJunk(start);
  return true;
}

// Set ID: "<ID><NN><E>".
bool FrameReader::TakeSetId() {
  const std::string_view b = m_buffer;
  if (b.size() < 11) {
    if (b.size() > 4 && b[4] != '<') {
      SkipJunk(1);
      return true;
    }
    return false;
  }
  std::uint8_t newId = 0;
  if (b[4] == '<' && ParseHexByte(b.substr(5, 2), newId) && IsUpperHex(b[5]) && IsUpperHex(b[6]) &&
      b[7] == '>' && b.substr(8, 3) == kEndTag) {
    ReceivedFrame frame;
    frame.kind = ReceivedFrame::Kind::SetId;
    frame.id = newId;
    frame.raw = std::string(b.substr(0, 11));
    frame.junkBefore = TakeJunkCount();
    m_ready.push_back(std::move(frame));
    Consume(11);
    return true;
  }
  SkipJunk(1);
  return true;
}

bool FrameReader::TakeBinaryBody(std::uint8_t id, std::size_t bodyLength) {
  const std::string_view b = m_buffer;
  const std::size_t total = kHeader + bodyLength + 5;
  if (b.size() < total) return false;
  if (b.substr(total - 3, 3) != kEndTag) {
    SkipJunk(1);
    return true;
  }
  Emit(id, bodyLength, ChecksumMatches(b.substr(kHeader, bodyLength), b.substr(total - 5, 2)));
  return true;
}

// The first "<E>" whose checksum matches ends a text body. The search resumes where it
// stopped, carrying the XOR of the body so far, so each byte is looked at once.
bool FrameReader::TakeTextBody(std::uint8_t id, bool idle) {
  const std::string_view b = m_buffer;
  if (m_scanFrom < kHeader + 2) {
    m_scanFrom = kHeader + 2;
    m_xorEnd = kHeader;
    m_xor = 0;
  }
  for (std::size_t end = b.find(kEndTag, m_scanFrom); end != std::string::npos;
       end = b.find(kEndTag, end + 1)) {
    if (m_firstEnd == 0) m_firstEnd = end;
    for (; m_xorEnd < end - 2; ++m_xorEnd) m_xor ^= static_cast<std::uint8_t>(b[m_xorEnd]);
    std::uint8_t stated = 0;
    if (IsUpperHex(b[end - 2]) && IsUpperHex(b[end - 1]) &&
        ParseHexByte(b.substr(end - 2, 2), stated) && stated == m_xor) {
      Emit(id, end - 2 - kHeader, true);
      return true;
    }
  }
  m_scanFrom = b.size() >= 2 ? b.size() - 2 : 0;
  // On a quiet line: a start that another frame followed before any end is junk; else the
  // first end closes a frame whose checksum is wrong.
  const std::size_t nextStart = b.find(kStart, 1);
  if (idle && nextStart != std::string::npos && (m_firstEnd == 0 || nextStart < m_firstEnd)) {
    SkipJunk(1);
    return true;
  }
  if (idle && m_firstEnd != 0) {
    Emit(id, m_firstEnd - 2 - kHeader, false);
    return true;
  }
  if (b.size() > kMaxFrameBytes) {
    SkipJunk(1);
    return true;
  }
  return false;
}

void FrameReader::Emit(std::uint8_t id, std::size_t bodyLength, bool checksumOk) {
  ReceivedFrame frame;
  frame.id = id;
  frame.body = m_buffer.substr(kHeader, bodyLength);
  frame.checksumOk = checksumOk;
  const std::size_t total = kHeader + bodyLength + 2 + 3;
  frame.raw = m_buffer.substr(0, total);
  frame.junkBefore = TakeJunkCount();
  m_ready.push_back(std::move(frame));
  Consume(total);
}

}  // namespace tavrin::vsign

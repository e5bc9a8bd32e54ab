#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin::vsign {

// One frame as it came off the line.
struct ReceivedFrame {
  enum class Kind { Addressed, SetId };
  Kind kind = Kind::Addressed;
  std::uint8_t id = 0;         // the address, or the new ID of a Set ID frame
  std::string body;            // empty for Set ID
  bool checksumOk = true;      // always true for Set ID, which has none
  std::string raw;             // every byte of the frame
  std::size_t junkBefore = 0;  // bytes skipped between the frame before and this one
};

// Cuts a byte stream into frames. Frames begin with "<ID"; junk between them is skipped and
// counted. Graphic blocks ("<G" letter digit ">" + 64 bytes) and user characters ("<F" letter
// two hex digits ">" + 8 bytes) are taken by length, so "<E>" inside their data is data. A text
// body ends at the first "<E>" whose two preceding bytes are the checksum of the body before
// them; when the line falls idle with no such end, the body ends at its first "<E>" and the
// frame has a bad checksum. Memory stays bounded whatever arrives: a frame that grows past
// kMaxFrameBytes is dropped as junk.
class FrameReader {
 public:
  static constexpr std::size_t kMaxFrameBytes = 16 * 1024;

  // Takes bytes off the line; whole frames come out of Next().
  void Feed(std::string_view bytes);
  // The line has been quiet for a while: settle a text frame that waits for its end.
  void Idle();
  // The next whole frame, if one is ready.
  std::optional<ReceivedFrame> Next();

  std::size_t JunkBytes() const { return m_junk; }
  std::size_t Buffered() const { return m_buffer.size(); }

 private:
  // Tries to take one frame off the front of the buffer. Returns false when more bytes are
  // needed. The Take functions below take the frame that starts the buffer, or skip its first
  // byte as junk, and answer the same.
  bool TakeOne(bool idle);
  // Skips junk up to the first "<ID"; false when there is none yet.
  bool SkipToFrameStart();
  bool TakeSetId();
  // A body taken by length, bodyLength bytes after the header.
  bool TakeBinaryBody(std::uint8_t id, std::size_t bodyLength);
  // A text body ended by its checksum; idle settles one that waits for its end.
  bool TakeTextBody(std::uint8_t id, bool idle);
  // Queues the frame of the header, bodyLength bytes of body, the checksum and "<E>", and
  // consumes it.
  void Emit(std::uint8_t id, std::size_t bodyLength, bool checksumOk);
  void SkipJunk(std::size_t n);
  // The junk skipped since the last frame taken.
  std::size_t TakeJunkCount();
  // Drops bytes from the front; the text-body search starts again on what follows.
  void Consume(std::size_t n);

  std::string m_buffer;
  std::vector<ReceivedFrame> m_ready;
  std::size_t m_readyFront = 0;
  std::size_t m_junk = 0;
  std::size_t m_junkAtLastFrame = 0;
  // The search of a text body at the front of the buffer: where the next look for "<E>"
  // starts, the first "<E>" seen (0 for none), and the XOR of the body up to m_xorEnd.
  std::size_t m_scanFrom = 0;
  std::size_t m_firstEnd = 0;
  std::size_t m_xorEnd = 0;
  std::uint8_t m_xor = 0;
};

// The length of a binary body taken by length ("<G" letter digit ">" + 64, "<F" letter hex hex
// ">" + 8), judged from its first bytes; 0 for a text body, and nothing while too few bytes
// are there to tell.
std::optional<std::size_t> BinaryBodyLength(std::string_view bodyStart);

}  // namespace tavrin::vsign

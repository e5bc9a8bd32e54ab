#include "tools/virtual-sign/frame_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace std::string_literals;

#include "signlink/sign_frame.h"

namespace tavrin::vsign {
namespace {

std::vector<ReceivedFrame> ReadAll(FrameReader& reader) {
  std::vector<ReceivedFrame> frames;
  while (auto f = reader.Next()) frames.push_back(std::move(*f));
  return frames;
}

// A graphic block whose data holds "<E>" and a valid-looking checksum in the middle.
std::string TrickyBlock() {
  std::string data = "<E>" + std::string("00<E>") + std::string(56, '\0');
  return "<GA1>" + data;
}

TEST(FrameReaderTest, CutsFramesWhateverTheChunks) {
  const std::string block = TrickyBlock();
  const std::string character = std::string("<FA01>") + "<E>\x3C\x3E\0\0\0"s;
  const std::string stream = "junk" + SignFrame(1, "<BE>") + SignFrame(1, block) +
                             SignFrame(0x0A, character) + "\r\n" + SetIdFrame(0x2A) +
                             SignFrame(1, "<L1><PA><FE><MA><WC><FE>a<E>b") + SignFrame(1, "<BF>");
  for (const std::size_t chunk : {std::size_t{1}, std::size_t{3}, std::size_t{7}, stream.size()}) {
    FrameReader reader;
    std::vector<ReceivedFrame> frames;
    for (std::size_t i = 0; i < stream.size(); i += chunk) {
      reader.Feed(std::string_view(stream).substr(i, chunk));
      for (auto& f : ReadAll(reader)) frames.push_back(std::move(f));
    }
    ASSERT_EQ(frames.size(), 6u) << chunk;
    EXPECT_EQ(frames[0].body, "<BE>");
    EXPECT_EQ(frames[1].body, block);
    EXPECT_EQ(frames[2].id, 0x0A);
    EXPECT_EQ(frames[2].body, character);
    EXPECT_EQ(frames[3].kind, ReceivedFrame::Kind::SetId);
    EXPECT_EQ(frames[3].id, 0x2A);
    EXPECT_EQ(frames[4].body, "<L1><PA><FE><MA><WC><FE>a<E>b");
    EXPECT_EQ(frames[5].raw, SignFrame(1, "<BF>"));
    for (const auto& f : frames) EXPECT_TRUE(f.checksumOk);
    EXPECT_EQ(reader.JunkBytes(), 6u) << chunk;  // "junk" and the CR LF
    // Each frame knows what was skipped just before it.
    std::vector<std::size_t> junk;
    junk.reserve(frames.size());
    for (const auto& f : frames) junk.push_back(f.junkBefore);
    EXPECT_EQ(junk, (std::vector<std::size_t>{4, 0, 0, 2, 0, 0})) << chunk;
    EXPECT_EQ(reader.Buffered(), 0u);
  }
}

TEST(FrameReaderTest, ABadChecksumSettlesWhenTheLineFallsQuiet) {
  FrameReader reader;
  reader.Feed("<ID01><RPA>00<E>");
  EXPECT_TRUE(ReadAll(reader).empty());  // the end might still come
  reader.Idle();
  const auto frames = ReadAll(reader);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_FALSE(frames[0].checksumOk);
  EXPECT_EQ(frames[0].body, "<RPA>");

  // Binary frames are judged at once.
  std::string block = SignFrame(1, TrickyBlock());
  block[block.size() - 4] ^= 1;
  reader.Feed(block);
  const auto bad = ReadAll(reader);
  ASSERT_EQ(bad.size(), 1u);
  EXPECT_FALSE(bad[0].checksumOk);
}

TEST(FrameReaderTest, MalformedStartsAreJunk) {
  FrameReader reader;
  reader.Feed("<ID0a><BB>02<E><ID><2X><E><IDZZ>" + SignFrame(2, "<BB>"));
  const auto frames = ReadAll(reader);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].id, 2);
  EXPECT_GT(reader.JunkBytes(), 20u);

  // A frame that never ends is dropped when the next one has begun and the line is quiet.
  reader.Feed("<ID01><L1><PA>no end" + SignFrame(1, "<D*>").substr(0, 8));
  reader.Feed(SignFrame(1, "<D*>").substr(8));
  reader.Idle();
  const auto after = ReadAll(reader);
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].body, "<D*>");
}

TEST(FrameReaderTest, MemoryStaysBounded) {
  FrameReader reader;
  std::string chunk(64 * 1024, 'x');
  for (int i = 0; i < 16; ++i) reader.Feed(chunk);  // a megabyte without a frame start
  EXPECT_LE(reader.Buffered(), 2u);
  // A 10 MB body, with ends whose checksums never match.
  reader.Feed("<ID01><L1>");
  std::string body;
  for (int i = 0; i < 1000; ++i) body += "abc<E>";
  for (int i = 0; i < 1700; ++i) {
    reader.Feed(body);
    ASSERT_LE(reader.Buffered(), FrameReader::kMaxFrameBytes + body.size());
  }
  reader.Idle();
  ReadAll(reader);
  reader.Feed(SignFrame(1, "<BB>"));
  reader.Idle();
  const auto frames = ReadAll(reader);
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames.back().body, "<BB>");
}

TEST(FrameReaderTest, RandomBytesNeverStopIt) {
  std::mt19937 random(7);
  FrameReader reader;
  std::string noise;
  for (int i = 0; i < 200000; ++i) {
    const char alphabet[] = "<ID01>E<GA1F*0123456789ABCDEF\0\xFF";
    noise += alphabet[random() % (sizeof alphabet - 1)];
  }
  reader.Feed(noise);
  reader.Idle();
  ReadAll(reader);
  EXPECT_LE(reader.Buffered(), FrameReader::kMaxFrameBytes + 1);
  reader.Feed(std::string(100, '>') + SignFrame(1, "<RPC>"));
  reader.Idle();
  const auto frames = ReadAll(reader);
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames.back().body, "<RPC>");
}

}  // namespace
}  // namespace tavrin::vsign

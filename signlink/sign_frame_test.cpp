#include "signlink/sign_frame.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

struct FrameRow {
  int id;
  std::string body;
  std::string frame;
};

TEST(SignFrameTest, WrapsBodiesAsTheSignExpects) {
  const FrameRow rows[] = {
      {1, "<BB>", "<ID01><BB>02<E>"},   {1, "<RPA>", "<ID01><RPA>41<E>"},
      {1, "<D*>", "<ID01><D*>6C<E>"},   {10, "<BB>", "<ID0A><BB>02<E>"},
      {255, "<BB>", "<IDFF><BB>02<E>"}, {0, "", "<ID00>00<E>"},
  };
  for (const FrameRow& row : rows) {
    EXPECT_EQ(SignFrame(static_cast<std::uint8_t>(row.id), row.body), row.frame) << row.body;
  }
  EXPECT_EQ(SignFrame(1, "<BB>").size(), 15u);
}

TEST(SignFrameTest, BinaryBodiesTravelUnescapedAndOnlyTheBodyIsSummed) {
  const std::string body = std::string("<GA1>") + '\0' + "<E>" + '\xFF';
  const std::string frame = SignFrame(0x42, body);
  EXPECT_EQ(frame.substr(0, 6), "<ID42>");
  EXPECT_EQ(frame.substr(6, body.size()), body);
  std::uint8_t sum = 0;
  for (const char c : body) sum ^= static_cast<std::uint8_t>(c);
  EXPECT_EQ(FrameChecksum(body), sum);
  EXPECT_EQ(FrameChecksum(""), 0);
}

TEST(SignFrameTest, SetIdFrameAndItsEcho) {
  EXPECT_EQ(SetIdFrame(0x2A), "<ID><2A><E>");
  EXPECT_EQ(SetIdFrame(0x10), "<ID><10><E>");
  EXPECT_TRUE(SetIdEchoAccepted(0x2A, '2', 'A'));
  EXPECT_FALSE(SetIdEchoAccepted(0x2A, 'A', '2'));
  EXPECT_FALSE(SetIdEchoAccepted(0x2A, '2', 'a'));
  EXPECT_TRUE(SetIdEchoAccepted(0x10, '1', '0'));
  EXPECT_FALSE(SetIdEchoAccepted(0x10, '0', '1'));
  EXPECT_FALSE(SetIdEchoAccepted(0x10, '1', 0));
}

TEST(SignFrameTest, ReplyJudgement) {
  using Buffer = std::array<std::uint8_t, 4>;
  EXPECT_TRUE(ReplyAccepted(Buffer{'A', 'C', 'K', 0}));
  EXPECT_FALSE(ReplyAccepted(Buffer{'N', 'A', 'C', 'K'}));
  EXPECT_FALSE(ReplyAccepted(Buffer{'A', 'C', 0, 0}));  // partial reply, third read timed out
  EXPECT_FALSE(ReplyAccepted(Buffer{'A', 'C', 'X', 0}));
  EXPECT_FALSE(ReplyAccepted(Buffer{0, 0, 0, 0}));  // silence
  EXPECT_FALSE(ReplyAccepted(Buffer{0, 'C', 'K', 0}));
  EXPECT_FALSE(ReplyAccepted(Buffer{'a', 'c', 'k', 0}));
  EXPECT_TRUE(ReplyNeedsFourthRead('N'));
  EXPECT_FALSE(ReplyNeedsFourthRead('A'));
  EXPECT_FALSE(ReplyNeedsFourthRead('n'));
}

}  // namespace
}  // namespace tavrin

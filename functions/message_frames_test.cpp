#include "functions/message_frames.h"

#include <gtest/gtest.h>

#include "signlink/sign_frame.h"
#include "tests/support/scratch_folder.h"

namespace tavrin {
namespace {

using testing::ScratchFolder;

GraphicRows Filled(int rows, int width, char cell = '@') {
  return GraphicRows(static_cast<std::size_t>(rows),
                     std::string(static_cast<std::size_t>(width), cell));
}

class MessageFramesTest : public ::testing::Test {
 protected:
  std::string Frame(std::string_view line, char page = 'A', std::uint8_t id = 1) {
    Result<MessageFrame> f = BuildMessageFrame(m_compiler, line, 0, page, id);
    EXPECT_TRUE(f) << f.ErrorText();
    return f ? f->frame : std::string();
  }
  // The body of a frame: between "<IDnn>" and the checksum.
  static std::string Body(const std::string& frame) { return frame.substr(6, frame.size() - 11); }

  ScratchFolder m_home;
  GraphicFolder m_graphics{m_home.Path()};
  MessageCompiler m_compiler{m_graphics};
};

TEST_F(MessageFramesTest, TheHelloFrame) {
  EXPECT_EQ(Frame("Hello"), "<ID01><L1><PA><FE><MA><WC><FE>Hello36<E>");
}

TEST_F(MessageFramesTest, EmptyLineSendsABlankWithDefaults) {
  EXPECT_EQ(Body(Frame("")), "<L1><PA><FE><MA><WC><FE> ");
}

TEST(ModeSpeedLetterTest, TheWholeTable) {
  const char* rows[] = {"qrstu", "abcde", "QRSTU", "ABCDE"};
  const char* modes[] = {"<MA>", "<MB>", "<MC>", "<MD>", "<ME>"};
  for (int speed = 0; speed < 4; ++speed) {
    for (int mode = 0; mode < 5; ++mode) {
      EXPECT_EQ(ModeSpeedLetter(modes[mode], std::string(1, static_cast<char>('0' + speed))),
                rows[speed][mode]);
    }
  }
  EXPECT_EQ(ModeSpeedLetter("<MZ>", "3"), 'A');
}

TEST_F(MessageFramesTest, FieldsInTheirPlaces) {
  struct Row {
    const char* line;
    const char* body;
  } rows[] = {
      {"<Blinking><Speed 0>x", "<L1><PC><FE><Mr><WC><FE>x"},
      {"<Song 3><Speed 2>x", "<L1><PC><FE><MU><WC><FE>x"},
      {"<curtain up>x", "<L1><PC><Fc><MA><WC><Fe>x"},
      {"<Immediate><xopen>x", "<L1><PC><FA><MA><WC><FB>x"},
      {"<immediate><Xopen>x", "<L1><PC><Fa><MA><WC><Fb>x"},
      {"<Hello World>x<10Sec>", "<L1><PC><FQ><MA><WK><FE>x"},
      {"a\r\nb\nc\rd", "<L1><PC><FE><MA><WC><FE>abcd"},
      {"\r\n", "<L1><PC><FE><MA><WC><FE>"},
  };
  for (const Row& row : rows) EXPECT_EQ(Body(Frame(row.line, 'C')), row.body) << row.line;
  // The checksum covers the body without its line breaks.
  const std::string frame = Frame("a\r\nb", 'Z', 0x0A);
  EXPECT_EQ(frame, SignFrame(0x0A, "<L1><PZ><FE><MA><WC><FE>ab"));
}

TEST(PackPixelsTest, TwoBitsAPixel) {
  using Bytes = std::array<std::uint8_t, 2>;
  EXPECT_EQ(PackPixels("AAAA@@@@"), (Bytes{0xAA, 0x00}));
  EXPECT_EQ(PackPixels("DDDDEEEE"), (Bytes{0x55, 0xFF}));
  EXPECT_EQ(PackPixels("ADE@ADE@"), (Bytes{0x9C, 0x9C}));
  EXPECT_EQ(PackPixels("BaZ?e.d "), (Bytes{0x00, 0x00}));
}

TEST(GraphicBlockFrameTest, SevenRowsSendAnOffEighthRow) {
  GraphicRows rows = Filled(7, 32);
  rows[0] = std::string(32, 'A');
  const std::string frame = BuildGraphicBlockFrame('A', 1, 1, rows, 7);
  std::string data;
  for (int group = 0; group < 4; ++group) data += std::string("\xAA\xAA") + std::string(14, '\0');
  EXPECT_EQ(frame, "<ID01><GA1>" + data + "35<E>");
}

TEST(GraphicBlockFrameTest, BlocksTakeTheirRowsAndColumns) {
  // Every cell tells its own block: row band and column block.
  GraphicRows rows = Filled(16, 128);
  for (int r = 0; r < 16; ++r) {
    for (int c = 0; c < 128; ++c) {
      rows[r][c] = (c / 32 == 2 && r >= 8) ? 'E' : ((c % 8 == 0 && r % 8 == 3) ? 'D' : '@');
    }
  }
  const std::string block7 = BuildGraphicBlockFrame('C', 7, 1, rows, 16);
  EXPECT_EQ(block7.substr(6, 5), "<GC7>");
  EXPECT_EQ(block7.substr(11, 64), std::string(64, '\xFF'));
  const std::string block2 = BuildGraphicBlockFrame('C', 2, 1, rows, 16);
  // In each column group, row 4's first pixel is green: byte 0x40 at position 2 * 3.
  for (int group = 0; group < 4; ++group) {
    const std::string data = block2.substr(11 + 16 * group, 16);
    EXPECT_EQ(data, std::string(6, '\0') + "\x40" + std::string(9, '\0')) << group;
  }
}

TEST(GraphicTransferTest, PaddingAndBlockChoice) {
  struct Row {
    int rows, width;
    std::vector<int> blocks;
  } table[] = {
      {7, 32, {1}},           {8, 64, {1, 2}},        {7, 96, {1, 2, 3}},
      {8, 120, {1, 2, 3, 4}}, {7, 128, {1, 2, 3, 4}}, {16, 64, {1, 2, 5, 6}},
      {16, 33, {1, 2, 5, 6}}, {20, 32, {1, 5}},
  };
  for (const Row& row : table) {
    Result<GraphicTransfer> t = PlanGraphicTransfer("G01", Filled(row.rows, row.width, 'A'));
    ASSERT_TRUE(t) << t.ErrorText();
    EXPECT_EQ(t->blocks, row.blocks) << row.rows << "x" << row.width;
  }
  // Columns 121 to 128 of a 120-column graphic go out as off.
  Result<GraphicTransfer> t = PlanGraphicTransfer("G01", Filled(8, 120, 'A'));
  EXPECT_EQ(t->rows[0], std::string(120, 'A') + std::string(8, '@'));
  const std::string block4 = BuildGraphicBlockFrame('A', 4, 1, t->rows, 8);
  EXPECT_EQ(block4.substr(11, 48), std::string(48, '\xAA'));
  EXPECT_EQ(block4.substr(59, 16), std::string(16, '\0'));
}

TEST(GraphicTransferTest, RefusesWhatCannotBeSent) {
  struct Row {
    GraphicRows rows;
    const char* words;
  } table[] = {
      {{}, "no rows"},
      {Filled(7, 0), "no columns"},
      {Filled(7, 129), "129 columns"},
      {Filled(6, 32), "6 rows"},
      {Filled(12, 32), "12 rows"},
      {{std::string(64, '@'), std::string(40, '@'), std::string(64, '@'), std::string(64, '@'),
        std::string(64, '@'), std::string(64, '@'), std::string(64, '@')},
       "row 2"},
  };
  for (const Row& row : table) {
    Result<GraphicTransfer> t = PlanGraphicTransfer("G09", row.rows);
    ASSERT_FALSE(t) << row.words;
    EXPECT_NE(t.ErrorText().find("G09"), std::string::npos) << t.ErrorText();
    EXPECT_NE(t.ErrorText().find(row.words), std::string::npos) << t.ErrorText();
  }
  // A short row of a graphic whose width is padded anyway is padded with it.
  GraphicRows ragged = Filled(7, 40);
  ragged[3].resize(10);
  EXPECT_TRUE(PlanGraphicTransfer("G09", ragged));
}

TEST_F(MessageFramesTest, PlanSendOrdersEverything) {
  ASSERT_TRUE(m_graphics.Write("G02", Filled(16, 64, 'D')));
  ASSERT_TRUE(m_graphics.Write("G10", Filled(7, 32, 'A')));
  Result<SendPlan> plan = PlanSend(m_graphics, "<Pic:G10>x<Pic:G02>", 'B', 0x0A);
  ASSERT_TRUE(plan) << plan.ErrorText();
  const std::vector<std::string> frames = plan->AllFrames();
  ASSERT_EQ(frames.size(), 2u + 4 + 1 + 1);
  EXPECT_EQ(frames[0], "<ID0A><BE>05<E>");
  EXPECT_EQ(Body(frames[1]), "<L1><PB><FE><MA><WC><FE><GJ1>x<GB1><GB2>");
  const char* headers[] = {"<GB1>", "<GB2>", "<GB5>", "<GB6>", "<GJ1>"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(frames[2 + i].substr(6, 5), headers[i]);
  EXPECT_EQ(frames.back(), "<ID0A><BF>06<E>");
  ASSERT_EQ(plan->graphics.size(), 2u);
  EXPECT_EQ(plan->graphics[0].name, "G02");
}

TEST_F(MessageFramesTest, PlanSendStopsOnBadGraphics) {
  Result<SendPlan> missing = PlanSend(m_graphics, "<Pic:G04>", 'A', 1);
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.ErrorText().find("G04.txt"), std::string::npos);
  ASSERT_TRUE(m_graphics.Write("G04", Filled(7, 200)));
  Result<SendPlan> wide = PlanSend(m_graphics, "<Pic:G04>", 'A', 1);
  ASSERT_FALSE(wide);
  EXPECT_NE(wide.ErrorText().find("200 columns"), std::string::npos);
}

}  // namespace
}  // namespace tavrin

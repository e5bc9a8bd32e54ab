#include "editor/message_compiler.h"

#include <gtest/gtest.h>

#include <map>

namespace tavrin {
namespace {

// Graphic sizes from memory; a name not in the map has no file.
class FakeGraphics : public GraphicSource {
 public:
  std::map<std::string, GraphicDims> dims;
  int reads = 0;

  Result<GraphicDims> Dims(const std::string& name) override {
    ++reads;
    const auto it = dims.find(name);
    if (it == dims.end()) return Error{"Cannot open Graphdata/" + name + ".txt"};
    return it->second;
  }
};

class MessageCompilerTest : public ::testing::Test {
 protected:
  CompileResult Compile(std::string_view text, int line = 1) {
    Result<CompileResult> r = m_compiler.Compile(text, line);
    EXPECT_TRUE(r) << r.ErrorText();
    return r ? *r : CompileResult{};
  }

  FakeGraphics m_graphics;
  MessageCompiler m_compiler{m_graphics};
};

TEST_F(MessageCompilerTest, TheWorkedLine) {
  const CompileResult r = Compile("<Curtain Up>Hello<scroll down><Red>Hi<Speed 2><Normal>");
  EXPECT_EQ(r.text, "Hello<CA>Hi");
  EXPECT_EQ(r.entryEffect, "<FC>");
  EXPECT_EQ(r.exitEffect, "<Fj>");
  EXPECT_EQ(r.modeCode, "<MA>");
  EXPECT_EQ(r.speedDigit, "2");
  EXPECT_EQ(r.waitCode, "");
}

struct TextRow {
  const char* source;
  const char* text;
  const char* entry = "";
  const char* exit = "";
  const char* mode = "";
  const char* wait = "";
  const char* speed = "";
};

TEST_F(MessageCompilerTest, TagRules) {
  const TextRow rows[] = {
      {"", ""},
      {"a>b", "a>b"},
      {"<Re<Red>", "<Re<CA>"},
      {"<Red", "<Red"},
      {"<Scroll Left>x", "<Scroll Left>x"},
      {"<Scoll Left>x", "x", "<FE>"},
      {"<hello world>", "<hello world>"},
      {"<Hello World>", "", "<FQ>"},
      {"<Immediate><Xopen><Snow>z", "z", "<FA>", "<FB>"},
      {"<immediate><XOPEN>", "<XOPEN>", "<Fa>"},
      {"<Speed 1>x<Speed 3>", "x", "", "", "", "", "3"},
      {"<Speed 4>", "<Speed 4>"},
      {"<2Sec><5Sec>", "", "", "", "", "<WC>"},
      {"<25Sec><26Sec><0Sec>", "<26Sec><0Sec>", "", "", "", "<WZ>"},
      {"<Blinking><Song 3>", "", "", "", "<MB>"},
      {"<COL 016>", "<N10>"},
      {"<COL 010>x<COL 256>", "<N0A>x<COL 256>"},
      {"<U41><Font5x7>", "<U41><AA>"},
      {"line\r\nbreak", "line\r\nbreak"},
      {"<<Red>>", "<<CA>>"},
  };
  for (const TextRow& row : rows) {
    const CompileResult r = Compile(row.source);
    EXPECT_EQ(r.text, row.text) << row.source;
    EXPECT_EQ(r.entryEffect, row.entry) << row.source;
    EXPECT_EQ(r.exitEffect, row.exit) << row.source;
    EXPECT_EQ(r.modeCode, row.mode) << row.source;
    EXPECT_EQ(r.waitCode, row.wait) << row.source;
    EXPECT_EQ(r.speedDigit, row.speed) << row.source;
  }
}

TEST_F(MessageCompilerTest, GraphicTagsBecomeBlockTags) {
  m_graphics.dims = {{"G03", {7, 64}}, {"G16", {8, 120}}, {"Gxy", {7, 32}}};
  CompileResult r = Compile("a<Pic:G03>b<pic:G03><Pic:G16>");
  EXPECT_EQ(r.text, "a<GC1><GC2>b<pic:G03><GP1><GP2><GP3><GP4>");
  for (int n = 1; n <= 16; ++n) EXPECT_EQ(r.graphicsShown[n - 1], n == 3 || n == 16) << n;

  // A name outside G01-G16 is looked up but shows no graphic; its number falls back to 1.
  r = Compile("<Pic:Gxy>");
  EXPECT_EQ(r.text, "<GA1>");
  for (const bool shown : r.graphicsShown) EXPECT_FALSE(shown);
}

TEST_F(MessageCompilerTest, AMissingGraphicEndsTheCompile) {
  Result<CompileResult> r = m_compiler.Compile("x<Pic:G05>y", 1);
  ASSERT_FALSE(r);
  EXPECT_NE(r.ErrorText().find("G05.txt"), std::string::npos);
}

TEST_F(MessageCompilerTest, ResultsDoNotCarryOverBetweenCompiles) {
  m_graphics.dims = {{"G01", {7, 32}}};
  Compile("<Hold><Blinking><3Sec><Speed 0><Pic:G01>");
  const CompileResult r = Compile("plain");
  EXPECT_EQ(r.text, "plain");
  EXPECT_EQ(r.entryEffect + r.modeCode + r.waitCode + r.speedDigit, "");
  EXPECT_FALSE(r.graphicsShown[0]);
}

TEST_F(MessageCompilerTest, TallGraphicsAreRecordedAtTheirLine1Column) {
  m_graphics.dims = {{"G01", {16, 32}}, {"G02", {8, 32}}, {"G04", {9, 64}}};
  // "ab" counts 2; the byte after a removed tag is not counted ("c"); "<Red>" keeps counting.
  Compile("ab<Pic:G01><Hold>cd<Red>e<Pic:G02><Pic:G04>");
  const TallGraphicRecord& tall = m_compiler.Tall();
  ASSERT_EQ(tall.entries.size(), 2u);
  EXPECT_EQ(tall.entries[0].column, 3);
  EXPECT_EQ(tall.entries[0].name, "G01");
  EXPECT_EQ(tall.entries[1].column, 5);
  EXPECT_EQ(tall.entries[1].name, "G04");
  EXPECT_EQ(tall.line1Columns, 4);

  // The record outlives the compile: the next Line 1 compile goes on counting.
  Compile("xy<Pic:G01>");
  ASSERT_EQ(tall.entries.size(), 3u);
  EXPECT_EQ(tall.entries[2].column, 7);
}

TEST_F(MessageCompilerTest, AbandonedFragmentsCountAtEverySecondOpener) {
  // "<ab" is abandoned at the second "<": 3 columns. "<cd" at the third "<" adds nothing.
  m_graphics.dims = {{"G01", {16, 32}}};
  Compile("<ab<cd<Pic:G01>");
  EXPECT_EQ(m_compiler.Tall().entries.at(0).column, 4);
}

TEST_F(MessageCompilerTest, TheTallRecordHoldsTwentyEntries) {
  m_graphics.dims = {{"G01", {16, 32}}};
  std::string line;
  for (int i = 0; i < 25; ++i) line += "x<Pic:G01>";
  const CompileResult r = Compile(line);
  EXPECT_EQ(m_compiler.Tall().entries.size(), TallGraphicRecord::kCapacity);
  EXPECT_EQ(m_compiler.Tall().entries.back().column, 21);
  EXPECT_NE(r.text.find("x<GA1>"), std::string::npos);
}

TEST_F(MessageCompilerTest, Line2PutsLowerHalvesUnderTheirColumns) {
  m_graphics.dims = {{"G01", {16, 64}}, {"G03", {16, 32}}};
  Compile("ab<Pic:G01>");
  EXPECT_EQ(m_compiler.Tall().entries.at(0).column, 3);
  const int line1Columns = m_compiler.Tall().line1Columns;

  // Line 2 counts from 0 on its own; the lower half goes before its third byte of text.
  CompileResult r = Compile("12<Red>34", 2);
  EXPECT_EQ(r.text, "12<CA><GA5><GA6>34");
  // A tall graphic placed in Line 2 itself shows its lower half and is not recorded.
  r = Compile("<Pic:G03>", 2);
  EXPECT_EQ(r.text, "<GC5>");
  EXPECT_EQ(m_compiler.Tall().entries.size(), 1u);
  EXPECT_EQ(m_compiler.Tall().line1Columns, line1Columns);

  m_compiler.Tall().Clear();
  EXPECT_EQ(Compile("1234", 2).text, "1234");
}

}  // namespace
}  // namespace tavrin

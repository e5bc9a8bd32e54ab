#include "fonts/user_font.h"

#include <gtest/gtest.h>

#include "fonts/font_maker.h"
#include "tests/support/scratch_folder.h"

namespace tavrin {
namespace {

using testing::ScratchFolder;

std::string Count(std::int32_t n) {
  std::string s;
  for (int i = 0; i < 4; ++i)
    s += static_cast<char>((static_cast<std::uint32_t>(n) >> (8 * i)) & 0xFF);
  return s;
}

std::string RecordBytes(const UserFontRecord& r) {
  return std::string(reinterpret_cast<const char*>(r.bytes.data()), r.bytes.size());
}

// The capital A of the Part: rows 01110, 10001, 10001, 11111, 10001, 10001, 10001.
UserFontRecord GlyphA() {
  const char* rows[] = {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"};
  UserFontRecord r;
  r.bytes[0] = 'U';
  r.bytes[1] = '4';
  r.bytes[2] = '1';
  r.bytes[3] = 'A';
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 5; ++x) r.SetDot(x, y, 5, rows[y][x] == '#');
  }
  return r;
}

TEST(UserFontTest, TheRecordsBitsAndTexts) {
  const UserFontRecord a = GlyphA();
  const std::uint8_t expected[] = {0x70, 0x88, 0x88, 0xF8, 0x88, 0x88, 0x88};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(a.bytes[4 + i], expected[i]) << i;
  for (std::size_t i = 11; i < 52; ++i) EXPECT_EQ(a.bytes[i], 0) << i;
  EXPECT_EQ(EntryTextOf(a), "U41-5x7");
  EXPECT_TRUE(a.Dot(0, 3, 5));
  EXPECT_FALSE(a.Dot(0, 0, 5));

  // Wide characters take two bytes a row; nothing outside the 48 dot bytes is touched.
  UserFontRecord wide;
  wide.SetDot(9, 0, 12, true);
  EXPECT_EQ(wide.bytes[5], 0x40);
  wide.SetDot(0, 23, 16, true);
  EXPECT_EQ(wide.bytes[4 + 46], 0x80);
  wide.SetDot(0, 24, 16, true);  // beyond the record
  wide.SetDot(-1, 0, 5, true);
  wide.SetDot(6, 0, 5, true);  // beyond the width
  EXPECT_FALSE(wide.Dot(0, 99, 8));
  EXPECT_EQ(EntryTextOf(UserFontRecord{}), "-");
  UserFontRecord unknown;
  unknown.bytes[0] = 'Z';
  unknown.bytes[3] = 'Q';
  EXPECT_EQ(EntryTextOf(unknown), "Z-");
}

TEST(UserFontTest, FilesByteForByte) {
  FontList empty;
  const std::string emptyFile = FontFileBytes(empty);
  EXPECT_EQ(emptyFile, std::string(kFontMagic) + Count(0));
  EXPECT_EQ(emptyFile.size(), 21u);
  ASSERT_TRUE(ParseFontFile(emptyFile));
  EXPECT_EQ(ParseFontFile(emptyFile)->Size(), 0u);

  FontList two;
  ASSERT_TRUE(two.Add(0x41, "5x7"));
  ASSERT_TRUE(two.Add(0x40, "4x7"));
  two.At(1).record = GlyphA();
  UserFontRecord u40;
  u40.bytes = {'U', '4', '0', 'C'};
  two.At(0).record = u40;
  EXPECT_EQ(FontFileBytes(two),
            std::string(kFontMagic) + Count(2) + RecordBytes(u40) + RecordBytes(GlyphA()));

  // Reopening reproduces every record; an all-zero record comes back as "-".
  ASSERT_TRUE(two.Add(0x7F, "6x7"));
  const Result<FontList> back = ParseFontFile(FontFileBytes(two));
  ASSERT_TRUE(back);
  ASSERT_EQ(back->Size(), 3u);
  EXPECT_EQ(back->At(0).text, "-");
  EXPECT_EQ(back->At(1).text, "U40-4x7");
  EXPECT_EQ(back->At(2).text, "U41-5x7");
  EXPECT_EQ(back->At(2).record, GlyphA());
}

TEST(UserFontTest, BadFilesAndCounts) {
  const std::string a = RecordBytes(GlyphA());
  struct Row {
    std::string bytes;
    bool ok;
    std::size_t entries;
  } rows[] = {
      {"", false, 0},
      {"LEDFONTModal5820", false, 0},                  // shorter than the magic
      {"ledfontmodal58204" + Count(1) + a, false, 0},  // case differs
      {std::string(kFontMagic), true, 0},              // no count
      {std::string(kFontMagic) + Count(-1) + a, true, 0},
      {std::string(kFontMagic) + Count(0) + a, true, 0},
      {std::string(kFontMagic) + Count(0x7FFFFFFF) + a + a, true, 2},            // stops at the end
      {std::string(kFontMagic) + Count(3) + a + a.substr(0, 30), true, 1},       // a cut record
      {std::string(kFontMagic) + Count(2) + std::string(104, '\xFF'), true, 2},  // junk as is
  };
  for (const Row& row : rows) {
    const Result<FontList> list = ParseFontFile(row.bytes);
    EXPECT_EQ(list.Ok(), row.ok) << row.bytes.size();
    if (list) {
      EXPECT_EQ(list->Size(), row.entries) << row.bytes.size();
    } else {
      EXPECT_EQ(list.ErrorText(), " This font file is not for LED Display Modal58204");
    }
  }

  ScratchFolder dir;
  EXPECT_EQ(ReadFontFile(dir / "missing.fon").ErrorText(), kNotAFontFileText);
  dir.Put("big.fon",
          std::string(kFontMagic) + Count(0x7FFFFFFF) + std::string(2 * 1024 * 1024, 'x'));
  const Result<FontList> big = ReadFontFile(dir / "big.fon");
  EXPECT_FALSE(big);
  EXPECT_NE(big.ErrorText().find("too large"), std::string::npos);

  FontList list;
  ASSERT_TRUE(list.Add(0x50, "6x7"));
  ASSERT_TRUE(WriteFontFile(dir / "one.fon", list));
  EXPECT_EQ(ReadFontFile(dir / "one.fon")->At(0).text, "-");  // never drawn: all zero
  dir.Put("a-file", "x");
  EXPECT_FALSE(WriteFontFile(dir / "a-file" / "x.fon", list));
}

TEST(FontMakerTest, AddSortsAndRefusesRepeats) {
  FontMaker m;
  ASSERT_TRUE(m.Add(0x40, "5x7"));
  ASSERT_TRUE(m.Add(0x40, "4x7"));
  EXPECT_EQ(m.Add(0x40, "4x7").ErrorText(), "    This Char and the same Font Size Exists    ");
  ASSERT_TRUE(m.Add(0x3F + 1, "6x7"));
  EXPECT_EQ(m.List().At(0).text, "U40-4x7");
  EXPECT_EQ(m.List().At(1).text, "U40-5x7");
  EXPECT_EQ(m.List().At(2).text, "U40-6x7");
  EXPECT_TRUE(m.List().At(0).record.AllZero());
}

TEST(FontMakerTest, DrawingTogglesCellsAndTheRecordFollows) {
  FontMaker m;
  ASSERT_TRUE(m.Add(0x41, "5x7"));
  // Before a character is chosen every press is ignored.
  EXPECT_FALSE(m.Press(128, 100));
  m.Choose(0);
  const FontGridGeometry g = m.Geometry();
  EXPECT_EQ(g.X0(), 91);
  EXPECT_EQ(g.Y0(), 48);
  // Press, then drag back and forth in the same cell: toggled once.
  ASSERT_TRUE(m.Press(g.X0() + 2, g.Y0() + 2));
  EXPECT_FALSE(m.Drag(g.X0() + 5, g.Y0() + 5));
  EXPECT_FALSE(m.Drag(g.X0() + 2, g.Y0() + 9));
  EXPECT_TRUE(m.Lit(0, 0));
  // Dragging across cells lights each newly entered one; across lit dots it puts them out.
  for (int c = 1; c < 5; ++c) m.Drag(g.X0() + c * 15 + 7, g.Y0() + 7);
  m.Drag(g.X0() + 7, g.Y0() + 7);
  EXPECT_FALSE(m.Lit(0, 0));
  // The press stops two pixels short of the grid's far edges; the drag includes the edge.
  const int right = g.X0() + 15 * 5 - 2, bottom = g.Y0() + 15 * 7 - 2;
  EXPECT_FALSE(m.Press(right, g.Y0() + 20));
  EXPECT_FALSE(m.Press(g.X0() + 20, bottom));
  ASSERT_TRUE(m.Press(right - 1, bottom - 1));
  EXPECT_EQ(*m.Drag(right, bottom - 16), (DotCell{4, 5}));
  m.Release();
  const UserFontRecord& r = m.List().At(0).record;
  EXPECT_EQ(r.CodeText(), "U41");
  EXPECT_EQ(r.SizeLetter(), 'A');
  EXPECT_EQ(r.bytes[4], 0x78);  // .####
  EXPECT_EQ(r.bytes[9], 0x08);
  EXPECT_EQ(r.bytes[10], 0x08);

  // Choosing another character and coming back shows the same dots.
  ASSERT_TRUE(m.Add(0x40, "4x7"));
  EXPECT_EQ(*m.Chosen(), 1u);  // the chosen one moved down with the insertion
  m.Choose(0);
  EXPECT_FALSE(m.Lit(1, 0));
  m.Choose(1);
  EXPECT_TRUE(m.Lit(1, 0));

  // "NO" clears the record whole; Delete clears the picture and keeps the geometry.
  m.ClearChosen();
  EXPECT_TRUE(m.List().At(1).record.AllZero());
  EXPECT_FALSE(m.Lit(1, 0));
  m.DeleteChosen();
  EXPECT_EQ(m.List().Size(), 1u);
  EXPECT_FALSE(m.GridShown());
  EXPECT_EQ(m.Geometry().width, 5);
}

TEST(FontMakerTest, ACharacterOfNoSizeTouchesNothing) {
  FontMaker m;
  std::string file = std::string(kFontMagic) + Count(1) + std::string(52, '\0');
  Result<FontList> list = ParseFontFile(file);
  ASSERT_TRUE(list);
  m.ReplaceList(std::move(*list));
  ASSERT_EQ(m.List().At(0).text, "-");
  m.Choose(0);
  EXPECT_FALSE(m.GridShown());
  EXPECT_FALSE(m.Press(128, 100));
  m.Release();
  EXPECT_TRUE(m.List().At(0).record.AllZero());
}

}  // namespace
}  // namespace tavrin

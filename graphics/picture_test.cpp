#include "graphics/picture.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include "graphics/bitmap_qt.h"
#include "graphics/text_render_qt.h"
#include "tests/support/scratch_folder.h"

namespace tavrin {
namespace {

using testing::ScratchFolder;

RgbPicture Solid(int width, int height, DisplayRgb colour) {
  return {width, height, std::vector<DisplayRgb>(static_cast<std::size_t>(width * height), colour)};
}

void Put32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Put16(std::string& s, std::uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}

// A bitmap file's two headers, as the fields say, whatever they say.
std::string BmpHeader(std::int32_t width, std::int32_t height, int bits, std::uint32_t colours,
                      std::uint32_t offset, std::uint32_t fileSize) {
  std::string s = "BM";
  Put32(s, fileSize);
  Put32(s, 0);
  Put32(s, offset);
  Put32(s, 40);
  Put32(s, static_cast<std::uint32_t>(width));
  Put32(s, static_cast<std::uint32_t>(height));
  Put16(s, 1);
  Put16(s, static_cast<std::uint16_t>(bits));
  Put32(s, 0);
  Put32(s, 0);
  Put32(s, 2835);
  Put32(s, 2835);
  Put32(s, colours);
  Put32(s, 0);
  return s;
}

TEST(ColourMappingTest, TheGroupsInTheirOrderAndEveryBoundary) {
  struct Row {
    DisplayRgb colour;
    char cell;
  } rows[] = {
      // The display colours come back as their own letters.
      {{255, 0, 0}, 'A'},
      {{0, 255, 0}, 'D'},
      {{255, 255, 0}, 'E'},
      {{128, 128, 128}, '@'},
      // White, black, grey and blue are off; magenta is red and cyan green.
      {{255, 255, 255}, '@'},
      {{0, 0, 0}, '@'},
      {{192, 192, 192}, '@'},
      {{0, 0, 255}, '@'},
      {{255, 0, 255}, 'A'},
      {{0, 255, 255}, 'D'},
      // Red: R = 255 and G = B <= 224.
      {{255, 224, 224}, 'A'},
      {{255, 225, 225}, '@'},
      // Red: R >= 240 and G <= 176.
      {{240, 176, 255}, 'A'},
      {{239, 176, 255}, '@'},
      {{240, 177, 255}, '@'},
      // Red: R >= 192, G <= 160, B <= 160.
      {{192, 160, 160}, 'A'},
      {{191, 160, 160}, '@'},
      {{192, 161, 160}, '@'},
      {{192, 160, 161}, '@'},
      // Red: R >= 80, G <= 48, B <= 48.
      {{80, 48, 48}, 'A'},
      {{79, 48, 48}, '@'},
      {{80, 49, 48}, '@'},
      {{80, 48, 49}, '@'},
      // Green: G = 255 and R = B <= 224.
      {{224, 255, 224}, 'D'},
      {{225, 255, 225}, '@'},
      // Green: G >= 240 and R <= 176.
      {{176, 240, 255}, 'D'},
      {{176, 239, 255}, '@'},
      {{177, 240, 255}, '@'},
      // Green: G >= 176, R <= 160, B <= 160.
      {{160, 176, 160}, 'D'},
      {{160, 175, 160}, '@'},
      {{161, 176, 160}, '@'},
      {{160, 176, 161}, '@'},
      // Green: G >= 80, R <= 64, B <= 64.
      {{64, 80, 64}, 'D'},
      {{64, 79, 64}, '@'},
      {{65, 80, 64}, '@'},
      {{64, 80, 65}, '@'},
      // Orange: R = G = 255 and B <= 128, after red and green.
      {{255, 255, 128}, 'E'},
      {{255, 255, 129}, '@'},
      {{255, 254, 0}, '@'},
      // Red wins where both groups would hold.
      {{255, 40, 40}, 'A'},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(CellForColour(row.colour), row.cell)
        << row.colour.red << "," << row.colour.green << "," << row.colour.blue;
  }
}

TEST(BitmapTest, ExportThenImportRestoresEveryCell) {
  ScratchFolder dir;
  GraphicEditor drawn;
  const char letters[] = {'@', 'A', 'D', 'E'};
  for (int c = 0; c < 32; ++c) {
    for (int r = 0; r < 7; ++r)
      drawn.Change([&](CellGrid& g) { g.Set(c, r, letters[(c + r) % 4]); });
  }
  ASSERT_TRUE(WriteBitmap(dir / "g.bmp", ExportPicture(drawn)));
  const std::string file = ScratchFolder::Slurp(dir / "g.bmp");
  EXPECT_EQ(file.substr(0, 2), "BM");
  EXPECT_EQ(static_cast<unsigned char>(file[28]), 24);  // bits per pixel
  EXPECT_EQ(file[30], 0);                               // no compression
  EXPECT_EQ(file.size(), 54u + 7 * 96);                 // rows padded to 4 bytes

  Result<RgbPicture> read = ReadBitmap(dir / "g.bmp");
  ASSERT_TRUE(read) << read.ErrorText();
  EXPECT_EQ(read->width, 32);
  EXPECT_EQ(read->height, 7);
  GraphicEditor imported;
  imported.Change([](CellGrid& g) { g.Set(100, 10, 'A'); });
  ImportPicture(imported, *read);
  EXPECT_EQ(imported.Rows(), drawn.Rows());
  EXPECT_EQ(imported.Cells().At(100, 10), '@');  // columns 0 to 127 of rows 0 to 15 cleared
  EXPECT_TRUE(imported.Undo());                  // one undo step
  EXPECT_EQ(imported.Cells().At(100, 10), 'A');
}

TEST(BitmapTest, OnlyTheUpperLeftOfAPictureIsUsed) {
  GraphicEditor e;
  e.SetWidth(64);
  e.SetHeight(8);
  RgbPicture big = Solid(200, 50, {0, 0, 0});
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < 200; ++x) {
      big.pixels[static_cast<std::size_t>(y * 200 + x)] =
          x < 64 && y < 8 ? DisplayRgb{255, 0, 0} : DisplayRgb{0, 255, 0};
    }
  }
  ImportPicture(e, big);
  EXPECT_EQ(e.Rows(), GraphicRows(8, std::string(64, 'A')));
  EXPECT_EQ(e.Cells().At(64, 0), '@');
  EXPECT_EQ(e.Width(), 64);

  GraphicEditor small;
  small.SetColour('E');
  small.FillAll();
  ImportPicture(small, Solid(10, 4, {0, 255, 0}));
  const GraphicRows rows = small.Rows();
  EXPECT_EQ(rows[0], std::string(10, 'D') + std::string(22, '@'));
  EXPECT_EQ(rows[6], std::string(32, '@'));
}

// A 24- or 32-bit uncompressed bitmap of the given rows (top row first), stored bottom-up as
// usual or top-down (a negative height in the header).
std::string RgbBitmap(const std::vector<std::vector<DisplayRgb>>& rows, int bits, bool topDown) {
  const int width = static_cast<int>(rows.front().size());
  const int height = static_cast<int>(rows.size());
  const int stride = (width * bits + 31) / 32 * 4;
  std::string pixels;
  for (int i = 0; i < height; ++i) {
    const auto& row = rows[static_cast<std::size_t>(topDown ? i : height - 1 - i)];
    std::string line;
    for (const DisplayRgb& c : row) {
      line += static_cast<char>(c.blue);
      line += static_cast<char>(c.green);
      line += static_cast<char>(c.red);
      if (bits == 32) line += '\xFF';
    }
    line.resize(static_cast<std::size_t>(stride), '\0');
    pixels += line;
  }
  return BmpHeader(width, topDown ? -height : height, bits, 0, 54,
                   static_cast<std::uint32_t>(54 + pixels.size())) +
         pixels;
}

TEST(BitmapTest, TopDownBitmapsComeInTheRightWayUp) {
  ScratchFolder dir;
  const DisplayRgb red{255, 0, 0}, green{0, 255, 0}, orange{255, 255, 0}, black{0, 0, 0};
  const std::vector<std::vector<DisplayRgb>> rows = {{red, red, red, green, black},
                                                     {green, black, black, black, black},
                                                     {orange, black, red, black, green}};
  const GraphicRows expected = {"AAAD@", "D@@@@", "E@A@D"};
  for (const int bits : {24, 32}) {
    for (const bool topDown : {false, true}) {
      const std::string name =
          std::to_string(bits) + (topDown ? "-top-down.bmp" : "-bottom-up.bmp");
      dir.Put(name, RgbBitmap(rows, bits, topDown));
      const Result<RgbPicture> read = ReadBitmap(dir / name);
      ASSERT_TRUE(read) << read.ErrorText();
      EXPECT_EQ(read->width, 5) << name;
      EXPECT_EQ(read->height, 3) << name;
      GraphicEditor e;
      ImportPicture(e, *read);
      GraphicRows got = e.Rows();
      got.resize(3);
      for (std::string& row : got) row.resize(5);
      EXPECT_EQ(got, expected) << name;
    }
  }
  // A top-down bitmap is checked like any other: one cut off is refused.
  std::string cut = RgbBitmap(rows, 24, true);
  cut.resize(cut.size() - 4);
  dir.Put("cut.bmp", cut);
  EXPECT_NE(ReadBitmap(dir / "cut.bmp").ErrorText().find("cut off"), std::string::npos);
}

TEST(BitmapTest, BadFilesAreRefusedWithTheirName) {
  ScratchFolder dir;
  const std::string pixels(64, '\x11');
  struct Row {
    const char* name;
    std::string bytes;
  } rows[] = {
      {"text.bmp", "this is not a bitmap"},
      {"empty.bmp", ""},
      {"truncated.bmp", BmpHeader(4, 4, 24, 0, 54, 102).substr(0, 20)},
      {"huge.bmp", BmpHeader(30000, 30000, 24, 0, 54, 54 + 64) + pixels},
      {"tall.bmp", BmpHeader(4, -30000, 24, 0, 54, 54 + 64) + pixels},
      {"zero.bmp", BmpHeader(0, 0, 24, 0, 54, 54)},
      {"palette.bmp", BmpHeader(4, 4, 8, 256, 54 + 1024, 54 + 16) + std::string(16, '\x01')},
      {"short.bmp", BmpHeader(64, 64, 24, 0, 54, 54 + 64) + pixels},
      // Sizes whose pixel count does not fit in 64 bits when multiplied out.
      {"vast.bmp", BmpHeader(0x7FFFFFFF, 0x7FFFFFFF, 32, 0, 54, 54 + 64) + pixels},
      {"vast16.bmp", BmpHeader(0x7FFFFFFF, -0x7FFFFFFF, 16, 0, 54, 54 + 64) + pixels},
  };
  for (const Row& row : rows) {
    dir.Put(row.name, row.bytes);
    const Result<RgbPicture> read = ReadBitmap(dir / row.name);
    EXPECT_FALSE(read) << row.name << " read as " << (read ? read->width : 0) << "x"
                       << (read ? read->height : 0);
    EXPECT_NE(read.ErrorText().find(row.name), std::string::npos) << read.ErrorText();
  }
  EXPECT_FALSE(ReadBitmap(dir / "missing.bmp"));

  // A bitmap that cannot be written says why.
  dir.Put("folder-is-a-file", "x");
  const Status written = WriteBitmap(dir / "folder-is-a-file" / "new.bmp", Solid(4, 4, {}));
  EXPECT_FALSE(written);
  EXPECT_NE(written.ErrorText().find("new.bmp"), std::string::npos);
}

TEST(TextBlockTest, CroppingAndItsExceptions) {
  // Two lines at pitch 8: the second starts 8 cells below the first, before cropping.
  ShapeMask lit(320, 70);
  for (int y : {3, 4, 11, 12}) {
    for (int x = 2; x < 6; ++x) lit.SetWhite(x, y);
  }
  TextBlock block = CropRenderedText(lit, 10, 16, 'A');
  EXPECT_EQ(block.columns, 4);
  EXPECT_EQ(block.rows, 10);
  EXPECT_EQ(block.cells.At(0, 0), 'A');
  EXPECT_EQ(block.cells.At(0, 8), 'A');
  EXPECT_EQ(block.cells.At(0, 2), '@');

  // All lit pixels in column 0: not cropped, the block is tw x th.
  ShapeMask column(320, 70);
  for (int y = 3; y < 9; ++y) column.SetWhite(0, y);
  block = CropRenderedText(column, 7, 16, 'D');
  EXPECT_EQ(block.columns, 7);
  EXPECT_EQ(block.rows, 16);
  EXPECT_EQ(block.cells.At(0, 3), 'D');

  // Nothing lit (an empty memo): a block of no size.
  block = CropRenderedText(ShapeMask(320, 70), 0, 0, 'A');
  EXPECT_EQ(block.columns, 0);
  EXPECT_EQ(block.rows, 0);

  // A block never passes 160 x 160.
  ShapeMask wide(1280, 80);
  wide.SetWhite(1, 1);
  wide.SetWhite(1270, 70);
  block = CropRenderedText(wide, 1275, 75, 'A');
  EXPECT_EQ(block.columns, 160);
  EXPECT_EQ(block.rows, 70);

  EXPECT_EQ(TextPitch("8"), 8);
  for (const char* notANumber : {"", "8x", "x", " 8", "1e3", "-"}) {
    EXPECT_EQ(TextPitch(notANumber), 16) << notANumber;
  }
}

TEST(TextBlockTest, RealTextAtPitchEight) {
  const QFont font("Arial", 10);
  const RenderedText text = RenderTextMask({"II", "II"}, font, 8, 320, 70);
  EXPECT_EQ(text.height, 16);
  EXPECT_GT(text.width, 0);
  // The lit rows of the second line are those of the first, 8 lower.
  std::vector<bool> rowLit(70);
  for (int y = 0; y < 70; ++y) {
    for (int x = 0; x < 320; ++x)
      rowLit[static_cast<std::size_t>(y)] = rowLit[y] || text.lit.White(x, y);
  }
  int first = -1;
  for (int y = 0; y < 70 && first < 0; ++y) first = rowLit[y] ? y : -1;
  ASSERT_GE(first, 0);
  EXPECT_TRUE(rowLit[static_cast<std::size_t>(first + 8)]);
  EXPECT_EQ(MemoLines(""), QStringList{});
  EXPECT_EQ(MemoLines("a\nb\n"), (QStringList{"a", "b"}));
  EXPECT_EQ(RenderTextMask({}, font, 16, 320, 70).width, 0);
}

}  // namespace
}  // namespace tavrin

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

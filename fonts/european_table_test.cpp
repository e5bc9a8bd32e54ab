#include "fonts/european_table.h"

#include <gtest/gtest.h>

#include "tests/support/font_records.h"

namespace tavrin {
namespace {

using testing::Character;

const std::vector<std::uint8_t> kA = {0x70, 0x88, 0x88, 0xF8, 0x88, 0x88, 0x88};

TEST(EuropeanTableTest, CellsLabelsAndGlyphs) {
  EXPECT_EQ(EuroCellAt(5 * 57 + 10, 6 * 23 + 5), 65);
  EXPECT_EQ(EuroLabel(65), "U41");
  EXPECT_EQ(EuroTag(65), "<U41>");
  EXPECT_EQ(EuroFocusRect(65), (PixelRect{286, 139, 341, 160}));
  EXPECT_FALSE(EuroCellAt(8 * 57 + 3, 12 * 23 + 3));  // cell 128
  EXPECT_FALSE(EuroCellAt(9 * 57 + 3, 12 * 23 + 3));  // cell 129
  EXPECT_FALSE(EuroCellAt(570, 3));                   // the strip on the right
  EXPECT_FALSE(EuroCellAt(3, 299));                   // the strip below
  EXPECT_EQ(EuroCellAt(0, 0), 0);

  const std::optional<EuroGlyph> glyph = PlaceTransferredCharacter(Character("U41", 'A', kA));
  ASSERT_TRUE(glyph);
  EXPECT_EQ(glyph->erase, (PixelRect{291, 139, 305, 160}));
  EXPECT_EQ(glyph->dots.front(), (std::pair<int, int>{292, 139}));
  EXPECT_EQ(glyph->dots.size(), 18u);
  EXPECT_FALSE(PlaceTransferredCharacter(Character("U41", 'Z', kA)));
  for (int k = 0; k < kEuroCharacters; ++k) EXPECT_FALSE(DefaultEuroCharacter(k).empty()) << k;
}

}  // namespace
}  // namespace tavrin

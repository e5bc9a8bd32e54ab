#include "editor/vocabulary.h"

#include <gtest/gtest.h>

#include <set>

namespace tavrin {
namespace {

constexpr TagTable kAllTables[] = {TagTable::Format, TagTable::UpperEffect, TagTable::LowerEffect,
                                   TagTable::Mode,   TagTable::Wait,        TagTable::Speed};

TEST(VocabularyTest, TablesHaveTheirSizesAndAreDisjoint) {
  const std::size_t sizes[] = {21, 18, 18, 5, 26, 4};
  std::set<std::string_view> seen;
  std::size_t used = 0;
  for (int i = 0; i < 6; ++i) {
    const SignCodeTable& t = Table(kAllTables[i]);
    EXPECT_EQ(t.tags.size(), sizes[i]);
    EXPECT_EQ(t.codes.size(), sizes[i]);
    for (const std::string_view tag : t.tags) {
      if (tag.empty()) continue;
      ++used;
      EXPECT_TRUE(seen.insert(tag).second) << tag;
    }
  }
  EXPECT_EQ(used, 21u + 18 + 15 + 5 + 26 + 4);
}

struct CodeRow {
  TagTable table;
  const char* tag;
  const char* code;  // nullptr: not in the table
};

TEST(VocabularyTest, LooksUpWholeTagsCaseSensitively) {
  const CodeRow rows[] = {
      {TagTable::Format, "<Font5x8>", "<AF>"},
      {TagTable::Format, "<Bell 1Sec>", "<BB>"},
      {TagTable::Format, "<Red>", "<CA>"},
      {TagTable::Format, "<Rainbow>", "<CS>"},
      {TagTable::Format, "<red>", nullptr},
      {TagTable::Format, "<Red >", nullptr},
      {TagTable::UpperEffect, "<Scoll Left>", "<FE>"},
      {TagTable::UpperEffect, "<Scroll Left>", nullptr},
      {TagTable::UpperEffect, "<Block Move>", "<FN>"},
      {TagTable::UpperEffect, "<Random>", "<FP>"},
      {TagTable::UpperEffect, "<Hello World>", "<FQ>"},
      {TagTable::UpperEffect, "<Vardolux>", "<FS>"},
      {TagTable::LowerEffect, "<curtain up>", "<Fc>"},
      {TagTable::LowerEffect, "<random>", "<Fp>"},
      {TagTable::LowerEffect, "<hello world>", nullptr},
      {TagTable::LowerEffect, "", nullptr},
      {TagTable::Mode, "<Song 3>", "<ME>"},
      {TagTable::Wait, "<0.5Sec>", "<WA>"},
      {TagTable::Wait, "<1Sec>", "<WB>"},
      {TagTable::Wait, "<10Sec>", "<WK>"},
      {TagTable::Wait, "<25Sec>", "<WZ>"},
      {TagTable::Wait, "<26Sec>", nullptr},
      {TagTable::Wait, "<0Sec>", nullptr},
      {TagTable::Speed, "<Speed 0>", "0"},
      {TagTable::Speed, "<Speed 3>", "3"},
      {TagTable::Speed, "<Speed 4>", nullptr},
  };
  for (const CodeRow& row : rows) {
    const auto code = SignCodeOf(row.table, row.tag);
    if (row.code == nullptr) {
      EXPECT_FALSE(code) << row.tag;
    } else {
      ASSERT_TRUE(code) << row.tag;
      EXPECT_EQ(*code, row.code) << row.tag;
    }
  }
}

TEST(VocabularyTest, ColumnTags) {
  EXPECT_EQ(ColumnTag(7), "<COL 007>");
  EXPECT_EQ(ColumnTagValue("<COL 007>"), 7);
  EXPECT_EQ(ColumnTagValue("<COL 255>"), 255);
  for (const char* bad :
       {"<COL 256>", "<COL 7>", "<COL 0007>", "<col 007>", "<COL 0x7>", "<COL  07>", "<COL 007"}) {
    EXPECT_FALSE(ColumnTagValue(bad)) << bad;
  }
  EXPECT_EQ(ColumnSignCode(7), "<N07>");
  EXPECT_EQ(ColumnSignCode(10), "<N0A>");
  EXPECT_EQ(ColumnSignCode(255), "<NFF>");
}

TEST(VocabularyTest, GraphicTags) {
  EXPECT_EQ(GraphicTag("G03"), "<Pic:G03>");
  EXPECT_TRUE(IsGraphicTag("<Pic:G03>"));
  EXPECT_TRUE(IsGraphicTag("<Pic:>"));
  EXPECT_FALSE(IsGraphicTag("<pic:G03>"));
  EXPECT_EQ(GraphicTagName("<Pic:G03>"), "G03");
  EXPECT_EQ(GraphicTagName("<Pic:>"), "");
}

// The menus insert tags of the tables, each item the one its caption names.
TEST(VocabularyTest, TagMenusInsertTheirOwnTags) {
  const auto leading = TagMenuItems(TagMenu::LeadingEffect);
  const auto closing = TagMenuItems(TagMenu::ClosingEffect);
  ASSERT_EQ(leading.size(), 15u);
  ASSERT_EQ(closing.size(), 11u);
  EXPECT_EQ(leading[2].name, "CurtainUp1");
  EXPECT_EQ(leading[2].tag, "<Curtain Up>");
  EXPECT_EQ(leading[2].lowerTag, "<curtain up>");
  EXPECT_EQ(leading[4].caption, "Scroll Left");
  EXPECT_EQ(leading[4].tag, "<Scoll Left>");  // the sign's own spelling
  EXPECT_EQ(closing[10].name, "Hold2");
  EXPECT_EQ(closing[10].tag, "<Hold>");
  int tripleOnly = 0;
  for (const TagMenu menu :
       {TagMenu::LeadingEffect, TagMenu::Welcome, TagMenu::DisplayEffect, TagMenu::ClosingEffect,
        TagMenu::Bell, TagMenu::SpecialFunction, TagMenu::Font, TagMenu::Color}) {
    for (const TagMenuItem& item : TagMenuItems(menu)) {
      bool known = false;
      for (const TagTable t : {TagTable::Format, TagTable::UpperEffect, TagTable::Mode}) {
        known = known || Lookup(t, item.tag).has_value();
      }
      EXPECT_TRUE(known) << item.name;
      EXPECT_EQ(item.lowerTag.empty(),
                menu != TagMenu::LeadingEffect && menu != TagMenu::ClosingEffect)
          << item.name;
      tripleOnly += item.tripleColorOnly ? 1 : 0;
    }
  }
  EXPECT_EQ(tripleOnly, 8);
  EXPECT_EQ(TagMenuItems(TagMenu::Font)[0].tag, "<Font4x7>");
  EXPECT_FALSE(TagMenuItems(TagMenu::Font)[3].visible);
  EXPECT_EQ(TagMenuItems(TagMenu::Bell)[3].tag, "<Bell 2Sec>");
}

}  // namespace
}  // namespace tavrin

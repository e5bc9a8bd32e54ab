#include "preview/preview.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>

#include "preview/led_font.h"
#include "tests/support/scratch_folder.h"

namespace tavrin::preview {

// A picture in a failed comparison, as rows of cells.
void PrintTo(const LedFrame& frame, std::ostream* os) { *os << "\n" << frame.Text(); }

namespace {

using testing::ScratchFolder;

// A fixed moment for the clock codes: 2026-12-07 10:20 local time.
std::time_t Noon() {
  std::tm t{};
  t.tm_year = 126;
  t.tm_mon = 11;
  t.tm_mday = 7;
  t.tm_hour = 10;
  t.tm_min = 20;
  t.tm_isdst = -1;
  return std::mktime(&t);
}

class PreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string g01, g02;
    for (int r = 0; r < 7; ++r)
      g01 += std::string(16, 'A') + std::string(16, r % 2 ? 'D' : 'E') + "\r\n";
    for (int r = 0; r < 16; ++r) g02 += std::string(32, r < 8 ? 'D' : 'A') + "\r\n";
    m_home.Put("Graphdata/G01.txt", g01);
    m_home.Put("Graphdata/G02.txt", g02);
    std::string g03;  // 12 rows: no block layout of the sign takes it
    for (int r = 0; r < 12; ++r) g03 += std::string(32, 'A') + "\r\n";
    m_home.Put("Graphdata/G03.txt", g03);
  }
  Preview Make(std::string_view line, int width = 128, const FontList* font = nullptr) {
    return MakePreview(line, m_graphics, font, width, Noon());
  }

  ScratchFolder m_home;
  GraphicFolder m_graphics{m_home.Path()};
};

// The still picture of a line against a golden file (TAVRIN_UPDATE_GOLDEN=1 writes them).
void ExpectGolden(const Preview& p, const std::string& name) {
  const std::string path = std::string(TAVRIN_PREVIEW_GOLDEN) + "/" + name + ".txt";
  const std::string text = p.line.picture.Text();
  if (std::getenv("TAVRIN_UPDATE_GOLDEN") != nullptr) std::ofstream(path) << text;
  EXPECT_EQ(text, ScratchFolder::Slurp(path)) << name << ":\n" << text;
}

TEST_F(PreviewTest, StillLinesDotForDot) {
  ExpectGolden(Make("Hi!"), "plain");
  ExpectGolden(Make("<Green>A<Rainbow>bcd<Inversed Red>e<RYG>F"), "colours");
  ExpectGolden(Make("<Font4x7>a<Font6x7>a<Font5x8>a<Font7x13>a"), "fonts");
  ExpectGolden(Make("x<Pic:G01><COL 060>y<Pic:G02>"), "graphics");
  ExpectGolden(Make("<Display Date> <Display Time>"), "clock");
}

TEST_F(PreviewTest, TheFontsAndUserCharacters) {
  // Widths with the column between characters.
  EXPECT_EQ(Make("aa").line.picture.width, 12);
  EXPECT_EQ(Make("<Font4x7>aa").line.picture.width, 10);
  EXPECT_EQ(Make("<Font6x7>aa").line.picture.width, 14);
  EXPECT_EQ(Make("<Font7x13>aa").line.picture.width, 16);
  EXPECT_TRUE(Make("<Font7x13>H").line.reachesSecondLine);
  EXPECT_FALSE(Make("<Font5x8>H").line.reachesSecondLine);
  // A byte outside the font is a question mark.
  EXPECT_EQ(Make("\xE9").line.picture, Make("?").line.picture);

  // A user character from the font maker's list; one without dots is not sent, so not shown.
  FontList font;
  const std::size_t at = *font.Add(0x41, "4x7");
  UserFontRecord& drawn = font.At(at).record;  // as the font maker leaves a drawn character
  drawn.bytes[0] = 'U';
  drawn.bytes[1] = '4';
  drawn.bytes[2] = '1';
  drawn.bytes[3] = 'C';
  drawn.SetDot(0, 0, 4, true);
  drawn.SetDot(3, 6, 4, true);
  *font.Add(0x42, "5x7");
  const Preview p = Make("<U41><U42>", 128, &font);
  EXPECT_EQ(p.line.picture.At(0, 0), 'R');
  EXPECT_EQ(p.line.picture.At(3, 6), 'R');
  EXPECT_EQ(p.line.picture.At(1, 0), '.');
  EXPECT_EQ(p.line.picture.width, 5 + 6);  // the 4x7 one, then "?" for U42
}

TEST_F(PreviewTest, ShowsTheTextTheSignReceives) {
  // The frame drops the line breaks of the editor, so the sign runs the lines together.
  const Preview joined = Make("abcline2");
  for (const std::string_view typed : {"abc\nline2", "abc\r\nline2", "abc\n\nline2\n"}) {
    const Preview p = Make(typed);
    EXPECT_EQ(p.line.picture, joined.line.picture) << typed;
    EXPECT_TRUE(p.warnings.empty()) << p.warnings.front();
  }
  // Any other control byte reaches the sign and takes no room there.
  EXPECT_EQ(Make("ab\tc\x01").line.picture, Make("abc").line.picture);
}

TEST_F(PreviewTest, EveryEffectEndsOnTheLineAndOnADarkSign) {
  const LedFrame still = Make("<Red>Hello<Pic:G02>").line.picture;
  const LedFrame dark(128, kSignRows);
  for (char e = 'A'; e <= 'S'; ++e) {
    for (const char c : {e, static_cast<char>(e - 'A' + 'a')}) {
      LineEffects effects;
      effects.entry = std::string("<F") + c + ">";
      effects.exit = effects.entry;
      effects.speed = '0';
      const Animation a = Animate(still, 128, effects);
      SCOPED_TRACE(effects.entry);
      ASSERT_FALSE(a.entry.empty());
      ASSERT_FALSE(a.exit.empty());
      // The entry ends where the hold begins; the exit ends dark.
      EXPECT_EQ(a.entry.back().Frame(), a.hold.front().Frame());
      EXPECT_EQ(a.exit.back().Frame(), dark);
      for (int x = 0; x < still.width; ++x) {
        for (int y = 0; y < kSignRows; ++y)
          ASSERT_EQ(a.hold.front().Frame().At(x, y), still.At(x, y));
      }
      // Animated effects move through more than one picture, at the speed's step.
      if (IsAnimatedEffect(effects.entry)) {
        EXPECT_GT(a.entry.size(), 3u);
        EXPECT_EQ(a.entry.front().ms, StepMs('0'));
      } else {
        EXPECT_EQ(a.entry.size(), 1u);
      }
    }
  }
}

TEST_F(PreviewTest, HoldBlinkingAndScrollingThroughAWideLine) {
  const Preview blinking = Make("<Blinking><3Sec>Hi");
  EXPECT_EQ(blinking.animation.hold.size(), 6u);
  EXPECT_TRUE(blinking.animation.hold[1].Frame().Blank());
  int held = 0;
  for (const Shown& s : blinking.animation.hold) held += s.ms;
  EXPECT_EQ(held, 3000);
  EXPECT_EQ(Make("<0.5Sec>Hi").animation.hold.front().ms, 500);

  // Wider than the sign, scrolling in from the right: it moves until its end is on.
  const Preview wide = Make("<Scoll Left>" + std::string(40, 'W'), 96);
  const LedFrame rest = wide.animation.hold.front().Frame();
  EXPECT_EQ(rest.width, 96);
  EXPECT_EQ(rest.At(95, 0), wide.line.picture.At(wide.line.picture.width - 1, 0));
  EXPECT_EQ(static_cast<int>(wide.animation.entry.size()), 96 + wide.line.picture.width - 96);
}

TEST_F(PreviewTest, WhatWillNotShowAsTyped) {
  const auto warnings = [&](std::string_view line, int width = 128) {
    std::string all;
    for (const std::string& w : Make(line, width).warnings) all += w + "|";
    return all;
  };
  EXPECT_EQ(warnings("<Curtain Up>Hello<Pic:G01>"), "");
  // Too wide for a sign that does not scroll it; scrolling in from either side is fine.
  EXPECT_NE(
      warnings("<Hold>" + std::string(30, 'M'))
          .find("The line is 180 dots wide and the sign 128: without a scrolling entry the sign "
                "cuts it after column 128"),
      std::string::npos);
  EXPECT_EQ(warnings("<Scoll Left>" + std::string(30, 'M')), "");
  EXPECT_NE(warnings("<Xopen>" + std::string(20, 'M'), 96).find("120 dots wide"),
            std::string::npos);
  // A tag the sign does not know goes as text.
  EXPECT_EQ(warnings("<Purple>x"), "<Purple> is no display tag: the sign shows it as text|");
  // Graphics higher than a line.
  EXPECT_NE(warnings("<Pic:G02>").find("G02 is 16 dots high, more than a line of 8"),
            std::string::npos);
  EXPECT_NE(warnings("<Pic:G03>").find("G03"), std::string::npos);
  EXPECT_NE(warnings("<Pic:G09>").find("G09"), std::string::npos);  // no such file
}

TEST_F(PreviewTest, TheDerivedFontsKeepTheirLetters) {
  // Each font draws every printable character inside its box, and no two letters alike.
  for (const FontKind f : {FontKind::Font5x7, FontKind::Font4x7, FontKind::Font6x7,
                           FontKind::Font5x8, FontKind::Font7x13}) {
    std::set<std::array<std::uint16_t, 13>> seen;
    for (unsigned char c = 'A'; c <= 'Z'; ++c) {
      const Glyph g = GlyphOf(f, c);
      for (int y = 0; y < 13; ++y) {
        EXPECT_EQ(g.rows[static_cast<std::size_t>(y)] >> g.width, 0) << c;
        if (y >= g.height) {
          EXPECT_EQ(g.rows[static_cast<std::size_t>(y)], 0) << c;
        }
      }
      seen.insert(g.rows);
    }
    EXPECT_GE(seen.size(), 24u);  // a narrow font may merge a pair or two
  }
}

}  // namespace
}  // namespace tavrin::preview

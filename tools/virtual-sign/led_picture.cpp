#include "tools/virtual-sign/led_picture.h"

#include <array>
#include <cstdint>

#include "common/bytes.h"
#include "editor/vocabulary.h"
#include "preview/animation.h"
#include "preview/line_renderer.h"

namespace tavrin::vsign {

namespace {

// The display tag of a sign code, without its brackets, for naming effects, modes and waits.
std::string NameOf(std::initializer_list<TagTable> tables, std::string_view code) {
  for (const TagTable table : tables) {
    const SignCodeTable& t = Table(table);
    for (std::size_t i = 0; i < t.codes.size(); ++i) {
      if (t.codes[i] == code && !t.tags[i].empty()) {
        const std::string_view tag = t.tags[i];
        return std::string(tag.substr(1, tag.size() - 2));
      }
    }
  }
  return std::string(code);
}

const std::string* FindBlock(const SignState& state, char letter, int block) {
  const auto graphic = state.graphics.find(letter);
  if (graphic == state.graphics.end()) return nullptr;
  const auto found = graphic->second.find(block);
  return found == graphic->second.end() ? nullptr : &found->second;
}

// What the sign holds, as the renderer asks for it.
class HeldContent : public preview::SignContent {
 public:
  explicit HeldContent(const SignState& state) : m_state(state) {}
  const std::string* GraphicBlock(char letter, int block) const override {
    return FindBlock(m_state, letter, block);
  }
  std::optional<preview::UserGlyph> UserCharacter(int code) const override {
    static constexpr std::pair<char, int> kSizes[] = {{'A', 5}, {'B', 6}, {'C', 4}};
    for (const auto& [size, width] : kSizes) {
      const auto it = m_state.userCharacters.find({size, code - 0x40});
      if (it == m_state.userCharacters.end()) continue;
      preview::UserGlyph glyph;
      glyph.width = width;
      for (std::size_t r = 0; r < glyph.rows.size() && r < it->second.size(); ++r) {
        glyph.rows[r] = static_cast<std::uint8_t>(it->second[r]);
      }
      return glyph;
    }
    return std::nullopt;
  }
  std::string ClockText(bool date) const override {
    const std::string& d = m_state.clock;
    if (d.size() != 14) return date ? "--/--/--" : "--:--";
    return date ? d.substr(4, 2) + "/" + d.substr(6, 2) + "/" + d.substr(0, 2)
                : d.substr(8, 2) + ":" + d.substr(10, 2);
  }

 private:
  const SignState& m_state;
};

}  // namespace

LedPicture RenderLine(const SignState& state, const PageLine& line, int signWidth) {
  const preview::RenderedLine drawn = preview::RenderSignText(line.text, HeldContent(state));
  const preview::LedFrame held = preview::HeldPicture(drawn.picture, signWidth, line.entryEffect);
  LedPicture picture;
  for (int y = 0; y < preview::kLineRows; ++y) {
    picture.rows[static_cast<std::size_t>(y)] = held.cells.substr(
        static_cast<std::size_t>(y * held.width), static_cast<std::size_t>(held.width));
  }
  return picture;
}

std::string PictureText(const LedPicture& picture, bool ansi) {
  std::size_t width = 0;
  for (const std::string& row : picture.rows) width = std::max(width, row.size());
  std::string out;
  for (std::string row : picture.rows) {
    row.resize(width, '.');
    if (!ansi) {
      out += row + "\n";
      continue;
    }
    for (const char cell : row) {
      switch (cell) {
        case 'R':
          out += "\x1b[91m#";
          break;
        case 'G':
          out += "\x1b[92m#";
          break;
        case 'Y':
          out += "\x1b[93m#";
          break;
        default:
          out += "\x1b[90m.";
      }
    }
    out += "\x1b[0m\n";
  }
  return out;
}

std::string DescribeLine(char page, int line, const PageLine& pageLine) {
  return "page " + std::string(1, page) + " line " + std::to_string(line) + ": enters " +
         NameOf({TagTable::UpperEffect, TagTable::LowerEffect}, pageLine.entryEffect) +
         ", leaves " + NameOf({TagTable::UpperEffect, TagTable::LowerEffect}, pageLine.exitEffect) +
         ", " + NameOf({TagTable::Mode}, pageLine.modeCode) + " at speed " +
         std::string(1, pageLine.speedDigit) + ", waits " +
         NameOf({TagTable::Wait}, pageLine.waitCode);
}

}  // namespace tavrin::vsign

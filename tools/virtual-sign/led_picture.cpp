#include "tools/virtual-sign/led_picture.h"

#include <array>
#include <cstdint>

#include "common/bytes.h"
#include "editor/vocabulary.h"

namespace tavrin::vsign {

namespace {

// Our own 5x7 font for the printable ASCII bytes 0x20 to 0x7E: seven rows, top first, bit 4
// the leftmost column.
constexpr std::uint8_t kFont[95][7] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},  // space
    {0x04, 0x04, 0x04, 0x04, 0x04, 0x00, 0x04},  // !
    {0x0A, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00},  // "
    {0x0A, 0x0A, 0x1F, 0x0A, 0x1F, 0x0A, 0x0A},  // #
    {0x04, 0x0F, 0x14, 0x0E, 0x05, 0x1E, 0x04},  // $
    {0x18, 0x19, 0x02, 0x04, 0x08, 0x13, 0x03},  // %
    {0x0C, 0x12, 0x14, 0x08, 0x15, 0x12, 0x0D},  // &
    {0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00},  // quote
    {0x02, 0x04, 0x08, 0x08, 0x08, 0x04, 0x02},  // (
    {0x08, 0x04, 0x02, 0x02, 0x02, 0x04, 0x08},  // )
    {0x00, 0x04, 0x15, 0x0E, 0x15, 0x04, 0x00},  // *
    {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00},  // +
    {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08},  // ,
    {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00},  // -
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C},  // .
    {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00},  // /
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E},  // 0
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},  // 1
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F},  // 2
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},  // 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02},  // 4
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},  // 5
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E},  // 6
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},  // 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E},  // 8
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},  // 9
    {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00},  // :
    {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x04, 0x08},  // ;
    {0x02, 0x04, 0x08, 0x10, 0x08, 0x04, 0x02},  // <
    {0x00, 0x00, 0x1F, 0x00, 0x1F, 0x00, 0x00},  // =
    {0x08, 0x04, 0x02, 0x01, 0x02, 0x04, 0x08},  // >
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04},  // ?
    {0x0E, 0x11, 0x01, 0x0D, 0x15, 0x15, 0x0E},  // @
    {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11},  // A
    {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E},  // B
    {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E},  // C
    {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C},  // D
    {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F},  // E
    {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10},  // F
    {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F},  // G
    {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11},  // H
    {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E},  // I
    {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C},  // J
    {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11},  // K
    {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F},  // L
    {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11},  // M
    {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11},  // N
    {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},  // O
    {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10},  // P
    {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D},  // Q
    {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11},  // R
    {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E},  // S
    {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04},  // T
    {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},  // U
    {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04},  // V
    {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A},  // W
    {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11},  // X
    {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04},  // Y
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F},  // Z
    {0x0E, 0x08, 0x08, 0x08, 0x08, 0x08, 0x0E},  // [
    {0x00, 0x10, 0x08, 0x04, 0x02, 0x01, 0x00},  // backslash
    {0x0E, 0x02, 0x02, 0x02, 0x02, 0x02, 0x0E},  // ]
    {0x04, 0x0A, 0x11, 0x00, 0x00, 0x00, 0x00},  // ^
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F},  // _
    {0x08, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00},  // `
    {0x00, 0x00, 0x0E, 0x01, 0x0F, 0x11, 0x0F},  // a
    {0x10, 0x10, 0x16, 0x19, 0x11, 0x11, 0x1E},  // b
    {0x00, 0x00, 0x0E, 0x10, 0x10, 0x11, 0x0E},  // c
    {0x01, 0x01, 0x0D, 0x13, 0x11, 0x11, 0x0F},  // d
    {0x00, 0x00, 0x0E, 0x11, 0x1F, 0x10, 0x0E},  // e
    {0x06, 0x09, 0x08, 0x1C, 0x08, 0x08, 0x08},  // f
    {0x00, 0x0F, 0x11, 0x11, 0x0F, 0x01, 0x0E},  // g
    {0x10, 0x10, 0x16, 0x19, 0x11, 0x11, 0x11},  // h
    {0x04, 0x00, 0x0C, 0x04, 0x04, 0x04, 0x0E},  // i
    {0x02, 0x00, 0x06, 0x02, 0x02, 0x12, 0x0C},  // j
    {0x10, 0x10, 0x12, 0x14, 0x18, 0x14, 0x12},  // k
    {0x0C, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E},  // l
    {0x00, 0x00, 0x1A, 0x15, 0x15, 0x11, 0x11},  // m
    {0x00, 0x00, 0x16, 0x19, 0x11, 0x11, 0x11},  // n
    {0x00, 0x00, 0x0E, 0x11, 0x11, 0x11, 0x0E},  // o
    {0x00, 0x00, 0x1E, 0x11, 0x1E, 0x10, 0x10},  // p
    {0x00, 0x00, 0x0D, 0x13, 0x0F, 0x01, 0x01},  // q
    {0x00, 0x00, 0x16, 0x19, 0x10, 0x10, 0x10},  // r
    {0x00, 0x00, 0x0E, 0x10, 0x0E, 0x01, 0x1E},  // s
    {0x08, 0x08, 0x1C, 0x08, 0x08, 0x09, 0x06},  // t
    {0x00, 0x00, 0x11, 0x11, 0x11, 0x13, 0x0D},  // u
    {0x00, 0x00, 0x11, 0x11, 0x11, 0x0A, 0x04},  // v
    {0x00, 0x00, 0x11, 0x11, 0x15, 0x15, 0x0A},  // w
    {0x00, 0x00, 0x11, 0x0A, 0x04, 0x0A, 0x11},  // x
    {0x00, 0x00, 0x11, 0x11, 0x0F, 0x01, 0x0E},  // y
    {0x00, 0x00, 0x1F, 0x02, 0x04, 0x08, 0x1F},  // z
    {0x02, 0x04, 0x04, 0x08, 0x04, 0x04, 0x02},  // {
    {0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04},  // |
    {0x08, 0x04, 0x04, 0x02, 0x04, 0x04, 0x08},  // }
    {0x00, 0x00, 0x08, 0x15, 0x02, 0x00, 0x00},  // ~
};

// A colour scheme of the sign: the cell letter of a lit and of an unlit cell, row by row for
// RYG, column by column for the rainbow.
enum class Scheme {
  Red,
  Green,
  Orange,
  InvRed,
  InvGreen,
  InvOrange,
  RedOnGreen,
  GreenOnRed,
  Ryg,
  Rainbow
};

std::pair<char, char> Cells(Scheme scheme, int row, int column) {
  switch (scheme) {
    case Scheme::Red:
      return {'R', '.'};
    case Scheme::Green:
      return {'G', '.'};
    case Scheme::Orange:
      return {'Y', '.'};
    case Scheme::InvRed:
      return {'.', 'R'};
    case Scheme::InvGreen:
      return {'.', 'G'};
    case Scheme::InvOrange:
      return {'.', 'Y'};
    case Scheme::RedOnGreen:
      return {'R', 'G'};
    case Scheme::GreenOnRed:
      return {'G', 'R'};
    case Scheme::Ryg:
      return {row < 2 ? 'R' : (row < 5 ? 'Y' : 'G'), '.'};
    case Scheme::Rainbow:
      return {"RYG"[(column / 2) % 3], '.'};
  }
  return {'R', '.'};
}

class Painter {
 public:
  explicit Painter(LedPicture& picture) : m_picture(picture) {}

  void Glyph(const std::uint8_t* rows, int width, int topBit) {
    for (int c = 0; c < width; ++c) {
      const int x = m_x + c;
      for (int r = 0; r < 8; ++r) {
        const bool lit = r < 7 && ((rows[r] >> (topBit - c)) & 1) != 0;
        const auto [on, off] = Cells(m_scheme, r, x);
        Put(r, x, lit ? on : off);
      }
    }
    m_x += width;
    Space();
  }

  void Character(unsigned char c) {
    if (c < 0x20 || c > 0x7E) c = '?';
    Glyph(kFont[c - 0x20], 5, 4);
  }

  // One 8 x 32 block: per group of 8 columns, per row, two bytes of two bits a pixel.
  void Block(const std::string& data) {
    for (int group = 0; group < 4; ++group) {
      for (int r = 0; r < 8; ++r) {
        for (int p = 0; p < 8; ++p) {
          const auto byte =
              static_cast<std::uint8_t>(data[static_cast<std::size_t>(group * 16 + r * 2 + p / 4)]);
          const int bits = (byte >> (6 - 2 * (p % 4))) & 3;
          Put(r, m_x + group * 8 + p, ".GRY"[bits]);
        }
      }
    }
    m_x += 32;
  }

  void MoveTo(int column) {
    if (column > m_x) m_x = column;
  }
  void SetScheme(Scheme scheme) { m_scheme = scheme; }

 private:
  void Space() {
    for (int r = 0; r < 8; ++r) Put(r, m_x, Cells(m_scheme, r, m_x).second);
    ++m_x;
  }
  void Put(int row, int column, char cell) {
    std::string& line = m_picture.rows[static_cast<std::size_t>(row)];
    if (line.size() <= static_cast<std::size_t>(column))
      line.resize(static_cast<std::size_t>(column) + 1, '.');
    line[static_cast<std::size_t>(column)] = cell;
  }

  LedPicture& m_picture;
  Scheme m_scheme = Scheme::Red;
  int m_x = 0;
};

std::optional<Scheme> SchemeOf(std::string_view code) {
  static constexpr std::pair<std::string_view, Scheme> kSchemes[] = {
      {"<CA>", Scheme::Red},        {"<CD>", Scheme::Green},      {"<CH>", Scheme::Orange},
      {"<CL>", Scheme::InvRed},     {"<CM>", Scheme::InvGreen},   {"<CN>", Scheme::InvOrange},
      {"<CP>", Scheme::RedOnGreen}, {"<CQ>", Scheme::GreenOnRed}, {"<CR>", Scheme::Ryg},
      {"<CS>", Scheme::Rainbow}};
  for (const auto& [c, scheme] : kSchemes) {
    if (c == code) return scheme;
  }
  return std::nullopt;
}

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

// Font codes ("<AA>" to "<AF>") and bells ("<BA>" to "<BD>") change nothing that shows.
bool TakesNoRoom(std::string_view code) {
  return code.size() == 4 && (code[1] == 'A' || code[1] == 'B') && code[2] >= 'A' && code[2] <= 'F';
}

}  // namespace

LedPicture RenderLine(const SignState& state, const PageLine& line) {
  LedPicture picture;
  Painter paint(picture);
  const std::string& t = line.text;
  for (std::size_t i = 0; i < t.size(); ++i) {
    const std::size_t close = t[i] == '<' ? t.find('>', i) : std::string::npos;
    const std::string_view code = close == std::string::npos
                                      ? std::string_view()
                                      : std::string_view(t).substr(i, close - i + 1);
    std::uint8_t value = 0;
    if (code.empty()) {
      paint.Character(static_cast<unsigned char>(t[i]));
      continue;
    }
    if (const auto scheme = SchemeOf(code)) {
      paint.SetScheme(*scheme);
    } else if (code.size() == 5 && code[1] == 'N' && ParseHexByte(code.substr(2, 2), value)) {
      paint.MoveTo(value);
    } else if (code.size() == 5 && code[1] == 'G' && code[3] >= '1' && code[3] <= '8') {
      // The lower band of a tall graphic belongs to the second line.
      if (code[3] <= '4') {
        if (const std::string* block = FindBlock(state, code[2], code[3] - '0')) {
          paint.Block(*block);
        } else {
          for (const char c : std::string_view("[no block]"))
            paint.Character(static_cast<unsigned char>(c));
        }
      }
    } else if (code == "<KD>" || code == "<KT>") {
      const std::string& d = state.clock;
      const std::string shown =
          d.size() == 14
              ? (code == "<KD>" ? d.substr(4, 2) + "/" + d.substr(6, 2) + "/" + d.substr(0, 2)
                                : d.substr(8, 2) + ":" + d.substr(10, 2))
              : std::string(code == "<KD>" ? "--/--/--" : "--:--");
      for (const char c : shown) paint.Character(static_cast<unsigned char>(c));
    } else if (code.size() == 5 && code[1] == 'U' && ParseHexByte(code.substr(2, 2), value) &&
               value >= 0x40 && value <= 0x7F) {
      static constexpr std::pair<char, int> kSizes[] = {{'A', 5}, {'B', 6}, {'C', 4}};
      bool drawn = false;
      for (const auto& [size, width] : kSizes) {
        const auto it = state.userCharacters.find({size, value - 0x40});
        if (it == state.userCharacters.end() || drawn) continue;
        paint.Glyph(reinterpret_cast<const std::uint8_t*>(it->second.data()), width, 7);
        drawn = true;
      }
      if (!drawn) paint.Character('?');
    } else if (!TakesNoRoom(code)) {
      for (const char c : code) paint.Character(static_cast<unsigned char>(c));
    }
    i = close;
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

std::string DescribeLine(char page, int line, const PageLine& l) {
  return "page " + std::string(1, page) + " line " + std::to_string(line) + ": enters " +
         NameOf({TagTable::UpperEffect, TagTable::LowerEffect}, l.entryEffect) + ", leaves " +
         NameOf({TagTable::UpperEffect, TagTable::LowerEffect}, l.exitEffect) + ", " +
         NameOf({TagTable::Mode}, l.modeCode) + " at speed " + std::string(1, l.speedDigit) +
         ", waits " + NameOf({TagTable::Wait}, l.waitCode);
}

}  // namespace tavrin::vsign

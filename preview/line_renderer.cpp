#include "preview/line_renderer.h"

#include <algorithm>

#include "common/bytes.h"
#include "preview/led_font.h"

namespace tavrin::preview {

std::string LedFrame::Text() const {
  std::string text;
  for (int y = 0; y < height; ++y) {
    text.append(cells, static_cast<std::size_t>(y) * static_cast<std::size_t>(width),
                static_cast<std::size_t>(width));
    text += '\n';
  }
  return text;
}

namespace {

// A colour scheme of the sign: the cell of a lit and of an unlit dot, row by row for RYG,
// column by column for the rainbow.
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
      return {row % kLineRows < 2 ? 'R' : (row % kLineRows < 5 ? 'Y' : 'G'), '.'};
    case Scheme::Rainbow:
      return {"RYG"[(column / 2) % 3], '.'};
  }
  return {'R', '.'};
}

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

// Bells ("<BA>" to "<BD>") make a sound, and the font codes that are not ours ("<AE>") choose
// nothing: they take no room.
bool TakesNoRoom(std::string_view code) {
  return code.size() == 4 && (code[1] == 'A' || code[1] == 'B') && code[2] >= 'A' && code[2] <= 'F';
}

class Painter {
 public:
  explicit Painter(RenderedLine& line) : m_line(line) {}

  // A control byte has no picture in the sign's fonts: it takes no room.
  void Character(unsigned char c) {
    if (c < 0x20 || c == 0x7F) return;
    const Glyph g = GlyphOf(m_font, c);
    Dots(g.width, g.height, [&](int x, int y) { return g.Lit(x, y); });
  }

  void User(const UserGlyph& u) {
    Dots(u.width, 7,
         [&](int x, int y) { return ((u.rows[static_cast<std::size_t>(y)] >> (7 - x)) & 1) != 0; });
  }

  // One 8 x 32 block: per group of 8 columns, per row, two bytes of two bits a pixel.
  void Block(const std::string& data, int top) {
    for (int group = 0; group < 4; ++group) {
      for (int r = 0; r < kLineRows; ++r) {
        for (int p = 0; p < 8; ++p) {
          const std::size_t at = static_cast<std::size_t>(group * 16 + r * 2 + p / 4);
          const int byte = at < data.size() ? static_cast<std::uint8_t>(data[at]) : 0;
          Put(m_x + group * 8 + p, top + r, ".GRY"[(byte >> (6 - 2 * (p % 4))) & 3]);
        }
      }
    }
  }
  void Advance(int columns) { m_x += columns; }

  void MoveTo(int column) { m_x = std::max(m_x, column); }
  void SetScheme(Scheme scheme) { m_scheme = scheme; }
  void SetFont(FontKind font) { m_font = font; }
  int X() const { return m_x; }

 private:
  template <class LitAt>
  void Dots(int width, int height, LitAt lit) {
    // Fonts of 8 rows or fewer fill the line from its top; taller ones reach below it.
    const int rows = std::max(height, kLineRows);
    for (int c = 0; c < width; ++c) {
      for (int r = 0; r < rows; ++r) {
        const auto [on, off] = Cells(m_scheme, r, m_x + c);
        Put(m_x + c, r, r < height && lit(c, r) ? on : off);
      }
    }
    m_x += width;
    for (int r = 0; r < rows; ++r) Put(m_x, r, Cells(m_scheme, r, m_x).second);
    ++m_x;
  }

  void Put(int x, int y, char cell) {
    LedFrame& f = m_line.picture;
    if (x >= f.width) Widen(x + 1);
    f.Set(x, y, cell);
    if (y >= kLineRows && cell != '.') m_line.reachesSecondLine = true;
  }

  void Widen(int width) {
    LedFrame& f = m_line.picture;
    LedFrame wider(std::max(width, f.width * 2), kSignRows);
    for (int y = 0; y < f.height; ++y) {
      for (int x = 0; x < f.width; ++x) wider.Set(x, y, f.At(x, y));
    }
    f = std::move(wider);
  }

  RenderedLine& m_line;
  Scheme m_scheme = Scheme::Red;
  FontKind m_font = FontKind::Font5x7;
  int m_x = 0;
};

}  // namespace

RenderedLine RenderSignText(std::string_view t, const SignContent& content) {
  RenderedLine line;
  line.picture = LedFrame(0, kSignRows);
  Painter paint(line);
  const auto text = [&](std::string_view s) {
    for (const char c : s) paint.Character(static_cast<unsigned char>(c));
  };
  for (std::size_t i = 0; i < t.size(); ++i) {
    const std::size_t close = t[i] == '<' ? t.find('>', i) : std::string_view::npos;
    const std::string_view code =
        close == std::string_view::npos ? std::string_view() : t.substr(i, close - i + 1);
    std::uint8_t value = 0;
    if (code.empty()) {
      paint.Character(static_cast<unsigned char>(t[i]));
      continue;
    }
    if (const auto scheme = SchemeOf(code)) {
      paint.SetScheme(*scheme);
    } else if (const auto font = FontOfCode(code)) {
      paint.SetFont(*font);
    } else if (code.size() == 5 && code[1] == 'N' && ParseHexByte(code.substr(2, 2), value)) {
      paint.MoveTo(value);
    } else if (code.size() == 5 && code[1] == 'G' && code[3] >= '1' && code[3] <= '8') {
      // A lower-half tag belongs to the second line's text; the upper half draws it below.
      if (code[3] <= '4') {
        if (const std::string* block = content.GraphicBlock(code[2], code[3] - '0')) {
          paint.Block(*block, 0);
          if (const std::string* lower = content.GraphicBlock(code[2], code[3] - '0' + 4)) {
            paint.Block(*lower, kLineRows);
          }
          paint.Advance(32);
        } else {
          text("[no block]");
        }
      }
    } else if (code == "<KD>" || code == "<KT>") {
      text(content.ClockText(code == "<KD>"));
    } else if (code.size() == 5 && code[1] == 'U' && ParseHexByte(code.substr(2, 2), value) &&
               value >= 0x40 && value <= 0x7F) {
      if (const std::optional<UserGlyph> glyph = content.UserCharacter(value)) {
        paint.User(*glyph);
      } else {
        paint.Character('?');
      }
    } else if (!TakesNoRoom(code)) {
      line.unknownCodes.emplace_back(code);
      text(code);
    }
    i = close;
  }
  // The picture ends where the line ends.
  LedFrame exact(paint.X(), kSignRows);
  for (int y = 0; y < kSignRows; ++y) {
    for (int x = 0; x < paint.X(); ++x) exact.Set(x, y, line.picture.At(x, y));
  }
  line.picture = std::move(exact);
  return line;
}

}  // namespace tavrin::preview

#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "preview/led_frame.h"

namespace tavrin::preview {

// The rows of a sign: two lines of 8.
inline constexpr int kSignRows = 16;
inline constexpr int kLineRows = 8;
// The widths of sign in columns that the preview and the virtual sign take; the first is the
// default.
inline constexpr int kSignWidths[] = {128, 96, 160};

// A user character: its width and 7 rows, bit 7 the leftmost column.
struct UserGlyph {
  int width = 5;
  std::array<std::uint8_t, 7> rows{};
};

// What a line draws from besides its text: the graphic blocks, the user characters and the
// clock, as the sign holds them (the virtual sign) or as they would be sent (the preview).
class SignContent {
 public:
  virtual ~SignContent() = default;
  // The 64 bytes of block 1 to 8 of a graphic ("A" for G01), as the frame carries them;
  // nullptr when there is none.
  virtual const std::string* GraphicBlock(char letter, int block) const = 0;
  // A user character 0x40 to 0x7F; nothing when none is loaded.
  virtual std::optional<UserGlyph> UserCharacter(int code) const = 0;
  // The date ("MM/DD/YY") or the time ("hh:mm") the sign shows.
  virtual std::string ClockText(bool date) const = 0;
};

// A line drawn standing still.
struct RenderedLine {
  LedFrame picture;  // kSignRows high, as wide as the line: the line itself in the rows 0 to 7
                     // (a 7x13 font reaches row 12), the lower halves of tall graphics in 8 to 15
  std::vector<std::string> unknownCodes;  // "<...>" the sign does not know: drawn as text
  bool reachesSecondLine = false;         // something is drawn below row 7
};

// Draws sign text (the compiled line, codes included) as the sign shows it: characters in the
// font the last font code chose with one column between them, colour codes changing the
// colour that follows (rainbow, RYG and inversed included), column codes moving on, graphic
// block tags drawn from their blocks (the lower half of a tall graphic under its upper half),
// date and time, and user characters. Fonts, bells and control bytes take no room.
RenderedLine RenderSignText(std::string_view signText, const SignContent& content);

}  // namespace tavrin::preview

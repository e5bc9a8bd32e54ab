#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tavrin {

// The six fixed tables of display tags and sign codes. Entry i of a table's tags pairs with
// entry i of its codes. The tables are disjoint, so at most one entry of all six matches.
enum class TagTable { Format, UpperEffect, LowerEffect, Mode, Wait, Speed };

struct SignCodeTable {
  std::span<const std::string_view> tags;
  std::span<const std::string_view> codes;
};

const SignCodeTable& Table(TagTable table);

// The index of the first entry equal to the whole tag (from "<" to ">", byte for byte,
// case-sensitive). Empty slots never match.
std::optional<std::size_t> Lookup(TagTable table, std::string_view tag);

// The sign code paired with a display tag of the given table, if the tag is in it.
std::optional<std::string_view> SignCodeOf(TagTable table, std::string_view tag);

// Column tags: "<COL " + three decimal digits 000 to 255 + ">".
std::string ColumnTag(int column);
// The column a tag names, or nothing when it is not exactly a column tag ("<COL 7>",
// "<COL 0007>" and "<COL 256>" are not).
std::optional<int> ColumnTagValue(std::string_view tag);
// "<N" + two upper-case hex digits + ">": 7 -> "<N07>", 255 -> "<NFF>".
std::string ColumnSignCode(int column);

// The speed tag of a speed 0 to 3 ("<Speed 2>"); other values are taken as the nearest end.
std::string_view SpeedTag(int speed);

// Graphic tags: "<Pic:" + name + ">".
inline constexpr std::string_view kGraphicTagStart = "<Pic:";
std::string GraphicTag(std::string_view name);
bool IsGraphicTag(std::string_view tag);
// The name inside a graphic tag: the tag without its first five bytes and its final ">".
std::string GraphicTagName(std::string_view tag);

// European character tags: "<U" + two upper-case hexadecimal digits + ">" ("<U41>").
bool IsEuropeanCharacterTag(std::string_view tag);

// Whether a whole tag, from "<" to ">", is one the menus and dialogs insert: a tag of the six
// tables, a column, speed or graphic tag, or a European character tag. The editor shows these
// in the tag colour.
bool IsDisplayTag(std::string_view tag);

// The entry of the wait table for a display time list item ("0.5Sec" -> "<0.5Sec>").
inline constexpr std::size_t kWaitTagCount = 26;
inline constexpr std::size_t kSpeedTagCount = 4;

// ---- The tag menus of the main window ------------------------------------------------------

enum class TagMenu {
  LeadingEffect,    // the 15 effects, by effect insertion
  Welcome,          // "<Hello World>" and "<Welcome>", inserted as they are
  DisplayEffect,    // the five modes
  ClosingEffect,    // the first 11 effects, by effect insertion
  Bell,             // the four bell tags
  SpecialFunction,  // date and time
  Font,             // the font tags
  Color,            // the ten colours
};

// One item of a tag menu: its designer name, caption and the tags of the vocabulary it
// inserts. An effect item has a lower-case tag too (see the main window's effect insertion).
struct TagMenuItem {
  std::string_view name = {};
  std::string_view caption = {};
  std::string_view tag = {};
  std::string_view lowerTag = {};  // empty for items that insert their tag as it is
  bool visible = true;             // "Font 5x8" and "Font 7x13" exist but are hidden
  bool tripleColorOnly = false;    // hidden on a single-colour sign
};

std::span<const TagMenuItem> TagMenuItems(TagMenu menu);

}  // namespace tavrin

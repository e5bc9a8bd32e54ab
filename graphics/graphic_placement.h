#pragma once

#include <string>
#include <string_view>

namespace tavrin {

// The most different graphics a message may show (Line 1 and Line 2 together).
inline constexpr int kMaxGraphicsInMessage = 16;

// The graphic names of the "<Pic:" tags in a text, in the order found: after each "<Pic:" the
// name is the text up to the next ">" (none, and no name, when there is no ">"). Calls back for
// each non-empty name; stops early when the callback returns false.
template <class F>
void ForEachPlacedGraphic(std::string_view text, F&& each) {
  static constexpr std::string_view kStart = "<Pic:";
  for (std::size_t at = text.find(kStart); at != std::string_view::npos; at = text.find(kStart)) {
    text.remove_prefix(at + kStart.size());
    const std::size_t end = text.find('>');
    const std::string_view name =
        end == std::string_view::npos ? std::string_view() : text.substr(0, end);
    if (!name.empty() && !each(name)) return;
  }
}

// What Insert may do with the graphic selected in the editor.
enum class PlacementVerdict {
  Insert,          // put "<Pic:" + name + ">" at the caret, close the editor
  NoSelection,     // "Select a graphic name"; the editor stays
  TooMany,         // "Graphic Number greater than 16"; the editor closes
  TooTallForLine2  // "Graphic is too large to insert into Line2"; the editor closes
};

// The message of a verdict other than Insert.
std::string_view PlacementMessage(PlacementVerdict verdict);

// The checks of Insert: a graphic already in the message adds nothing to the count (names are
// compared exactly, so "g01" and "G01" are two); a seventeenth different name is refused; a
// graphic of more than 8 rows goes into Line 1 only. The count stops at seventeen names, so a
// message with any number of hand-typed names is judged without a list growing with it.
PlacementVerdict CheckPlacement(std::string_view name, int rows, std::string_view line1,
                                std::string_view line2, bool line2Active);

// The tag Insert puts at the caret.
std::string PlacementTag(std::string_view name);

}  // namespace tavrin

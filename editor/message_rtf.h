#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace tavrin {

// A stretch of the message editor's text with one look: display tags are red, the rest is
// black. Text is UTF-8; a line break is "\n".
struct TextRun {
  std::string text;
  bool red = false;
  bool operator==(const TextRun&) const = default;
};

// The colour display tags are shown in (red, 255), and the rule by which a colour read back
// from the editor or from a file counts as the tag colour: strongly red, little green and blue.
struct Rgb {
  int red = 0, green = 0, blue = 0;
};
inline constexpr Rgb kTagColour{255, 0, 0};
inline constexpr Rgb kTextColour{0, 0, 0};
inline constexpr bool IsTagColour(const Rgb& c) {
  return c.red >= 128 && c.green < 100 && c.blue < 100;
}

// The most characters a line editor takes from the keyboard and the clipboard.
inline constexpr int kMaxMessageLength = 210;

// Text that comes into a line from outside (pasted, read from a message file, given on the
// command line) with each tab made a blank: the sign has no tab and would get the control
// byte, a tab cannot be typed into a line (the key moves the focus), and the length rule then
// counts one character for what the sign shows as one.
std::string WithBlanksForTabs(std::string text);

// Message files larger than this are refused before they are read: a message line is 210
// characters, and even a long file of other text is far below it.
inline constexpr std::size_t kMaxMessageFileBytes = 4 * 1024 * 1024;
// A message whose text is longer than this many characters is not opened: no line of a sign
// holds it, and an editor filled with it would stop the program for seconds.
inline constexpr std::size_t kMaxMessageTextCharacters = 5000;

// Writes runs as a Rich Text document that WordPad, Word and LibreOffice open with the same
// text: a fixed-pitch bold font, red display tags and black text, a paragraph per line.
// Characters of the code page travel as \'hh with \u for the rest, so nothing is lost.
std::string WriteMessageRtf(const std::vector<TextRun>& runs, const std::string& codePage);

// Reads a Rich Text document as runs: the text of the body (font, colour, style and other
// tables skipped, \par and \line as line breaks, \tab, \'hh in the document's code page, \u
// with its fallback skipped, unknown destinations left out) with red where the colour in use
// is red. Fails when the bytes are not Rich Text (no "{\rtf" at the start). A truncated
// document gives what it holds.
Result<std::vector<TextRun>> ReadMessageRtf(std::string_view document);

// Reads a message file: as Rich Text when it is one, else as plain text in the code page
// (each line a paragraph). Binary data (NUL bytes) or text that cannot be decoded is
// refused with a message.
Result<std::vector<TextRun>> ReadMessageFile(std::string_view bytes, const std::string& codePage);

// A message file as the editor opens it: read (up to kMaxMessageFileBytes), decoded as
// ReadMessageFile does, and refused when it holds more than kMaxMessageTextCharacters. Every
// failure names the file.
Result<std::vector<TextRun>> LoadMessageFile(const std::filesystem::path& path,
                                             const std::string& codePage);

// Text that comes into a line from outside (pasted) as the editor holds it: tabs made blanks
// (WithBlanksForTabs), every display tag (IsDisplayTag) in the tag colour and the rest black,
// as if the tags had been inserted from the menus.
std::vector<TextRun> RunsOfPastedText(std::string_view pasted);

// Runs that touch and look alike are joined.
std::vector<TextRun> MergeRuns(std::vector<TextRun> runs);

}  // namespace tavrin

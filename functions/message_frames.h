#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "editor/message_compiler.h"
#include "graphics/graphic_file.h"

namespace tavrin {

// The frame codes that stand in for those a line does not give.
inline constexpr std::string_view kDefaultEffect = "<FE>";
inline constexpr std::string_view kDefaultMode = "<MA>";
inline constexpr std::string_view kDefaultWait = "<WC>";
inline constexpr std::string_view kDefaultSpeed = "3";

// The letter that carries mode and speed together in "<M" letter ">": rows by speed digit
// "0" to "3", columns by mode "<MA>" to "<ME>" (any other mode counts as "<MA>").
char ModeSpeedLetter(std::string_view modeCode, std::string_view speedDigit);

// The exit effect with its letter in the case of the entry effect's letter.
std::string MatchEffectCase(std::string_view entryEffect, std::string exitEffect);

// The bytes as a message frame carries them: every CR and LF byte removed, so the lines of the
// editor run together on the sign.
std::string WithoutLineBreaks(std::string_view bytes);

// The body of a message frame from a compiled line: "<L" n ">" "<P" page ">" entry effect,
// "<M" letter ">", wait, exit effect, text; defaults fill what the line did not give, and
// every CR and LF byte is removed. An empty line (no compile) sends a single blank.
std::string MessageBody(const CompileResult* compiled, int lineIndex, char page);

struct MessageFrame {
  std::string frame;
  std::array<bool, 16> graphicsShown{};
};

// Compiles an editor line (lineIndex 0 is Line 1) and wraps its body in the frame for the
// sign. Fails only when a graphic the line shows cannot be read.
Result<MessageFrame> BuildMessageFrame(MessageCompiler& compiler, std::string_view line,
                                       int lineIndex, char page, std::uint8_t signId);

// Two bits a pixel, red high and green low ("A" 10, "D" 01, "E" 11, anything else 00),
// pixels 1 to 4 in the first byte from the top bits down, 5 to 8 in the second.
std::array<std::uint8_t, 2> PackPixels(std::string_view eightPixels);

// What is sent of one graphic: its rows padded on the right to whole 32-column blocks, and
// the blocks in the order they go (upper band 1 to c, then lower band 5 to 4 + c).
struct GraphicTransfer {
  GraphicRows rows;
  std::vector<int> blocks;
};

// Pads and chooses blocks for a graphic read from its file. Refused, with a message naming
// the graphic, before any frame is built: no rows, an empty first row, more than 128 columns,
// a row count that leaves a chosen block without its rows (fewer than 7, or 9 to 15), or a
// row too short for its blocks.
Result<GraphicTransfer> PlanGraphicTransfer(const std::string& name, GraphicRows rows);

// The frame of one 8 x 32 block: "<G" letter block ">" and 64 bytes, column group by column
// group, row by row, each row of 8 pixels packed into 2 bytes; a graphic of 7 rows or fewer
// sends its eighth row as off. The rows must cover the block (PlanGraphicTransfer sees to it).
std::string BuildGraphicBlockFrame(char letter, int block, std::uint8_t signId,
                                   const GraphicRows& rows, int rowCount);
// The body of that frame: "<G" letter block ">" and the 64 bytes.
std::string GraphicBlockBody(char letter, int block, const GraphicRows& rows, int rowCount);

// Everything that sending a line as Line 1 to a sign's page writes, built before the port
// opens so that a missing or unusable graphic stops the send before anything is written.
struct SendPlan {
  struct Graphic {
    std::string name;                      // "G01" to "G16"
    std::vector<std::string> blockFrames;  // in the order they are sent
  };
  std::string openFrame;          // "<BE>"
  std::string messageFrame;       // the line
  std::vector<Graphic> graphics;  // every graphic the line shows, G01 first
  std::string closeFrame;         // "<BF>"

  // The frames in the order they go out.
  std::vector<std::string> AllFrames() const;
};

// Compiles the line with a fresh tall-graphic record and reads every graphic it shows from
// the folder, each file once.
Result<SendPlan> PlanSend(const GraphicFolder& graphics, std::string_view line, char page,
                          std::uint8_t signId);

}  // namespace tavrin

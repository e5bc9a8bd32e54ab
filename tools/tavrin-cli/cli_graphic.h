#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "fonts/user_font.h"

namespace tavrin::cli {

// "graphic show NAME", "graphic export NAME FILE.bmp", "graphic import FILE.bmp NAME --width W
// --height H": the graphic editor's conversions for scripts, on the graphics of the program
// folder. Returns the exit code; a mistake in the arguments comes back in usageError (exit 2,
// with the usage), a file that cannot be read or written is exit 1 with the reason on err.
struct GraphicOutcome {
  int code = 0;
  std::string usageError;
};
GraphicOutcome GraphicCommand(const std::vector<std::string>& args,
                              const std::filesystem::path& home, std::ostream& out,
                              std::ostream& err);

// The European table picture of the program folder follows what the sign holds: the
// characters of a transfer that ran to its end are drawn into it, and a recall puts the
// default picture back. A build without Qt leaves the pictures alone.
void RecordSentCharacters(const std::filesystem::path& home,
                          const std::vector<UserFontRecord>& sent, std::ostream& err);
void RecallEuroPictures(const std::filesystem::path& home);

// "preview TEXT [--width W] [--font FILE.fon] [--gif FILE] [--png DIR]": what the sign shows for
// a line (sign text, in the sign's code page) with the graphics of the program folder: its
// still picture as text and what will not show as typed, and the animation as a GIF and as
// numbered PNG pictures.
GraphicOutcome PreviewCommand(const std::string& signText, const std::vector<std::string>& options,
                              const std::filesystem::path& home, std::ostream& out,
                              std::ostream& err);

}  // namespace tavrin::cli

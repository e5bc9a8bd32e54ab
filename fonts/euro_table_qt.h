#pragma once

#include <QImage>
#include <filesystem>
#include <vector>

#include "common/result.h"
#include "fonts/european_table.h"

namespace tavrin {

// The built-in European character table: 572 x 301 pixels in two colours, each cell with its
// character in the default font at its left and its label "Unn" at its right.
QImage BuiltInEuroTable();

// A table picture from a bitmap file, or why not (missing, not a bitmap, of another size).
Result<QImage> LoadEuroPicture(const std::filesystem::path& path);
// Writes a table picture as a two-colour bitmap, atomically.
Status SaveEuroPicture(const std::filesystem::path& path, const QImage& picture);

// Draws a transferred character into its cell: the old glyph erased in white, the dots in
// black, one pixel a dot. A record that names no size or cell changes nothing.
void DrawTransferredCharacter(QImage& picture, const UserFontRecord& record);

// The picture the table starts with: the working file of the program folder when it reads,
// else the built-in table. Writes the default file from the built-in table when it is missing,
// so that a recall has something to go back to.
QImage StartingEuroPicture(const std::filesystem::path& programFolder);

// After a transfer that ran to its end: the characters drawn into the working picture (read
// afresh, or the built-in one) and the picture saved. Used by tavrin-cli; the window keeps its
// picture and saves that.
Status RecordTransferredCharacters(const std::filesystem::path& programFolder,
                                   const std::vector<UserFontRecord>& sent);

// The recall's part on the PC: the default picture (when it reads) becomes the table, and is
// copied over the working file. A missing default changes nothing and is not an error.
std::optional<QImage> RecallDefaultEuroPicture(const std::filesystem::path& programFolder);

}  // namespace tavrin

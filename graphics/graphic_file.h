#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace tavrin {

// One string per row of cells, top row first; one byte per cell, leftmost first.
using GraphicRows = std::vector<std::string>;

// Cell letters: 64, plus 1 for the red LED, plus 4 for the green LED.
inline constexpr char kCellOff = '@';
inline constexpr char kCellRed = 'A';
inline constexpr char kCellGreen = 'D';
inline constexpr char kCellOrange = 'E';

// How a cell letter shows on the screen, in bitmaps and previews: "@" grey, "A" red, "D"
// green, "E" yellow; any other byte shows like off.
struct DisplayRgb {
  int red = 0, green = 0, blue = 0;
  bool operator==(const DisplayRgb&) const = default;
};
DisplayRgb DisplayColour(char letter);

inline constexpr int kGraphicCount = 16;
inline constexpr std::string_view kGraphicFolderName = "Graphdata";

// A graphic file is at most 16 rows of 128 cells; anything far beyond that is not one of ours,
// and reading stops before it can eat memory.
inline constexpr std::size_t kMaxGraphicFileBytes = 64 * 1024;

struct GraphicDims {
  int rows = 0;   // number of lines of the file
  int width = 0;  // length of its first line
};

// "G01" to "G16" for 1 to 16.
std::string GraphicName(int number);

// True for exactly "G01" to "G16".
bool IsGraphicName(std::string_view name);

// The graphic number a name stands for: its second and third bytes read as a decimal number,
// or 1 when they are not one. "G03" -> 3, "Gxy" -> 1.
int GraphicNumberFromName(std::string_view name);

// Splits file bytes into rows. A line ends at CR LF, a lone CR or a lone LF; the last line
// may lack its end; a NUL byte ends the text. Other control bytes mean the file is not a
// graphic, and that is an error naming the line.
Result<GraphicRows> ParseGraphicText(std::string_view bytes);

// The file form of the rows: every row followed by CR LF.
std::string FormatGraphicText(const GraphicRows& rows);

// Rows and width (the length of the first row) of read rows.
GraphicDims DimsOf(const GraphicRows& rows);

// The block tags of graphic number n for a message line: one "<G" letter k ">" per 32-column
// block (letter = 64 + n); for line 2 and a graphic of 9 or more rows, the lower half's
// blocks 5 to 8 instead.
std::string BlockTagSequence(int number, GraphicDims dims, int line);

// Where the compiler learns a graphic's size. The real one reads Graphdata; tests may
// answer from memory.
class GraphicSource {
 public:
  virtual ~GraphicSource() = default;
  // Rows and width of the named graphic, or why they cannot be had (missing or unreadable
  // file, an empty file, a name that cannot be a file name).
  virtual Result<GraphicDims> Dims(const std::string& name) = 0;
};

// The Graphdata folder of a program folder and the files in it.
class GraphicFolder : public GraphicSource {
 public:
  explicit GraphicFolder(std::filesystem::path programFolder);

  // programFolder + "Graphdata"
  std::filesystem::path Folder() const;
  // programFolder + "Graphdata/" + name + ".txt"
  std::filesystem::path FilePath(const std::string& name) const;

  // All rows of the file. Errors name the file: missing, unreadable, too large, not text,
  // or empty.
  Result<GraphicRows> Read(const std::string& name) const;
  Result<GraphicDims> Dims(const std::string& name) override;
  // The number of lines; an empty file has none.
  Result<int> Height(const std::string& name) const;

  bool Exists(const std::string& name) const;

  // Writes the rows with CR LF, replacing the whole file atomically. Creates the Graphdata
  // folder (one level) when missing; when that fails the error text is
  // "Cannot create" + program folder + "Graphdata" + "Dirtrory". Asking before overwriting is
  // the caller's business.
  Status Write(const std::string& name, const GraphicRows& rows) const;

  // The names "G01" to "G16" whose files are present, in the order the folder lists them;
  // other files are ignored and a missing folder gives an empty list.
  std::vector<std::string> List() const;

  Status Delete(const std::string& name) const;

 private:
  Status CheckName(const std::string& name) const;
  // The rows of the file, none for an empty one.
  Result<GraphicRows> ReadLines(const std::string& name) const;

  std::filesystem::path m_programFolder;
};

}  // namespace tavrin

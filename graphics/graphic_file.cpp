#include "graphics/graphic_file.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "common/file_io.h"
#include "common/program_folder.h"

namespace tavrin {

namespace fs = std::filesystem;

DisplayRgb DisplayColour(char letter) {
  switch (letter) {
    case kCellRed:
      return {255, 0, 0};
    case kCellGreen:
      return {0, 255, 0};
    case kCellOrange:
      return {255, 255, 0};
    default:
      return {128, 128, 128};
  }
}

std::string GraphicName(int number) {
  char name[16];
  std::snprintf(name, sizeof name, "G%2.2d", number);
  return name;
}

bool IsGraphicName(std::string_view name) {
  for (int n = 1; n <= kGraphicCount; ++n) {
    if (name == GraphicName(n)) return true;
  }
  return false;
}

int GraphicNumberFromName(std::string_view name) {
  const std::string_view digits = name.substr(std::min<std::size_t>(1, name.size()), 2);
  if (digits.empty()) return 1;
  int value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return 1;
    value = value * 10 + (c - '0');
  }
  return value;
}

Result<GraphicRows> ParseGraphicText(std::string_view bytes) {
  const std::size_t nul = bytes.find('\0');
  if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);
  GraphicRows rows;
  std::string row;
  bool open = false;  // a line has begun and not yet ended
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      rows.push_back(std::move(row));
      row.clear();
      open = false;
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      continue;
    }
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", b);
      return Error{"not a graphic data file: line " + std::to_string(rows.size() + 1) +
                   " holds the control byte " + hex};
    }
    row += c;
    open = true;
  }
  if (open) rows.push_back(std::move(row));
  return rows;
}

std::string FormatGraphicText(const GraphicRows& rows) {
  std::string text;
  for (const std::string& row : rows) {
    text += row;
    text += "\r\n";
  }
  return text;
}

GraphicDims DimsOf(const GraphicRows& rows) {
  return {static_cast<int>(rows.size()), rows.empty() ? 0 : static_cast<int>(rows.front().size())};
}

std::string BlockTagSequence(int number, GraphicDims dims, int line) {
  const int blocks = dims.width / 32 + (dims.width % 32 != 0 ? 1 : 0);
  const char letter = static_cast<char>(64 + number);
  const int first = (line == 2 && dims.rows >= 9) ? 5 : 1;
  std::string tags;
  for (int k = 0; k < blocks; ++k) {
    tags += "<G";
    tags += letter;
    tags += std::to_string(first + k);
    tags += '>';
  }
  return tags;
}

GraphicFolder::GraphicFolder(fs::path programFolder)
    : m_programFolder(WithTrailingSeparator(std::move(programFolder))) {}

fs::path GraphicFolder::Folder() const { return m_programFolder / kGraphicFolderName; }

fs::path GraphicFolder::FilePath(const std::string& name) const {
  return Folder() / (name + ".txt");
}

Status GraphicFolder::CheckName(const std::string& name) const {
  // The name comes from text typed into a message; it must not reach outside Graphdata.
  const bool bad = name.empty() || name == "." || name == ".." ||
                   name.find_first_of(std::string_view("/\\:\0", 4)) != std::string::npos;
  if (bad) return Error{"\"" + name + "\" is not a graphic name"};
  return {};
}

Result<GraphicRows> GraphicFolder::ReadLines(const std::string& name) const {
  if (Status s = CheckName(name); !s) return s.TakeError();
  const fs::path path = FilePath(name);
  Result<std::string> bytes = ReadFileLimited(path, kMaxGraphicFileBytes);
  if (!bytes) return bytes.TakeError();
  Result<GraphicRows> rows = ParseGraphicText(*bytes);
  if (!rows) return Error{Utf8FromPath(path) + ": " + rows.ErrorText()};
  return rows;
}

Result<GraphicRows> GraphicFolder::Read(const std::string& name) const {
  Result<GraphicRows> rows = ReadLines(name);
  if (rows && rows->empty())
    return Error{Utf8FromPath(FilePath(name)) + ": the graphic file is empty"};
  return rows;
}

Result<GraphicDims> GraphicFolder::Dims(const std::string& name) {
  Result<GraphicRows> rows = Read(name);
  if (!rows) return rows.TakeError();
  return DimsOf(*rows);
}

Result<int> GraphicFolder::Height(const std::string& name) const {
  Result<GraphicRows> rows = ReadLines(name);
  if (!rows) return rows.TakeError();
  return static_cast<int>(rows->size());
}

bool GraphicFolder::Exists(const std::string& name) const {
  std::error_code ec;
  return CheckName(name).Ok() && fs::exists(FilePath(name), ec);
}

Status GraphicFolder::Write(const std::string& name, const GraphicRows& rows) const {
  if (Status s = CheckName(name); !s) return s;
  std::error_code ec;
  const fs::path folder = Folder();
  if (!fs::is_directory(folder, ec)) {
    if (!fs::create_directory(folder, ec) || ec) {
      return Error{"Cannot create" + Utf8FromPath(m_programFolder) +
                   std::string(kGraphicFolderName) + "Dirtrory"};
    }
  }
  return WriteFileAtomically(FilePath(name), FormatGraphicText(rows));
}

std::vector<std::string> GraphicFolder::List() const {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(Folder(), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string file = it->path().filename().string();
    if (file.size() < 4 || file.compare(file.size() - 4, 4, ".txt") != 0) continue;
    const std::string stem = file.substr(0, file.size() - 4);
    if (IsGraphicName(stem)) names.push_back(stem);
  }
  return names;
}

Status GraphicFolder::Delete(const std::string& name) const {
  if (Status s = CheckName(name); !s) return s;
  std::error_code ec;
  if (!fs::remove(FilePath(name), ec) || ec) {
    return Error{"Cannot delete " + Utf8FromPath(FilePath(name)) +
                 (ec ? ": " + ec.message() : std::string(": no such file"))};
  }
  return {};
}

}  // namespace tavrin

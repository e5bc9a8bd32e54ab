#include "common/profile.h"

#include <system_error>
#include <vector>

#include "common/ascii.h"
#include "common/file_io.h"

namespace tavrin {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  a = Trim(a);
  b = Trim(b);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

// One line of the text: where it starts, its content without the line end, and where the
// next line starts.
struct Line {
  std::size_t begin;
  std::string_view content;
  std::size_t next;
};

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  // A mark that some editors put before the first section is no part of its line.
  std::size_t pos = text.starts_with(kUtf8Mark) ? kUtf8Mark.size() : 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      lines.push_back({pos, text.substr(pos), text.size()});
      break;
    }
    std::size_t next = end + 1;
    if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
    lines.push_back({pos, text.substr(pos, end - pos), next});
    pos = next;
  }
  return lines;
}

// The section a line opens ("[Name]" with blanks allowed around), if it opens one.
std::optional<std::string_view> SectionOf(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  const std::size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return line.substr(1, close - 1);
}

// The key and value of a "key=value" line.
bool KeyValueOf(std::string_view line, std::string_view& key, std::string_view& value) {
  const std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';') return false;
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  key = Trim(line.substr(0, eq));
  value = Trim(line.substr(eq + 1));
  return true;
}

// Where the key's line is, or where a new key of the section would go.
struct Place {
  bool sectionFound = false;
  const Line* keyLine = nullptr;
  std::size_t insertAt = 0;  // after the section's last non-blank line
};

Place Find(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
  Place place;
  bool inSection = false;
  for (const Line& line : lines) {
    if (const auto name = SectionOf(line.content)) {
      if (inSection) break;  // the first matching section is the one that counts
      inSection = SameName(*name, section);
      if (inSection) {
        place.sectionFound = true;
        place.insertAt = line.next;
      }
      continue;
    }
    if (!inSection) continue;
    std::string_view k, v;
    if (KeyValueOf(line.content, k, v) && SameName(k, key)) {
      place.keyLine = &line;
      return place;
    }
    if (!Trim(line.content).empty()) place.insertAt = line.next;
  }
  return place;
}

std::string LineEndOf(std::string_view text) {
  const std::size_t end = text.find_first_of("\r\n");
  if (end == std::string_view::npos) return "\r\n";
  if (text[end] == '\n') return "\n";
  return (end + 1 < text.size() && text[end + 1] == '\n') ? "\r\n" : "\r";
}

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The character of UTF-8 text at text[at], moving at past it; U+FFFD and one byte for
// anything but the shortest form of a character.
char32_t NextUtf8(std::string_view text, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at++]);
  if (lead < 0x80) return lead;
  const int extra = lead >= 0xC2 && lead <= 0xDF   ? 1
                    : lead >= 0xE0 && lead <= 0xEF ? 2
                    : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                   : -1;
  if (extra < 0 || at + static_cast<std::size_t>(extra) > text.size()) return kReplacement;
  char32_t c = lead & (0x3Fu >> extra);
  for (int k = 0; k < extra; ++k) {
    const auto b = static_cast<unsigned char>(text[at + static_cast<std::size_t>(k)]);
    if ((b & 0xC0) != 0x80) return kReplacement;
    c = (c << 6) | (b & 0x3Fu);
  }
  static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
  if (c < kLeast[extra] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return kReplacement;
  at += static_cast<std::size_t>(extra);
  return c;
}

}  // namespace

ProfileText DecodeProfileBytes(std::string_view bytes) {
  ProfileText result;
  if (bytes.starts_with("\xFF\xFE")) {
    result.encoding = ProfileEncoding::Utf16LittleEndian;
  } else if (bytes.starts_with("\xFE\xFF")) {
    result.encoding = ProfileEncoding::Utf16BigEndian;
  } else {
    result.text = bytes;
    return result;
  }
  const bool big = result.encoding == ProfileEncoding::Utf16BigEndian;
  const auto unitAt = [&](std::size_t i) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    return static_cast<char32_t>(big ? (first << 8) | second : (second << 8) | first);
  };
  result.text.reserve(bytes.size());
  std::size_t i = 2;
  for (; i + 1 < bytes.size(); i += 2) {
    const char32_t unit = unitAt(i);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t low = unitAt(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(result.text, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(result.text, unit >= 0xD800 && unit <= 0xDFFF ? kReplacement : unit);
  }
  if (i < bytes.size()) AppendUtf8(result.text, kReplacement);
  return result;
}

std::string EncodeProfileText(std::string_view text, ProfileEncoding encoding) {
  if (encoding == ProfileEncoding::Bytes) return std::string(text);
  const bool big = encoding == ProfileEncoding::Utf16BigEndian;
  std::string bytes = big ? "\xFE\xFF" : "\xFF\xFE";
  bytes.reserve(2 + 2 * text.size());
  const auto append = [&](char32_t unit) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += big ? high : low;
    bytes += big ? low : high;
  };
  for (std::size_t at = 0; at < text.size();) {
    const char32_t c = NextUtf8(text, at);
    if (c < 0x10000) {
      append(c);
    } else {
      append(0xD800 + ((c - 0x10000) >> 10));
      append(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  return bytes;
}

std::optional<std::string> ProfileLookup(std::string_view text, std::string_view section,
                                         std::string_view key) {
  const std::vector<Line> lines = SplitLines(text);
  const Place place = Find(lines, section, key);
  if (place.keyLine == nullptr) return std::nullopt;
  std::string_view k, value;
  KeyValueOf(place.keyLine->content, k, value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

namespace {

std::string LowerName(std::string_view name) {
  name = Trim(name);
  std::string lower(name);
  for (char& c : lower) c = AsciiLower(c);
  return lower;
}

// A value as ProfileLookup gives it: one pair of enclosing quotes taken off.
std::string Unquoted(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

}  // namespace

ProfileIndex::ProfileIndex(std::string_view text) {
  std::map<std::string, std::string>* current = nullptr;
  for (const Line& line : SplitLines(text)) {
    if (const auto name = SectionOf(line.content)) {
      // Only the first section of a name counts; later ones are read past.
      const auto [it, fresh] = m_sections.try_emplace(LowerName(*name));
      current = fresh ? &it->second : nullptr;
      continue;
    }
    std::string_view key, value;
    if (current != nullptr && KeyValueOf(line.content, key, value)) {
      current->try_emplace(LowerName(key), Unquoted(value));  // the first key wins
    }
  }
}

std::optional<std::string> ProfileIndex::Lookup(std::string_view section,
                                                std::string_view key) const {
  const auto s = m_sections.find(LowerName(section));
  if (s == m_sections.end()) return std::nullopt;
  const auto k = s->second.find(LowerName(key));
  if (k == s->second.end()) return std::nullopt;
  return k->second;
}

std::vector<std::string> ProfileIndex::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  const auto s = m_sections.find(LowerName(section));
  if (s != m_sections.end()) {
    for (const auto& [key, value] : s->second) keys.push_back(key);
  }
  return keys;
}

int ProfileInt(const std::optional<std::string>& value, int defaultValue) {
  if (!value || value->empty()) return defaultValue;
  std::size_t i = 0;
  const std::string& s = *value;
  while (i < s.size() && IsBlank(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  unsigned int result = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    result = result * 10u + static_cast<unsigned>(s[i] - '0');  // wraps as the system's does
  }
  if (negative) result = 0u - result;
  return static_cast<int>(result);
}

std::string ProfileUpdate(std::string_view text, std::string_view section, std::string_view key,
                          std::string_view value) {
  const std::vector<Line> lines = SplitLines(text);
  const Place place = Find(lines, section, key);
  const std::string eol = LineEndOf(text);
  std::string out(text);
  if (place.keyLine != nullptr) {
    std::string_view k, v;
    KeyValueOf(place.keyLine->content, k, v);
    const std::string replacement = std::string(k) + "=" + std::string(value);
    out.replace(place.keyLine->begin, place.keyLine->content.size(), replacement);
    return out;
  }
  const std::string keyLine = std::string(key) + "=" + std::string(value) + eol;
  if (place.sectionFound) {
    std::string insert = keyLine;
    // The section's last line may lack its line end when it ends the file.
    if (place.insertAt == text.size() && !text.empty() && text.back() != '\n' &&
        text.back() != '\r') {
      insert = eol + insert;
    }
    out.insert(place.insertAt, insert);
    return out;
  }
  if (!out.empty() && out.back() != '\n' && out.back() != '\r' && out != kUtf8Mark) out += eol;
  out += "[" + std::string(section) + "]" + eol + keyLine;
  return out;
}

std::optional<std::string> ProfileFile::ReadString(std::string_view section,
                                                   std::string_view key) const {
  const Result<std::string> bytes = ReadFileLimited(m_path, kMaxProfileFileBytes);
  if (!bytes) return std::nullopt;
  return ProfileLookup(DecodeProfileBytes(*bytes).text, section, key);
}

int ProfileFile::ReadInt(std::string_view section, std::string_view key, int defaultValue) const {
  return ProfileInt(ReadString(section, key), defaultValue);
}

Status ProfileFile::WriteString(std::string_view section, std::string_view key,
                                std::string_view value) {
  ProfileText old;
  std::error_code ec;
  if (std::filesystem::exists(m_path, ec)) {
    Result<std::string> bytes = ReadFileLimited(m_path, kMaxProfileFileBytes);
    if (!bytes) return Error{"The settings were not saved: " + bytes.ErrorText()};
    old = DecodeProfileBytes(*bytes);
  }
  Status written = WriteFileAtomically(
      m_path, EncodeProfileText(ProfileUpdate(old.text, section, key, value), old.encoding));
  if (!written) return Error{"The settings were not saved: " + written.ErrorText()};
  return {};
}

Status ProfileFile::WriteInt(std::string_view section, std::string_view key, int value) {
  return WriteString(section, key, std::to_string(value));
}

}  // namespace tavrin

#include "editor/message_rtf.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "common/ascii.h"
#include "common/codepage.h"
#include "common/file_io.h"
#include "editor/vocabulary.h"

namespace tavrin {

namespace {

// ---- UTF-8 --------------------------------------------------------------------------------

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The code point at i (advancing i), or nothing for a malformed sequence (i then moves on by
// one byte).
std::optional<std::uint32_t> NextUtf8(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  int extra = 0;
  if (b0 < 0x80) {
    ++i;
    return b0;
  } else if ((b0 >> 5) == 6) {
    extra = 1;
  } else if ((b0 >> 4) == 14) {
    extra = 2;
  } else if ((b0 >> 3) == 30) {
    extra = 3;
  } else {
    ++i;
    return std::nullopt;
  }
  if (i + static_cast<std::size_t>(extra) >= s.size()) {
    ++i;
    return std::nullopt;
  }
  std::uint32_t cp = b0 & (0x3Fu >> extra);
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return std::nullopt;
    }
    cp = (cp << 6) | (b & 0x3Fu);
  }
  // Only the shortest form of a real character: no overlong forms, no surrogates, nothing
  // past U+10FFFF.
  static constexpr std::uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kLeast[extra] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
    ++i;
    return std::nullopt;
  }
  i += static_cast<std::size_t>(extra) + 1;
  return cp;
}

bool IsValidUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    if (!NextUtf8(s, i)) return false;
  }
  return true;
}

int CodePageNumber(const std::string& codePage) {
  if (codePage.size() > 2 && (codePage[0] == 'C' || codePage[0] == 'c') &&
      (codePage[1] == 'P' || codePage[1] == 'p')) {
    int n = 0;
    for (std::size_t i = 2; i < codePage.size(); ++i) {
      if (codePage[i] < '0' || codePage[i] > '9') return 1252;
      n = n * 10 + (codePage[i] - '0');
    }
    return n;
  }
  return 1252;
}

// ---- Reading ------------------------------------------------------------------------------

// Destinations whose text is not part of the document's body.
bool IsSkippedDestination(std::string_view word) {
  static constexpr std::string_view kSkipped[] = {
      "fonttbl",   "stylesheet", "info",       "pict",         "header",
      "headerl",   "headerr",    "headerf",    "footer",       "footerl",
      "footerr",   "footerf",    "footnote",   "annotation",   "object",
      "fldinst",   "themedata",  "datastore",  "listtable",    "listoverridetable",
      "rsidtbl",   "generator",  "xmlnstbl",   "latentstyles", "colorschememapping",
      "pgdsctbl",  "filetbl",    "revtbl",     "author",       "operator",
      "title",     "subject",    "keywords",   "comment",      "doccomm",
      "bkmkstart", "bkmkend",    "txe",        "xe",           "tc",
      "mmathPr",   "userprops",  "nonshppict", "shppict",      "shpinst"};
  for (const std::string_view s : kSkipped) {
    if (s == word) return true;
  }
  return false;
}

struct GroupState {
  bool skip = false;
  bool colourTable = false;
  int colour = 0;
  int uc = 1;
};

class RtfReader {
 public:
  explicit RtfReader(std::string_view doc) : m_doc(doc) {}

  std::vector<TextRun> Read() {
    std::vector<GroupState> stack;
    GroupState state;
    bool started = false;
    while (m_pos < m_doc.size()) {
      const char c = m_doc[m_pos];
      if (c == '{') {
        ++m_pos;
        if (started) stack.push_back(state);
        started = true;
        continue;
      }
      if (c == '}') {
        ++m_pos;
        FlushBytes(state);
        if (stack.empty()) break;  // the end of the document
        state = stack.back();
        stack.pop_back();
        continue;
      }
      if (c == '\\') {
        ControlSymbol(state);
        continue;
      }
      ++m_pos;
      if (c == '\r' || c == '\n') continue;
      if (state.colourTable) {
        if (c == ';') {
          m_colours.push_back(m_pending);
          m_pending = Rgb{};
        }
        continue;
      }
      if (state.skip) continue;
      if (m_skipFallback > 0) {
        --m_skipFallback;
        continue;
      }
      m_bytes += c;
    }
    FlushBytes(state);
    // The last paragraph mark of a document ends it; it adds no line.
    if (!m_runs.empty() && m_runs.back().text.ends_with('\n')) {
      m_runs.back().text.pop_back();
      if (m_runs.back().text.empty()) m_runs.pop_back();
    }
    return MergeRuns(std::move(m_runs));
  }

 private:
  void ControlSymbol(GroupState& state) {
    ++m_pos;  // the backslash
    if (m_pos >= m_doc.size()) return;
    const char c = m_doc[m_pos];
    if (IsLetter(c)) {
      ControlWord(state);
      return;
    }
    ++m_pos;
    switch (c) {
      case '\'': {
        const int value = m_pos + 2 <= m_doc.size() ? HexPair(m_doc.substr(m_pos, 2)) : -1;
        m_pos = std::min(m_doc.size(), m_pos + 2);  // a broken escape is dropped whole
        if (value >= 0) {
          if (!state.skip && !state.colourTable) {
            if (m_skipFallback > 0) {
              --m_skipFallback;
            } else {
              m_bytes += static_cast<char>(value);
            }
          }
        }
        return;
      }
      case '*':
        state.skip = true;
        return;
      case '\\':
      case '{':
      case '}':
        Text(state, std::string(1, c));
        return;
      case '~':
        Text(state, " ");
        return;
      case '_':
        Text(state, "-");
        return;
      case '\r':
      case '\n':
        Text(state, "\n");
        return;
      default:
        return;  // optional hyphens, formula characters and the like
    }
  }

  void ControlWord(GroupState& state) {
    const std::size_t start = m_pos;
    while (m_pos < m_doc.size() && IsLetter(m_doc[m_pos]) && m_pos - start < 32) ++m_pos;
    const std::string word(m_doc.substr(start, m_pos - start));
    bool hasParam = false;
    long param = 0;
    bool negative = false;
    if (m_pos < m_doc.size() && m_doc[m_pos] == '-') {
      negative = true;
      ++m_pos;
    }
    while (m_pos < m_doc.size() && m_doc[m_pos] >= '0' && m_doc[m_pos] <= '9') {
      if (param < 100000000) param = param * 10 + (m_doc[m_pos] - '0');
      hasParam = true;
      ++m_pos;
    }
    if (negative) param = -param;
    if (m_pos < m_doc.size() && m_doc[m_pos] == ' ') ++m_pos;

    if (state.colourTable) {
      if (word == "red") m_pending.red = static_cast<int>(param);
      if (word == "green") m_pending.green = static_cast<int>(param);
      if (word == "blue") m_pending.blue = static_cast<int>(param);
      return;
    }
    if (word == "colortbl") {
      state.colourTable = true;
      m_colours.clear();
      return;
    }
    if (IsSkippedDestination(word)) {
      state.skip = true;
      return;
    }
    if (word == "bin" && hasParam && param > 0) {
      m_pos = std::min(m_doc.size(), m_pos + static_cast<std::size_t>(param));
      return;
    }
    if (word == "ansicpg" && hasParam) {
      m_codePage = "CP" + std::to_string(param);
      return;
    }
    if (word == "uc" && hasParam) {
      state.uc = static_cast<int>(std::max(0L, std::min(param, 10L)));
      return;
    }
    if (state.skip) return;
    if (word == "cf") {
      FlushBytes(state);
      state.colour = static_cast<int>(param);
    } else if (word == "plain") {
      FlushBytes(state);
      state.colour = 0;
    } else if (word == "par" || word == "line" || word == "sect" || word == "page") {
      Text(state, "\n");
    } else if (word == "tab") {
      Text(state, "\t");
    } else if (word == "u" && hasParam) {
      // A 16-bit unit, written signed; anything else is no character and stands as "?".
      if (param >= -32768 && param <= 65535) {
        Unicode(state, static_cast<std::uint32_t>(param < 0 ? param + 65536 : param));
      } else {
        Text(state, "?");
      }
      m_skipFallback = state.uc;
    } else if (const char* special = Special(word)) {
      Text(state, special);
    }
  }

  static const char* Special(std::string_view word) {
    static constexpr std::pair<std::string_view, const char*> kSpecials[] = {
        {"emdash", "\xE2\x80\x94"},    {"endash", "\xE2\x80\x93"}, {"bullet", "\xE2\x80\xA2"},
        {"lquote", "\xE2\x80\x98"},    {"rquote", "\xE2\x80\x99"}, {"ldblquote", "\xE2\x80\x9C"},
        {"rdblquote", "\xE2\x80\x9D"}, {"emspace", " "},           {"enspace", " "}};
    for (const auto& [name, text] : kSpecials) {
      if (name == word) return text;
    }
    return nullptr;
  }

  void Unicode(GroupState& state, std::uint32_t unit) {
    if (unit >= 0xD800 && unit < 0xDC00) {
      m_highSurrogate = unit;
      return;
    }
    std::uint32_t cp = unit;
    if (unit >= 0xDC00 && unit < 0xE000) {
      if (m_highSurrogate == 0) return;
      cp = 0x10000 + ((m_highSurrogate - 0xD800) << 10) + (unit - 0xDC00);
    }
    m_highSurrogate = 0;
    std::string text;
    AppendUtf8(text, cp);
    Text(state, text);
  }

  // Bytes of the document's code page, decoded together so that double-byte pages work.
  void FlushBytes(const GroupState& state) {
    if (m_bytes.empty()) return;
    Result<std::string> text = CodePageToUtf8(m_bytes, m_codePage);
    m_bytes.clear();
    Append(state, text ? *text : std::string("?"));
  }

  void Text(const GroupState& state, const std::string& text) {
    if (state.skip) return;
    FlushBytes(state);
    Append(state, text);
  }

  void Append(const GroupState& state, const std::string& text) {
    const bool red = state.colour > 0 &&
                     static_cast<std::size_t>(state.colour) < m_colours.size() &&
                     IsTagColour(m_colours[static_cast<std::size_t>(state.colour)]);
    if (!m_runs.empty() && m_runs.back().red == red) {
      m_runs.back().text += text;
    } else {
      m_runs.push_back({text, red});
    }
  }

  static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

  static int HexPair(std::string_view s) {
    int value = 0;
    for (const char c : s) {
      const int d = HexDigitValue(c);
      if (d < 0) return -1;
      value = value * 16 + d;
    }
    return value;
  }

  std::string_view m_doc;
  std::size_t m_pos = 0;
  std::string m_codePage = "CP1252";
  std::vector<Rgb> m_colours;
  Rgb m_pending;
  std::string m_bytes;  // code page bytes not yet decoded
  int m_skipFallback = 0;
  std::uint32_t m_highSurrogate = 0;
  std::vector<TextRun> m_runs;
};

// ---- Writing ------------------------------------------------------------------------------

void WriteEscaped(std::string& out, std::string_view text, const std::string& codePage) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    const std::optional<std::uint32_t> cp = NextUtf8(text, i);
    if (!cp) continue;
    if (*cp == '\\' || *cp == '{' || *cp == '}') {
      out += '\\';
      out += static_cast<char>(*cp);
    } else if (*cp == '\n') {
      out += "\\par\r\n";
    } else if (*cp == '\t') {
      out += "\\tab ";
    } else if (*cp >= 0x20 && *cp < 0x7F) {
      out += static_cast<char>(*cp);
    } else if (*cp < 0x20) {
      continue;
    } else if (Result<std::string> bytes = Utf8ToCodePage(text.substr(start, i - start), codePage);
               bytes && bytes->size() == 1) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\'%02x", static_cast<unsigned char>((*bytes)[0]));
      out += hex;
    } else {
      // Outside the code page: the character by number, "?" for readers that do not know \u.
      auto unit = [&out](std::uint32_t u) {
        out += "\\u" +
               std::to_string(u >= 0x8000 ? static_cast<long>(u) - 65536 : static_cast<long>(u)) +
               "?";
      };
      if (*cp >= 0x10000) {
        unit(0xD800 + ((*cp - 0x10000) >> 10));
        unit(0xDC00 + ((*cp - 0x10000) & 0x3FF));
      } else {
        unit(*cp);
      }
    }
  }
}

}  // namespace

std::vector<TextRun> MergeRuns(std::vector<TextRun> runs) {
  std::vector<TextRun> merged;
  for (TextRun& run : runs) {
    if (run.text.empty()) continue;
    if (!merged.empty() && merged.back().red == run.red) {
      merged.back().text += run.text;
    } else {
      merged.push_back(std::move(run));
    }
  }
  return merged;
}

std::string WriteMessageRtf(const std::vector<TextRun>& runs, const std::string& codePage) {
  const int cpg = CodePageNumber(codePage);
  std::string out = "{\\rtf1\\ansi\\ansicpg" + std::to_string(cpg) +
                    "\\deff0{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 Courier New;}}\r\n"
                    "{\\colortbl ;\\red0\\green0\\blue0;\\red255\\green0\\blue0;}\r\n"
                    "\\viewkind4\\uc1\\pard\\cf1\\b\\f0\\fs28 ";
  bool red = false;
  for (const TextRun& run : runs) {
    if (run.text.empty()) continue;
    if (run.red != red) {
      out += run.red ? "\\cf2 " : "\\cf1 ";
      red = run.red;
    }
    WriteEscaped(out, run.text, codePage);
  }
  out += "\\cf1\\b0\\par\r\n}\r\n";
  return out;
}

std::vector<TextRun> RunsOfPastedText(std::string_view pasted) {
  const std::string text = WithBlanksForTabs(std::string(pasted));
  std::vector<TextRun> runs;
  std::size_t plainFrom = 0;
  for (std::size_t open = text.find('<'); open != std::string::npos;
       open = text.find('<', open + 1)) {
    const std::size_t close = text.find_first_of("<>", open + 1);
    if (close == std::string::npos || text[close] != '>') continue;
    const std::string_view tag = std::string_view(text).substr(open, close - open + 1);
    if (!IsDisplayTag(tag)) continue;
    runs.push_back({text.substr(plainFrom, open - plainFrom), false});
    runs.push_back({std::string(tag), true});
    plainFrom = close + 1;
    open = close;
  }
  runs.push_back({text.substr(plainFrom), false});
  std::erase_if(runs, [](const TextRun& run) { return run.text.empty(); });
  return MergeRuns(std::move(runs));
}

std::string WithBlanksForTabs(std::string text) {
  std::replace(text.begin(), text.end(), '\t', ' ');
  return text;
}

Result<std::vector<TextRun>> ReadMessageRtf(std::string_view document) {
  std::size_t start = 0;
  if (document.starts_with("\xEF\xBB\xBF")) start = 3;
  while (start < document.size() && (document[start] == ' ' || document[start] == '\r' ||
                                     document[start] == '\n' || document[start] == '\t')) {
    ++start;
  }
  if (document.substr(start, 5) != "{\\rtf") return Error{"not Rich Text"};
  return RtfReader(document.substr(start)).Read();
}

namespace {

// Control characters other than tab and line break are no message text: the sign would get
// them raw, and a saved file would lose them. They are dropped as the file is read, and a tab
// becomes a blank.
std::vector<TextRun> WithoutControls(std::vector<TextRun> runs) {
  for (TextRun& run : runs) {
    run.text = WithBlanksForTabs(std::move(run.text));
    std::erase_if(run.text, [](char c) {
      const auto byte = static_cast<unsigned char>(c);
      return byte < 0x20 && c != '\t' && c != '\n';
    });
  }
  std::erase_if(runs, [](const TextRun& run) { return run.text.empty(); });
  return MergeRuns(std::move(runs));
}

}  // namespace

Result<std::vector<TextRun>> ReadMessageFile(std::string_view bytes, const std::string& codePage) {
  if (bytes.size() > kMaxMessageFileBytes) {
    return Error{"The file is too large for a message (" + std::to_string(bytes.size()) +
                 " bytes)"};
  }
  if (Result<std::vector<TextRun>> rtf = ReadMessageRtf(bytes); rtf) {
    return WithoutControls(std::move(*rtf));
  }
  if (bytes.find('\0') != std::string_view::npos) {
    return Error{"The file is not a message: it holds binary data"};
  }
  std::string text;
  if (IsValidUtf8(bytes)) {
    text = bytes;
  } else {
    Result<std::string> decoded = CodePageToUtf8(bytes, codePage);
    if (!decoded) return Error{"The file is not a message: " + decoded.ErrorText()};
    text = std::move(*decoded);
  }
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      lines += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      lines += text[i];
    }
  }
  if (lines.ends_with('\n')) lines.pop_back();
  return WithoutControls({{lines, false}});
}

namespace {

// The number of characters (code points) of a message's runs.
std::size_t MessageCharacters(const std::vector<TextRun>& runs) {
  std::size_t characters = 0;
  for (const TextRun& run : runs) {
    for (const char c : run.text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }
  return characters;
}

}  // namespace

Result<std::vector<TextRun>> LoadMessageFile(const std::filesystem::path& path,
                                             const std::string& codePage) {
  Result<std::string> bytes = ReadFileLimited(path, kMaxMessageFileBytes);
  if (!bytes) return bytes.TakeError();
  Result<std::vector<TextRun>> runs = ReadMessageFile(*bytes, codePage);
  if (!runs) return Error{Utf8FromPath(path) + ": " + runs.ErrorText()};
  if (const std::size_t n = MessageCharacters(*runs); n > kMaxMessageTextCharacters) {
    return Error{Utf8FromPath(path) + " holds " + std::to_string(n) +
                 " characters: too long for a message (a line of the sign holds " +
                 std::to_string(kMaxMessageLength) + "), so it was not opened"};
  }
  return runs;
}

}  // namespace tavrin

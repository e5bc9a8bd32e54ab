#include "signlink/sign_list.h"

#include <algorithm>

#include "common/ascii.h"
#include "common/bytes.h"
#include "common/file_io.h"
#include "signlink/sign_link.h"

namespace tavrin {

namespace {

constexpr std::string_view kQueuePrefix = "queue:";
constexpr std::string_view kFileName = "Tavrin.signs";
// A list of a thousand signs is some 60 KiB: a larger file is no sign list.
constexpr std::size_t kMaxListBytes = 1024 * 1024;

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string Lowered(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), AsciiLower);
  return lower;
}

bool SameName(std::string_view a, std::string_view b) { return Lowered(a) == Lowered(b); }

// Why a name cannot be a sign's, or nothing.
std::optional<std::string> NameProblem(std::string_view name) {
  if (Trimmed(name).empty()) return "a sign needs a name";
  if (Trimmed(name) != name) return "a name does not start or end with a blank";
  if (name.find('=') != std::string_view::npos) return "a name holds no \"=\"";
  if (name.front() == ';' || name.front() == '#') return "a name does not start with ; or #";
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20) return "a name holds no control characters";
  }
  return std::nullopt;
}

// Splits "a, b, c" at its commas, each part trimmed.
std::vector<std::string_view> Fields(std::string_view text) {
  std::vector<std::string_view> fields;
  std::size_t from = 0;
  for (;;) {
    const std::size_t comma = text.find(',', from);
    fields.push_back(Trimmed(text.substr(
        from, comma == std::string_view::npos ? std::string_view::npos : comma - from)));
    if (comma == std::string_view::npos) return fields;
    from = comma + 1;
  }
}

Result<NamedSign> ParseSignLine(std::string_view name, std::string_view value) {
  NamedSign sign;
  sign.name = std::string(name);
  if (const std::optional<std::string> problem = NameProblem(sign.name)) return Error{*problem};
  const std::vector<std::string_view> fields = Fields(value);
  if (fields.size() != 4) {
    return Error{"expected ADDRESS, ID, COLOURS, WIDTH (4 fields), found " +
                 std::to_string(fields.size())};
  }
  Result<SignAddress> address = ParseSignAddress(fields[0]);
  if (!address) return address.TakeError();
  sign.address = *address;
  if (fields[1].size() != 2 || !ParseHexByte(fields[1], sign.id)) {
    return Error{"the ID \"" + std::string(fields[1]) +
                 "\" is not two hexadecimal digits 00 to FF"};
  }
  if (fields[2] != "1" && fields[2] != "3") {
    return Error{"the colours \"" + std::string(fields[2]) +
                 "\" are neither 3 (red, green, orange) nor 1 (red alone)"};
  }
  sign.tripleColor = fields[2] == "3";
  const auto width = std::find_if(std::begin(kSignListWidths), std::end(kSignListWidths),
                                  [&](int w) { return std::to_string(w) == fields[3]; });
  if (width == std::end(kSignListWidths)) {
    return Error{"the width \"" + std::string(fields[3]) + "\" is none of 128, 96 and 160"};
  }
  sign.width = *width;
  return sign;
}

}  // namespace

std::string SignAddress::Text() const {
  switch (kind) {
    case Kind::Port:
      return "COM" + std::to_string(port);
    case Kind::Device:
    case Kind::Tcp:
      return address;
    case Kind::Queue:
      return std::string(kQueuePrefix) + address;
  }
  return {};
}

std::string SignAddress::LinkKey() const {
  // Host names and port names are without letter case; paths and queue names are not.
  if (kind == Kind::Tcp || kind == Kind::Port) return Lowered(Text());
  return Text();
}

Result<SignAddress> ParseSignAddress(std::string_view text) {
  text = Trimmed(text);
  SignAddress a;
  if (text.size() > 3 && Lowered(text.substr(0, 3)) == "com" &&
      text.find_first_not_of("0123456789", 3) == std::string_view::npos && text.size() <= 6) {
    a.kind = SignAddress::Kind::Port;
    a.port = std::stoi(std::string(text.substr(3)));
    if (a.port < 1 || a.port > 255) return Error{"there is no port " + std::string(text)};
    return a;
  }
  if (text.starts_with(kQueuePrefix)) {
    a.kind = SignAddress::Kind::Queue;
    a.address = std::string(text.substr(kQueuePrefix.size()));
    if (a.address.empty()) return Error{"\"queue:\" names no print queue"};
    return a;
  }
  if (text.starts_with("/") || text.starts_with("\\\\.\\")) {
    a.kind = SignAddress::Kind::Device;
    a.address = std::string(text);
    return a;
  }
  std::string host;
  int port = 0;
  if (ParseHostPort(std::string(text), host, port)) {
    a.kind = SignAddress::Kind::Tcp;
    a.address = std::string(text);
    return a;
  }
  return Error{"\"" + std::string(text) +
               "\" is no address: COMn, a device path, HOST:PORT or queue:NAME"};
}

const NamedSign* SignList::Find(std::string_view name) const {
  for (const NamedSign& sign : m_signs) {
    if (SameName(sign.name, name)) return &sign;
  }
  return nullptr;
}

Status SignList::Add(NamedSign sign) {
  if (const std::optional<std::string> problem = NameProblem(sign.name)) return Error{*problem};
  if (Find(sign.name) != nullptr) return Error{"there is a sign named " + sign.name + " already"};
  m_signs.push_back(std::move(sign));
  return {};
}

Status SignList::Replace(std::string_view name, NamedSign sign) {
  const auto it = std::find_if(m_signs.begin(), m_signs.end(),
                               [&](const NamedSign& s) { return SameName(s.name, name); });
  if (it == m_signs.end()) return Error{"there is no sign named " + std::string(name)};
  if (const std::optional<std::string> problem = NameProblem(sign.name)) return Error{*problem};
  const NamedSign* other = Find(sign.name);
  if (other != nullptr && other != &*it) {
    return Error{"there is a sign named " + sign.name + " already"};
  }
  *it = std::move(sign);
  return {};
}

bool SignList::Remove(std::string_view name) {
  const auto it = std::find_if(m_signs.begin(), m_signs.end(),
                               [&](const NamedSign& s) { return SameName(s.name, name); });
  if (it == m_signs.end()) return false;
  m_signs.erase(it);
  return true;
}

std::string SignList::FileText() const {
  std::string text =
      "; Tavrin's signs, one a line: NAME = ADDRESS, ID, COLOURS, WIDTH\r\n"
      "; ADDRESS: COMn, a device path, HOST:PORT or queue:NAME; ID 00 to FF; COLOURS 3 or 1;\r\n"
      "; WIDTH 128, 96 or 160.\r\n";
  for (const NamedSign& sign : m_signs) text += SignListLine(sign) + "\r\n";
  return text;
}

std::string SignListLine(const NamedSign& sign) {
  return sign.name + " = " + sign.address.Text() + ", " + HexByte(sign.id) + ", " +
         (sign.tripleColor ? "3" : "1") + ", " + std::to_string(sign.width);
}

SignListRead ParseSignList(std::string_view text, std::string_view fileName) {
  SignListRead read;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  int lineNumber = 0;
  std::size_t from = 0;
  while (from < text.size()) {
    const std::size_t end = std::min(text.find('\n', from), text.size());
    const std::string_view line = Trimmed(text.substr(from, end - from));
    from = end + 1;
    ++lineNumber;
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    const auto problem = [&](const std::string& why) {
      read.problems.push_back(std::string(fileName) + " line " + std::to_string(lineNumber) + ": " +
                              why);
    };
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      problem("expected NAME = ADDRESS, ID, COLOURS, WIDTH");
      continue;
    }
    Result<NamedSign> sign =
        ParseSignLine(Trimmed(line.substr(0, equals)), line.substr(equals + 1));
    if (!sign) {
      problem(sign.ErrorText());
      continue;
    }
    if (Status added = read.list.Add(std::move(*sign)); !added) problem(added.ErrorText());
  }
  return read;
}

std::filesystem::path SignListPath(const std::filesystem::path& programFolder) {
  return programFolder / kFileName;
}

SignListRead ReadSignList(const std::filesystem::path& programFolder) {
  const std::filesystem::path path = SignListPath(programFolder);
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return {};
  Result<std::string> text = ReadFileLimited(path, kMaxListBytes);
  if (!text) return SignListRead{{}, {text.ErrorText()}};
  return ParseSignList(*text, kFileName);
}

Status WriteSignList(const std::filesystem::path& programFolder, const SignList& list) {
  return WriteFileAtomically(SignListPath(programFolder), list.FileText());
}

}  // namespace tavrin

#include "signlink/sign_book.h"

#include <algorithm>
#include <system_error>

#include "common/bytes.h"
#include "common/file_io.h"

namespace tavrin {

namespace {

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The copy of a file that is about to be written over. A file too large or unreadable to be a
// sign list is copied all the same, byte for byte, through a temporary file.
Status CopyAside(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::filesystem::path temporary = to;
  temporary += ".tmp";
  std::error_code ec;
  std::filesystem::copy_file(from, temporary, std::filesystem::copy_options::overwrite_existing,
                             ec);
  if (!ec) std::filesystem::rename(temporary, to, ec);
  if (ec) {
    std::filesystem::remove(temporary, ec);
    return Error{"the sign list " + Utf8FromPath(from) + " could not be copied to " +
                 Utf8FromPath(to) + " before it is written over, so it was left as it is"};
  }
  return {};
}

}  // namespace

SignBook::SignBook(std::filesystem::path programFolder) : m_folder(std::move(programFolder)) {
  Reload();
}

std::filesystem::path SignBook::Path() const { return SignListPath(m_folder); }

void SignBook::Reload() {
  SignListRead read = ReadSignList(m_folder);
  m_list = std::move(read.list);
  m_problems = std::move(read.problems);
  m_backup.clear();
  Changed();
}

Status SignBook::Write(const SignList& list) {
  if (!m_problems.empty() && m_backup.empty()) {
    std::filesystem::path backup = Path();
    backup += ".bak";
    std::error_code ec;
    if (std::filesystem::exists(Path(), ec)) {
      if (Status copied = CopyAside(Path(), backup); !copied) return copied;
      m_backup = backup;
    }
  }
  if (Status written = WriteSignList(m_folder, list); !written) return written;
  m_list = list;
  m_problems.clear();
  Changed();
  return {};
}

Status SignBook::Add(NamedSign sign) {
  SignList changed = m_list;
  if (Status added = changed.Add(std::move(sign)); !added) return added;
  return Write(changed);
}

Status SignBook::Replace(std::string_view name, NamedSign sign) {
  SignList changed = m_list;
  if (Status replaced = changed.Replace(name, std::move(sign)); !replaced) return replaced;
  return Write(changed);
}

Status SignBook::Remove(std::string_view name) {
  SignList changed = m_list;
  if (!changed.Remove(name)) return Error{"there is no sign named " + std::string(name)};
  return Write(changed);
}

Status SignBook::ChangeId(std::string_view name, std::uint8_t id) {
  const NamedSign* sign = m_list.Find(name);
  if (sign == nullptr) return Error{"there is no sign named " + std::string(name)};
  NamedSign changed = *sign;
  changed.id = id;
  return Replace(name, std::move(changed));
}

int SignBook::Listen(std::function<void()> listener) {
  m_listeners.emplace(m_nextListener, std::move(listener));
  return m_nextListener++;
}

void SignBook::Forget(int listener) { m_listeners.erase(listener); }

void SignBook::Changed() {
  // A listener may forget itself, or another, while it is told.
  std::vector<int> keys;
  for (const auto& [key, listener] : m_listeners) keys.push_back(key);
  for (const int key : keys) {
    const auto it = m_listeners.find(key);
    if (it != m_listeners.end()) it->second();
  }
}

Result<NamedSign> SignFromFields(std::string_view name, std::string_view address,
                                 std::string_view id, bool tripleColor, int width) {
  NamedSign sign;
  sign.name = std::string(Trimmed(name));
  if (sign.name.empty()) return Error{"Name: a sign needs a name"};
  Result<SignAddress> parsed = ParseSignAddress(Trimmed(address));
  if (!parsed) return Error{"Address: " + parsed.ErrorText()};
  sign.address = *parsed;
  if (!ParseHexByte(Trimmed(id), sign.id)) {
    return Error{"ID: \"" + std::string(Trimmed(id)) +
                 "\" is no sign ID; give two hexadecimal digits, 00 to FF"};
  }
  sign.tripleColor = tripleColor;
  if (std::find(std::begin(kSignListWidths), std::end(kSignListWidths), width) ==
      std::end(kSignListWidths)) {
    return Error{"Width: " + std::to_string(width) + " is no sign width; 128, 96 or 160"};
  }
  sign.width = width;
  return sign;
}

}  // namespace tavrin

#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "signlink/sign_list.h"

namespace tavrin {

// The program's sign list as the windows keep it: read once from the program folder, changed
// one sign at a time, and written whole after every change, so that what the user sees is
// what the file holds. Everyone who shows the list hears each change.
//
// A file that had bad lines (edited by hand, cut short) loses them when it is written over:
// before the first write, the file is copied as it was to "Tavrin.signs.bak" beside it, and a
// change whose copy could not be made is not written and not kept.
class SignBook {
 public:
  explicit SignBook(std::filesystem::path programFolder);
  SignBook(const SignBook&) = delete;
  SignBook& operator=(const SignBook&) = delete;

  const SignList& List() const { return m_list; }
  const std::vector<NamedSign>& Signs() const { return m_list.Signs(); }
  bool Empty() const { return m_list.Signs().empty(); }
  // The bad lines of the file as read ("Tavrin.signs line 4: ..."), until it is written over.
  const std::vector<std::string>& Problems() const { return m_problems; }
  // Where the file was copied before its first write, once it was; empty before.
  const std::filesystem::path& Backup() const { return m_backup; }
  std::filesystem::path Path() const;

  // Reads the file again, dropping what was read before (the problems included).
  void Reload();

  // Each changes the list and writes it at once; on any failure (a name in use, a file that
  // cannot be written) the list stays as it was and the error says why.
  Status Add(NamedSign sign);
  Status Replace(std::string_view name, NamedSign sign);
  Status Remove(std::string_view name);
  // The sign of that name took a new ID (Set ID went through).
  Status ChangeId(std::string_view name, std::uint8_t id);

  // `listener` is called after every change and reload; the number forgets it again.
  int Listen(std::function<void()> listener);
  void Forget(int listener);

 private:
  Status Write(const SignList& list);
  void Changed();

  std::filesystem::path m_folder;
  SignList m_list;
  std::vector<std::string> m_problems;
  std::filesystem::path m_backup;
  std::map<int, std::function<void()>> m_listeners;
  int m_nextListener = 0;
};

// A sign as the user typed it into a form: its name (blanks around it dropped), its address
// as ParseSignAddress reads it, its ID as two hexadecimal digits 00 to FF, three colours or
// one, and a width the preview knows. The error names the field that is wrong.
Result<NamedSign> SignFromFields(std::string_view name, std::string_view address,
                                 std::string_view id, bool tripleColor, int width);

}  // namespace tavrin

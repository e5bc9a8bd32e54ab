#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace tavrin {

// Where a sign is reached: a port number of the settings (its "Ports" entry or the usual
// device), a serial device by its path, a serial device server (or a virtual sign) on TCP, or
// a print queue that passes raw jobs on to it.
struct SignAddress {
  enum class Kind { Port, Device, Tcp, Queue };
  Kind kind = Kind::Port;
  int port = 1;         // Port: 1 to 255
  std::string address;  // Device: the path; Tcp: "HOST:PORT"; Queue: the queue's name

  // As the sign list writes it: "COM3", "/dev/ttyUSB0", "sign.local:4001", "queue:signq".
  std::string Text() const;
  // The link signs share: two addresses with the same key are one line (one bus).
  std::string LinkKey() const;
  bool operator==(const SignAddress&) const = default;
};

// Reads an address as the sign list and the command line write it: "COMn" (n 1 to 255, any
// letter case), a path starting with "/" (or "\\.\" on Windows), "HOST:PORT", or
// "queue:NAME". Anything else says what it is not.
Result<SignAddress> ParseSignAddress(std::string_view text);

// A sign of the user's: a name of their choosing, where it is reached, its ID, whether it shows
// three colours or red alone, and its width in dots for the preview.
struct NamedSign {
  std::string name;
  SignAddress address;
  std::uint8_t id = 1;
  bool tripleColor = true;
  int width = 128;
  bool operator==(const NamedSign&) const = default;
};

// The list of signs, kept in its own file in the program folder ("Tavrin.signs"): one sign a
// line, "NAME = ADDRESS, ID, COLOURS, WIDTH" ("Shop window = COM1, 01, 3, 128"), COLOURS 3 or
// 1, WIDTH 128, 96 or 160; lines starting with ";" or "#" and blank lines are comments. Names
// are compared without regard to letter case and must be unique.
class SignList {
 public:
  const std::vector<NamedSign>& Signs() const { return m_signs; }
  const NamedSign* Find(std::string_view name) const;

  // Adds a sign; a name in use, an empty one or one with "=", ";" or "#" at its start is
  // refused, saying why.
  Status Add(NamedSign sign);
  // Replaces the sign of that name (the new one may have another name, not in use).
  Status Replace(std::string_view name, NamedSign sign);
  // False when there is no such sign.
  bool Remove(std::string_view name);

  std::string FileText() const;

 private:
  std::vector<NamedSign> m_signs;
};

// A sign as its line of the file: "Shop window = COM1, 01, 3, 128".
std::string SignListLine(const NamedSign& sign);

// What a sign list file gave: the signs of its good lines, and for each bad line one problem
// naming the line ("Tavrin.signs line 4: ..."); a bad line is left out, the others kept.
struct SignListRead {
  SignList list;
  std::vector<std::string> problems;
};
SignListRead ParseSignList(std::string_view text, std::string_view fileName = "Tavrin.signs");

// The file of the program folder; a missing file is an empty list, an unreadable or oversized
// one an empty list with the problem said.
std::filesystem::path SignListPath(const std::filesystem::path& programFolder);
SignListRead ReadSignList(const std::filesystem::path& programFolder);
Status WriteSignList(const std::filesystem::path& programFolder, const SignList& list);

// A sign's width must be one the preview knows.
inline constexpr int kSignListWidths[] = {128, 96, 160};

}  // namespace tavrin

#include "functions/time_fields.h"

#include <cstdio>

namespace tavrin {

namespace {

// A two-character number with blanks allowed before its digits (" 7"); nothing otherwise.
std::optional<int> FieldNumber(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

std::string TwoDigits(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02u", value % 100);
  return text;
}

std::string FieldPair(std::string_view field, std::size_t from) {
  std::string pair = "  ";
  for (std::size_t i = 0; i < 2; ++i) {
    if (from + i < field.size()) pair[i] = field[from + i];
  }
  return pair;
}

std::string CorrectTimeField(std::string field) {
  auto at = [&field](std::size_t i) -> char { return i < field.size() ? field[i] : '\0'; };
  if (at(0) > '2') field[0] = '2';
  if (at(3) > '5') field[3] = '5';
  if (at(6) > '5') field[6] = '5';
  if (at(0) == '2' && at(1) > '3') field[1] = '3';
  return field;
}

std::optional<std::string> TickTimeField(std::string_view field) {
  if (field.size() != 8 || field[2] != ':' || field[5] != ':') return std::nullopt;
  const auto h = FieldNumber(field.substr(0, 2));
  const auto n = FieldNumber(field.substr(3, 2));
  const auto s = FieldNumber(field.substr(6, 2));
  if (!h || !n || !s || *h > 23 || *n > 59 || *s > 59) return std::nullopt;
  int hh = *h, nn = *n, ss = *s + 1;
  if (ss >= 60) {
    ss = 0;
    if (++nn >= 60) {
      nn = 0;
      if (++hh > 23) hh = 0;
    }
  }
  return TwoDigits(static_cast<unsigned>(hh)) + ":" + TwoDigits(static_cast<unsigned>(nn)) + ":" +
         TwoDigits(static_cast<unsigned>(ss));
}

}  // namespace tavrin

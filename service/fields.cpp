#include "service/fields.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

namespace tavrin {

namespace {

struct Field {
  std::size_t start = 0;  // of "{"
  std::size_t end = 0;    // one past "}"
  std::string_view kind;  // "time", "date" or "mqtt"
  std::string_view argument;
};

// The next field at or after `from`, or nothing.
std::optional<Field> NextField(std::string_view text, std::size_t from) {
  static constexpr std::string_view kKinds[] = {"time", "date", "mqtt"};
  for (std::size_t open = text.find('{', from); open != std::string_view::npos;
       open = text.find('{', open + 1)) {
    const std::size_t close = text.find('}', open);
    if (close == std::string_view::npos) return std::nullopt;
    const std::string_view inside = text.substr(open + 1, close - open - 1);
    for (const std::string_view kind : kKinds) {
      if (inside.size() <= kind.size() || !inside.starts_with(kind) || inside[kind.size()] != ':') {
        continue;
      }
      const std::string_view argument = inside.substr(kind.size() + 1);
      // A topic is never empty; a format may be (the usual one).
      if (kind == "mqtt" && argument.empty()) break;
      return Field{open, close + 1, kind, argument};
    }
  }
  return std::nullopt;
}

constexpr std::array<std::string_view, 12> kMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<std::string_view, 7> kWeekdays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};

std::string TwoDigits(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", value % 100);
  return text;
}

}  // namespace

std::string FormatTime(std::string_view format, const std::tm& now) {
  std::string out;
  std::size_t i = 0;
  // The length of the run of `c` at i (at most `most`).
  const auto run = [&](char c, std::size_t most) {
    std::size_t n = 0;
    while (i + n < format.size() && format[i + n] == c && n < most) ++n;
    return n;
  };
  const int hour12 = now.tm_hour % 12 == 0 ? 12 : now.tm_hour % 12;
  while (i < format.size()) {
    const char c = format[i];
    std::size_t n = 1;
    switch (c) {
      case 'y':
        n = run('y', 4);
        if (n == 4) {
          out += std::to_string(now.tm_year + 1900);
        } else if (n >= 2) {
          n = 2;
          out += TwoDigits(now.tm_year + 1900);
        } else {
          out += c;
        }
        break;
      case 'M': {
        n = run('M', 4);
        const auto month = static_cast<std::size_t>(std::clamp(now.tm_mon, 0, 11));
        if (n == 4) out += kMonths[month];
        if (n == 3) out += kMonths[month].substr(0, 3);
        if (n == 2) out += TwoDigits(now.tm_mon + 1);
        if (n == 1) out += std::to_string(now.tm_mon + 1);
        break;
      }
      case 'd': {
        n = run('d', 4);
        const auto weekday = static_cast<std::size_t>(std::clamp(now.tm_wday, 0, 6));
        if (n == 4) out += kWeekdays[weekday];
        if (n == 3) out += kWeekdays[weekday].substr(0, 3);
        if (n == 2) out += TwoDigits(now.tm_mday);
        if (n == 1) out += std::to_string(now.tm_mday);
        break;
      }
      case 'H':
        n = run('H', 2);
        out += n == 2 ? TwoDigits(now.tm_hour) : std::to_string(now.tm_hour);
        break;
      case 'h':
        n = run('h', 2);
        out += n == 2 ? TwoDigits(hour12) : std::to_string(hour12);
        break;
      case 'm':
        n = run('m', 2);
        out += n == 2 ? TwoDigits(now.tm_min) : std::to_string(now.tm_min);
        break;
      case 's':
        n = run('s', 2);
        out += n == 2 ? TwoDigits(now.tm_sec) : std::to_string(now.tm_sec);
        break;
      case 'A':
      case 'a':
        if (i + 1 < format.size() && (format[i + 1] == 'P' || format[i + 1] == 'p')) {
          n = 2;
          const bool upper = c == 'A';
          out += now.tm_hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
        } else {
          out += c;
        }
        break;
      case '\'': {
        const std::size_t close = format.find('\'', i + 1);
        const std::size_t end = close == std::string_view::npos ? format.size() : close;
        out += format.substr(i + 1, end - i - 1);
        n = end - i + (close == std::string_view::npos ? 0 : 1);
        break;
      }
      default:
        out += c;
    }
    i += n;
  }
  return out;
}

std::vector<std::string> MqttFieldTopics(std::string_view text) {
  std::vector<std::string> topics;
  for (std::optional<Field> f = NextField(text, 0); f; f = NextField(text, f->end)) {
    if (f->kind != "mqtt") continue;
    const std::string topic(f->argument);
    if (std::find(topics.begin(), topics.end(), topic) == topics.end()) topics.push_back(topic);
  }
  return topics;
}

bool HasClockFields(std::string_view text) {
  for (std::optional<Field> f = NextField(text, 0); f; f = NextField(text, f->end)) {
    if (f->kind != "mqtt") return true;
  }
  return false;
}

std::string FieldValue(std::string_view payload) {
  std::string out;
  std::size_t characters = 0;
  std::size_t i = 0;
  while (i < payload.size() && characters < kMaxFieldValueCharacters) {
    const auto byte = static_cast<unsigned char>(payload[i]);
    // The length of a well-formed UTF-8 sequence at i, or 0.
    std::size_t length = byte < 0x80                    ? 1
                         : byte >= 0xC2 && byte <= 0xDF ? 2
                         : byte >= 0xE0 && byte <= 0xEF ? 3
                         : byte >= 0xF0 && byte <= 0xF4 ? 4
                                                        : 0;
    if (length > 1) {
      if (i + length > payload.size()) length = 0;
      for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(payload[i + k]) & 0xC0) != 0x80) length = 0;
      }
      // Overlong forms, surrogates and values past U+10FFFF.
      const auto second = length > 1 ? static_cast<unsigned char>(payload[i + 1]) : 0;
      if ((byte == 0xE0 && second < 0xA0) || (byte == 0xED && second >= 0xA0) ||
          (byte == 0xF0 && second < 0x90) || (byte == 0xF4 && second >= 0x90)) {
        length = 0;
      }
    }
    if (length == 0) {
      ++i;
      continue;
    }
    if (length == 1) {
      const char c = payload[i];
      out += c == '<' ? '(' : c == '>' ? ')' : (byte < 0x20 || byte == 0x7F) ? ' ' : c;
    } else {
      out += payload.substr(i, length);
    }
    i += length;
    ++characters;
  }
  return out;
}

std::string RenderFields(std::string_view text, const std::tm& now,
                         const std::map<std::string, std::string>& values) {
  std::string out;
  std::size_t at = 0;
  for (std::optional<Field> f = NextField(text, 0); f; f = NextField(text, f->end)) {
    out += text.substr(at, f->start - at);
    if (f->kind == "time") {
      out += FormatTime(f->argument.empty() ? "HH:mm" : f->argument, now);
    } else if (f->kind == "date") {
      out += FormatTime(f->argument.empty() ? "yyyy-MM-dd" : f->argument, now);
    } else if (const auto value = values.find(std::string(f->argument)); value != values.end()) {
      out += value->second;
    }
    at = f->end;
  }
  out += text.substr(at);
  return out;
}

}  // namespace tavrin

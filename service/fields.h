#pragma once

#include <ctime>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// Fields a service message may hold, each replaced by its value whenever the message is drawn:
//   {time:FORMAT}  the local time, FORMAT as below, "HH:mm" when empty
//   {date:FORMAT}  the local date, "yyyy-MM-dd" when empty
//   {mqtt:TOPIC}   the last payload published on the MQTT topic TOPIC (empty until one came)
// FORMAT letters: yyyy yy (year), MMMM MMM MM M (month name, short name, number), dddd ddd dd
// d (weekday name, short name, day of the month), HH H (hour 0-23), hh h (hour 1-12), mm (minute),
// ss (second), AP ap (AM/PM); text in single quotes and every other character stand as they
// are. A brace that begins no field ("{open}", "{time" without its end) is text.

// The topics the {mqtt:...} fields of a text name, each once, in their order.
std::vector<std::string> MqttFieldTopics(std::string_view text);

// True when the text holds a {time:...} or {date:...} field: it may change as time passes.
bool HasClockFields(std::string_view text);

// What a value of an {mqtt:...} field becomes in a message: UTF-8 text on one line, at most
// kMaxFieldValueCharacters characters. A value cannot bring display tags: "<" and ">" become
// "(" and ")"; control characters become blanks; what is not UTF-8 is dropped.
inline constexpr std::size_t kMaxFieldValueCharacters = 64;
std::string FieldValue(std::string_view payload);

// The text with each field replaced by its value at `now` (local time, as std::localtime
// gives it) and with `values` (by topic, already made FieldValue).
std::string RenderFields(std::string_view text, const std::tm& now,
                         const std::map<std::string, std::string>& values);

// One FORMAT at `now`.
std::string FormatTime(std::string_view format, const std::tm& now);

}  // namespace tavrin

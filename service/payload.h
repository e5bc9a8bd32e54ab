#pragma once

#include <cstddef>
#include <string_view>

#include "common/result.h"
#include "service/service_desk.h"

namespace tavrin {

// The most bytes a message or command payload may have (an MQTT payload, an HTTP body): a
// message line is 210 characters, and fields and JSON around it are far below this.
inline constexpr std::size_t kMaxPayloadBytes = 16 * 1024;

// A message as MQTT and HTTP carry it: a JSON object
//   {"text": "...", "page": "A", "priority": "normal"|"urgent", "ttl": seconds}
// (only "text" required, no other member allowed), or, when the payload does not begin with
// "{" (after blanks), the message line itself. The text must be valid UTF-8 without control
// characters; whether the sign can show it is judged later, once its fields are rendered.
// Anything else says what is wrong, in words for the one who sent it.
Result<MessageRequest> ParseMessagePayload(std::string_view payload);

// A command: a JSON object {"command": "clock"}, {"command": "brightness", "level": "75%"}
// (also 75 or "75"), {"command": "run-page", "page": "B"}, or the same as words: "clock",
// "brightness 75%", "run-page B".
Result<CommandRequest> ParseCommandPayload(std::string_view payload);

}  // namespace tavrin

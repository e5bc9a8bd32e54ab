#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavrin {

// What a message asks of a sign: its text (a message line with display tags, in UTF-8, and
// fields that refresh: {time:FORMAT}, {date:FORMAT}, {mqtt:TOPIC}), the page it goes to, and
// whether it interrupts. An urgent message goes to the page kept for it and is run at once;
// after ttlSeconds the page of the normal messages runs again.
enum class MessagePriority { Normal, Urgent };
struct MessageRequest {
  std::string text;
  std::optional<char> page;  // 'A' to 'Z'; the service's normal (or urgent) page when not given
  MessagePriority priority = MessagePriority::Normal;
  std::optional<int> ttlSeconds;  // urgent only: 1 to 86400; the service's default when not given
  bool operator==(const MessageRequest&) const = default;
};

// The sign functions the service runs besides messages.
enum class CommandKind { Clock, Brightness, RunPage };
struct CommandRequest {
  CommandKind kind = CommandKind::Clock;
  int brightnessIndex = 0;  // Brightness: 0 to 3, for 100%, 75%, 50%, 25%
  char page = 'A';          // RunPage
  bool operator==(const CommandRequest&) const = default;
};

// How the service answers a request: taken (queued for the sign), or why not. The kinds map to
// HTTP status codes and to the error a state topic carries.
struct DeskAnswer {
  enum class Kind { Taken, UnknownSign, BadRequest, TooMany };
  Kind kind = Kind::Taken;
  std::string reason;  // said to the one who asked: "no sign named Door", "the tag <Foo> ..."
  bool Ok() const { return kind == Kind::Taken; }
};

// What the service knows of a sign, for GET /signs and the state topic.
struct SignState {
  std::string name;
  std::string address;  // as the sign list writes it
  std::uint8_t id = 1;
  int width = 128;
  bool tripleColor = true;
  bool online = true;          // false after a command found it silent, until one goes through
  std::string lastResult;      // "Send Message to sign 01, page A: done in 0.5 s", or empty
  std::string lastResultTime;  // ISO 8601 in UTC, or empty
  std::string lastError;       // why the last request or command for it failed, or empty
  std::string text;            // the normal message it shows, as given (fields unrendered)
  char page = 'A';
  bool urgent = false;  // an urgent message is on the sign until its ttl ends
};

// The service as its front doors (MQTT, HTTP) see it. Every call returns at once; the sign
// commands run on the roads of the signs' links.
class ServiceDesk {
 public:
  virtual ~ServiceDesk() = default;
  virtual std::vector<SignState> Signs() const = 0;
  virtual std::optional<SignState> Sign(const std::string& name) const = 0;
  virtual DeskAnswer PostMessage(const std::string& sign, const MessageRequest& message) = 0;
  virtual DeskAnswer PostCommand(const std::string& sign, const CommandRequest& command) = 0;
  // The animation of what the sign shows (its current normal message, fields rendered now) as
  // a GIF; an unknown sign or a message that cannot be drawn says why.
  virtual DeskAnswer PreviewGif(const std::string& sign, std::string& gif) = 0;
};

}  // namespace tavrin

#include "service/payload.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <algorithm>

#include "functions/command_bodies.h"

namespace tavrin {

namespace {

constexpr int kMaxTtlSeconds = 24 * 60 * 60;

std::string_view WithoutBlanks(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// Whole UTF-8 characters only, none of them a control character (a tab included: the sign has
// none, and a blank is what the user means).
std::optional<std::string> TextProblem(std::string_view text) {
  const QString decoded = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  if (decoded.toUtf8() != QByteArray(text.data(), static_cast<qsizetype>(text.size()))) {
    return "the text is not valid UTF-8";
  }
  for (const QChar c : decoded) {
    if (c.category() == QChar::Other_Control) return "the text holds a control character";
  }
  return std::nullopt;
}

Result<QJsonObject> JsonObject(std::string_view payload) {
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(
      QByteArray(payload.data(), static_cast<qsizetype>(payload.size())), &error);
  if (error.error != QJsonParseError::NoError) {
    return Error{"malformed JSON at byte " + std::to_string(error.offset) + ": " +
                 error.errorString().toStdString()};
  }
  if (!doc.isObject()) return Error{"the JSON is not an object"};
  return doc.object();
}

std::optional<std::string> UnknownMember(const QJsonObject& object, const QStringList& known) {
  for (const QString& key : object.keys()) {
    if (!known.contains(key)) return "unknown member \"" + key.toStdString() + "\"";
  }
  return std::nullopt;
}

Result<char> PageOf(const QJsonValue& value) {
  const QString page = value.toString();
  if (!value.isString() || page.size() != 1 || page[0] < 'A' || page[0] > 'Z') {
    return Error{"\"page\" is a letter A to Z"};
  }
  return static_cast<char>(page[0].unicode());
}

Result<int> BrightnessOf(const QJsonValue& value) {
  std::string text;
  if (value.isDouble()) {
    text = std::to_string(value.toInt(-1));
  } else if (value.isString()) {
    text = value.toString().toStdString();
  }
  if (const std::optional<int> index = BrightnessLevelIndex(text)) return *index;
  return Error{"\"level\" is 100%, 75%, 50% or 25%"};
}

Result<CommandRequest> CommandOf(const std::string& name, const QJsonValue& argument,
                                 bool hasArgument) {
  CommandRequest command;
  if (name == "clock") {
    if (hasArgument) return Error{"clock takes nothing more"};
    command.kind = CommandKind::Clock;
  } else if (name == "brightness") {
    Result<int> level = BrightnessOf(argument);
    if (!level) return level.TakeError();
    command.kind = CommandKind::Brightness;
    command.brightnessIndex = *level;
  } else if (name == "run-page") {
    Result<char> page = PageOf(argument);
    if (!page) return page.TakeError();
    command.kind = CommandKind::RunPage;
    command.page = *page;
  } else {
    return Error{"unknown command \"" + name + "\" (clock, brightness or run-page)"};
  }
  return command;
}

}  // namespace

Result<MessageRequest> ParseMessagePayload(std::string_view payload) {
  if (payload.size() > kMaxPayloadBytes) {
    return Error{"the message is larger than " + std::to_string(kMaxPayloadBytes) + " bytes"};
  }
  MessageRequest message;
  if (!WithoutBlanks(payload).starts_with('{')) {
    if (const auto problem = TextProblem(payload)) return Error{*problem};
    message.text = std::string(payload);
    return message;
  }
  Result<QJsonObject> object = JsonObject(payload);
  if (!object) return object.TakeError();
  if (auto unknown = UnknownMember(*object, {"text", "page", "priority", "ttl"})) {
    return Error{*unknown + " (text, page, priority, ttl)"};
  }
  const QJsonValue text = object->value("text");
  if (!text.isString()) return Error{"\"text\" is required, as a string"};
  message.text = text.toString().toStdString();
  if (const auto problem = TextProblem(message.text)) return Error{*problem};
  if (object->contains("page")) {
    Result<char> page = PageOf(object->value("page"));
    if (!page) return page.TakeError();
    message.page = *page;
  }
  if (object->contains("priority")) {
    const QString priority = object->value("priority").toString();
    if (priority == "urgent") {
      message.priority = MessagePriority::Urgent;
    } else if (priority != "normal") {
      return Error{"\"priority\" is \"normal\" or \"urgent\""};
    }
  }
  if (object->contains("ttl")) {
    const QJsonValue ttl = object->value("ttl");
    const double seconds = ttl.toDouble(-1);
    if (!ttl.isDouble() || seconds < 1 || seconds > kMaxTtlSeconds ||
        seconds != static_cast<int>(seconds)) {
      return Error{"\"ttl\" is a whole number of seconds, 1 to " + std::to_string(kMaxTtlSeconds)};
    }
    if (message.priority != MessagePriority::Urgent) {
      return Error{"\"ttl\" goes with \"priority\": \"urgent\""};
    }
    message.ttlSeconds = static_cast<int>(seconds);
  }
  return message;
}

Result<CommandRequest> ParseCommandPayload(std::string_view payload) {
  if (payload.size() > kMaxPayloadBytes) {
    return Error{"the command is larger than " + std::to_string(kMaxPayloadBytes) + " bytes"};
  }
  const std::string_view trimmed = WithoutBlanks(payload);
  if (!trimmed.starts_with('{')) {
    if (const auto problem = TextProblem(trimmed)) return Error{*problem};
    const std::size_t blank = trimmed.find(' ');
    const std::string name(trimmed.substr(0, blank));
    const std::string_view rest =
        blank == std::string_view::npos ? std::string_view() : WithoutBlanks(trimmed.substr(blank));
    const QString argument = QString::fromUtf8(rest.data(), static_cast<qsizetype>(rest.size()));
    return CommandOf(name, QJsonValue(argument), !rest.empty());
  }
  Result<QJsonObject> object = JsonObject(trimmed);
  if (!object) return object.TakeError();
  const QString name = object->value("command").toString();
  if (name.isEmpty()) return Error{"\"command\" is required: clock, brightness or run-page"};
  const QString argumentName = name == "brightness" ? "level" : "page";
  if (auto unknown = UnknownMember(*object, {"command", argumentName})) return Error{*unknown};
  return CommandOf(name.toStdString(), object->value(argumentName), object->contains(argumentName));
}

}  // namespace tavrin

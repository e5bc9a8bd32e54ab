#include "service/mqtt_bridge.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "common/bytes.h"
#include "common/command_line.h"
#include "functions/command_bodies.h"
#include "service/payload.h"
#include "service/service_config.h"

namespace tavrin {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

std::string Compact(const QJsonObject& object) {
  return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

}  // namespace

MqttBridge::MqttBridge(SignService& service, MqttClient& client, MqttBridgeOptions options,
                       QObject* parent)
    : QObject(parent), m_service(service), m_client(client), m_options(std::move(options)) {
  for (const SignState& sign : m_service.Signs()) m_byTopicName[TopicName(sign.name)] = sign.name;
  m_client.Subscribe(m_options.topicBase + "/+/message/set", 1);
  m_client.Subscribe(m_options.topicBase + "/+/command/set", 1);
  FieldTopicsChanged();
  m_statePause.setSingleShot(true);
  m_statePause.setInterval(kStatePauseMs);
  connect(&m_statePause, &QTimer::timeout, this, &MqttBridge::PublishStates);
  connect(&m_client, &MqttClient::connected, this, &MqttBridge::Connected);
  connect(
      &m_client, &MqttClient::messageReceived, this,
      [this](const QString& topic, const QByteArray& payload, bool) { Received(topic, payload); });
  connect(&m_service, &SignService::stateChanged, this, &MqttBridge::StateChanged);
  connect(&m_service, &SignService::fieldTopicsChanged, this, &MqttBridge::FieldTopicsChanged);
}

void MqttBridge::SetWill(MqttOptions& options, const std::string& topicBase) {
  options.willTopic = topicBase + "/status";
  options.willPayload = "offline";
  options.willRetain = true;
  options.willQos = 1;
}

void MqttBridge::SayOffline() {
  m_client.Publish(m_options.topicBase + "/status", "offline", 1, true);
}

std::string MqttBridge::StateTopic(const std::string& sign) const {
  return m_options.topicBase + "/" + TopicName(sign) + "/state";
}

void MqttBridge::Connected() {
  m_client.Publish(m_options.topicBase + "/status", "online", 1, true);
  if (m_options.discovery) {
    for (const auto& [topic, config] : DiscoveryConfigs()) m_client.Publish(topic, config, 1, true);
  }
  for (const SignState& sign : m_service.Signs()) PublishState(sign.name);
}

void MqttBridge::Received(const QString& topicText, const QByteArray& bytes) {
  const std::string topic = topicText.toStdString();
  const std::string_view payload(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  if (m_fieldTopics.count(topic) != 0) m_service.SetFieldValue(topic, std::string(payload));
  const std::string base = m_options.topicBase + "/";
  if (!topic.starts_with(base)) return;
  const std::string rest = topic.substr(base.size());
  const std::size_t slash = rest.find('/');
  if (slash == std::string::npos) return;
  const std::string what = rest.substr(slash + 1);
  if (what != "message/set" && what != "command/set") return;
  const auto sign = m_byTopicName.find(rest.substr(0, slash));
  if (sign == m_byTopicName.end()) {
    m_client.Publish(base + "error",
                     Compact({{"topic", Q(topic)}, {"error", "no sign has this topic name"}}), 0,
                     false);
    return;
  }
  DeskAnswer answer;
  if (what == "message/set") {
    Result<MessageRequest> message = ParseMessagePayload(payload);
    answer = message ? m_service.PostMessage(sign->second, *message)
                     : DeskAnswer{DeskAnswer::Kind::BadRequest, message.ErrorText()};
  } else {
    Result<CommandRequest> command = ParseCommandPayload(payload);
    answer = command ? m_service.PostCommand(sign->second, *command)
                     : DeskAnswer{DeskAnswer::Kind::BadRequest, command.ErrorText()};
  }
  if (!answer.Ok()) m_service.ReportError(sign->second, answer.reason);
}

void MqttBridge::FieldTopicsChanged() {
  std::set<std::string> wanted;
  for (const std::string& topic : m_service.FieldTopics()) {
    if (MqttFilterIsValid(topic)) wanted.insert(topic);
  }
  for (const std::string& topic : m_fieldTopics) {
    if (wanted.count(topic) == 0) m_client.Unsubscribe(topic);
  }
  for (const std::string& topic : wanted) {
    if (m_fieldTopics.count(topic) == 0) m_client.Subscribe(topic, 1);
  }
  m_fieldTopics = std::move(wanted);
}

void MqttBridge::StateChanged(const QString& sign) {
  m_dirty.insert(sign.toStdString());
  if (!m_statePause.isActive()) m_statePause.start();
}

void MqttBridge::PublishStates() {
  for (const std::string& sign : m_dirty) PublishState(sign);
  m_dirty.clear();
}

void MqttBridge::PublishState(const std::string& name) {
  const std::optional<SignState> s = m_service.Sign(name);
  if (!s) return;
  const QJsonObject state{
      {"name", Q(s->name)},       {"address", Q(s->address)},   {"id", Q(HexByte(s->id))},
      {"online", s->online},      {"result", Q(s->lastResult)}, {"time", Q(s->lastResultTime)},
      {"error", Q(s->lastError)}, {"text", Q(s->text)},         {"page", QString(QChar(s->page))},
      {"urgent", s->urgent},
  };
  m_client.Publish(StateTopic(name), Compact(state), 1, true);
}

std::map<std::string, std::string> MqttBridge::DiscoveryConfigs() const {
  std::map<std::string, std::string> configs;
  const std::string& node = m_options.nodeId;
  const QString status = Q(m_options.topicBase + "/status");
  for (const SignState& sign : m_service.Signs()) {
    const std::string name = TopicName(sign.name);
    const QString base = Q(m_options.topicBase + "/" + name);
    const QString state = base + "/state";
    const QJsonObject device{
        {"identifiers", QJsonArray{Q(node + "_" + name)}},
        {"name", Q(sign.name)},
        {"manufacturer", "Tavrin"},
        {"model", Q("LED message sign, ID " + HexByte(sign.id) + ", " + std::to_string(sign.width) +
                    " columns")},
        {"sw_version", Q(std::string(Version()))},
    };
    // Available while the service is connected and the sign answers.
    const QJsonArray availability{
        QJsonObject{{"topic", status}},
        QJsonObject{{"topic", state},
                    {"value_template", "{{ 'online' if value_json.online else 'offline' }}"}},
    };
    const auto entity = [&](const std::string& component, const std::string& object,
                            const QString& title, QJsonObject config) {
      config.insert("name", title);
      config.insert("unique_id", Q(node + "_" + name + "_" + object));
      config.insert("object_id", Q(name + "_" + object));
      config.insert("device", device);
      config.insert("availability", availability);
      config.insert("availability_mode", "all");
      configs[m_options.discoveryPrefix + "/" + component + "/" + node + "/" + name + "_" + object +
              "/config"] = Compact(config);
    };
    // Home Assistant refuses a state over 255 characters, and a message with fields may be
    // longer than the 210 it shows: the text and the result are cut there for it.
    entity("text", "message", "Message",
           {{"command_topic", base + "/message/set"},
            {"state_topic", state},
            {"value_template", "{{ value_json.text[:255] }}"},
            {"min", 0},
            {"max", 255},
            {"mode", "text"},
            {"icon", "mdi:message-text"}});
    QJsonArray levels;
    for (const std::string_view level : kBrightnessLevels) levels.append(Q(std::string(level)));
    entity("select", "brightness", "Brightness",
           {{"command_topic", base + "/command/set"},
            {"command_template", R"({"command": "brightness", "level": "{{ value }}"})"},
            {"options", levels},
            {"optimistic", true},
            {"icon", "mdi:brightness-6"}});
    entity("button", "clock", "Set clock",
           {{"command_topic", base + "/command/set"},
            {"payload_press", "clock"},
            {"icon", "mdi:clock-edit"}});
    entity("sensor", "result", "Last result",
           {{"state_topic", state},
            {"value_template", "{{ value_json.result[:255] }}"},
            {"json_attributes_topic", state},
            {"icon", "mdi:message-check"}});
  }
  return configs;
}

}  // namespace tavrin

#pragma once

#include <QObject>
#include <QTimer>
#include <map>
#include <set>
#include <string>

#include "service/mqtt_client.h"
#include "service/sign_service.h"

namespace tavrin {

struct MqttBridgeOptions {
  std::string topicBase = "tavrin";
  bool discovery = true;
  std::string discoveryPrefix = "homeassistant";
  std::string nodeId = "tavrin";
};

// The service on MQTT. For each sign of the list, under its topic name (TopicName):
//   BASE/NAME/message/set   a message (service/payload.h), QoS 1
//   BASE/NAME/command/set   a command: clock, brightness, run-page
//   BASE/NAME/state         retained JSON: online, result, time, error, text, page, urgent
// BASE/status is "online" while the service is connected, "offline" when it stops or dies (the
// client's last will, set by the caller with WillFor). A payload that cannot be read, or a
// request the service refuses, is said in the sign's state ("error"); one for a sign that does
// not exist goes to BASE/error. The topics of the messages' {mqtt:...} fields are subscribed to
// as they appear, and their payloads given to the service. With discovery on, each sign is a
// Home Assistant device (text, select, button, sensor), announced at every connect.
//
// States are published at most every kStatePause per sign: a flood of requests gives a few
// states, not one each.
class MqttBridge : public QObject {
  Q_OBJECT
 public:
  static constexpr int kStatePauseMs = 100;

  MqttBridge(SignService& service, MqttClient& client, MqttBridgeOptions options,
             QObject* parent = nullptr);

  // The status topic and its last will ("offline", retained), for the client's options.
  static void SetWill(MqttOptions& options, const std::string& topicBase);
  // Says "offline" on the status topic before a clean stop (a clean disconnect sends no will).
  void SayOffline();

  // The discovery configs, by topic (for tests and --check): each sign's four entities.
  std::map<std::string, std::string> DiscoveryConfigs() const;
  std::string StateTopic(const std::string& sign) const;

 private:
  void Connected();
  void Received(const QString& topicText, const QByteArray& bytes);
  void FieldTopicsChanged();
  void StateChanged(const QString& sign);
  void PublishStates();
  void PublishState(const std::string& name);

  SignService& m_service;
  MqttClient& m_client;
  MqttBridgeOptions m_options;
  std::map<std::string, std::string> m_byTopicName;  // topic name -> sign name
  std::set<std::string> m_fieldTopics;
  std::set<std::string> m_dirty;  // signs whose state waits for the pause to end
  QTimer m_statePause;
};

}  // namespace tavrin

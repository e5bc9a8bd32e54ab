#include "service/mqtt_client.h"

#include <mosquitto.h>

#include <QLoggingCategory>
#include <QMetaObject>
#include <QPointer>
#include <algorithm>

namespace tavrin {

Q_LOGGING_CATEGORY(lcMqtt, "tavrin.mqtt")

namespace {

// MQTT's largest packet, 256 MiB less a byte; libmosquitto judges the exact limit of a payload
// (the topic counts too), this keeps the length an int.
constexpr std::size_t kMaxPayload = 268435455;
// What a waiting message costs besides its topic and payload, for the byte bound.
constexpr std::size_t kEventCost = 64;
// Events emitted in one turn of the owner's event loop, so that a full queue does not hold it.
constexpr std::size_t kDrainBatch = 256;
// The most time Stop gives a disconnect to reach the broker.
constexpr auto kDisconnectTime = std::chrono::seconds(2);
constexpr auto kDropLogInterval = std::chrono::seconds(10);

void InitLibraryOnce() {
  static std::once_flag once;
  std::call_once(once, [] { mosquitto_lib_init(); });
}

std::string Why(int rc) { return mosquitto_strerror(rc); }

bool ValidUtf8(std::string_view text) {
  return text.size() <= 65535 &&
         mosquitto_validate_utf8(text.data(), static_cast<int>(text.size())) == MOSQ_ERR_SUCCESS;
}

}  // namespace

bool MqttTopicIsValid(std::string_view topic) {
  // The checks want a terminated string, and a U+0000 inside would cut it short.
  return !topic.empty() && ValidUtf8(topic) && topic.find('\0') == std::string_view::npos &&
         mosquitto_pub_topic_check(std::string(topic).c_str()) == MOSQ_ERR_SUCCESS;
}

bool MqttFilterIsValid(std::string_view filter) {
  return !filter.empty() && ValidUtf8(filter) && filter.find('\0') == std::string_view::npos &&
         mosquitto_sub_topic_check(std::string(filter).c_str()) == MOSQ_ERR_SUCCESS;
}

std::string MqttOptionsProblem(const MqttOptions& o) {
  if (o.host.empty()) return "no broker host is given";
  if (o.port < 1 || o.port > 65535) return "the broker port is 1 to 65535";
  if (o.keepAliveSeconds < 5 || o.keepAliveSeconds > 65535) return "the keep-alive is 5 to 65535 s";
  if (o.clientId.empty() && !o.cleanSession) return "a persistent session needs a client ID";
  if (!ValidUtf8(o.clientId)) return "the client ID is not valid UTF-8 of at most 65535 bytes";
  if (!ValidUtf8(o.username) || o.password.size() > 65535) {
    return "the user name or password is too long or not valid UTF-8";
  }
  if (o.username.empty() && !o.password.empty()) return "a password needs a user name";
  if (!o.willTopic.empty()) {
    if (!MqttTopicIsValid(o.willTopic)) return "the will topic \"" + o.willTopic + "\" is refused";
    if (o.willQos < 0 || o.willQos > 1) return "the will's QoS is 0 or 1";
    if (o.willPayload.size() > kMaxPayload) return "the will's payload is too large";
  }
  if (o.reconnectMinSeconds < 1 || o.reconnectMaxSeconds < o.reconnectMinSeconds) {
    return "the reconnect delays are at least 1 s, the longest no shorter than the first";
  }
  if (o.maxQueuedPerTopic < 1 || o.maxQueuedBytes < 1 || o.maxUnacknowledged < 1) {
    return "the queue bounds are at least 1";
  }
  return {};
}

MqttClient::MqttClient(MqttOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)) {
  InitLibraryOnce();
  m_problem = MqttOptionsProblem(m_options);
  if (!m_problem.empty()) return;
  m_mosq = mosquitto_new(m_options.clientId.empty() ? nullptr : m_options.clientId.c_str(),
                         m_options.cleanSession, this);
  if (!m_mosq) {
    m_problem = "libmosquitto could not make a client";
    return;
  }
  // Publish and Subscribe come from the owner's thread while the worker runs the loop.
  mosquitto_threaded_set(m_mosq, true);
  // Without it a small packet (a subscription, an acknowledgement) can sit out the peer's
  // delayed acknowledgement, some 40 ms, and arrive after messages it should precede.
  mosquitto_int_option(m_mosq, MOSQ_OPT_TCP_NODELAY, 1);
  mosquitto_connect_with_flags_callback_set(m_mosq, &MqttClient::OnConnect);
  mosquitto_disconnect_callback_set(m_mosq, &MqttClient::OnDisconnect);
  mosquitto_message_callback_set(m_mosq, &MqttClient::OnMessage);
  mosquitto_publish_callback_set(m_mosq, &MqttClient::OnPublish);
  int rc = MOSQ_ERR_SUCCESS;
  if (!m_options.username.empty()) {
    rc = mosquitto_username_pw_set(
        m_mosq, m_options.username.c_str(),
        m_options.password.empty() ? nullptr : m_options.password.c_str());
  }
  if (rc == MOSQ_ERR_SUCCESS && !m_options.willTopic.empty()) {
    rc = mosquitto_will_set(m_mosq, m_options.willTopic.c_str(),
                            static_cast<int>(m_options.willPayload.size()),
                            m_options.willPayload.data(), m_options.willQos, m_options.willRetain);
  }
  if (rc != MOSQ_ERR_SUCCESS) {
    m_problem = "libmosquitto refused the options: " + Why(rc);
    mosquitto_destroy(m_mosq);
    m_mosq = nullptr;
  }
}

MqttClient::~MqttClient() {
  Stop();
  if (m_mosq) mosquitto_destroy(m_mosq);
}

bool MqttClient::Start() {
  if (!m_mosq) {
    qCWarning(lcMqtt, "MQTT: not connecting: %s", m_problem.c_str());
    return false;
  }
  if (m_worker.joinable()) return true;
  {
    std::lock_guard lock(m_mutex);
    m_stopping = false;
  }
  m_worker = std::thread(&MqttClient::Run, this);
  return true;
}

void MqttClient::Stop() {
  if (!m_worker.joinable()) return;
  bool disconnect = false;
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
    disconnect = m_inLoop && !m_disconnectSent;
    m_disconnectSent = m_disconnectSent || disconnect;
  }
  m_wake.notify_all();
  // Wakes the worker's wait on the socket as well.
  if (disconnect) mosquitto_disconnect(m_mosq);
  m_worker.join();
}

bool MqttClient::Stopping() {
  std::lock_guard lock(m_mutex);
  return m_stopping;
}

void MqttClient::Run() {
  const std::string where = m_options.host + ":" + std::to_string(m_options.port);
  int delay = m_options.reconnectMinSeconds;
  while (!Stopping()) {
    const int rc = m_connectedOnce ? mosquitto_reconnect(m_mosq)
                                   : mosquitto_connect(m_mosq, m_options.host.c_str(),
                                                       m_options.port, m_options.keepAliveSeconds);
    m_connectedOnce = true;
    if (rc == MOSQ_ERR_SUCCESS && RunConnection()) {
      delay = m_options.reconnectMinSeconds;
    } else if (rc != MOSQ_ERR_SUCCESS) {
      qCWarning(lcMqtt, "MQTT: cannot connect to %s: %s; next attempt in %d s", where.c_str(),
                Why(rc).c_str(), delay);
    } else if (!Stopping()) {
      qCWarning(lcMqtt, "MQTT: %s closed the connection before accepting it; next attempt in %d s",
                where.c_str(), delay);
    }
    std::unique_lock lock(m_mutex);
    if (m_wake.wait_for(lock, std::chrono::seconds(delay), [this] { return m_stopping; })) break;
    delay = std::min(delay * 2, m_options.reconnectMaxSeconds);
  }
}

bool MqttClient::RunConnection() {
  {
    std::lock_guard lock(m_mutex);
    m_inLoop = true;
    m_disconnectSent = false;
  }
  m_accepted = false;
  bool stopping = false;
  auto deadline = std::chrono::steady_clock::time_point::max();
  for (;;) {
    if (!stopping) {
      bool disconnect = false;
      {
        std::lock_guard lock(m_mutex);
        stopping = m_stopping;
        disconnect = m_stopping && !m_disconnectSent;
        m_disconnectSent = m_disconnectSent || disconnect;
      }
      if (disconnect) mosquitto_disconnect(m_mosq);
      if (stopping) deadline = std::chrono::steady_clock::now() + kDisconnectTime;
    }
    if (std::chrono::steady_clock::now() > deadline) break;
    // Publish, Subscribe and Stop wake the wait through libmosquitto; the timeout only bounds
    // how late the keep-alive is looked at.
    const int rc = mosquitto_loop(m_mosq, stopping ? 100 : 1000, 1);
    if (rc != MOSQ_ERR_SUCCESS) {
      ConnectionEnded(stopping ? "disconnected as asked" : Why(rc));
      break;
    }
  }
  {
    std::lock_guard lock(m_mutex);
    m_inLoop = false;
  }
  ConnectionEnded("disconnected as asked");
  return m_accepted;
}

void MqttClient::ConnectionEnded(const std::string& reason) {
  if (!m_sessionUp) return;
  m_sessionUp = false;
  m_connected = false;
  qCInfo(lcMqtt, "MQTT: disconnected from %s:%d: %s", m_options.host.c_str(), m_options.port,
         reason.c_str());
  Event event;
  event.kind = Event::Kind::Disconnected;
  event.topic = reason;
  PushEvent(std::move(event));
}

void MqttClient::OnConnect(mosquitto* mosq, void* self, int rc, int flags) {
  auto* client = static_cast<MqttClient*>(self);
  const MqttOptions& o = client->m_options;
  if (rc != 0) {
    qCWarning(lcMqtt, "MQTT: %s:%d refused the connection: %s", o.host.c_str(), o.port,
              mosquitto_connack_string(rc));
    return;
  }
  const bool sessionPresent = (flags & 1) != 0;
  client->m_sessionUp = true;
  client->m_accepted = true;
  client->m_connected = true;
  qCInfo(lcMqtt, "MQTT: connected to %s:%d as \"%s\"%s", o.host.c_str(), o.port, o.clientId.c_str(),
         sessionPresent ? ", session kept" : "");
  std::vector<std::pair<std::string, int>> subscriptions;
  {
    std::lock_guard lock(client->m_mutex);
    subscriptions = client->m_subscriptions;
  }
  // Subscribed before the owner hears of the connection: what it publishes on `connected`
  // reaches the broker after the subscriptions.
  for (const auto& [filter, qos] : subscriptions) {
    const int s = mosquitto_subscribe(mosq, nullptr, filter.c_str(), qos);
    if (s != MOSQ_ERR_SUCCESS) {
      qCWarning(lcMqtt, "MQTT: subscribing to %s failed: %s", filter.c_str(), Why(s).c_str());
    }
  }
  {
    // Under the lock, so that the owner's later messages go after these.
    std::lock_guard lock(client->m_mutex);
    client->m_everAccepted = true;
    for (const Held& held : client->m_held) {
      int mid = 0;
      const int s =
          mosquitto_publish(mosq, &mid, held.topic.c_str(), static_cast<int>(held.payload.size()),
                            held.payload.data(), 1, held.retain);
      if (s == MOSQ_ERR_SUCCESS) {
        client->m_handedOver.push_back(mid);
      } else {
        qCWarning(lcMqtt, "MQTT: publishing to \"%s\" failed: %s", held.topic.c_str(),
                  Why(s).c_str());
      }
    }
    client->m_held.clear();
  }
  Event event;
  event.kind = Event::Kind::Connected;
  event.flag = sessionPresent;
  client->PushEvent(std::move(event));
}

void MqttClient::OnDisconnect(mosquitto*, void* self, int rc) {
  auto* client = static_cast<MqttClient*>(self);
  client->ConnectionEnded(rc == 0 ? "disconnected as asked" : Why(rc));
}

void MqttClient::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
  Event event;
  event.kind = Event::Kind::Message;
  event.flag = message->retain;
  event.topic = message->topic ? message->topic : "";
  if (message->payloadlen > 0) {
    event.payload.assign(static_cast<const char*>(message->payload),
                         static_cast<std::size_t>(message->payloadlen));
  }
  static_cast<MqttClient*>(self)->PushMessage(std::move(event));
}

void MqttClient::OnPublish(mosquitto*, void* self, int mid) {
  // Called for a QoS 0 message once written and for a QoS 1 message once acknowledged; the
  // owner's thread matches the IDs against the QoS 1 messages it published.
  auto* client = static_cast<MqttClient*>(self);
  std::lock_guard lock(client->m_mutex);
  client->m_published.push_back(mid);
}

bool MqttClient::Subscribe(const std::string& topicFilter, int qos) {
  if (!m_mosq) {
    qCWarning(lcMqtt, "MQTT: not subscribing to %s: %s", topicFilter.c_str(), m_problem.c_str());
    return false;
  }
  if (!MqttFilterIsValid(topicFilter) || qos < 0 || qos > 1) {
    qCWarning(lcMqtt, "MQTT: refused to subscribe to \"%s\" with QoS %d", topicFilter.c_str(), qos);
    return false;
  }
  {
    std::lock_guard lock(m_mutex);
    auto it = std::find_if(m_subscriptions.begin(), m_subscriptions.end(),
                           [&](const auto& s) { return s.first == topicFilter; });
    if (it == m_subscriptions.end()) {
      m_subscriptions.emplace_back(topicFilter, qos);
    } else {
      it->second = qos;
    }
  }
  // Read after the filter is stored: a connection made since then subscribes to it itself.
  if (m_connected) {
    const int rc = mosquitto_subscribe(m_mosq, nullptr, topicFilter.c_str(), qos);
    if (rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_NO_CONN) {
      qCWarning(lcMqtt, "MQTT: subscribing to %s failed: %s", topicFilter.c_str(), Why(rc).c_str());
    }
  }
  return true;
}

void MqttClient::Unsubscribe(const std::string& topicFilter) {
  {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_subscriptions, [&](const auto& s) { return s.first == topicFilter; });
  }
  if (m_mosq && m_connected) mosquitto_unsubscribe(m_mosq, nullptr, topicFilter.c_str());
}

bool MqttClient::Publish(const std::string& topic, const std::string& payload, int qos,
                         bool retain) {
  const auto refuse = [&](const std::string& why) {
    qCWarning(lcMqtt, "MQTT: not publishing to \"%s\": %s", topic.c_str(), why.c_str());
    return false;
  };
  if (!m_mosq) return refuse(m_problem);
  if (qos < 0 || qos > 1) return refuse("QoS " + std::to_string(qos) + " is not 0 or 1");
  if (!MqttTopicIsValid(topic)) {
    return refuse("a topic is 1 to 65535 bytes of UTF-8 without wildcards");
  }
  if (payload.size() > kMaxPayload) return refuse("the payload is 256 MiB or more");
  const std::string notKept = "not connected, and a QoS 0 message is not kept";
  ForgetAcknowledged();
  std::size_t waiting = 0;
  bool everAccepted = false;
  {
    std::lock_guard lock(m_mutex);
    waiting = m_unacknowledged.size() + m_held.size();
    everAccepted = m_everAccepted;
    // libmosquitto clears the retain flag of a message published before its first connection:
    // such messages wait here and are handed over once a broker has accepted one.
    if (!everAccepted && qos == 1 && waiting < m_options.maxUnacknowledged) {
      m_held.push_back({topic, payload, retain});
      return true;
    }
  }
  if (qos == 1 && waiting >= m_options.maxUnacknowledged) {
    return refuse(std::to_string(waiting) + " QoS 1 messages already wait for the broker");
  }
  if (!everAccepted) return refuse(notKept);
  int mid = 0;
  int rc = mosquitto_publish(m_mosq, &mid, topic.c_str(), static_cast<int>(payload.size()),
                             payload.data(), qos, retain);
  // libmosquitto keeps a QoS 1 message it could not send yet and sends it after the reconnect.
  if (rc == MOSQ_ERR_NO_CONN && qos == 1) rc = MOSQ_ERR_SUCCESS;
  if (rc == MOSQ_ERR_NO_CONN) return refuse(notKept);
  if (rc != MOSQ_ERR_SUCCESS) return refuse(Why(rc));
  if (qos == 1) {
    m_unacknowledged.insert(mid);
    // Its acknowledgement may have come already.
    ForgetAcknowledged();
  }
  return true;
}

void MqttClient::ForgetAcknowledged() {
  std::vector<int> handedOver;
  std::vector<int> done;
  {
    std::lock_guard lock(m_mutex);
    handedOver.swap(m_handedOver);
    done.swap(m_published);
  }
  // The worker records a handed-over message before its acknowledgement can come.
  m_unacknowledged.insert(handedOver.begin(), handedOver.end());
  for (int mid : done) m_unacknowledged.erase(mid);
}

MqttQueueStats MqttClient::QueueStats() const {
  std::lock_guard lock(m_mutex);
  MqttQueueStats stats = m_stats;
  stats.queued = m_queuedMessages;
  return stats;
}

void MqttClient::PushEvent(Event event) {
  std::lock_guard lock(m_mutex);
  PushEventLocked(std::move(event));
}

void MqttClient::PushEventLocked(Event event) {
  m_events.push_back(std::move(event));
  PostDrainLocked();
}

void MqttClient::PostDrainLocked() {
  if (m_drainPosted) return;
  m_drainPosted = true;
  QMetaObject::invokeMethod(this, &MqttClient::Drain, Qt::QueuedConnection);
}

void MqttClient::PushMessage(Event event) {
  const std::size_t cost = event.topic.size() + event.payload.size() + kEventCost;
  std::lock_guard lock(m_mutex);
  ++m_stats.received;
  if (cost > m_options.maxQueuedBytes) {
    ++m_stats.dropped;
    ++m_droppedUnlogged;
    m_lastDroppedTopic = event.topic;
    PostDrainLocked();  // for the log line
    return;
  }
  const auto it = m_queuedPerTopic.find(event.topic);
  if (it != m_queuedPerTopic.end() && it->second >= m_options.maxQueuedPerTopic) {
    DropOldestMessage(&event.topic);
  }
  while (m_queuedMessages > 0 && m_queuedBytes + cost > m_options.maxQueuedBytes) {
    DropOldestMessage(nullptr);
  }
  ++m_queuedPerTopic[event.topic];
  ++m_queuedMessages;
  m_queuedBytes += cost;
  m_stats.peakQueued = std::max(m_stats.peakQueued, m_queuedMessages);
  PushEventLocked(std::move(event));
}

// Called with m_mutex held.
void MqttClient::DropOldestMessage(const std::string* topic) {
  const auto it = std::find_if(m_events.begin(), m_events.end(), [&](const Event& e) {
    return e.kind == Event::Kind::Message && (!topic || e.topic == *topic);
  });
  if (it == m_events.end()) return;
  const auto count = m_queuedPerTopic.find(it->topic);
  if (--count->second == 0) m_queuedPerTopic.erase(count);
  --m_queuedMessages;
  m_queuedBytes -= it->topic.size() + it->payload.size() + kEventCost;
  ++m_stats.dropped;
  ++m_droppedUnlogged;
  m_lastDroppedTopic = std::move(it->topic);
  m_events.erase(it);
}

void MqttClient::Drain() {
  std::vector<Event> batch;
  std::uint64_t dropped = 0;
  std::string droppedTopic;
  {
    std::lock_guard lock(m_mutex);
    while (!m_events.empty() && batch.size() < kDrainBatch) {
      Event& e = m_events.front();
      if (e.kind == Event::Kind::Message) {
        const auto count = m_queuedPerTopic.find(e.topic);
        if (--count->second == 0) m_queuedPerTopic.erase(count);
        --m_queuedMessages;
        m_queuedBytes -= e.topic.size() + e.payload.size() + kEventCost;
      }
      batch.push_back(std::move(e));
      m_events.pop_front();
    }
    m_drainPosted = false;
    if (!m_events.empty()) PostDrainLocked();
    const auto now = std::chrono::steady_clock::now();
    if (m_droppedUnlogged > 0 && now - m_lastDropLog >= kDropLogInterval) {
      dropped = m_droppedUnlogged;
      droppedTopic = m_lastDroppedTopic;
      m_droppedUnlogged = 0;
      m_lastDropLog = now;
    }
  }
  ForgetAcknowledged();
  if (dropped > 0) {
    qCWarning(lcMqtt,
              "MQTT: dropped %llu incoming messages beyond the bounds of what may wait "
              "(the last of \"%s\"); the newest of each topic are kept",
              static_cast<unsigned long long>(dropped), droppedTopic.c_str());
  }
  // A slot may delete the client.
  const QPointer<MqttClient> alive(this);
  for (Event& e : batch) {
    switch (e.kind) {
      case Event::Kind::Connected:
        emit connected(e.flag);
        break;
      case Event::Kind::Disconnected:
        emit disconnected(QString::fromStdString(e.topic));
        break;
      case Event::Kind::Message:
        emit messageReceived(QString::fromStdString(e.topic),
                             QByteArray(e.payload.data(), static_cast<qsizetype>(e.payload.size())),
                             e.flag);
        break;
    }
    if (!alive) return;
  }
}

}  // namespace tavrin

#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

struct mosquitto;
struct mosquitto_message;

namespace tavrin {

// How the service meets its broker. MQTT 3.1.1, no TLS.
struct MqttOptions {
  std::string host = "127.0.0.1";
  int port = 1883;
  std::string clientId;            // fixed, for a persistent session; required unless cleanSession
  std::string username, password;  // empty username: none
  bool cleanSession = false;       // persistent session: QoS 1 messages kept while away
  int keepAliveSeconds = 30;       // 5 to 65535
  // The last will, sent by the broker when the connection dies without a clean disconnect.
  // Empty willTopic: none.
  std::string willTopic;
  std::string willPayload;
  bool willRetain = true;
  int willQos = 1;
  // The wait before the next attempt: reconnectMinSeconds after a connection that had been up,
  // doubled after every attempt that failed, never more than reconnectMaxSeconds.
  int reconnectMinSeconds = 1, reconnectMaxSeconds = 30;
  // Bounds of what waits for the owner's thread (see MqttClient). The oldest waiting message of
  // a topic goes when the topic has maxQueuedPerTopic waiting; the oldest waiting message of
  // any topic goes while all of them hold more than maxQueuedBytes (topic, payload and a small
  // fixed cost each). A message larger than maxQueuedBytes is dropped at once.
  std::size_t maxQueuedPerTopic = 100;
  std::size_t maxQueuedBytes = 4 * 1024 * 1024;
  // QoS 1 messages published and not yet acknowledged by the broker (waiting while away
  // included); Publish refuses more.
  std::size_t maxUnacknowledged = 10000;
};

// What the client's reader has done with incoming messages since the client was made, for logs
// and tests.
struct MqttQueueStats {
  std::uint64_t received = 0;  // messages that came from the broker
  std::uint64_t dropped = 0;   // of those, dropped by the bounds before they were handed on
  std::size_t queued = 0;      // messages waiting for the owner's thread now
  std::size_t peakQueued = 0;  // the most that ever waited at once
};

// Why the options cannot work (in words for a log or `--check`), or empty when they can.
std::string MqttOptionsProblem(const MqttOptions& options);
// A topic one may publish to (no wildcard, valid UTF-8 without U+0000, 1 to 65535 bytes).
bool MqttTopicIsValid(std::string_view topic);
// A subscription filter ('+' a whole level, '#' the last level; valid UTF-8, 1 to 65535 bytes).
bool MqttFilterIsValid(std::string_view filter);

// An MQTT client on libmosquitto for a Qt program.
//
// Threading: a worker thread of the client's own runs libmosquitto's network loop (connect,
// read, write, keep-alive, reconnect with backoff). Whatever it receives waits in a queue and is
// handed to the thread the object lives in, where every signal is emitted, in the order the
// worker saw it. The queue is bounded (see MqttOptions): under a flood the oldest messages of the
// flooded topic are dropped and the newest kept, so the last message of a burst always arrives;
// each drop is counted (QueueStats) and logged (at most one line every ten seconds). A dropped
// QoS 1 message has been acknowledged to the broker: it is lost, as it would be if the broker's
// own queue overflowed. Connection events are never dropped. Two things the bounds do not
// cover: libmosquitto reads a whole message before the client sees it (the broker's
// message_size_limit bounds one message), and QoS 0 messages the owner publishes faster than the
// socket takes them wait in libmosquitto unbounded.
//
// Start, Stop, Subscribe, Unsubscribe, Publish and the destructor are called from the object's
// thread; IsConnected and QueueStats from any thread. Log lines go to the category
// "tavrin.mqtt".
class MqttClient : public QObject {
  Q_OBJECT
 public:
  explicit MqttClient(MqttOptions options, QObject* parent = nullptr);
  // Disconnects cleanly (the will is not sent) and joins the worker. See Stop() for how long
  // that can take.
  ~MqttClient() override;

  // Connects in the background and reconnects forever, with the backoff of the options. False,
  // with a log line, when the options cannot work (MqttOptionsProblem); nothing runs then. A
  // second Start() while running does nothing and returns true.
  bool Start();
  // Disconnects cleanly (the broker drops the will; a persistent session stays on the broker)
  // and waits for the worker to end: at most two seconds to hand over the disconnect, but a TCP
  // connect under way to a host that never answers holds it until the system gives up on it.
  // QoS 1 messages not yet acknowledged stay with the client and go after the next Start().
  void Stop();

  // Remembered and made again on every (re)connect, so a broker that lost the session still
  // delivers; made at once when connected. QoS 0 or 1; subscribing again to the same filter
  // changes its QoS. False, with a log line, for a filter or QoS that is refused.
  bool Subscribe(const std::string& topicFilter, int qos = 1);
  // Forgets a filter given to Subscribe and unsubscribes when connected.
  void Unsubscribe(const std::string& topicFilter);

  // QoS 1: kept by the client (in memory, until the object goes) until the broker acknowledges
  // it, across reconnects and Stop/Start: published while disconnected, it goes after the
  // reconnect, retain flag and all. QoS 0: sent once if connected; while disconnected it is
  // dropped and Publish returns false, and one accepted while a connection is breaking is lost
  // silently. False, with a log line saying why, for a topic libmosquitto refuses (wildcards,
  // bad UTF-8, empty, too long), a payload of 256 MiB or more, a QoS other than 0 or 1, options
  // that cannot work, or maxUnacknowledged QoS 1 messages already waiting.
  bool Publish(const std::string& topic, const std::string& payload, int qos = 1,
               bool retain = false);

  // True from the broker's acceptance of a connection until the worker sees it break. The worker
  // sets it, so it may change before the matching signal is emitted.
  bool IsConnected() const { return m_connected.load(); }
  MqttQueueStats QueueStats() const;

 signals:  // always emitted on the object's thread, from its event loop
  // The broker accepted a connection; sessionPresent: it still had our persistent session
  // (subscriptions and queued messages). Subscriptions are made again either way.
  void connected(bool sessionPresent);
  // A connection that had been accepted ended: the reason in words ("disconnected as asked"
  // after Stop). Failed attempts to connect are logged, not signalled.
  void disconnected(QString reason);
  void messageReceived(QString topic, QByteArray payload, bool retained);

 private:
  struct Held {
    std::string topic, payload;
    bool retain = false;
  };
  struct Event {
    enum class Kind { Connected, Disconnected, Message } kind = Kind::Message;
    bool flag = false;  // Connected: session present; Message: retained
    std::string topic;  // Disconnected: the reason
    std::string payload;
  };

  static void OnConnect(mosquitto* mosq, void* self, int rc, int flags);
  static void OnDisconnect(mosquitto* mosq, void* self, int rc);
  static void OnMessage(mosquitto* mosq, void* self, const mosquitto_message* message);
  static void OnPublish(mosquitto* mosq, void* self, int mid);

  void Run();
  // One connection from a successful connect call to its end; true when the broker accepted it.
  bool RunConnection();
  bool Stopping();
  void ConnectionEnded(const std::string& reason);
  void PushEvent(Event event);
  void PushEventLocked(Event event);
  void PostDrainLocked();
  void PushMessage(Event event);
  void DropOldestMessage(const std::string* topic);
  // Emits what waits, a batch at a time, on the object's thread.
  void Drain();
  // Takes the QoS 1 messages the broker acknowledged off m_unacknowledged.
  void ForgetAcknowledged();

  const MqttOptions m_options;
  std::string m_problem;  // why the options cannot work; set by the constructor, empty if none
  mosquitto* m_mosq = nullptr;
  std::thread m_worker;
  std::atomic<bool> m_connected{false};

  mutable std::mutex m_mutex;  // guards everything below
  std::condition_variable m_wake;
  bool m_stopping = false;
  bool m_inLoop = false;  // the worker runs the network loop of a live socket
  std::vector<std::pair<std::string, int>> m_subscriptions;
  std::deque<Event> m_events;
  std::unordered_map<std::string, std::size_t> m_queuedPerTopic;
  std::size_t m_queuedMessages = 0;
  std::size_t m_queuedBytes = 0;
  bool m_drainPosted = false;
  MqttQueueStats m_stats;
  std::uint64_t m_droppedUnlogged = 0;
  std::string m_lastDroppedTopic;
  bool m_disconnectSent = false;  // Stop or the worker asked libmosquitto to disconnect
  std::vector<int> m_published;   // IDs libmosquitto reported sent or acknowledged, not yet matched
  bool m_everAccepted = false;    // a broker accepted a connection of this client once
  std::vector<Held> m_held;       // QoS 1 messages published before that
  std::vector<int> m_handedOver;  // IDs the worker gave the held messages, not yet matched

  // The object's thread only.
  std::unordered_set<int> m_unacknowledged;  // QoS 1 message IDs
  std::chrono::steady_clock::time_point m_lastDropLog;
  // The worker only, or while it does not run.
  bool m_sessionUp = false;      // the broker accepted the current connection, still up
  bool m_accepted = false;       // the broker accepted the current connection
  bool m_connectedOnce = false;  // libmosquitto knows the host: later attempts reconnect
};

}  // namespace tavrin

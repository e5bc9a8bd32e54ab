#include "service/mqtt_client.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/private_broker.h"
#include "tests/support/wait_qt.h"

namespace tavrin {
namespace {

using testing::PrivateBroker;

// What the client said in the log category, from any thread.
std::mutex g_logMutex;
std::vector<std::string> g_log;

void KeepLog(QtMsgType, const QMessageLogContext&, const QString& text) {
  std::lock_guard lock(g_logMutex);
  g_log.push_back(text.toStdString());
}

void ClearLog() {
  std::lock_guard lock(g_logMutex);
  g_log.clear();
}

bool Logged(const std::string& words) {
  std::lock_guard lock(g_logMutex);
  for (const std::string& line : g_log) {
    if (line.find(words) != std::string::npos) return true;
  }
  return false;
}

using testing::WaitFor;

// Everything one client signalled.
struct Heard {
  struct Message {
    std::string topic, payload;
    bool retained;
  };
  std::vector<Message> messages;
  std::vector<bool> connects;  // sessionPresent of each
  std::vector<std::string> disconnects;

  explicit Heard(MqttClient& client) {
    QObject::connect(&client, &MqttClient::messageReceived,
                     [this](const QString& t, const QByteArray& p, bool retained) {
                       messages.push_back({t.toStdString(), p.toStdString(), retained});
                     });
    QObject::connect(&client, &MqttClient::connected,
                     [this](bool present) { connects.push_back(present); });
    QObject::connect(&client, &MqttClient::disconnected,
                     [this](const QString& why) { disconnects.push_back(why.toStdString()); });
  }
  bool Got(const std::string& topic, const std::string& payload) const {
    for (const Message& m : messages) {
      if (m.topic == topic && m.payload == payload) return true;
    }
    return false;
  }
};

MqttOptions On(const PrivateBroker& broker, const std::string& clientId) {
  MqttOptions o;
  o.port = broker.Port();
  o.clientId = clientId;
  return o;
}

class MqttClientTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearLog(); }
};

TEST_F(MqttClientTest, ReceivesWhatItSubscribedToAndPublishesRetained) {
  PrivateBroker broker;
  ASSERT_TRUE(broker.Running()) << broker.Log();
  MqttClient client(On(broker, "service"));
  Heard heard(client);
  EXPECT_FALSE(client.IsConnected());
  // Subscriptions made before the connection are made on it.
  ASSERT_TRUE(client.Subscribe("tavrin/+/message/set"));
  ASSERT_TRUE(client.Subscribe("tavrin/door/command/set", 0));
  ASSERT_TRUE(client.Start());
  ASSERT_TRUE(WaitFor([&] { return !heard.connects.empty(); })) << broker.Log();
  EXPECT_FALSE(heard.connects[0]);  // a new session
  EXPECT_TRUE(client.IsConnected());

  EXPECT_EQ(broker.Publish("tavrin/door/message/set", "Ring caf\xC3\xA9 {time:HH:mm}"), "");
  EXPECT_EQ(broker.Publish("tavrin/door/command/set", "clock", 0), "");
  EXPECT_EQ(broker.Publish("tavrin/door/other", "not subscribed"), "");
  ASSERT_TRUE(WaitFor([&] { return heard.messages.size() >= 2; }));
  EXPECT_EQ(heard.messages[0].topic, "tavrin/door/message/set");
  EXPECT_EQ(heard.messages[0].payload, "Ring caf\xC3\xA9 {time:HH:mm}");
  EXPECT_FALSE(heard.messages[0].retained);
  EXPECT_TRUE(heard.Got("tavrin/door/command/set", "clock"));

  // Retained: a later subscriber, this client's own included, is given it as retained.
  ASSERT_TRUE(client.Publish("tavrin/door/state", R"({"online": true})", 1, true));
  EXPECT_EQ(broker.Collect("tavrin/door/state", 1, 3000),
            (std::vector<std::pair<std::string, std::string>>{
                {"tavrin/door/state", R"({"online": true})"}}));
  ASSERT_TRUE(client.Subscribe("tavrin/door/state"));
  ASSERT_TRUE(WaitFor([&] { return heard.Got("tavrin/door/state", R"({"online": true})"); }));
  EXPECT_TRUE(heard.messages.back().retained);

  // Unsubscribed: nothing more of it, while what comes after on another filter still does.
  client.Unsubscribe("tavrin/+/message/set");
  ASSERT_TRUE(client.Subscribe("tavrin/marker"));
  EXPECT_EQ(broker.Publish("tavrin/door/message/set", "after unsubscribing"), "");
  EXPECT_EQ(broker.Publish("tavrin/marker", "last"), "");
  ASSERT_TRUE(WaitFor([&] { return heard.Got("tavrin/marker", "last"); }));
  EXPECT_FALSE(heard.Got("tavrin/door/message/set", "after unsubscribing"));

  client.Stop();
  EXPECT_FALSE(client.IsConnected());
  ASSERT_TRUE(WaitFor([&] { return !heard.disconnects.empty(); }));
  EXPECT_EQ(heard.disconnects[0], "disconnected as asked");
}

TEST_F(MqttClientTest, RefusesWhatCannotGoAndSaysWhy) {
  PrivateBroker broker;
  ASSERT_TRUE(broker.Running()) << broker.Log();
  MqttClient client(On(broker, "refusals"));
  // Not started: a QoS 0 message is not kept, a QoS 1 message waits for the connection.
  EXPECT_FALSE(client.Publish("tavrin/early", "qos 0", 0));
  EXPECT_TRUE(Logged("not connected, and a QoS 0 message is not kept"));
  EXPECT_TRUE(client.Publish("tavrin/early", "qos 1", 1, true));

  const struct {
    std::string topic;
    int qos;
    std::string why;
  } publishes[] = {
      {"tavrin/+/state", 1, "without wildcards"},
      {"tavrin/#", 0, "without wildcards"},
      {"", 1, "without wildcards"},
      {std::string("tavrin/\xC3\x28"), 1, "without wildcards"},
      {std::string("tavrin/a\0b", 10), 1, "without wildcards"},
      {std::string(65536, 'a'), 1, "without wildcards"},
      {"tavrin/door/state", 2, "QoS 2 is not 0 or 1"},
      {"tavrin/door/state", -1, "QoS -1 is not 0 or 1"},
  };
  for (const auto& p : publishes) {
    ClearLog();
    EXPECT_FALSE(client.Publish(p.topic, "x", p.qos)) << p.topic;
    EXPECT_TRUE(Logged(p.why)) << p.why;
  }
  EXPECT_FALSE(client.Subscribe("tavrin/#/state"));
  EXPECT_FALSE(client.Subscribe("tavrin/door+"));
  EXPECT_FALSE(client.Subscribe("tavrin/door", 2));
  EXPECT_TRUE(Logged("refused to subscribe to \"tavrin/door\" with QoS 2"));

  Heard heard(client);
  ASSERT_TRUE(client.Start());
  ASSERT_TRUE(WaitFor([&] { return !heard.connects.empty(); }));
  EXPECT_EQ(broker.Collect("tavrin/early", 1, 3000),
            (std::vector<std::pair<std::string, std::string>>{{"tavrin/early", "qos 1"}}));

  // No more QoS 1 messages than the bound wait for the broker; acknowledged ones stop counting,
  // those published before the first connection included.
  MqttOptions capped = On(broker, "capped");
  capped.maxUnacknowledged = 3;
  MqttClient few(capped);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(few.Publish("tavrin/few", std::to_string(i)));
  EXPECT_FALSE(few.Publish("tavrin/few", "3"));
  EXPECT_TRUE(Logged("3 QoS 1 messages already wait for the broker"));
  ASSERT_TRUE(few.Start());
  ASSERT_TRUE(WaitFor([&] { return few.IsConnected(); }));
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(WaitFor([&] { return few.Publish("tavrin/few", "again"); })) << i;
  }

  // Options that cannot work: nothing starts, and every call says why.
  const struct {
    std::function<void(MqttOptions&)> change;
    std::string why;
  } options[] = {
      {[](MqttOptions& o) { o.clientId.clear(); }, "a persistent session needs a client ID"},
      {[](MqttOptions& o) { o.port = 0; }, "the broker port is 1 to 65535"},
      {[](MqttOptions& o) { o.host.clear(); }, "no broker host"},
      {[](MqttOptions& o) { o.keepAliveSeconds = 2; }, "keep-alive"},
      {[](MqttOptions& o) { o.willTopic = "tavrin/+/status"; }, "the will topic"},
      {[](MqttOptions& o) { o.password = "secret"; }, "a password needs a user name"},
      {[](MqttOptions& o) { o.reconnectMaxSeconds = 0; }, "reconnect delays"},
  };
  for (const auto& row : options) {
    ClearLog();
    MqttOptions o = On(broker, "bad");
    row.change(o);
    EXPECT_NE(MqttOptionsProblem(o).find(row.why), std::string::npos) << MqttOptionsProblem(o);
    MqttClient bad(o);
    EXPECT_FALSE(bad.Start());
    EXPECT_FALSE(bad.Publish("tavrin/x", "y"));
    EXPECT_TRUE(Logged(row.why));
  }
  MqttOptions clean = On(broker, "");
  clean.cleanSession = true;
  EXPECT_EQ(MqttOptionsProblem(clean), "");
}

// A second program with a will, for the test to kill as a crash would.
int RunWillChild(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  MqttOptions o;
  o.port = std::stoi(argv[2]);
  o.clientId = "will-child";
  o.willTopic = argv[3];
  o.willPayload = "offline";
  MqttClient client(o);
  QObject::connect(&client, &MqttClient::connected, [] {
    std::puts("connected");
    std::fflush(stdout);
  });
  client.Start();
  return QCoreApplication::exec();
}

TEST_F(MqttClientTest, TheWillGoesWhenTheClientDiesAndNotWhenItStops) {
  PrivateBroker broker;
  ASSERT_TRUE(broker.Running()) << broker.Log();
  {
    testing::BackgroundProcess child({QCoreApplication::applicationFilePath().toStdString(),
                                      "--will-child", std::to_string(broker.Port()),
                                      "tavrin/crashed/status"});
    ASSERT_EQ(child.FirstLine(), "connected") << broker.Log();
    child.Kill();
  }
  EXPECT_EQ(
      broker.Collect("tavrin/crashed/status", 1, 3000),
      (std::vector<std::pair<std::string, std::string>>{{"tavrin/crashed/status", "offline"}}));

  // Stopped, or destroyed while connected: a clean disconnect, and the broker drops the will.
  for (const bool stop : {true, false}) {
    MqttOptions o = On(broker, stop ? "stopped" : "destroyed");
    o.willTopic = stop ? "tavrin/stopped/status" : "tavrin/destroyed/status";
    o.willPayload = "offline";
    MqttClient client(o);
    ASSERT_TRUE(client.Start());
    ASSERT_TRUE(WaitFor([&] { return client.IsConnected(); }));
    if (stop) client.Stop();
  }
  // The wills are retained: a fresh subscriber would be given every one the broker sent.
  EXPECT_EQ(
      broker.Collect("tavrin/+/status", 3, 1000),
      (std::vector<std::pair<std::string, std::string>>{{"tavrin/crashed/status", "offline"}}));
}

TEST_F(MqttClientTest, ComesBackAfterTheBrokerRestartsWithWhatWasMissed) {
  PrivateBroker broker;
  ASSERT_TRUE(broker.Running()) << broker.Log();
  MqttOptions o = On(broker, "tavrin-service");
  // Long enough that the message below is published before the client is back.
  o.reconnectMinSeconds = 2;
  MqttClient client(o);
  Heard heard(client);
  ASSERT_TRUE(client.Subscribe("tavrin/+/message/set"));
  ASSERT_TRUE(client.Start());
  ASSERT_TRUE(WaitFor([&] { return heard.connects.size() == 1; }));

  broker.Stop();
  ASSERT_TRUE(WaitFor([&] { return heard.disconnects.size() == 1; }));
  EXPECT_FALSE(client.IsConnected());
  EXPECT_NE(heard.disconnects[0], "disconnected as asked");
  // Published by the client while away: it waits and goes after the reconnect.
  ASSERT_TRUE(client.Publish("tavrin/door/state", "published while away", 1, true));

  ASSERT_TRUE(broker.Start()) << broker.Log();
  // Published by another while the client is away, to its persistent session.
  ASSERT_EQ(broker.Publish("tavrin/door/message/set", "sent while away"), "");
  ASSERT_FALSE(client.IsConnected()) << "the client came back too early for this test";

  ASSERT_TRUE(
      WaitFor([&] { return heard.Got("tavrin/door/message/set", "sent while away"); }, 10000))
      << broker.Log();
  ASSERT_EQ(heard.connects.size(), 2u);
  EXPECT_TRUE(heard.connects[1]);  // the broker kept the session
  EXPECT_EQ(broker.Collect("tavrin/door/state", 1, 3000),
            (std::vector<std::pair<std::string, std::string>>{
                {"tavrin/door/state", "published while away"}}));
}

TEST_F(MqttClientTest, SubscribesAgainToABrokerThatLostTheSession) {
  PrivateBroker broker;
  ASSERT_TRUE(broker.Running()) << broker.Log();
  MqttClient client(On(broker, "tavrin-service"));
  Heard heard(client);
  ASSERT_TRUE(client.Subscribe("tavrin/+/message/set"));
  ASSERT_TRUE(client.Start());
  ASSERT_TRUE(WaitFor([&] { return heard.connects.size() == 1; }));

  broker.Stop();
  broker.ForgetEverything();
  ASSERT_TRUE(broker.Start()) << broker.Log();
  ASSERT_TRUE(WaitFor([&] { return heard.connects.size() == 2; }, 10000)) << broker.Log();
  EXPECT_FALSE(heard.connects[1]);  // a new session, with no subscription of its own
  ASSERT_EQ(broker.Publish("tavrin/door/message/set", "to a fresh broker"), "");
  EXPECT_TRUE(WaitFor([&] { return heard.Got("tavrin/door/message/set", "to a fresh broker"); }));
}

TEST_F(MqttClientTest, StartsBeforeTheBrokerAndKeepsTryingWithGrowingPauses) {
  PrivateBroker broker;
  broker.Stop();
  MqttClient client(On(broker, "early-riser"));
  Heard heard(client);
  ASSERT_TRUE(client.Subscribe("tavrin/#"));
  ASSERT_TRUE(client.Start());
  const auto where = "127.0.0.1:" + std::to_string(broker.Port());
  ASSERT_TRUE(WaitFor([&] { return Logged("cannot connect to " + where); }));
  EXPECT_TRUE(Logged("next attempt in 1 s"));
  // The attempts come at 0, 1 and 3 s: the broker is there for the third.
  ASSERT_TRUE(WaitFor([&] { return Logged("next attempt in 2 s"); }, 3000));
  ASSERT_TRUE(broker.Start()) << broker.Log();
  ASSERT_TRUE(WaitFor([&] { return !heard.connects.empty(); }, 5000)) << broker.Log();
  ASSERT_EQ(broker.Publish("tavrin/door/message/set", "hello"), "");
  EXPECT_TRUE(WaitFor([&] { return heard.Got("tavrin/door/message/set", "hello"); }));
  EXPECT_TRUE(heard.disconnects.empty());  // failed attempts are no disconnections
}

TEST_F(MqttClientTest, AFloodStaysBoundedAndItsLastMessageArrives) {
  PrivateBroker broker;
  ASSERT_TRUE(broker.Running()) << broker.Log();
  MqttClient receiver(On(broker, "receiver"));
  MqttOptions small = On(broker, "small");
  small.maxQueuedBytes = 2000;
  MqttClient byteBound(small);
  MqttClient publisher(On(broker, "publisher"));
  Heard heard(receiver);
  Heard heardSmall(byteBound);
  for (MqttClient* c : {&receiver, &byteBound}) {
    ASSERT_TRUE(c->Subscribe("flood/#", 0));
    ASSERT_TRUE(c->Start());
  }
  ASSERT_TRUE(publisher.Start());
  ASSERT_TRUE(WaitFor([&] {
    return receiver.IsConnected() && byteBound.IsConnected() && publisher.IsConnected() &&
           heard.connects.size() == 1 && heardSmall.connects.size() == 1;
  }));

  // This thread publishes and then sleeps: nothing is handed over until the flood is in.
  constexpr int kFlood = 10000;
  for (int i = 0; i < kFlood; ++i) {
    ASSERT_TRUE(publisher.Publish("flood/door", std::to_string(i), 0));
    if (i == kFlood / 2) {
      ASSERT_TRUE(publisher.Publish("flood/other", "in the middle", 0));
      ASSERT_TRUE(publisher.Publish("flood/big", std::string(3000, 'b'), 0));
    }
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline &&
         (receiver.QueueStats().received < kFlood + 2 ||
          byteBound.QueueStats().received < kFlood + 2)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const MqttQueueStats stats = receiver.QueueStats();
  EXPECT_EQ(stats.received, kFlood + 2u);
  EXPECT_LE(stats.peakQueued, 102u);  // a hundred of the flooded topic and the two others
  EXPECT_EQ(stats.queued + stats.dropped, stats.received);
  const MqttQueueStats bounded = byteBound.QueueStats();
  EXPECT_EQ(bounded.received, kFlood + 2u);
  EXPECT_LE(bounded.peakQueued * (64 + 10), 2000u);

  ASSERT_TRUE(WaitFor([&] {
    return heard.Got("flood/door", std::to_string(kFlood - 1)) &&
           heardSmall.Got("flood/door", std::to_string(kFlood - 1));
  }));
  // The newest were kept, in order; the other topics' messages were not pushed out by the flood.
  ASSERT_EQ(heard.messages.size(), 102u);
  EXPECT_TRUE(heard.Got("flood/other", "in the middle"));
  EXPECT_TRUE(heard.Got("flood/big", std::string(3000, 'b')));
  // A message larger than all the bytes allowed to wait is dropped at once.
  EXPECT_FALSE(heardSmall.Got("flood/big", std::string(3000, 'b')));
  std::vector<int> kept;
  for (const Heard::Message& m : heard.messages) {
    if (m.topic == "flood/door") kept.push_back(std::stoi(m.payload));
  }
  ASSERT_EQ(kept.size(), 100u);
  for (std::size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(kept[i], kFlood - 100 + int(i));
  EXPECT_LE(heardSmall.messages.size(), 2000u / (64 + 10));
  EXPECT_TRUE(Logged("dropped"));
}

}  // namespace
}  // namespace tavrin

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--will-child") return tavrin::RunWillChild(argc, argv);
  QCoreApplication app(argc, argv);
  qInstallMessageHandler(tavrin::KeepLog);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

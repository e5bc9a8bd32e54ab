// tavrin-service as it runs: the program itself, a private mosquitto, and stand-in signs on
// pseudo-terminals that record every frame.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <atomic>
#include <fstream>
#include <map>

#include "functions/sign_plans.h"
#include "tests/support/private_broker.h"
#include "tests/support/process.h"
#include "tests/support/pty_peer.h"
#include "tests/support/scratch_folder.h"

namespace tavrin {
namespace {

using testing::PrivateBroker;
using testing::PtyPeer;
using testing::ScratchFolder;

bool WaitUntil(const std::function<bool()>& done, int ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

struct HttpAnswer {
  int status = 0;
  std::string body;
};

// One request over a fresh connection to 127.0.0.1, the answer read to its end.
HttpAnswer Http(int port, const std::string& method, const std::string& path,
                const std::string& body = {}, const std::string& token = {}) {
  HttpAnswer answer;
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return answer;
  }
  std::string request =
      method + " " + path + " HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n";
  if (!token.empty()) request += "Authorization: Bearer " + token + "\r\n";
  request += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  if (::write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
    ::close(fd);
    return answer;
  }
  std::string all;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
    all.append(buffer, static_cast<std::size_t>(n));
  ::close(fd);
  if (all.size() > 12) answer.status = std::stoi(all.substr(9, 3));
  const std::size_t head = all.find("\r\n\r\n");
  if (head != std::string::npos) answer.body = all.substr(head + 4);
  return answer;
}

QJsonObject Json(const std::string& text) {
  return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
}

// Two signs, Door (ID 02) and Yard (ID 03), each on a pseudo-terminal of its own; Yard answers
// only while `yardAnswers`. The service runs with its MQTT and HTTP on free ports.
class ServiceEndToEndTest : public ::testing::Test {
 protected:
  ServiceEndToEndTest()
      : m_door([](const std::string& frame) { return PtyPeer::Ack(frame); }),
        m_yard([this](const std::string& frame) {
          return m_yardAnswers ? PtyPeer::Ack(frame) : std::string();
        }) {
    m_httpPort = PrivateBroker::FreeLoopbackPort();
    m_home.Put("Tavrin.signs", "Door = " + m_door.Device() +
                                   ", 02, 3, 128\nYard = " + m_yard.Device() + ", 03, 1, 96\n");
    m_home.Put("token", "s3cret\n");
    m_home.Put("Tavrin.INI", "[Service]\r\nmqtt=127.0.0.1:" + std::to_string(m_broker.Port()) +
                                 "\r\nhttp=127.0.0.1:" + std::to_string(m_httpPort) +
                                 "\r\nhttptokenfile=token\r\nretrymin=1\r\nclientid=e2e\r\n");
  }

  void StartService() {
    m_service = std::make_unique<testing::BackgroundProcess>(
        std::vector<std::string>{TAVRIN_SERVICE_PATH, "--home", m_home.Path().string()});
    // Up once it has said it is online and its HTTP answers.
    ASSERT_TRUE(WaitUntil([&] { return Http(m_httpPort, "GET", "/signs").status != 0; }, 5000));
    ASSERT_TRUE(WaitUntil([&] { return State("status") == "online"; }, 5000));
  }
  void StopService() {
    m_service.reset();  // SIGTERM, waited for
  }

  // The retained payload of tavrin/SUFFIX, or empty.
  std::string State(const std::string& suffix) {
    const auto got = m_broker.Collect("tavrin/" + suffix, 1, 1000);
    return got.empty() ? std::string() : got[0].second;
  }

  ScratchFolder m_home;
  PrivateBroker m_broker;
  std::atomic<bool> m_yardAnswers{true};
  PtyPeer m_door;
  PtyPeer m_yard;
  int m_httpPort = 0;
  std::unique_ptr<testing::BackgroundProcess> m_service;
};

TEST_F(ServiceEndToEndTest, APublishGivesTheSignTheWindowsFramesAndHomeAssistantItsDevices) {
  StartService();
  ASSERT_EQ(m_broker.Publish("tavrin/door/message/set", "<Curtain Up><Red>Ring {mqtt:home/q}"), "");
  ASSERT_EQ(m_broker.Publish("home/q", "12", 1, true), "");
  const GraphicFolder graphics(m_home.Path());
  const std::vector<std::string> first =
      PlanSendMessage(graphics, "<Curtain Up><Red>Ring ", 'A', 2).Frames();
  const std::vector<std::string> second =
      PlanSendMessage(graphics, "<Curtain Up><Red>Ring 12", 'A', 2).Frames();
  // The field's value may come before the message is drawn, or after: then it goes again.
  ASSERT_TRUE(WaitUntil([&] { return m_door.Frames().size() >= 3; }, 5000));
  ASSERT_TRUE(WaitUntil(
      [&] {
        const auto f = m_door.Frames();
        return std::search(f.begin(), f.end(), second.begin(), second.end()) != f.end();
      },
      15000));
  const auto frames = m_door.Frames();
  EXPECT_TRUE(frames.size() == 3 ? frames == second
                                 : std::equal(first.begin(), first.end(), frames.begin()));
  ASSERT_EQ(m_broker.Publish("tavrin/door/command/set", R"({"command": "run-page", "page": "B"})"),
            "");
  ASSERT_TRUE(
      WaitUntil([&] { return m_door.Frames().back() == PlanRunPage(2, 'B').Frames()[0]; }, 5000));
  // The state follows once the command has ended.
  ASSERT_TRUE(WaitUntil(
      [&] { return Json(State("door/state")).value("result").toString().startsWith("Run Page B"); },
      3000))
      << State("door/state");
  const QJsonObject state = Json(State("door/state"));
  EXPECT_TRUE(state.value("online").toBool());
  EXPECT_TRUE(state.value("result").toString().contains(": done in ")) << State("door/state");

  // What the sign would misread is not sent, and said on its state topic.
  const std::size_t sent = m_door.Frames().size();
  ASSERT_EQ(m_broker.Publish("tavrin/door/message/set", R"({"text": "<Blink>"})"), "");
  ASSERT_TRUE(WaitUntil(
      [&] { return Json(State("door/state")).value("error").toString().contains("<Blink>"); },
      3000));
  ASSERT_EQ(m_broker.Publish("tavrin/gate/message/set", "Hi"), "");
  EXPECT_EQ(m_door.Frames().size(), sent);

  // Each sign a device of four entities, with what Home Assistant needs of each.
  const auto configs = m_broker.Collect("homeassistant/#", 8, 3000);
  ASSERT_EQ(configs.size(), 8u);
  std::map<std::string, QJsonObject> byTopic;
  for (const auto& [topic, payload] : configs) byTopic[topic] = Json(payload);
  const QJsonObject text = byTopic["homeassistant/text/tavrin/door_message/config"];
  EXPECT_EQ(text.value("command_topic").toString(), "tavrin/door/message/set");
  // Home Assistant takes no state over 255 characters.
  EXPECT_EQ(text.value("max").toInt(), 255);
  EXPECT_EQ(text.value("value_template").toString(), "{{ value_json.text[:255] }}");
  const QJsonObject select = byTopic["homeassistant/select/tavrin/yard_brightness/config"];
  EXPECT_EQ(select.value("options").toArray().size(), 4);
  EXPECT_EQ(select.value("command_topic").toString(), "tavrin/yard/command/set");
  EXPECT_EQ(
      byTopic["homeassistant/button/tavrin/door_clock/config"].value("payload_press").toString(),
      "clock");
  EXPECT_EQ(
      byTopic["homeassistant/sensor/tavrin/yard_result/config"].value("state_topic").toString(),
      "tavrin/yard/state");
  for (const auto& [topic, config] : byTopic) {
    EXPECT_FALSE(config.value("unique_id").toString().isEmpty()) << topic;
    EXPECT_FALSE(config.value("device").toObject().value("identifiers").toArray().isEmpty())
        << topic;
    EXPECT_EQ(config.value("availability").toArray().at(0).toObject().value("topic").toString(),
              "tavrin/status")
        << topic;
  }
  StopService();
  EXPECT_EQ(State("status"), "offline");
}

TEST_F(ServiceEndToEndTest, HttpAsksForTheTokenAndTakesMessages) {
  StartService();
  EXPECT_EQ(Http(m_httpPort, "GET", "/signs").status, 401);
  EXPECT_EQ(Http(m_httpPort, "GET", "/signs", {}, "wrong").status, 401);
  const HttpAnswer signs = Http(m_httpPort, "GET", "/signs", {}, "s3cret");
  ASSERT_EQ(signs.status, 200);
  const QJsonArray list = QJsonDocument::fromJson(QByteArray::fromStdString(signs.body)).array();
  ASSERT_EQ(list.size(), 2);
  EXPECT_EQ(list.at(1).toObject().value("id").toString(), "03");
  const HttpAnswer posted =
      Http(m_httpPort, "POST", "/signs/Yard/message", R"({"text": "Open", "page": "D"})", "s3cret");
  EXPECT_EQ(posted.status, 202) << posted.body;
  ASSERT_TRUE(WaitUntil([&] { return m_yard.Frames().size() == 3; }, 5000));
  EXPECT_EQ(m_yard.Frames(),
            PlanSendMessage(GraphicFolder(m_home.Path()), "Open", 'D', 3).Frames());
  const HttpAnswer bad = Http(m_httpPort, "POST", "/signs/Yard/message", "{\"text\": ", "s3cret");
  EXPECT_EQ(bad.status, 400);
  EXPECT_TRUE(Json(bad.body).value("error").toString().contains("malformed JSON")) << bad.body;
  EXPECT_EQ(Http(m_httpPort, "GET", "/signs/Gate", {}, "s3cret").status, 404);
  const HttpAnswer gif = Http(m_httpPort, "GET", "/signs/Yard/preview.gif", {}, "s3cret");
  EXPECT_EQ(gif.status, 200);
  EXPECT_EQ(gif.body.substr(0, 6), "GIF89a");
}

TEST_F(ServiceEndToEndTest, TheBrokerRestartsASilentSignComesBackAndARestartResendsNothing) {
  m_yardAnswers = false;
  StartService();
  ASSERT_EQ(m_broker.Publish("tavrin/yard/message/set", "Hello", 1, true), "");
  ASSERT_TRUE(
      WaitUntil([&] { return !Json(State("yard/state")).value("online").toBool(true); }, 10000));
  m_yardAnswers = true;
  ASSERT_TRUE(WaitUntil([&] { return Json(State("yard/state")).value("online").toBool(); }, 10000));
  const std::vector<std::string> hello =
      PlanSendMessage(GraphicFolder(m_home.Path()), "Hello", 'A', 3).Frames();
  ASSERT_TRUE(WaitUntil(
      [&] {
        const auto f = m_yard.Frames();
        return f.size() >= 3 && std::equal(hello.begin(), hello.end(), f.end() - 3);
      },
      5000));

  // The broker goes away and comes back: a QoS 1 message published at once after it is back
  // waits in the service's session until the service has reconnected.
  m_broker.Stop();
  ASSERT_TRUE(m_broker.Start());
  ASSERT_EQ(m_broker.Publish("tavrin/door/message/set", "After"), "");
  ASSERT_TRUE(WaitUntil([&] { return m_door.Frames().size() == 3; }, 10000));
  EXPECT_NE(m_door.Frames()[1].find("After"), std::string::npos);

  // A restart of the service gets the retained "Hello" again, and the sign has it: nothing goes.
  const std::size_t sent = m_yard.Frames().size();
  StopService();
  StartService();
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_EQ(m_yard.Frames().size(), sent);
}

TEST(ServiceProgramTest, CheckSaysWhatIsWrongAndAPortTakenIsNotABadSetting) {
  ScratchFolder home;
  home.Put("Tavrin.signs", "Door = COM1, 02, 3, 128\n");
  home.Put("Tavrin.INI", "[Service]\r\nmqtt=off\r\nhttp=127.0.0.1:0\r\nttl=soon\r\n");
  const std::string folder = home.Path().string();
  testing::ProcessResult checked =
      testing::RunProcess({TAVRIN_SERVICE_PATH, "--home", folder, "--check"});
  EXPECT_EQ(checked.code, 1);
  EXPECT_NE(checked.err.find("ttl"), std::string::npos) << checked.err;

  home.Put("Tavrin.INI", "[Service]\r\nmqtt=off\r\nhttp=127.0.0.1:0\r\n");
  checked = testing::RunProcess({TAVRIN_SERVICE_PATH, "--home", folder, "--check"});
  EXPECT_EQ(checked.code, 0) << checked.err;
  EXPECT_NE(checked.out.find("the settings are good: 1 sign (Door)"), std::string::npos)
      << checked.out;

  // Someone else has the port: the settings are right, and a supervisor may try again later.
  const int taken = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(taken, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(taken, 1), 0);
  socklen_t length = sizeof address;
  ::getsockname(taken, reinterpret_cast<sockaddr*>(&address), &length);
  const std::string port = std::to_string(ntohs(address.sin_port));
  const testing::ProcessResult served =
      testing::RunProcess({TAVRIN_SERVICE_PATH, "--home", folder, "--http", "127.0.0.1:" + port});
  ::close(taken);
  EXPECT_EQ(served.code, 3);
  EXPECT_NE(served.err.find("HTTP cannot listen on 127.0.0.1:" + port), std::string::npos)
      << served.err;
}

// The program's resident memory in KiB, from /proc (0 when it cannot be read).
long ResidentKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

TEST_F(ServiceEndToEndTest, AFloodForOneSignStarvesNoOtherAndItsLastMessageIsShown) {
  StartService();
  const long before = ResidentKiB(m_service->Pid());
  // Fifty thousand messages for Door over about five seconds, at QoS 1: a burst of ten
  // thousand (a quarter of a second for mosquitto_pub) each second.
  const std::string flood =
      "for b in 1 2 3 4 5; do seq -f \"n $b %g\" 1 10000; sleep 1; done | mosquitto_pub -q 1 -l "
      "-h 127.0.0.1 -p " +
      std::to_string(m_broker.Port()) + " -t tavrin/door/message/set";
  testing::BackgroundProcess publisher({"/bin/sh", "-c", flood});
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const auto asked = std::chrono::steady_clock::now();
  ASSERT_EQ(m_broker.Publish("tavrin/yard/message/set", "Calm"), "");
  const std::vector<std::string> calm =
      PlanSendMessage(GraphicFolder(m_home.Path()), "Calm", 'A', 3).Frames();
  ASSERT_TRUE(WaitUntil([&] { return m_yard.Frames() == calm; }, 10000));
  // A sign alone takes about half a second for it; the flood may slow that, never by much.
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(5));
  ASSERT_FALSE(publisher.WaitForExit(0)) << "the flood ended before the other sign was served";
  ASSERT_TRUE(publisher.WaitForExit(30000));

  // What waited for Door was replaced by what came after it: the last one is on the sign.
  ASSERT_TRUE(WaitUntil(
      [&] {
        const auto f = m_door.Frames();
        return f.size() >= 3 && f[f.size() - 2].find("n 5 10000") != std::string::npos;
      },
      20000));
  const long after = ResidentKiB(m_service->Pid());
  EXPECT_LT(after - before, 32 * 1024) << before << " KiB before the flood, " << after << " after";
  // Far fewer sends than messages: a message waiting is replaced, not queued behind.
  EXPECT_LT(m_door.Frames().size(), 3u * 1000);
}

}  // namespace
}  // namespace tavrin

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#include "service/http_api.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tavrin {
namespace {

void EnsureApplication() {
  static int argc = 1;
  static char name[] = "http_api_tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
}

// Runs the event loop until done() holds or the time is up; says whether done() held.
bool RunUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  QElapsedTimer clock;
  clock.start();
  QEventLoop loop;
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    loop.processEvents(QEventLoop::WaitForMoreEvents, 10);
  }
  return true;
}

class FakeDesk : public ServiceDesk {
 public:
  FakeDesk() {
    SignState door;
    door.name = "Door";
    door.address = "COM1";
    door.id = 1;
    door.width = 160;
    door.lastResult = "Send Message to sign 01, page A: done in 0.5 s";
    door.lastResultTime = "2024-05-01T10:00:00Z";
    door.text = "Hello";
    SignState hall;
    hall.name = "Hall";
    hall.address = "tcp:127.0.0.1:7001";
    hall.id = 0x2B;
    hall.tripleColor = false;
    hall.online = false;
    hall.page = 'C';
    hall.urgent = true;
    hall.lastError = "no answer from the sign";
    signs = {door, hall};
  }

  std::vector<SignState> Signs() const override { return signs; }
  std::optional<SignState> Sign(const std::string& name) const override {
    for (const SignState& sign : signs) {
      if (sign.name == name) return sign;
    }
    return std::nullopt;
  }
  DeskAnswer PostMessage(const std::string& sign, const MessageRequest& message) override {
    if (!Sign(sign)) return {DeskAnswer::Kind::UnknownSign, "no sign named " + sign};
    if (answer) return *answer;
    messages.emplace_back(sign, message);
    return {};
  }
  DeskAnswer PostCommand(const std::string& sign, const CommandRequest& command) override {
    if (!Sign(sign)) return {DeskAnswer::Kind::UnknownSign, "no sign named " + sign};
    if (answer) return *answer;
    commands.emplace_back(sign, command);
    return {};
  }
  DeskAnswer PreviewGif(const std::string& sign, std::string& out) override {
    if (!Sign(sign)) return {DeskAnswer::Kind::UnknownSign, "no sign named " + sign};
    if (answer) return *answer;
    out = gif;
    return {};
  }

  std::vector<SignState> signs;
  std::optional<DeskAnswer> answer;  // instead of taking what is posted
  std::string gif = std::string("GIF89a\x01\x00\x01\x00\x00\x00\x00;", 14);
  std::vector<std::pair<std::string, MessageRequest>> messages;
  std::vector<std::pair<std::string, CommandRequest>> commands;
};

struct HttpReply {
  int status = 0;                              // 0: no answer came
  std::map<std::string, std::string> headers;  // names in lower case
  std::string body;

  QJsonValue Json() const {
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(body));
    return doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(doc.object());
  }
  std::string Error() const { return Json()["error"].toString().toStdString(); }
};

// Reads one response (skipping a 100 Continue) from what has arrived; nullopt until whole.
std::optional<HttpReply> ParseReply(std::string& received) {
  while (true) {
    const std::size_t headEnd = received.find("\r\n\r\n");
    if (headEnd == std::string::npos) return std::nullopt;
    HttpReply reply;
    reply.status = std::stoi(received.substr(9, 3));
    std::size_t at = received.find("\r\n") + 2;
    while (at < headEnd) {
      const std::size_t end = received.find("\r\n", at);
      const std::string line = received.substr(at, end - at);
      std::string name = line.substr(0, line.find(':'));
      std::transform(name.begin(), name.end(), name.begin(), ::tolower);
      reply.headers[name] = line.substr(std::min(line.size(), line.find(':') + 2));
      at = end + 2;
    }
    if (reply.status == 100) {
      received.erase(0, headEnd + 4);
      continue;
    }
    const std::size_t length = std::stoul(reply.headers["content-length"]);
    if (received.size() < headEnd + 4 + length) return std::nullopt;
    reply.body = received.substr(headEnd + 4, length);
    received.erase(0, headEnd + 4 + length);
    return reply;
  }
}

// One client connection, driven by hand.
class Client {
 public:
  explicit Client(int port) {
    QObject::connect(&m_socket, &QTcpSocket::readyRead,
                     [this] { m_received += m_socket.readAll().toStdString(); });
    m_socket.connectToHost("127.0.0.1", static_cast<quint16>(port));
    m_connected = m_socket.waitForConnected(5000);
  }
  bool Connected() const { return m_connected; }
  void Send(const QByteArray& bytes) { m_socket.write(bytes); }
  std::optional<HttpReply> Reply(int timeoutMs = 5000) {
    std::optional<HttpReply> reply;
    RunUntil(
        [&] {
          reply = ParseReply(m_received);
          return reply.has_value() || Closed();
        },
        timeoutMs);
    return reply;
  }
  bool Closed() const { return m_socket.state() == QAbstractSocket::UnconnectedState; }
  bool WaitClosed(int timeoutMs) {
    return RunUntil([&] { return Closed(); }, timeoutMs);
  }
  // The answer if it has come whole, without waiting.
  std::optional<HttpReply> Poll() { return ParseReply(m_received); }
  const std::string& Received() const { return m_received; }

 private:
  QTcpSocket m_socket;
  std::string m_received;
  bool m_connected = false;
};

QByteArray Request(const QByteArray& method, const QByteArray& path, const QByteArray& body = {},
                   const QByteArray& headers = {}) {
  QByteArray request = method + ' ' + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers;
  if (!body.isEmpty() || method == "POST") {
    request += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
  }
  return request + "\r\n" + body;
}

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmRSS:") {
      status >> value;
      return value;
    }
  }
  return 0;
}

class HttpApiTest : public ::testing::Test {
 protected:
  void SetUp() override { EnsureApplication(); }

  // Starts a front door on a free loopback port.
  int Start(HttpApiOptions options = {}) {
    options.port = 0;
    m_api = std::make_unique<HttpApi>(m_desk, options,
                                      [this](const std::string& line) { m_log.push_back(line); });
    Result<int> port = m_api->Listen();
    EXPECT_TRUE(port) << port.ErrorText();
    m_port = port ? *port : 0;
    return m_port;
  }

  HttpReply Exchange(const QByteArray& request) {
    Client client(m_port);
    EXPECT_TRUE(client.Connected());
    client.Send(request);
    std::optional<HttpReply> reply = client.Reply();
    EXPECT_TRUE(reply) << "no answer to " << request.left(80).toStdString();
    return reply.value_or(HttpReply{});
  }
  // An exchange after which the server must close the connection.
  HttpReply ExchangeAndClose(const QByteArray& request) {
    Client client(m_port);
    client.Send(request);
    std::optional<HttpReply> reply = client.Reply();
    EXPECT_TRUE(reply) << "no answer to " << request.left(80).toStdString();
    EXPECT_TRUE(client.WaitClosed(3000)) << "still open after " << request.left(80).toStdString();
    return reply.value_or(HttpReply{});
  }
  HttpReply Get(const QByteArray& path, const QByteArray& headers = {}) {
    return Exchange(Request("GET", path, {}, headers));
  }
  HttpReply Post(const QByteArray& path, const QByteArray& body, const QByteArray& headers = {}) {
    return Exchange(Request("POST", path, body, headers));
  }

  std::string WriteFile(const std::string& name, const QByteArray& content) {
    const QString path = m_dir.filePath(QString::fromStdString(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return path.toStdString();
  }

  FakeDesk m_desk;
  std::vector<std::string> m_log;
  std::unique_ptr<HttpApi> m_api;
  int m_port = 0;
  QTemporaryDir m_dir;
};

TEST_F(HttpApiTest, SignsAreListedAndShownOneByOne) {
  Start();
  HttpReply reply = Get("/signs");
  ASSERT_EQ(reply.status, 200);
  EXPECT_EQ(reply.headers["content-type"], "application/json");
  const QJsonArray signs = reply.Json().toArray();
  ASSERT_EQ(signs.size(), 2);
  EXPECT_EQ(signs[0].toObject(),
            (QJsonObject{{"name", "Door"},
                         {"address", "COM1"},
                         {"id", "01"},
                         {"width", 160},
                         {"colours", 3},
                         {"online", true},
                         {"lastResult", "Send Message to sign 01, page A: done in 0.5 s"},
                         {"lastResultTime", "2024-05-01T10:00:00Z"},
                         {"lastError", ""},
                         {"text", "Hello"},
                         {"page", "A"},
                         {"urgent", false}}));

  reply = Get("/signs/Hall");
  ASSERT_EQ(reply.status, 200);
  const QJsonObject hall = reply.Json().toObject();
  EXPECT_EQ(hall["id"], "2B");
  EXPECT_EQ(hall["colours"], 1);
  EXPECT_EQ(hall["online"], false);
  EXPECT_EQ(hall["page"], "C");
  EXPECT_EQ(hall["urgent"], true);
  EXPECT_EQ(hall["lastError"], "no answer from the sign");

  reply = Get("/signs/Attic");
  EXPECT_EQ(reply.status, 404);
  EXPECT_EQ(reply.Error(), "no sign named Attic");
}

TEST_F(HttpApiTest, MessagesAndCommandsAreQueuedForTheSign) {
  Start();
  HttpReply reply = Post("/signs/Door/message",
                         R"({"text": "Ring {time:HH:mm}", "page": "B", "priority": "urgent",
                             "ttl": 30})",
                         "Content-Type: application/json\r\n");
  EXPECT_EQ(reply.status, 202);
  EXPECT_EQ(reply.Json().toObject(), (QJsonObject{{"status", "queued"}}));
  // The line itself, under any content type.
  reply = Post("/signs/Door/message", "<Red>Open", "Content-Type: text/plain\r\n");
  EXPECT_EQ(reply.status, 202);
  ASSERT_EQ(m_desk.messages.size(), 2u);
  EXPECT_EQ(m_desk.messages[0].second,
            (MessageRequest{"Ring {time:HH:mm}", 'B', MessagePriority::Urgent, 30}));
  EXPECT_EQ(m_desk.messages[1].second, (MessageRequest{"<Red>Open", {}, {}, {}}));

  EXPECT_EQ(Post("/signs/Hall/command", R"({"command": "brightness", "level": "75%"})").status,
            202);
  EXPECT_EQ(Post("/signs/Hall/command", "run-page C").status, 202);
  ASSERT_EQ(m_desk.commands.size(), 2u);
  EXPECT_EQ(m_desk.commands[0],
            (std::pair<std::string, CommandRequest>{"Hall", {CommandKind::Brightness, 1, 'A'}}));
  EXPECT_EQ(m_desk.commands[1].second.page, 'C');

  reply = Get("/signs/Door/preview.gif");
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.headers["content-type"], "image/gif");
  EXPECT_EQ(reply.body, m_desk.gif);
}

TEST_F(HttpApiTest, BadBodiesAndRefusalsSayWhy) {
  Start();
  HttpReply reply = Post("/signs/Door/message", R"({"text": "a",)");
  EXPECT_EQ(reply.status, 400);
  EXPECT_EQ(reply.headers["content-type"], "application/json");
  EXPECT_NE(reply.Error().find("malformed JSON at byte"), std::string::npos) << reply.body;
  reply = Post("/signs/Door/command", "dance");
  EXPECT_EQ(reply.status, 400);
  EXPECT_NE(reply.Error().find("unknown command \"dance\""), std::string::npos) << reply.body;
  // An unknown sign is told before its body is judged.
  EXPECT_EQ(Post("/signs/Attic/message", "{").status, 404);
  EXPECT_EQ(Get("/signs/Attic/preview.gif").status, 404);
  EXPECT_TRUE(m_desk.messages.empty());

  m_desk.answer = DeskAnswer{DeskAnswer::Kind::TooMany, "Door has 100 messages waiting"};
  reply = Post("/signs/Door/message", "Hi");
  EXPECT_EQ(reply.status, 429);
  EXPECT_EQ(reply.Error(), "Door has 100 messages waiting");
  EXPECT_EQ(reply.headers["retry-after"], "1");
  m_desk.answer = DeskAnswer{DeskAnswer::Kind::BadRequest, "the tag <Foo> is unknown"};
  reply = Post("/signs/Door/message", "<Foo>");
  EXPECT_EQ(reply.status, 400);
  EXPECT_EQ(reply.Error(), "the tag <Foo> is unknown");
  EXPECT_EQ(Get("/signs/Door/preview.gif").status, 400);
}

TEST_F(HttpApiTest, UnknownRoutesAndWrongMethods) {
  Start();
  for (const char* path : {"/", "/sign", "/signs/Door/erase", "/signs/Door/message/x",
                           "/signs//message", "/other/signs"}) {
    HttpReply reply = Get(path);
    EXPECT_EQ(reply.status, 404) << path;
    EXPECT_EQ(reply.Error(), "no such route") << path;
  }
  const struct {
    QByteArray method, path, allowed;
  } rows[] = {{"POST", "/signs", "GET"},
              {"DELETE", "/signs/Door", "GET"},
              {"GET", "/signs/Door/message", "POST"},
              {"PUT", "/signs/Door/command", "POST"},
              {"POST", "/signs/Door/preview.gif", "GET"}};
  for (const auto& row : rows) {
    HttpReply reply = Exchange(Request(row.method, row.path, "x"));
    EXPECT_EQ(reply.status, 405) << row.method.toStdString() << ' ' << row.path.toStdString();
    EXPECT_EQ(reply.headers["allow"], row.allowed.toStdString());
    EXPECT_FALSE(reply.Error().empty());
  }
  EXPECT_TRUE(m_desk.messages.empty());
  EXPECT_TRUE(m_desk.commands.empty());

  Client client(m_port);
  client.Send(Request("HEAD", "/signs"));
  ASSERT_TRUE(RunUntil([&] { return client.Received().ends_with("\r\n\r\n"); }));
  EXPECT_TRUE(client.Received().starts_with("HTTP/1.1 405")) << client.Received();
  client.Send(Request("GET", "/signs/Door"));
  RunUntil([&] { return client.Received().find("\"Door\"") != std::string::npos; }, 3000);
  const std::size_t second = client.Received().find("HTTP/1.1 200");
  EXPECT_NE(second, std::string::npos) << client.Received();
  EXPECT_EQ(client.Received().find("error"), std::string::npos) << client.Received();
}

TEST_F(HttpApiTest, NamesArePercentDecoded) {
  m_desk.signs[0].name = "Front Door";
  m_desk.signs[1].name = "Caf\xC3\xA9 a/b";
  Start();
  HttpReply reply = Get("/signs/Front%20Door");
  ASSERT_EQ(reply.status, 200);
  EXPECT_EQ(reply.Json()["name"], "Front Door");
  reply = Get("/signs/Caf%C3%A9%20a%2Fb");
  ASSERT_EQ(reply.status, 200);
  EXPECT_EQ(reply.Json()["name"].toString(), QString::fromUtf8("Caf\xC3\xA9 a/b"));
  EXPECT_EQ(Post("/signs/Caf%C3%A9%20a%2fb/message", "Hi").status, 202);
  ASSERT_EQ(m_desk.messages.size(), 1u);
  EXPECT_EQ(m_desk.messages[0].first, "Caf\xC3\xA9 a/b");
  EXPECT_EQ(Get("/signs/Front%20Door/preview.gif").status, 200);

  reply = Get("/signs/Caf%E9");
  EXPECT_EQ(reply.status, 400);
  EXPECT_EQ(reply.Error(), "the sign's name is not valid UTF-8");
  EXPECT_EQ(Get("/signs/Front%2520Door").status, 404);  // "%20" itself, decoded once
}

TEST_F(HttpApiTest, LoopbackWithoutATokenFileAsksNone) {
  Start();
  EXPECT_EQ(Get("/signs").status, 200);
  EXPECT_EQ(Get("/signs", "Authorization: Bearer anything\r\n").status, 200);
}

TEST_F(HttpApiTest, WithATokenFileEveryRequestNeedsTheToken) {
  HttpApiOptions options;
  options.tokenFile = WriteFile("token", "  s3cret-Token_1\n");
  Start(options);
  HttpReply reply = Get("/signs");
  EXPECT_EQ(reply.status, 401);
  EXPECT_EQ(reply.headers["www-authenticate"], "Bearer");
  EXPECT_NE(reply.Error().find("bearer token is needed"), std::string::npos);
  for (const char* wrong : {"Bearer s3cret-Token_", "Bearer s3cret-Token_12",
                            "Bearer S3CRET-TOKEN_1", "Basic s3cret-Token_1", "s3cret-Token_1"}) {
    reply = Get("/signs", QByteArray("Authorization: ") + wrong + "\r\n");
    EXPECT_EQ(reply.status, 401) << wrong;
  }
  // Before the route is looked at: a stranger learns nothing of which signs exist.
  EXPECT_EQ(Get("/signs/Attic").status, 401);
  EXPECT_EQ(Post("/signs/Door/message", "Hi").status, 401);
  EXPECT_TRUE(m_desk.messages.empty());

  EXPECT_EQ(Get("/signs", "Authorization: Bearer s3cret-Token_1\r\n").status, 200);
  EXPECT_EQ(Get("/signs", "authorization: bearer   s3cret-Token_1 \r\n").status, 200);
  EXPECT_EQ(Post("/signs/Door/message", "Hi", "Authorization: Bearer s3cret-Token_1\r\n").status,
            202);
}

TEST_F(HttpApiTest, ListenSaysWhyItCannot) {
  const auto listenError = [&](const HttpApiOptions& options) {
    HttpApi api(m_desk, options);
    Result<int> port = api.Listen();
    return port ? std::string("listening") : port.ErrorText();
  };
  HttpApiOptions options;
  options.port = 0;

  // Any other address than loopback needs a token file, and a readable one with a token.
  options.address = "0.0.0.0";
  EXPECT_NE(listenError(options).find("needs a token file"), std::string::npos);
  options.address = "::";
  EXPECT_NE(listenError(options).find("needs a token file"), std::string::npos);
  options.tokenFile = WriteFile("empty", " \n");
  EXPECT_NE(listenError(options).find("is empty"), std::string::npos);
  options.tokenFile = m_dir.filePath("missing").toStdString();
  EXPECT_NE(listenError(options).find("cannot read the token file"), std::string::npos);
  options.tokenFile = WriteFile("binary",
                                "ab\x01"
                                "cd");
  EXPECT_NE(listenError(options).find("visible ASCII"), std::string::npos);
  options.tokenFile = WriteFile("large", QByteArray(5000, 'x'));
  EXPECT_NE(listenError(options).find("larger than"), std::string::npos);
  // A token file asked for on loopback must be good too.
  options.address = "127.0.0.1";
  options.tokenFile = m_dir.filePath("missing").toStdString();
  EXPECT_NE(listenError(options).find("cannot read the token file"), std::string::npos);
  options.tokenFile.clear();

  options.address = "300.1.2.3";
  EXPECT_EQ(listenError(options), "\"300.1.2.3\" is not an IP address");
  options.address = "127.0.0.1";
  options.port = 70000;
  EXPECT_NE(listenError(options).find("is not 0 to 65535"), std::string::npos);

  const int port = Start();
  options.port = port;
  EXPECT_NE(listenError(options).find("cannot listen on 127.0.0.1 port " + std::to_string(port)),
            std::string::npos);
  EXPECT_EQ(m_api->Listen().ErrorText(), "the HTTP front door is already listening");

  options.port = 0;
  for (const char* loopback : {"localhost", "127.0.0.2"}) {
    options.address = loopback;
    EXPECT_EQ(listenError(options), "listening") << loopback;
  }
}

TEST_F(HttpApiTest, EachRequestIsLoggedOnce) {
  Start();
  Get("/signs");
  Post("/signs/Front%20Door/message", "Hi");
  Post("/signs/Door/message", "{");
  ASSERT_EQ(m_log.size(), 3u);
  const std::vector<std::string> starts = {
      "GET /signs 200 ", "POST /signs/Front%20Door/message 404 ", "POST /signs/Door/message 400 "};
  for (std::size_t i = 0; i < starts.size(); ++i) {
    EXPECT_TRUE(m_log[i].starts_with(starts[i])) << m_log[i];
    EXPECT_TRUE(m_log[i].ends_with(" ms")) << m_log[i];
  }
}

TEST_F(HttpApiTest, BodiesUpToTheLimitAndNotBeyond) {
  HttpApiOptions options;
  options.maxBodyBytes = 1000;
  Start(options);
  EXPECT_EQ(Post("/signs/Door/message", QByteArray(1000, 'a')).status, 202);
  HttpReply reply = ExchangeAndClose(Request("POST", "/signs/Door/message", QByteArray(1001, 'a')));
  EXPECT_EQ(reply.status, 413);
  EXPECT_EQ(reply.Error(), "the body is larger than 1000 bytes");
  ASSERT_EQ(m_desk.messages.size(), 1u);
  EXPECT_TRUE(m_log.back().starts_with("POST /signs/Door/message 413 ")) << m_log.back();

  // Chunked: the chunks count, not their framing.
  const QByteArray chunked = "Transfer-Encoding: chunked\r\n";
  QByteArray request = "POST /signs/Door/message HTTP/1.1\r\nHost: x\r\n" + chunked +
                       "\r\n1f4;note=first\r\n" + QByteArray(500, 'b') + "\r\n1F4\r\n" +
                       QByteArray(500, 'c') + "\r\n0\r\nX-Trailer: 1\r\n\r\n";
  EXPECT_EQ(Exchange(request).status, 202);
  ASSERT_EQ(m_desk.messages.size(), 2u);
  EXPECT_EQ(m_desk.messages[1].second.text, std::string(500, 'b') + std::string(500, 'c'));
  request = "POST /signs/Door/message HTTP/1.1\r\nHost: x\r\n" + chunked + "\r\n1f4\r\n" +
            QByteArray(500, 'b') + "\r\n1f5\r\n";
  EXPECT_EQ(ExchangeAndClose(request).status, 413);
  // Nor may the framing grow without end around a small body.
  request = "POST /signs/Door/message HTTP/1.1\r\nHost: x\r\n" + chunked + "\r\n";
  for (int i = 0; i < 50; ++i) request += "1;" + QByteArray(1000, 'e') + "\r\nf\r\n";
  reply = ExchangeAndClose(request);
  EXPECT_EQ(reply.status, 413);
  EXPECT_EQ(reply.Error(), "the body's chunks are too many: send it in fewer");

  for (const QByteArray& bad : {QByteArray("Content-Length: 12x\r\n"),
                                QByteArray("Content-Length: 3\r\nContent-Length: 4\r\n"),
                                QByteArray("Transfer-Encoding: gzip\r\n")}) {
    reply = ExchangeAndClose("POST /signs/Door/message HTTP/1.1\r\n" + bad + "\r\nabc");
    EXPECT_EQ(reply.status, 400) << bad.toStdString();
  }
  // What the library would close without a word is answered.
  for (const QByteArray& bad :
       {QByteArray("HELLO\r\n\r\n"), QByteArray("GET /signs\r\n\r\n"),
        QByteArray("GET /a b HTTP/1.1\r\n\r\n"), QByteArray("get /signs HTTP/1.1\r\n\r\n"),
        QByteArray("GET /signs HTTP/1.1\r\nNo colon\r\n\r\n")}) {
    reply = ExchangeAndClose(bad);
    EXPECT_EQ(reply.status, 400) << bad.toStdString();
    EXPECT_FALSE(reply.Error().empty());
  }
  reply =
      ExchangeAndClose("GET /signs HTTP/1.1\r\nX-Long: " + QByteArray(20'000, 'h') + "\r\n\r\n");
  EXPECT_EQ(reply.status, 431);
  EXPECT_EQ(m_desk.messages.size(), 2u);
}

TEST_F(HttpApiTest, RequestsOnOneConnectionAreEachBounded) {
  HttpApiOptions options;
  options.maxBodyBytes = 100;
  Start(options);
  Client client(m_port);
  // A body that looks like a request head is read as the body it is: the payload is refused
  // (a line has no line ends), not taken for a request with a body over the limit.
  client.Send(
      Request("POST", "/signs/Door/message", "GET /x HTTP/1.1\r\nContent-Length: 999\r\n\r\n"));
  std::optional<HttpReply> reply = client.Reply();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 400);
  EXPECT_NE(reply->Error().find("control character"), std::string::npos) << reply->body;
  client.Send(Request("GET", "/signs/Door"));
  reply = client.Reply();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 200);
  client.Send(Request("POST", "/signs/Door/message", QByteArray(101, 'a')));
  reply = client.Reply();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 413);
  EXPECT_TRUE(client.WaitClosed(3000));
  EXPECT_TRUE(m_desk.messages.empty());

  // A client that says it is done is let go.
  Client once(m_port);
  once.Send(Request("GET", "/signs", {}, "Connection: close\r\n"));
  reply = once.Reply();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 200);
  EXPECT_TRUE(once.WaitClosed(3000));
}

TEST_F(HttpApiTest, AClientThatExpectsContinueIsToldToGoOn) {
  Start();
  Client client(m_port);
  client.Send(
      "POST /signs/Door/message HTTP/1.1\r\nHost: x\r\nContent-Length: 2\r\n"
      "Expect: 100-continue\r\n\r\n");
  ASSERT_TRUE(RunUntil([&] { return client.Received().starts_with("HTTP/1.1 100"); }, 3000))
      << client.Received();
  client.Send("Hi");
  const std::optional<HttpReply> reply = client.Reply();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 202);
}

// Sends a head and a body of total bytes as fast as the server takes them, whatever it answers
// meanwhile (as a careless or hostile client would), through a plain socket that, unlike
// QTcpSocket, goes on sending after the server has said its last word. Notes the most memory
// the process held above what it held at the start.
struct Flood {
  std::optional<HttpReply> reply;
  qint64 sent = 0;
  bool cut = false;     // the server ended the connection before all was sent
  bool closed = false;  // the server closed its side
  long peakGrowthKb = 0;
};

Flood SendFlood(int port, const QByteArray& head, qint64 total, bool chunked) {
  Flood flood;
  const long baseline = ResidentKilobytes();
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return flood;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  const std::string block(64 * 1024, 'z');
  const std::string chunk =
      QByteArray::number(qsizetype(block.size()), 16).toStdString() + "\r\n" + block + "\r\n";
  std::string pending = head.toStdString();
  qint64 bodySent = 0;
  std::string received;
  RunUntil(
      [&] {
        flood.peakGrowthKb = std::max(flood.peakGrowthKb, ResidentKilobytes() - baseline);
        while (!flood.cut) {
          if (pending.empty()) {
            if (bodySent >= total) break;
            pending = chunked ? chunk : block;
            bodySent += static_cast<qint64>(block.size());
          }
          const ssize_t n = ::send(fd, pending.data(), pending.size(), MSG_NOSIGNAL);
          if (n < 0) {
            flood.cut = errno != EAGAIN && errno != EWOULDBLOCK;
            break;
          }
          pending.erase(0, static_cast<std::size_t>(n));
          flood.sent += n;
        }
        char buffer[4096];
        ssize_t n;
        while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0) received.append(buffer, n);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) flood.closed = true;
        if (!flood.reply) flood.reply = ParseReply(received);
        const bool allSent = bodySent >= total && pending.empty();
        return flood.reply && flood.closed && (allSent || flood.cut);
      },
      20'000);
  ::close(fd);
  return flood;
}

TEST_F(HttpApiTest, AHugeBodyIsRefusedWithoutBeingHeld) {
  Start();
  constexpr qint64 kFiftyMegabytes = 50LL * 1024 * 1024;
  for (const bool chunked : {false, true}) {
    const QByteArray head =
        "POST /signs/Door/message HTTP/1.1\r\nHost: x\r\n" +
        (chunked ? QByteArray("Transfer-Encoding: chunked\r\n")
                 : "Content-Length: " + QByteArray::number(kFiftyMegabytes) + "\r\n") +
        "\r\n";
    const Flood flood = SendFlood(m_port, head, kFiftyMegabytes, chunked);
    ASSERT_TRUE(flood.reply) << "chunked " << chunked << ", sent " << flood.sent;
    EXPECT_EQ(flood.reply->status, 413);
    EXPECT_EQ(flood.reply->Error(), "the body is larger than 16384 bytes");
    EXPECT_TRUE(flood.closed);
    // All of it went out, read and thrown away, unless the server cut a client that went on
    // too long; either way the process held a few megabytes at most, not the body.
    EXPECT_TRUE(flood.sent > kFiftyMegabytes || flood.cut) << flood.sent;
    EXPECT_LT(flood.peakGrowthKb, 10 * 1024) << "chunked " << chunked;
  }
  EXPECT_TRUE(m_desk.messages.empty());
  // The front door still answers.
  EXPECT_EQ(Get("/signs").status, 200);
}

TEST_F(HttpApiTest, SlowAndIdleConnectionsAreClosed) {
  HttpApiOptions options;
  options.idleTimeoutMs = 300;
  options.requestTimeoutMs = 800;
  Start(options);

  QElapsedTimer clock;
  clock.start();
  Client stalled(m_port);
  stalled.Send("GET /signs HTTP/1.1\r\nHost: x\r\n");
  std::optional<HttpReply> reply = stalled.Reply(5000);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 408);
  EXPECT_TRUE(stalled.WaitClosed(3000));
  EXPECT_GE(clock.elapsed(), 250);
  EXPECT_LT(clock.elapsed(), 3000);

  // A byte every 100 ms keeps the connection from going idle, not the request from its end.
  clock.restart();
  Client trickle(m_port);
  const QByteArray request =
      Request("GET", "/signs", {}, "X-Slow: " + QByteArray(40, 's') + "\r\n");
  for (int i = 0; i < request.size() && !trickle.Closed(); ++i) {
    trickle.Send(request.mid(i, 1));
    RunUntil([] { return false; }, 100);
  }
  reply = trickle.Poll();
  ASSERT_TRUE(reply) << trickle.Received();
  EXPECT_EQ(reply->status, 408);
  EXPECT_GE(clock.elapsed(), 700);
  EXPECT_LT(clock.elapsed(), 3000);

  // Kept alive after an answer, then silent: closed without a word.
  Client idle(m_port);
  idle.Send(Request("GET", "/signs"));
  reply = idle.Reply();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 200);
  EXPECT_TRUE(idle.WaitClosed(3000));
  EXPECT_TRUE(idle.Received().empty());
}

TEST_F(HttpApiTest, ConnectionsBeyondTheCapAreTurnedAway) {
  HttpApiOptions options;
  options.maxConnections = 2;
  Start(options);
  auto first = std::make_unique<Client>(m_port);
  Client second(m_port);
  ASSERT_TRUE(first->Connected() && second.Connected());
  RunUntil([] { return false; }, 100);  // the server takes both

  Client third(m_port);
  std::optional<HttpReply> reply = third.Reply();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 503);
  EXPECT_EQ(reply->Error(), "too many connections (2) are open");
  EXPECT_TRUE(third.WaitClosed(3000));

  second.Send(Request("GET", "/signs"));
  reply = second.Reply();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 200);

  first.reset();
  RunUntil([] { return false; }, 100);  // the server sees it go
  EXPECT_EQ(Get("/signs").status, 200);
}

}  // namespace
}  // namespace tavrin

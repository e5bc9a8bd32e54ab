#include "service/http_api.h"

#include <QAbstractHttpServer>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QMetaEnum>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace tavrin {

namespace {

// A token file is a line, not a document: anything larger is the wrong file.
constexpr qint64 kMaxTokenFileBytes = 4096;
// A refused client gets this long to read the answer before the connection is cut.
constexpr int kDrainMs = 2000;
// A chunk-size line or a trailer line longer than this is no honest client's.
constexpr std::size_t kMaxChunkLineBytes = 1024;
// What chunked framing (sizes, line ends, trailers) may add to a body's own bytes.
constexpr std::size_t kMaxChunkFramingBytes = 32 * 1024;
// A connection's read buffer holds one request whole, head and framed body, and this beyond.
constexpr qint64 kReadBufferSlack = 64 * 1024;

struct Reply {
  int status = 200;
  QByteArray contentType = "application/json";
  QByteArray body;
  std::vector<std::pair<QByteArray, QByteArray>> headers;
};

QByteArray JsonBytes(const QJsonDocument& document) {
  return document.toJson(QJsonDocument::Compact);
}

Reply ErrorReply(int status, const std::string& reason) {
  Reply reply;
  reply.status = status;
  reply.body = JsonBytes(QJsonDocument(QJsonObject{{"error", QString::fromStdString(reason)}}));
  return reply;
}

// The statuses that are answered before the HTTP server sees the request.
const char* ReasonPhrase(int status) {
  static const std::pair<int, const char*> kPhrases[] = {{400, "Bad Request"},
                                                         {408, "Request Timeout"},
                                                         {413, "Payload Too Large"},
                                                         {431, "Request Header Fields Too Large"},
                                                         {503, "Service Unavailable"}};
  for (const auto& [code, phrase] : kPhrases) {
    if (code == status) return phrase;
  }
  return "Error";
}

// The whole answer as bytes, for the connections answered before (or instead of) the HTTP
// server: those are always closed after it.
QByteArray ClosingResponse(const Reply& reply) {
  QByteArray bytes = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' +
                     ReasonPhrase(reply.status) + "\r\nContent-Type: " + reply.contentType +
                     "\r\nContent-Length: " + QByteArray::number(reply.body.size()) +
                     "\r\nConnection: close\r\n\r\n";
  return bytes + reply.body;
}

std::string Milliseconds(qint64 ms) { return std::to_string(ms) + " ms"; }

// Sends our FIN while still reading: a client that is still sending its body then reads the
// answer instead of losing it to the reset that closing with unread bytes would cause.
void StopWriting(qintptr descriptor) {
#ifdef _WIN32
  ::shutdown(static_cast<SOCKET>(descriptor), SD_SEND);
#else
  ::shutdown(static_cast<int>(descriptor), SHUT_WR);
#endif
}

std::string_view WithoutBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// "METHOD TARGET HTTP/d.d": the library closes a connection without a word on anything else.
bool IsRequestLine(std::string_view line) {
  const std::size_t first = line.find(' ');
  const std::size_t last = line.rfind(' ');
  if (first == std::string_view::npos || first == 0 || last == first + 1 || first == last) {
    return false;
  }
  const std::string_view method = line.substr(0, first);
  const std::string_view version = line.substr(last + 1);
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  return method.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ-") == std::string_view::npos &&
         line.substr(first + 1, last - first - 1).find(' ') == std::string_view::npos &&
         version.size() == 8 && version.starts_with("HTTP/") && digit(version[5]) &&
         version[6] == '.' && digit(version[7]);
}

// The request line as the log may show it: no control characters, not endless.
std::string Printable(std::string_view text) {
  std::string out;
  for (const char c : text.substr(0, 200)) {
    const auto byte = static_cast<unsigned char>(c);
    out += byte < 0x20 || byte == 0x7F ? '?' : c;
  }
  return out;
}

struct ConnectionLimits {
  std::size_t maxHeadBytes = 0;
  std::size_t maxBodyBytes = 0;
  int idleTimeoutMs = 0;
  int requestTimeoutMs = 0;
};

// Watches the bytes of one connection before the HTTP server reads them, keeping track of
// where each request's head and body end (Content-Length or chunked). The server buffers a
// whole request before it is handed over, so a head or body over the limits, or a request
// that does not finish in time, is answered here and the server is given nothing more.
class ConnectionGuard : public QObject {
 public:
  ConnectionGuard(QTcpSocket* socket, ConnectionLimits limits, const HttpApi::LogLine& log)
      : QObject(socket), m_socket(socket), m_limits(limits), m_log(log) {
    m_idle.setSingleShot(true);
    m_deadline.setSingleShot(true);
    connect(&m_idle, &QTimer::timeout, this, [this] {
      if (RequestUnderWay()) {
        Refuse(408, "the request stopped arriving");
      } else {
        m_socket->disconnectFromHost();
      }
    });
    connect(&m_deadline, &QTimer::timeout, this,
            [this] { Refuse(408, "the request did not arrive in time"); });
    m_idle.start(m_limits.idleTimeoutMs);
  }

  // Runs before the server's reader: looks at what arrived since it last looked.
  void Inspect() {
    if (m_refused) return;
    m_idle.start(m_limits.idleTimeoutMs);
    const qint64 available = m_socket->bytesAvailable();
    if (available <= m_inspected) return;
    const QByteArray bytes = m_socket->peek(available);
    std::string_view fresh(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    fresh.remove_prefix(static_cast<std::size_t>(m_inspected));
    m_inspected = available;
    Feed(fresh);
  }

  // Runs after the server's reader, which leaves unread only what it has yet to take.
  void AfterServer() {
    if (m_refused) return;
    m_inspected = m_socket->bytesAvailable();
    if (m_continueWanted && m_phase != Phase::Head) {
      m_socket->write("HTTP/1.1 100 Continue\r\n\r\n");
    }
    m_continueWanted = false;
  }

  // Answers with status and reason, closes, and lets the server read nothing more.
  void Refuse(int status, const std::string& reason) {
    if (m_refused) return;
    m_refused = true;
    m_idle.stop();
    m_deadline.stop();
    disconnect(m_socket, &QTcpSocket::readyRead, nullptr, nullptr);
    connect(m_socket, &QTcpSocket::readyRead, this, [this] { Drain(); });
    m_socket->write(ClosingResponse(ErrorReply(status, reason)));
    if (m_log) {
      const std::size_t lineEnd = m_head.find_first_of("\r\n");
      std::string line = Printable(m_head.substr(0, lineEnd));
      if (const std::size_t version = line.rfind(" HTTP/"); version != std::string::npos) {
        line.resize(version);
      }
      m_log((line.empty() ? std::string("- -") : line) + ' ' + std::to_string(status) + ' ' +
            Milliseconds(m_requestClock.isValid() ? m_requestClock.elapsed() : 0));
    }
    m_socket->flush();
    if (m_socket->bytesToWrite() == 0) {
      StopWriting(m_socket->socketDescriptor());
    } else {
      connect(m_socket, &QTcpSocket::bytesWritten, this, [this] {
        if (m_socket->bytesToWrite() == 0) StopWriting(m_socket->socketDescriptor());
      });
    }
    QTimer::singleShot(kDrainMs, this, [this] { m_socket->abort(); });
    Drain();
  }

 private:
  enum class Phase { Head, Body, ChunkSize, ChunkData, ChunkEnd, Trailer };

  bool RequestUnderWay() const { return !m_head.empty(); }

  void Drain() {
    if (m_socket->isTransactionStarted()) m_socket->commitTransaction();
    char sink[16 * 1024];
    while (m_socket->read(sink, sizeof sink) > 0) {
    }
  }

  void Feed(std::string_view bytes) {
    while (!bytes.empty() && !m_refused) {
      const std::size_t before = bytes.size();
      const bool chunked = m_phase != Phase::Head && m_phase != Phase::Body;
      switch (m_phase) {
        case Phase::Head:
          bytes = FeedHead(bytes);
          break;
        case Phase::Body:
        case Phase::ChunkData: {
          const std::size_t taken =
              static_cast<std::size_t>(std::min<std::uint64_t>(m_left, bytes.size()));
          bytes.remove_prefix(taken);
          m_left -= taken;
          if (m_left == 0) {
            if (m_phase == Phase::Body) {
              RequestDone();
            } else {
              m_phase = Phase::ChunkEnd;
              m_line.clear();
            }
          }
          break;
        }
        case Phase::ChunkSize:
        case Phase::ChunkEnd:
        case Phase::Trailer:
          bytes = FeedChunkLine(bytes);
          break;
      }
      // Many tiny chunks would otherwise fill the read buffer before the body reached the limit.
      if (chunked && !m_refused) {
        m_framedBytes += before - bytes.size();
        if (m_framedBytes > m_limits.maxBodyBytes + kMaxChunkFramingBytes) {
          Refuse(413, "the body's chunks are too many: send it in fewer");
        }
      }
    }
  }

  std::string_view FeedHead(std::string_view bytes) {
    while (!bytes.empty()) {
      const char c = bytes.front();
      bytes.remove_prefix(1);
      if (m_head.empty()) {
        if (c == '\r' || c == '\n') continue;  // blank lines between requests
        m_requestClock.start();
        m_deadline.start(m_limits.requestTimeoutMs);
      }
      m_head += c;
      if (m_head.size() > m_limits.maxHeadBytes) {
        Refuse(431, "the request head is larger than " + std::to_string(m_limits.maxHeadBytes) +
                        " bytes");
        return {};
      }
      if (c == '\n' && (m_head.ends_with("\n\n") || m_head.ends_with("\n\r\n"))) {
        HeadComplete();
        break;
      }
    }
    return bytes;
  }

  void HeadComplete() {
    std::string transferCoding;
    std::optional<std::uint64_t> length;
    bool expectContinue = false;
    std::string_view head = m_head;
    if (!IsRequestLine(WithoutBlanks(head.substr(0, head.find('\n'))))) {
      return Refuse(400, "the request line is not METHOD PATH HTTP/1.1");
    }
    head.remove_prefix(head.find('\n'));
    while (head.size() > 1) {
      head.remove_prefix(1);
      const std::string_view line = head.substr(0, head.find('\n'));
      head.remove_prefix(line.size());
      if (WithoutBlanks(line).empty()) break;
      const std::size_t colon = line.find(':');
      if (colon == std::string_view::npos || colon == 0) {
        return Refuse(400, "a header line is not NAME: VALUE");
      }
      const std::string_view name = line.substr(0, colon);
      const std::string_view value = WithoutBlanks(line.substr(colon + 1));
      if (SameWord(name, "transfer-encoding")) {
        transferCoding += (transferCoding.empty() ? "" : ",") + std::string(value);
      } else if (SameWord(name, "content-length")) {
        const bool digits =
            !value.empty() && value.find_first_not_of("0123456789") == std::string_view::npos;
        if (!digits) return Refuse(400, "the Content-Length is not a number");
        if (value.size() > 18) return TooLarge();
        const std::uint64_t bytes = std::stoull(std::string(value));
        if (length && *length != bytes) return Refuse(400, "two different Content-Lengths");
        length = bytes;
      } else if (SameWord(name, "expect")) {
        expectContinue = SameWord(value, "100-continue");
      }
    }
    if (!transferCoding.empty()) {
      const std::size_t comma = transferCoding.rfind(',');
      const std::string_view last = WithoutBlanks(
          std::string_view(transferCoding).substr(comma == std::string::npos ? 0 : comma + 1));
      if (!SameWord(last, "chunked")) {
        return Refuse(400, "a body is sent with a Content-Length or chunked");
      }
      m_phase = Phase::ChunkSize;
      m_line.clear();
      m_bodyBytes = 0;
      m_framedBytes = 0;
      m_continueWanted = expectContinue;
      return;
    }
    if (length && *length > m_limits.maxBodyBytes) return TooLarge();
    if (length && *length > 0) {
      m_phase = Phase::Body;
      m_left = *length;
      m_continueWanted = expectContinue;
      return;
    }
    RequestDone();
  }

  // Chunk-size lines, the line end after each chunk's data, and the trailer lines.
  std::string_view FeedChunkLine(std::string_view bytes) {
    const std::size_t end = bytes.find('\n');
    const std::size_t taken = end == std::string_view::npos ? bytes.size() : end + 1;
    m_line.append(bytes.substr(0, taken));
    bytes.remove_prefix(taken);
    if (m_line.size() > kMaxChunkLineBytes) {
      Refuse(400, "the chunked body is malformed");
      return {};
    }
    if (end == std::string_view::npos) return bytes;
    const std::string line = std::string(WithoutBlanks(m_line.substr(0, m_line.size() - 1)));
    m_line.clear();
    switch (m_phase) {
      case Phase::ChunkSize: {
        const std::size_t digits =
            std::min(line.find_first_not_of("0123456789abcdefABCDEF"), line.size());
        if (digits == 0) {
          Refuse(400, "the chunked body is malformed");
          return {};
        }
        if (digits > 15) {
          TooLarge();
          return {};
        }
        const std::uint64_t size = std::stoull(line.substr(0, digits), nullptr, 16);
        m_bodyBytes += size;
        if (m_bodyBytes > m_limits.maxBodyBytes) {
          TooLarge();
          return {};
        }
        if (size == 0) {
          m_phase = Phase::Trailer;
        } else {
          m_phase = Phase::ChunkData;
          m_left = size;
        }
        break;
      }
      case Phase::ChunkEnd:
        if (!line.empty()) {
          Refuse(400, "the chunked body is malformed");
          return {};
        }
        m_phase = Phase::ChunkSize;
        break;
      case Phase::Trailer:
        if (line.empty()) RequestDone();
        break;
      default:
        break;
    }
    return bytes;
  }

  void TooLarge() {
    Refuse(413, "the body is larger than " + std::to_string(m_limits.maxBodyBytes) + " bytes");
  }

  void RequestDone() {
    m_phase = Phase::Head;
    m_head.clear();
    m_deadline.stop();
  }

  QTcpSocket* m_socket;
  ConnectionLimits m_limits;
  HttpApi::LogLine m_log;
  QTimer m_idle;
  QTimer m_deadline;
  QElapsedTimer m_requestClock;
  qint64 m_inspected = 0;  // bytes at the front of the socket's buffer already looked at
  Phase m_phase = Phase::Head;
  std::string m_head;
  std::string m_line;
  std::uint64_t m_left = 0;       // bytes of the body or of the chunk still to come
  std::uint64_t m_bodyBytes = 0;  // chunked: the body so far
  std::size_t m_framedBytes = 0;  // chunked: the body so far with its framing
  bool m_continueWanted = false;
  bool m_refused = false;
};

// Puts a guard on every connection, in front of the HTTP server's reader, and keeps the
// number of connections bounded.
class GuardedTcpServer : public QTcpServer {
 public:
  GuardedTcpServer(ConnectionLimits limits, int maxConnections, HttpApi::LogLine log)
      : m_limits(limits), m_maxConnections(maxConnections), m_log(std::move(log)) {}

 protected:
  void incomingConnection(qintptr descriptor) override {
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
      delete socket;
      return;
    }
    if (m_open >= m_maxConnections) {
      connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      socket->write(ClosingResponse(ErrorReply(
          503, "too many connections (" + std::to_string(m_maxConnections) + ") are open")));
      socket->disconnectFromHost();
      if (m_log) m_log("- - 503 0 ms");
      return;
    }
    ++m_open;
    // Bounds what a connection holds even if a guard let too much through.
    socket->setReadBufferSize(
        static_cast<qint64>(m_limits.maxHeadBytes + m_limits.maxBodyBytes + kMaxChunkFramingBytes) +
        kReadBufferSlack);
    auto* guard = new ConnectionGuard(socket, m_limits, m_log);
    connect(guard, &QObject::destroyed, this, [this] { --m_open; });
    // Slots run in the order connected: the guard's look, the server's reader (connected
    // inside addPendingConnection), then the guard's count of what the server left.
    connect(socket, &QTcpSocket::readyRead, guard, [guard] { guard->Inspect(); });
    addPendingConnection(socket);
    connect(socket, &QTcpSocket::readyRead, guard, [guard] { guard->AfterServer(); });
  }

 private:
  ConnectionLimits m_limits;
  int m_maxConnections;
  HttpApi::LogLine m_log;
  int m_open = 0;
};

struct RequestView {
  QHttpServerRequest::Method method;
  QByteArray path;  // percent-encoded, as sent
  QByteArray authorization;
  QByteArray body;
};

QByteArray MethodName(QHttpServerRequest::Method method) {
  return QByteArray(QMetaEnum::fromType<QHttpServerRequest::Method>().valueToKey(int(method)))
      .toUpper();
}

// Hands each whole request to the front door's answer and writes the reply.
class RequestServer : public QAbstractHttpServer {
 public:
  using Handler = std::function<Reply(const RequestView&)>;
  RequestServer(Handler handler, HttpApi::LogLine log, QObject* parent)
      : QAbstractHttpServer(parent), m_handler(std::move(handler)), m_log(std::move(log)) {}

 protected:
  bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
    QElapsedTimer clock;
    clock.start();
    const RequestView view{request.method(), request.url().path(QUrl::FullyEncoded).toUtf8(),
                           request.value("authorization"), request.body()};
    const Reply reply = m_handler(view);
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(reply.status));
    responder.writeHeader("Content-Type", reply.contentType);
    responder.writeHeader("Content-Length", QByteArray::number(reply.body.size()));
    for (const auto& [name, value] : reply.headers) responder.writeHeader(name, value);
    // The answer to HEAD is the head alone: a body would be read as the next answer.
    responder.writeBody(view.method == QHttpServerRequest::Method::Head ? QByteArray()
                                                                        : reply.body);
    if (m_log) {
      m_log(MethodName(view.method).toStdString() + ' ' + Printable(view.path.toStdString()) + ' ' +
            std::to_string(reply.status) + ' ' + Milliseconds(clock.elapsed()));
    }
    if (request.value("connection").toLower().contains("close")) socket->disconnectFromHost();
    return true;
  }

  void missingHandler(const QHttpServerRequest&, QTcpSocket*) override {}

 private:
  Handler m_handler;
  HttpApi::LogLine m_log;
};

QByteArray Digest(const QByteArray& token) {
  return QCryptographicHash::hash(token, QCryptographicHash::Sha256);
}

// Compares digests, whose length is fixed, without stopping at the first difference: how long
// the answer takes says nothing of how much of a guess was right.
bool SameDigest(const QByteArray& a, const QByteArray& b) {
  if (a.size() != b.size()) return false;
  unsigned char difference = 0;
  for (qsizetype i = 0; i < a.size(); ++i) difference |= static_cast<unsigned char>(a[i] ^ b[i]);
  return difference == 0;
}

// Why a request may not pass, when a token is asked (tokenDigest not empty) and it does not
// carry it.
std::optional<Reply> Unauthorized(const QByteArray& authorization, const QByteArray& tokenDigest) {
  if (tokenDigest.isEmpty()) return std::nullopt;
  const QByteArray credentials = authorization.trimmed();
  const qsizetype blank = credentials.indexOf(' ');
  if (blank <= 0 || credentials.left(blank).compare("bearer", Qt::CaseInsensitive) != 0) {
    Reply reply = ErrorReply(401, "a bearer token is needed (Authorization: Bearer TOKEN)");
    reply.headers.emplace_back("WWW-Authenticate", "Bearer");
    return reply;
  }
  if (!SameDigest(Digest(credentials.mid(blank + 1).trimmed()), tokenDigest)) {
    Reply reply = ErrorReply(401, "the bearer token is wrong");
    reply.headers.emplace_back("WWW-Authenticate", "Bearer error=\"invalid_token\"");
    return reply;
  }
  return std::nullopt;
}

Result<QByteArray> ReadToken(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) {
    return Error{"cannot read the token file " + path + ": " + file.errorString().toStdString()};
  }
  const QByteArray content = file.read(kMaxTokenFileBytes + 1);
  if (content.size() > kMaxTokenFileBytes) {
    return Error{"the token file " + path + " is larger than " +
                 std::to_string(kMaxTokenFileBytes) + " bytes: it holds one token"};
  }
  const QByteArray token = content.trimmed();
  if (token.isEmpty()) return Error{"the token file " + path + " is empty"};
  for (const char c : token) {
    if (c < 0x21 || c > 0x7E) {
      return Error{"the token in " + path + " holds other than visible ASCII characters"};
    }
  }
  return token;
}

Result<QHostAddress> ListenAddress(const std::string& text) {
  if (text == "localhost") return QHostAddress(QHostAddress::LocalHost);
  QString address = QString::fromStdString(text);
  if (address.startsWith('[') && address.endsWith(']'))
    address = address.mid(1, address.size() - 2);
  QHostAddress parsed;
  if (!parsed.setAddress(address)) return Error{"\"" + text + "\" is not an IP address"};
  return parsed;
}

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

QJsonObject SignJson(const SignState& sign) {
  return QJsonObject{
      {"name", Text(sign.name)},
      {"address", Text(sign.address)},
      {"id", QString::asprintf("%02X", static_cast<unsigned>(sign.id))},
      {"width", sign.width},
      {"colours", sign.tripleColor ? 3 : 1},
      {"online", sign.online},
      {"lastResult", Text(sign.lastResult)},
      {"lastResultTime", Text(sign.lastResultTime)},
      {"lastError", Text(sign.lastError)},
      {"text", Text(sign.text)},
      {"page", QString(QChar(sign.page))},
      {"urgent", sign.urgent},
  };
}

Reply JsonReply(const QJsonDocument& document, int status = 200) {
  Reply reply;
  reply.status = status;
  reply.body = JsonBytes(document);
  return reply;
}

Reply DeskReply(const DeskAnswer& answer) {
  switch (answer.kind) {
    case DeskAnswer::Kind::Taken:
      return JsonReply(QJsonDocument(QJsonObject{{"status", "queued"}}), 202);
    case DeskAnswer::Kind::UnknownSign:
      return ErrorReply(404, answer.reason);
    case DeskAnswer::Kind::BadRequest:
      return ErrorReply(400, answer.reason);
    case DeskAnswer::Kind::TooMany: {
      Reply reply = ErrorReply(429, answer.reason);
      reply.headers.emplace_back("Retry-After", "1");
      return reply;
    }
  }
  return ErrorReply(400, answer.reason);
}

Reply WrongMethod(const QByteArray& allowed) {
  Reply reply = ErrorReply(405, "use " + allowed.toStdString() + " here");
  reply.headers.emplace_back("Allow", allowed);
  return reply;
}

// Whole UTF-8 characters only: anything else cannot be a sign's name.
std::optional<std::string> DecodedName(const QByteArray& segment) {
  const QByteArray bytes = QByteArray::fromPercentEncoding(segment);
  if (QString::fromUtf8(bytes).toUtf8() != bytes) return std::nullopt;
  return bytes.toStdString();
}

Reply SignRoute(ServiceDesk& desk, const std::string& name, const QByteArray& action,
                const RequestView& request) {
  using M = QHttpServerRequest::Method;
  const std::string_view body(request.body.constData(),
                              static_cast<std::size_t>(request.body.size()));
  if (action.isEmpty()) {
    if (request.method != M::Get) return WrongMethod("GET");
    const std::optional<SignState> sign = desk.Sign(name);
    if (!sign) return ErrorReply(404, "no sign named " + name);
    return JsonReply(QJsonDocument(SignJson(*sign)));
  }
  if (action == "preview.gif") {
    if (request.method != M::Get) return WrongMethod("GET");
    std::string gif;
    const DeskAnswer answer = desk.PreviewGif(name, gif);
    if (!answer.Ok()) return DeskReply(answer);
    Reply reply;
    reply.contentType = "image/gif";
    reply.body = QByteArray(gif.data(), static_cast<qsizetype>(gif.size()));
    return reply;
  }
  if (action == "message" || action == "command") {
    if (request.method != M::Post) return WrongMethod("POST");
    if (!desk.Sign(name)) return ErrorReply(404, "no sign named " + name);
    if (action == "message") {
      Result<MessageRequest> message = ParseMessagePayload(body);
      if (!message) return ErrorReply(400, message.ErrorText());
      return DeskReply(desk.PostMessage(name, *message));
    }
    Result<CommandRequest> command = ParseCommandPayload(body);
    if (!command) return ErrorReply(400, command.ErrorText());
    return DeskReply(desk.PostCommand(name, *command));
  }
  return ErrorReply(404, "no such route");
}

Reply Route(ServiceDesk& desk, const RequestView& request) {
  const QList<QByteArray> segments = request.path.split('/');
  // "/signs/NAME/action" splits into "", "signs", NAME, action.
  if (segments.size() < 2 || segments.size() > 4 || !segments[0].isEmpty() ||
      segments[1] != "signs") {
    return ErrorReply(404, "no such route");
  }
  if (segments.size() == 2) {
    if (request.method != QHttpServerRequest::Method::Get) return WrongMethod("GET");
    QJsonArray signs;
    for (const SignState& sign : desk.Signs()) signs.append(SignJson(sign));
    return JsonReply(QJsonDocument(signs));
  }
  if (segments[2].isEmpty()) return ErrorReply(404, "no such route");
  const std::optional<std::string> name = DecodedName(segments[2]);
  if (!name) return ErrorReply(400, "the sign's name is not valid UTF-8");
  return SignRoute(desk, *name, segments.size() == 4 ? segments[3] : QByteArray(), request);
}

}  // namespace

HttpApi::HttpApi(ServiceDesk& desk, HttpApiOptions options, LogLine log, QObject* parent)
    : QObject(parent), m_desk(desk), m_options(std::move(options)), m_log(std::move(log)) {}

HttpApi::~HttpApi() = default;

Result<int> HttpApi::Listen() {
  if (m_server) return Error{"the HTTP front door is already listening"};
  Result<QHostAddress> address = ListenAddress(m_options.address);
  if (!address) return address.TakeError();
  if (m_options.port < 0 || m_options.port > 65535) {
    return Error{"the HTTP port " + std::to_string(m_options.port) + " is not 0 to 65535"};
  }
  if (m_options.tokenFile.empty() && !address->isLoopback()) {
    return Error{"listening on " + m_options.address +
                 " needs a token file: every request there must carry a bearer token"};
  }
  QByteArray tokenDigest;
  if (!m_options.tokenFile.empty()) {
    Result<QByteArray> token = ReadToken(m_options.tokenFile);
    if (!token) return token.TakeError();
    tokenDigest = Digest(*token);
  }

  const ConnectionLimits limits{m_options.maxHeadBytes, m_options.maxBodyBytes,
                                m_options.idleTimeoutMs, m_options.requestTimeoutMs};
  auto* tcp = new GuardedTcpServer(limits, m_options.maxConnections, m_log);
  if (!tcp->listen(*address, static_cast<quint16>(m_options.port))) {
    const std::string why = tcp->errorString().toStdString();
    delete tcp;
    return Error{"cannot listen on " + m_options.address + " port " +
                 std::to_string(m_options.port) + ": " + why};
  }
  m_tokenDigest = tokenDigest;
  auto* server = new RequestServer(
      [this](const RequestView& request) {
        if (std::optional<Reply> refusal = Unauthorized(request.authorization, m_tokenDigest)) {
          return *refusal;
        }
        return Route(m_desk, request);
      },
      m_log, this);
  server->bind(tcp);
  m_server = server;
  return static_cast<int>(tcp->serverPort());
}

}  // namespace tavrin

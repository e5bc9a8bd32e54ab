#pragma once

#include <QByteArray>
#include <QObject>
#include <cstddef>
#include <functional>
#include <string>

#include "common/result.h"
#include "service/payload.h"
#include "service/service_desk.h"

namespace tavrin {

struct HttpApiOptions {
  // An IP address ("127.0.0.1", "::1", "0.0.0.0", a LAN address) or "localhost".
  std::string address = "127.0.0.1";
  int port = 8080;  // 0: any free port
  // A file holding the bearer token (blanks and line ends around it ignored; visible ASCII
  // only). Listening on an address other than loopback needs it; once given, every request
  // needs "Authorization: Bearer TOKEN", on loopback too.
  std::string tokenFile;
  std::size_t maxBodyBytes = kMaxPayloadBytes;
  // What one client may hold of the service's memory and time. A request head (request line
  // and headers) is at most maxHeadBytes; a connection beyond maxConnections is answered 503
  // and closed; a request still incomplete after requestTimeoutMs, or a connection silent for
  // idleTimeoutMs, is closed (408 when a request was under way).
  std::size_t maxHeadBytes = 16 * 1024;
  int maxConnections = 32;
  int idleTimeoutMs = 10'000;
  int requestTimeoutMs = 30'000;
};

// The service's HTTP front door, JSON in and out (UTF-8):
//   GET  /signs                    200, every sign: [{name, address, id ("01"), width,
//                                  colours (3 or 1), online, lastResult, lastResultTime, lastError,
//                                  text, page, urgent}, ...]
//   GET  /signs/NAME               200, one of those
//   POST /signs/NAME/message       202 {"status": "queued"}; the body as ParseMessagePayload
//                                  takes it (JSON or the message line, any content type)
//   POST /signs/NAME/command       202 likewise, the body as ParseCommandPayload takes it
//   GET  /signs/NAME/preview.gif   200 image/gif
// NAME is percent-decoded UTF-8 ("Front%20Door", "Caf%C3%A9", "a%2Fb" for "a/b").
// Errors are {"error": "reason"}: 400 a bad body or name, 401 no token or a wrong one (checked
// before anything else), 404 an unknown sign or route, 405 a route asked with the wrong method
// (with Allow), 408 a request too slow, 413 a body over maxBodyBytes, 431 a head over
// maxHeadBytes, 429 when the service takes no more for now (with Retry-After), 503 too many
// connections. What the desk answers maps so: UnknownSign 404, BadRequest 400, TooMany 429.
//
// Bounds: the HTTP library reads a whole request into memory before it is handed over, so each
// connection's bytes are watched before it reads them. A body over the limit is refused from
// its Content-Length, or as soon as its chunks pass the limit, before the library holds it; the
// answer is sent, the rest of the body read and thrown away for up to two seconds so that the
// client sees the answer, and the connection closed. Each connection's read buffer is capped
// besides, so one connection holds a few hundred kilobytes at most, and all of them
// maxConnections times that.
//
// Lives on the thread whose event loop runs it; calls the desk there.
class HttpApi : public QObject {
  Q_OBJECT

 public:
  // Given one line a request: "POST /signs/Door/message 202 1 ms" (the path as sent,
  // percent-encoded), also for those refused unread ("- - 503 0 ms" when no request line came).
  using LogLine = std::function<void(const std::string&)>;

  HttpApi(ServiceDesk& desk, HttpApiOptions options, LogLine log = {}, QObject* parent = nullptr);
  ~HttpApi() override;

  // Starts listening and returns the port bound, or why not: an address that is no IP address,
  // a port out of range, an address in use, a token file needed but not given, or one that
  // cannot be read, is empty or holds other than visible ASCII. Once only.
  Result<int> Listen();

 private:
  ServiceDesk& m_desk;
  HttpApiOptions m_options;
  LogLine m_log;
  QByteArray m_tokenDigest;     // SHA-256 of the token; empty when no token is asked
  QObject* m_server = nullptr;  // the HTTP server, once listening
};

}  // namespace tavrin

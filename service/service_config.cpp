#include "service/service_config.h"

#include <unistd.h>

#include <algorithm>
#include <set>

#include "common/file_io.h"
#include "common/settings.h"

namespace tavrin {

namespace {

constexpr std::string_view kServiceSection = "Service";

bool IsDigits(std::string_view text) {
  return !text.empty() && text.size() <= 5 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
  return name;
}

// A topic level or a prefix of levels that MQTT accepts to publish under: no wildcards, no
// empty level at either end.
bool IsTopicPrefix(std::string_view text) {
  return !text.empty() && text.find_first_of("+#") == std::string_view::npos &&
         text.front() != '/' && text.back() != '/' && text.find('\0') == std::string_view::npos;
}

std::filesystem::path InHome(const std::filesystem::path& home, const std::string& name) {
  const std::filesystem::path path(name);
  return path.is_relative() ? home / path : path;
}

}  // namespace

std::string TopicName(const std::string& signName) {
  std::string name;
  for (const char c : signName) {
    if (c >= 'A' && c <= 'Z') {
      name += static_cast<char>(c - 'A' + 'a');
    } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      name += c;
    } else {
      name += '_';
    }
  }
  return name;
}

std::optional<HostPort> ParseHostPort(std::string_view text, bool anyPort) {
  std::string host;
  std::string_view port;
  if (text.starts_with('[')) {
    const std::size_t close = text.find("]:");
    if (close == std::string_view::npos) return std::nullopt;
    host = std::string(text.substr(1, close - 1));
    port = text.substr(close + 2);
  } else {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || text.find(':') != colon) return std::nullopt;
    host = std::string(text.substr(0, colon));
    port = text.substr(colon + 1);
  }
  if (host.empty() || !IsDigits(port)) return std::nullopt;
  const int number = std::stoi(std::string(port));
  if (number < (anyPort ? 0 : 1) || number > 65535) return std::nullopt;
  return HostPort{host, number};
}

bool IsLoopbackHost(std::string_view host) {
  return host == "localhost" || host == "::1" || host.starts_with("127.");
}

Result<std::string> ReadSecretFile(const std::filesystem::path& file) {
  Result<std::string> bytes = ReadFileLimited(file, 4096);
  if (!bytes) return bytes.TakeError();
  std::string line = bytes->substr(0, bytes->find_first_of("\r\n"));
  const std::size_t first = line.find_first_not_of(" \t");
  if (first == std::string::npos) return Error{Utf8FromPath(file) + " is empty"};
  line = line.substr(first, line.find_last_not_of(" \t") - first + 1);
  return line;
}

ServiceConfigRead ReadServiceConfig(const std::filesystem::path& home, const std::string& mqtt,
                                    const std::string& http) {
  ServiceConfigRead read;
  ServiceConfig& c = read.config;
  std::vector<std::string>& problems = read.problems;
  c.home = home;
  const Settings settings(SettingsPath(home));
  const ProfileFile& file = settings.File();
  c.codePage = settings.CodePage();
  const auto text = [&](std::string_view key, std::string fallback) {
    return file.ReadString(kServiceSection, key).value_or(std::move(fallback));
  };
  const auto problem = [&](std::string_view key, const std::string& what) {
    problems.push_back("[Service] " + std::string(key) + ": " + what);
  };

  SignListRead signs = ReadSignList(home);
  for (std::string& p : signs.problems) problems.push_back(std::move(p));
  c.signs = signs.list.Signs();
  if (c.signs.empty() && signs.problems.empty()) {
    problems.push_back(Utf8FromPath(SignListPath(home)) +
                       " names no signs (tavrin-cli signs add NAME --port N)");
  }

  const auto hostPort = [&](std::string_view key, const std::string& given,
                            std::optional<HostPort> fallback) -> std::optional<HostPort> {
    const std::string value = given.empty() ? text(key, fallback ? fallback->Text() : "") : given;
    if (value.empty() || value == "off") return std::nullopt;
    std::optional<HostPort> parsed = ParseHostPort(value, key == "http");
    if (!parsed) {
      problems.push_back(
          (given.empty() ? "[Service] " + std::string(key) : "--" + std::string(key)) + ": \"" +
          value + "\" is not HOST:PORT (or off)");
    }
    return parsed;
  };
  c.mqtt = hostPort("mqtt", mqtt, std::nullopt);
  c.http = hostPort("http", http, c.http);
  if (!c.mqtt && !c.http)
    problems.push_back("neither MQTT nor HTTP: the service would hear nothing");

  c.mqttUser = text("mqttuser", "");
  c.mqttPasswordFile = text("mqttpasswordfile", "");
  if (!c.mqttPasswordFile.empty()) {
    c.mqttPasswordFile = Utf8FromPath(InHome(home, c.mqttPasswordFile));
    if (Result<std::string> secret = ReadSecretFile(PathFromUtf8(c.mqttPasswordFile)); !secret) {
      problem("mqttpasswordfile", secret.ErrorText());
    }
  }
  c.clientId = text("clientid", "tavrin-service-" + HostName());
  if (c.clientId.empty() || c.clientId.size() > 64) problem("clientid", "1 to 64 characters");
  c.topicBase = text("topicbase", c.topicBase);
  if (!IsTopicPrefix(c.topicBase)) problem("topicbase", "a topic without + or # or an empty end");
  c.discovery = file.ReadInt(kServiceSection, "discovery", 1) != 0;
  c.discoveryPrefix = text("discoveryprefix", c.discoveryPrefix);
  if (!IsTopicPrefix(c.discoveryPrefix)) problem("discoveryprefix", "a topic without + or #");
  c.nodeId = text("nodeid", c.nodeId);
  if (c.nodeId.empty() || !std::all_of(c.nodeId.begin(), c.nodeId.end(), [](char ch) {
        return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
               ch == '_' || ch == '-';
      })) {
    problem("nodeid", "letters, digits, _ and - only");
  }

  c.httpTokenFile = text("httptokenfile", "");
  if (!c.httpTokenFile.empty()) c.httpTokenFile = Utf8FromPath(InHome(home, c.httpTokenFile));
  if (c.http && !IsLoopbackHost(c.http->host)) {
    if (c.httpTokenFile.empty()) {
      problem("httptokenfile", "needed: HTTP listens on " + c.http->host + ", beyond this machine");
    }
  }
  if (!c.httpTokenFile.empty()) {
    if (Result<std::string> token = ReadSecretFile(PathFromUtf8(c.httpTokenFile)); !token) {
      problem("httptokenfile", token.ErrorText());
    }
  }

  const auto page = [&](std::string_view key, char fallback) {
    const std::string value = text(key, std::string(1, fallback));
    if (value.size() != 1 || value[0] < 'A' || value[0] > 'Z') {
      problem(key, "a page letter A to Z");
      return fallback;
    }
    return value[0];
  };
  c.desk.normalPage = page("normalpage", c.desk.normalPage);
  c.desk.urgentPage = page("urgentpage", c.desk.urgentPage);
  if (c.desk.normalPage == c.desk.urgentPage) {
    problem("urgentpage", "a page of its own, not the normal page");
  }
  const auto seconds = [&](std::string_view key, int fallback, int least, int most) {
    const int value = file.ReadInt(kServiceSection, key, fallback);
    if (value < least || value > most) {
      problem(key, "seconds, " + std::to_string(least) + " to " + std::to_string(most));
      return fallback;
    }
    return value;
  };
  c.desk.defaultTtlSeconds = seconds("ttl", c.desk.defaultTtlSeconds, 1, 86400);
  c.desk.refreshSeconds = seconds("refresh", c.desk.refreshSeconds, 1, 86400);
  c.desk.retryMinSeconds = seconds("retrymin", c.desk.retryMinSeconds, 1, 3600);
  c.desk.retryMaxSeconds =
      seconds("retrymax", c.desk.retryMaxSeconds, c.desk.retryMinSeconds, 86400);

  // Two names that make the same topic level would share their topics.
  std::set<std::string> levels;
  for (const NamedSign& sign : c.signs) {
    if (!levels.insert(TopicName(sign.name)).second) {
      problems.push_back(Utf8FromPath(SignListPath(home)) + ": " + sign.name +
                         " has the topic name of another sign (" + TopicName(sign.name) +
                         "): rename one");
    }
  }
  return read;
}

}  // namespace tavrin

#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "service/sign_desk.h"
#include "signlink/sign_list.h"

namespace tavrin {

// Where a front door listens or the broker is: a host (name or address) and a port.
struct HostPort {
  std::string host;
  int port = 0;
  std::string Text() const { return host + ":" + std::to_string(port); }
};

// Reads "HOST:PORT" ("[::1]:8080" for an IPv6 address), PORT 1 to 65535 (or 0 when
// anyPort: whichever is free); nothing when it is not one.
std::optional<HostPort> ParseHostPort(std::string_view text, bool anyPort = false);

// What tavrin-service runs with: the program folder's sign list and settings (section
// "Service" of Tavrin.INI), with the command line's --mqtt and --http over them.
//
//   [Service]
//   mqtt=HOST:PORT            the broker; "off" or nothing: no MQTT
//   mqttuser=NAME             mqttpasswordfile=FILE (the password, alone in a file)
//   clientid=NAME             the persistent session's (default tavrin-service-HOSTNAME)
//   topicbase=tavrin          topics tavrin/<sign>/message/set, .../command/set, .../state
//   discovery=1               Home Assistant MQTT discovery; discoveryprefix=homeassistant
//   nodeid=tavrin             the node of the discovery topics and of the entities' ids
//   http=127.0.0.1:8080       the HTTP front door; "off": none
//   httptokenfile=FILE        the bearer token, required on any address but loopback
//   normalpage=A  urgentpage=Z  ttl=60  refresh=10  retrymin=5  retrymax=300
struct ServiceConfig {
  std::filesystem::path home;
  std::vector<NamedSign> signs;
  std::string codePage;
  DeskOptions desk;

  std::optional<HostPort> mqtt;
  std::string mqttUser;
  std::string mqttPasswordFile;
  std::string clientId;
  std::string topicBase = "tavrin";
  bool discovery = true;
  std::string discoveryPrefix = "homeassistant";
  std::string nodeId = "tavrin";

  std::optional<HostPort> http = HostPort{"127.0.0.1", 8080};
  std::string httpTokenFile;
};

struct ServiceConfigRead {
  ServiceConfig config;
  // Each a line that says what is wrong and where ("[Service] ttl: ..."); the service does not
  // start while there is one.
  std::vector<std::string> problems;
};

// `mqtt` and `http` are the command line's (empty: the settings'). Files named by the settings
// are read from the program folder when their names are relative.
ServiceConfigRead ReadServiceConfig(const std::filesystem::path& home, const std::string& mqtt,
                                    const std::string& http);

// True for an address of this machine alone: 127.x.x.x, ::1, "localhost".
bool IsLoopbackHost(std::string_view host);

// A sign's name as a topic level and in the ids of its entities: lower case, letters and
// digits kept, every other byte "_" ("Shop window" -> "shop_window").
std::string TopicName(const std::string& signName);

// The first line of a small file (a password, a token), its blanks trimmed, or why not.
Result<std::string> ReadSecretFile(const std::filesystem::path& file);

}  // namespace tavrin

// tavrin-service: the signs of the sign list, kept up to date from MQTT (with Home Assistant's
// discovery) and HTTP, with nobody at the keyboard.
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <sys/socket.h>
#include <unistd.h>

#include "common/command_line.h"
#include "common/program_folder.h"
#include "common/settings.h"
#include "common/utf8_path.h"
#include "service/http_api.h"
#include "service/mqtt_bridge.h"
#include "service/mqtt_client.h"
#include "service/service_config.h"
#include "service/sign_service.h"

namespace {

using namespace tavrin;

constexpr const char* kProgram = "tavrin-service";
constexpr const char* kUsage =
    "usage: tavrin-service [--home DIR] [--mqtt HOST:PORT|off] [--http ADDR:PORT|off] [--check]\n"
    "       tavrin-service -h | --help | --version\n"
    "Keeps the signs of the sign list (Tavrin.signs) up to date from MQTT and HTTP; the section\n"
    "[Service] of Tavrin.INI holds the rest of its settings (see the README).\n"
    "  --home DIR       the program folder (default: as Tavrin finds it)\n"
    "  --mqtt HOST:PORT the MQTT broker, over the settings' (off: none)\n"
    "  --http ADDR:PORT where the HTTP front door listens, over the settings' (off: none;\n"
    "                   port 0: any free port)\n"
    "  --check          check the settings and the sign list, say what would run, and exit\n"
    "  -h, --help       print this help and exit\n"
    "  --version        print the version and exit\n"
    "Topics: BASE/NAME/message/set, BASE/NAME/command/set, BASE/NAME/state, BASE/status.\n"
    "HTTP: GET /signs, POST /signs/NAME/message, POST /signs/NAME/command,\n"
    "      GET /signs/NAME/preview.gif.\n"
    "Exit: 0 stopped by a signal (or --check found nothing wrong), 1 the settings are wrong,\n"
    "      2 bad arguments, 3 the HTTP front door could not open (its port taken, say).\n";

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

struct Arguments {
  std::string home, mqtt, http;
  bool check = false;
};

std::optional<std::string> Parse(const std::vector<std::string>& args, Arguments& parsed) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string* value = a == "--home"   ? &parsed.home
                         : a == "--mqtt" ? &parsed.mqtt
                         : a == "--http" ? &parsed.http
                                         : nullptr;
    if (value != nullptr) {
      if (i + 1 >= args.size() || args[i + 1].empty()) return a + " needs a value";
      *value = args[++i];
    } else if (a == "--check") {
      parsed.check = true;
    } else {
      return a.starts_with("-") ? "unknown option " + a : "unexpected argument " + a;
    }
  }
  return std::nullopt;
}

void Say(const std::string& line) { std::cerr << kProgram << ": " << line << std::endl; }

std::string Summary(const ServiceConfig& c) {
  std::string names;
  for (const NamedSign& sign : c.signs) names += (names.empty() ? "" : ", ") + sign.name;
  std::string text = std::to_string(c.signs.size()) + (c.signs.size() == 1 ? " sign" : " signs") +
                     " (" + names + ")";
  text += c.mqtt ? "; MQTT " + c.mqtt->Text() + " as " + c.clientId + ", topics " + c.topicBase +
                       "/..." + (c.discovery ? ", discovery under " + c.discoveryPrefix : "")
                 : "; no MQTT";
  text += c.http ? "; HTTP " + c.http->Text() + (c.httpTokenFile.empty() ? "" : " with a token")
                 : "; no HTTP";
  return text;
}

int Serve(const ServiceConfig& c) {
  const Settings settings(SettingsPath(c.home));
  SignService service(c.home, c.signs, {c.desk, c.codePage}, std::make_unique<SignRoads>(settings));
  QObject::connect(&service, &SignService::logLine,
                   [](const QString& line) { Say(line.toStdString()); });

  std::unique_ptr<MqttClient> client;
  std::unique_ptr<MqttBridge> bridge;
  if (c.mqtt) {
    MqttOptions options;
    options.host = c.mqtt->host;
    options.port = c.mqtt->port;
    options.clientId = c.clientId;
    options.username = c.mqttUser;
    if (!c.mqttPasswordFile.empty()) {
      // Checked with the settings, but it may have gone since.
      Result<std::string> password = ReadSecretFile(PathFromUtf8(c.mqttPasswordFile));
      if (!password) {
        Say("[Service] mqttpasswordfile: " + password.ErrorText());
        return 1;
      }
      options.password = std::move(*password);
    }
    MqttBridge::SetWill(options, c.topicBase);
    client = std::make_unique<MqttClient>(options);
    bridge = std::make_unique<MqttBridge>(
        service, *client, MqttBridgeOptions{c.topicBase, c.discovery, c.discoveryPrefix, c.nodeId});
  }
  std::unique_ptr<HttpApi> http;
  if (c.http) {
    HttpApiOptions options;
    options.address = c.http->host;
    options.port = c.http->port;
    options.tokenFile = c.httpTokenFile;
    http = std::make_unique<HttpApi>(service, options,
                                     [](const std::string& line) { Say("HTTP " + line); });
    const Result<int> port = http->Listen();
    if (!port) {
      Say("HTTP cannot listen on " + c.http->Text() + ": " + port.ErrorText());
      return 3;
    }
    Say("HTTP listening on " + c.http->host + ":" + std::to_string(*port));
  }

  // SIGTERM (systemd's stop) and SIGINT end the event loop, where the rest is done.
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) return 3;
  QSocketNotifier stopping(g_signalPipe[0], QSocketNotifier::Read);
  QObject::connect(&stopping, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGINT, OnSignal);

  service.Start();
  if (client) client->Start();
  Say("serving " + Summary(c));
  QCoreApplication::exec();

  Say("stopping");
  if (bridge) bridge->SayOffline();
  if (client) client->Stop();
  service.StopAll();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const std::optional<int> answered = AnswerHelpOrVersion(args, std::cout, kProgram, kUsage)) {
    return *answered;
  }
  Arguments parsed;
  if (const std::optional<std::string> problem = Parse(args, parsed)) {
    return TellBadArguments(std::cerr, kProgram, *problem);
  }
  const std::filesystem::path home =
      parsed.home.empty() ? ProgramFolder() : WithTrailingSeparator(PathFromUtf8(parsed.home));
  const ServiceConfigRead read = ReadServiceConfig(home, parsed.mqtt, parsed.http);
  for (const std::string& problem : read.problems) Say(problem);
  if (parsed.check) {
    if (!read.problems.empty()) return 1;
    std::cout << kProgram << ": the settings are good: " << Summary(read.config) << '\n';
    return 0;
  }
  if (!read.problems.empty()) {
    Say("not started: mend the settings above (tavrin-service --check says when they are good)");
    return 1;
  }
  QCoreApplication app(argc, argv);
  // The MQTT client's lines read like the service's own in the journal.
  qSetMessagePattern(QString(kProgram) + ": %{message}");
  return Serve(read.config);
}

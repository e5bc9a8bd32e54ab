#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/settings.h"
#include "graphics/graphic_file.h"
#include "print/raw_print.h"
#include "service/service_desk.h"
#include "service/sign_desk.h"
#include "signlink/sign_list.h"
#include "signlink/sign_roads.h"

namespace tavrin {

// The service's engine: the signs of the list, each with its desk (service/sign_desk.h), the
// roads of their links (one worker a link, signs of one bus taking turns), the fields' values,
// and the state file that keeps what each page was last sent across restarts. It lives on a
// thread with a Qt event loop; every ServiceDesk call returns at once, and a command's end
// comes back to that thread as a queued call.
//
// What goes to a sign is what the window would send: Send Message's frames for a message,
// Set Clock's, Set Brightness's and Run Page's for the commands, a raw print job for a sign
// behind a print queue (messages only). A message whose frames are those the page was last
// sent is not sent again.
class SignService : public QObject, public ServiceDesk {
  Q_OBJECT
 public:
  struct Options {
    DeskOptions desk;
    std::string codePage = "CP1252";  // the sign's, as the settings give it
  };
  // How long after a send has ended its page is written to the state file (sends that end
  // meanwhile go with it).
  static constexpr int kStateSavePauseMs = 500;

  // Makes a spooler for a sign behind a print queue (tests give their own).
  using SpoolerMaker = std::function<std::unique_ptr<Spooler>()>;

  // `programFolder` holds the graphics and the state file ("Tavrin.service-state"); `roads`
  // makes the links (the settings' in the program, a test's own).
  SignService(std::filesystem::path programFolder, std::vector<NamedSign> signs, Options options,
              std::unique_ptr<SignRoads> roads, QObject* parent = nullptr);
  ~SignService() override;

  void SetSpoolerMaker(SpoolerMaker maker) { m_makeSpooler = std::move(maker); }
  // Reads the state file (its problems go to the log) and starts the clock of the fields.
  void Start();
  // Asks every command under way to stop at its next frame boundary and waits for them.
  void StopAll();

  // ServiceDesk
  std::vector<SignState> Signs() const override;
  std::optional<SignState> Sign(const std::string& name) const override;
  DeskAnswer PostMessage(const std::string& name, const MessageRequest& message) override;
  DeskAnswer PostCommand(const std::string& name, const CommandRequest& command) override;
  DeskAnswer PreviewGif(const std::string& name, std::string& gif) override;

  // A request for the sign that could not be read (a bad MQTT payload): kept as its last error
  // and told like a change of its state.
  void ReportError(const std::string& name, const std::string& reason);
  // A new value for the {mqtt:TOPIC} fields: the pages that show it are drawn again.
  void SetFieldValue(const std::string& topic, const std::string& payload);
  // Every topic the messages' {mqtt:...} fields name now.
  std::vector<std::string> FieldTopics() const;
  // True when nothing waits and nothing runs, for any sign (tests, shutdown).
  bool Idle() const;

 signals:
  // A sign's state changed (a result, online or offline, a new message, an error).
  void stateChanged(QString sign);
  // The topics of the {mqtt:...} fields may have changed.
  void fieldTopicsChanged();
  // One line a command or refusal, for the log: "Door: Set Clock of sign 02: done in 0.1 s".
  void logLine(QString line);

 private:
  struct SignEntry;
  struct Built;

  SignEntry* Find(const std::string& name);
  const SignEntry* Find(const std::string& name) const;
  DeskTime Now() const;
  // Starts what each sign may start now; `first` is served first (fairness on a bus).
  void Pump(std::size_t first = 0);
  void PumpSign(SignEntry& sign);
  Built Build(SignEntry& sign, const DeskJob& job);
  void Ended(std::size_t index, const PlanResult& result, std::chrono::milliseconds took,
             std::string summary, const std::string& digest);
  void Tick();
  void CheckFields(SignEntry& sign, bool onlyClock);
  SignState StateOf(const SignEntry& sign) const;
  void SaveState();
  void SaveStateSoon();
  void LoadState();
  void Log(const std::string& line);

  std::filesystem::path m_programFolder;
  Options m_options;
  GraphicFolder m_graphics;
  std::unique_ptr<SignRoads> m_roads;
  std::vector<std::unique_ptr<SignEntry>> m_signs;
  std::map<std::string, std::string> m_values;  // topic -> value, for {mqtt:...}
  SpoolerMaker m_makeSpooler;
  QElapsedTimer m_clock;
  // Each second: the clock fields drawn again, urgent messages that end, retries and refreshes
  // whose time has come.
  QTimer m_tick;
  // The state file is written once a burst of sends has ended, not after each of them: with
  // hundreds of signs a write each would hold the thread for seconds. StopAll writes what waits.
  QTimer m_saveSoon;
};

}  // namespace tavrin

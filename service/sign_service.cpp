#include "service/sign_service.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <chrono>
#include <ctime>

#include "common/file_io.h"
#include "functions/print_job.h"
#include "functions/sign_plans.h"
#include "preview/animation_gif.h"
#include "preview/preview.h"
#include "service/fields.h"
#include "service/sign_text.h"

namespace tavrin {

namespace {

constexpr const char* kStateFileName = "Tavrin.service-state";
constexpr std::size_t kMaxStateFileBytes = 4 * 1024 * 1024;

std::tm LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string JoinedFrames(const SignPlan& plan) {
  std::string all;
  for (const std::string& frame : plan.Frames()) all += frame;
  return all;
}

std::string NowUtc() { return QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toStdString(); }

// Carries a command's end from the road's worker to the service's thread.
class Ending : public CommandEvents {
 public:
  explicit Ending(std::function<void(const PlanResult&, std::chrono::milliseconds)> ended)
      : m_ended(std::move(ended)) {}
  void Finished(const SignPlan&, const PlanResult& result,
                std::chrono::milliseconds took) override {
    m_ended(result, took);
  }

 private:
  std::function<void(const PlanResult&, std::chrono::milliseconds)> m_ended;
};

}  // namespace

struct SignService::SignEntry {
  SignEntry(NamedSign s, const DeskOptions& options) : named(std::move(s)), desk(options) {}
  NamedSign named;
  SignDesk desk;
  std::string lastResultTime;
  std::string lastError;
  bool ViaQueue() const { return named.address.kind == SignAddress::Kind::Queue; }
};

// A job made ready to go: its plan (and work, for a print queue), or why it goes nowhere.
struct SignService::Built {
  std::optional<SignPlan> plan;
  SignRoad::Work work;
  std::string refusal;     // not sent, and why
  bool unchanged = false;  // the page has these very frames already
  std::string digest;      // of a message's frames
  std::string rendered;    // a message's text with its fields drawn
};

SignService::SignService(std::filesystem::path programFolder, std::vector<NamedSign> signs,
                         Options options, std::unique_ptr<SignRoads> roads, QObject* parent)
    : QObject(parent),
      m_programFolder(std::move(programFolder)),
      m_options(std::move(options)),
      m_graphics(m_programFolder),
      m_roads(std::move(roads)),
      m_makeSpooler(MakeSystemSpooler) {
  for (NamedSign& sign : signs) {
    m_signs.push_back(std::make_unique<SignEntry>(std::move(sign), m_options.desk));
  }
  m_clock.start();
  m_tick.setInterval(1000);
  connect(&m_tick, &QTimer::timeout, this, &SignService::Tick);
  m_saveSoon.setSingleShot(true);
  m_saveSoon.setInterval(kStateSavePauseMs);
  connect(&m_saveSoon, &QTimer::timeout, this, &SignService::SaveState);
}

SignService::~SignService() { StopAll(); }

void SignService::Start() {
  LoadState();
  m_tick.start();
  Tick();
}

void SignService::StopAll() {
  if (!m_roads) return;
  m_roads->ForEachRoad([](SignRoad& road) { road.RequestStop(); });
  m_roads->ForEachRoad([](SignRoad& road) { road.WaitUntilIdle(); });
  if (m_saveSoon.isActive()) {
    m_saveSoon.stop();
    SaveState();
  }
}

DeskTime SignService::Now() const { return DeskTime(m_clock.elapsed()); }

SignService::SignEntry* SignService::Find(const std::string& name) {
  for (auto& sign : m_signs) {
    if (sign->named.name == name) return sign.get();
  }
  return nullptr;
}

const SignService::SignEntry* SignService::Find(const std::string& name) const {
  return const_cast<SignService*>(this)->Find(name);
}

SignState SignService::StateOf(const SignEntry& s) const {
  SignState state;
  state.name = s.named.name;
  state.address = s.named.address.Text();
  state.id = s.named.id;
  state.width = s.named.width;
  state.tripleColor = s.named.tripleColor;
  state.online = s.desk.Online();
  state.lastResult = s.desk.LastResult();
  state.lastResultTime = s.lastResultTime;
  state.lastError = s.lastError;
  state.page = s.desk.NormalPage();
  const auto page = s.desk.Pages().find(state.page);
  if (page != s.desk.Pages().end()) state.text = page->second;
  state.urgent = s.desk.UrgentShown();
  return state;
}

std::vector<SignState> SignService::Signs() const {
  std::vector<SignState> states;
  states.reserve(m_signs.size());
  for (const auto& sign : m_signs) states.push_back(StateOf(*sign));
  return states;
}

std::optional<SignState> SignService::Sign(const std::string& name) const {
  const SignEntry* s = Find(name);
  if (s == nullptr) return std::nullopt;
  return StateOf(*s);
}

DeskAnswer SignService::PostMessage(const std::string& name, const MessageRequest& message) {
  SignEntry* s = Find(name);
  if (s == nullptr) return {DeskAnswer::Kind::UnknownSign, "no sign named " + name};
  if (s->ViaQueue() && message.priority == MessagePriority::Urgent) {
    return {DeskAnswer::Kind::BadRequest,
            name + " is behind a print queue, which cannot run a page: no urgent messages"};
  }
  // Judged now, with the fields as they are, so that the one who sent it hears what is wrong.
  const Result<std::string> text =
      SignTextOf(RenderFields(message.text, LocalNow(), m_values), m_options.codePage);
  if (!text) return {DeskAnswer::Kind::BadRequest, text.ErrorText()};
  const SignPlan plan = PlanSendMessage(m_graphics, *text, message.page.value_or('A'), s->named.id);
  if (plan.refusal) return {DeskAnswer::Kind::BadRequest, Trimmed(plan.refusal->text)};
  const std::vector<std::string> topicsBefore = FieldTopics();
  DeskAnswer answer = s->desk.Post(message);
  if (!answer.Ok()) return answer;
  s->lastError.clear();
  if (FieldTopics() != topicsBefore) emit fieldTopicsChanged();
  emit stateChanged(QString::fromStdString(name));
  Pump();
  return answer;
}

DeskAnswer SignService::PostCommand(const std::string& name, const CommandRequest& command) {
  SignEntry* s = Find(name);
  if (s == nullptr) return {DeskAnswer::Kind::UnknownSign, "no sign named " + name};
  if (s->ViaQueue()) {
    return {DeskAnswer::Kind::BadRequest,
            name + " is behind a print queue, which carries messages one way: no commands"};
  }
  DeskAnswer answer = s->desk.Post(command);
  if (!answer.Ok()) return answer;
  Pump();
  return answer;
}

DeskAnswer SignService::PreviewGif(const std::string& name, std::string& gif) {
  const SignEntry* s = Find(name);
  if (s == nullptr) return {DeskAnswer::Kind::UnknownSign, "no sign named " + name};
  const auto page = s->desk.Pages().find(s->desk.NormalPage());
  if (page == s->desk.Pages().end()) {
    return {DeskAnswer::Kind::BadRequest, name + " has been sent no message yet"};
  }
  const Result<std::string> text =
      SignTextOf(RenderFields(page->second, LocalNow(), m_values), m_options.codePage);
  if (!text) return {DeskAnswer::Kind::BadRequest, text.ErrorText()};
  const preview::Preview drawn =
      preview::MakePreview(*text, m_graphics, nullptr, s->named.width, std::time(nullptr));
  const QTemporaryDir folder;
  if (!folder.isValid()) return {DeskAnswer::Kind::BadRequest, "no room for the picture"};
  const std::filesystem::path file =
      std::filesystem::path(folder.path().toStdString()) / "preview.gif";
  if (Result<int> written =
          preview::WriteAnimatedGif(file, drawn.animation.All(), s->named.tripleColor);
      !written) {
    return {DeskAnswer::Kind::BadRequest, written.ErrorText()};
  }
  Result<std::string> bytes = ReadFileLimited(file, 64 * 1024 * 1024);
  if (!bytes) return {DeskAnswer::Kind::BadRequest, bytes.ErrorText()};
  gif = std::move(*bytes);
  return {};
}

void SignService::ReportError(const std::string& name, const std::string& reason) {
  SignEntry* s = Find(name);
  if (s == nullptr) return;
  s->lastError = reason;
  Log(name + ": not taken: " + reason);
  emit stateChanged(QString::fromStdString(name));
}

void SignService::SetFieldValue(const std::string& topic, const std::string& payload) {
  std::string value = FieldValue(payload);
  auto& held = m_values[topic];
  if (held == value) return;
  held = std::move(value);
  for (auto& sign : m_signs) CheckFields(*sign, false);
  Pump();
}

std::vector<std::string> SignService::FieldTopics() const {
  std::vector<std::string> topics;
  for (const auto& sign : m_signs) {
    for (const auto& [page, text] : sign->desk.Pages()) {
      for (std::string& topic : MqttFieldTopics(text)) {
        if (std::find(topics.begin(), topics.end(), topic) == topics.end()) {
          topics.push_back(std::move(topic));
        }
      }
    }
  }
  return topics;
}

bool SignService::Idle() const {
  for (const auto& sign : m_signs) {
    if (sign->desk.Busy() || sign->desk.Next(Now()) != nullptr) return false;
  }
  return true;
}

void SignService::CheckFields(SignEntry& s, bool onlyClock) {
  const std::tm now = LocalNow();
  for (const auto& [page, text] : s.desk.Pages()) {
    if (onlyClock && !HasClockFields(text)) continue;
    if (!HasClockFields(text) && MqttFieldTopics(text).empty()) continue;
    if (RenderFields(text, now, m_values) != s.desk.Rendered(page)) {
      s.desk.FieldsChanged(page, Now());
    }
  }
}

void SignService::Tick() {
  for (auto& sign : m_signs) {
    sign->desk.Tick(Now());
    CheckFields(*sign, true);
  }
  Pump();
}

void SignService::Pump(std::size_t first) {
  for (std::size_t k = 0; k < m_signs.size(); ++k) PumpSign(*m_signs[(first + k) % m_signs.size()]);
}

void SignService::PumpSign(SignEntry& s) {
  while (!s.desk.Busy()) {
    const DeskTime now = Now();
    const DeskJob* next = s.desk.Next(now);
    if (next == nullptr) return;
    Result<SignRoad*> road = m_roads->RoadFor(s.named.address);
    if (road && (*road)->Busy()) return;  // another sign of its bus; its end pumps again
    const DeskJob job = *next;
    s.desk.Begin(now);
    if (!road) {
      // A link that cannot be made is a sign that cannot be reached: tried again later.
      const std::string line = s.named.name + ": the link cannot be made: " + road.ErrorText();
      s.desk.Finished(now, false, true, line);
      s.lastError = road.ErrorText();
      s.lastResultTime = NowUtc();
      Log(line);
      emit stateChanged(QString::fromStdString(s.named.name));
      return;
    }
    Built built = Build(s, job);
    if (!built.refusal.empty()) {
      const std::string line = s.named.name + ": not sent: " + built.refusal;
      s.desk.Finished(now, false, false, line);
      s.lastError = built.refusal;
      s.lastResultTime = NowUtc();
      Log(line);
      emit stateChanged(QString::fromStdString(s.named.name));
      continue;
    }
    if (built.unchanged) {
      s.desk.SetRendered(job.page, built.rendered);
      s.desk.Unchanged(now, s.desk.LastResult());
      continue;
    }
    if (!built.rendered.empty()) s.desk.SetRendered(job.page, built.rendered);
    const std::size_t index = static_cast<std::size_t>(
        std::find_if(m_signs.begin(), m_signs.end(), [&](const auto& p) { return p.get() == &s; }) -
        m_signs.begin());
    std::string summary = built.plan->summary;
    auto ending =
        std::make_shared<Ending>([this, index, summary, digest = built.digest](
                                     const PlanResult& result, std::chrono::milliseconds took) {
          QMetaObject::invokeMethod(
              this,
              [this, index, result, took, summary, digest] {
                Ended(index, result, took, summary, digest);
              },
              Qt::QueuedConnection);
        });
    const bool started =
        built.work ? (*road)->StartWork(std::move(*built.plan), std::move(built.work), ending)
                   : (*road)->Start(std::move(*built.plan), ending);
    if (!started) s.desk.PutBack();
    return;
  }
}

SignService::Built SignService::Build(SignEntry& s, const DeskJob& job) {
  Built built;
  const std::uint8_t id = s.named.id;
  switch (job.kind) {
    case DeskJob::Kind::Message:
    case DeskJob::Kind::Refresh: {
      std::string text = job.text;
      if (job.kind == DeskJob::Kind::Refresh) {
        const auto page = s.desk.Pages().find(job.page);
        if (page == s.desk.Pages().end()) {
          built.unchanged = true;
          return built;
        }
        text = page->second;
      }
      built.rendered = RenderFields(text, LocalNow(), m_values);
      const Result<std::string> signText = SignTextOf(built.rendered, m_options.codePage);
      if (!signText) {
        built.refusal = signText.ErrorText();
        return built;
      }
      SignPlan plan = s.ViaQueue() ? PlanSendViaNetwork(m_graphics, *signText, job.page, id)
                                   : PlanSendMessage(m_graphics, *signText, job.page, id);
      if (plan.refusal) {
        built.refusal = Trimmed(plan.refusal->text);
        return built;
      }
      built.digest = FramesDigest(JoinedFrames(plan));
      if (built.digest == s.desk.SentDigest(job.page)) {
        built.unchanged = true;
        return built;
      }
      if (s.ViaQueue()) {
        std::shared_ptr<Spooler> spooler = m_makeSpooler();
        spooler->SelectPrinter(s.named.address.address);
        built.work = [spooler, plan](Waiter& waiter, const std::atomic<bool>& stop) {
          return ExecutePlanAsPrintJob(
              plan, PrintJobSession{.spooler = *spooler, .waiter = waiter, .stop = &stop});
        };
      }
      built.plan = std::move(plan);
      return built;
    }
    case DeskJob::Kind::Command: {
      if (s.ViaQueue()) {
        built.refusal = "a print queue takes no commands";
        return built;
      }
      const CommandRequest& c = job.command;
      if (c.kind == CommandKind::Clock) {
        const std::tm now = LocalNow();
        char time[16];
        std::strftime(time, sizeof time, "%H:%M:%S", &now);
        const std::chrono::year_month_day date{
            std::chrono::year{now.tm_year + 1900},
            std::chrono::month{static_cast<unsigned>(now.tm_mon + 1)},
            std::chrono::day{static_cast<unsigned>(now.tm_mday)}};
        built.plan = PlanSetClock(id, date, time);
      } else if (c.kind == CommandKind::Brightness) {
        built.plan = PlanSetBrightness(id, c.brightnessIndex);
      } else {
        built.plan = PlanRunPage(id, c.page);
      }
      return built;
    }
    case DeskJob::Kind::RunPage:
      if (s.ViaQueue()) {
        built.unchanged = true;
        return built;
      }
      built.plan = PlanRunPage(id, job.page);
      return built;
  }
  built.refusal = "an unknown job";
  return built;
}

void SignService::Ended(std::size_t index, const PlanResult& result, std::chrono::milliseconds took,
                        std::string summary, const std::string& digest) {
  SignEntry& s = *m_signs.at(index);
  const bool done = result.outcome == SignOutcome::Accepted || result.outcome == SignOutcome::Over;
  const bool silent = result.silent || result.outcome == SignOutcome::PortError;
  SignPlan named;
  named.summary = std::move(summary);
  // The state is the sign's own, so its result goes without the name the log line needs.
  const std::string outcome = StatusLine(named, result, took);
  const std::string line = s.named.name + ": " + outcome;
  const bool wasOnline = s.desk.Online();
  s.desk.Finished(Now(), done, silent, outcome, digest);
  s.lastResultTime = NowUtc();
  if (done) {
    s.lastError.clear();
  } else {
    s.lastError = !result.reason.empty()      ? result.reason
                  : !result.linkError.empty() ? result.linkError
                                              : Trimmed(result.failure);
  }
  Log(line);
  if (wasOnline != s.desk.Online()) {
    Log(s.named.name + (s.desk.Online() ? ": online again" : ": offline, tried again later"));
  }
  if (done && !digest.empty()) SaveStateSoon();
  emit stateChanged(QString::fromStdString(s.named.name));
  Pump(index + 1);
}

void SignService::Log(const std::string& line) { emit logLine(QString::fromStdString(line)); }

void SignService::SaveStateSoon() {
  if (!m_saveSoon.isActive()) m_saveSoon.start();
}

void SignService::SaveState() {
  QJsonObject signs;
  for (const auto& sign : m_signs) {
    QJsonObject pages;
    for (const auto& [page, text] : sign->desk.Pages()) {
      pages.insert(QString(QChar(page)),
                   QJsonObject{{"text", QString::fromStdString(text)},
                               {"digest", QString::fromStdString(sign->desk.SentDigest(page))}});
    }
    signs.insert(QString::fromStdString(sign->named.name), QJsonObject{{"pages", pages}});
  }
  QJsonObject values;
  for (const auto& [topic, value] : m_values) {
    values.insert(QString::fromStdString(topic), QString::fromStdString(value));
  }
  const QByteArray bytes =
      QJsonDocument(QJsonObject{{"version", 1}, {"signs", signs}, {"values", values}}).toJson();
  if (Status written = WriteFileAtomically(m_programFolder / kStateFileName,
                                           std::string_view(bytes.constData(), bytes.size()));
      !written) {
    Log("the state file could not be written: " + written.ErrorText());
  }
}

void SignService::LoadState() {
  const std::filesystem::path file = m_programFolder / kStateFileName;
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return;
  Result<std::string> bytes = ReadFileLimited(file, kMaxStateFileBytes);
  if (!bytes) {
    Log("the state file was not read: " + bytes.ErrorText());
    return;
  }
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(
      QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size())), &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject()) {
    Log(Utf8FromPath(file) + " is not a state file of the service; every page will be sent anew");
    return;
  }
  const QJsonObject values = doc.object().value("values").toObject();
  for (auto it = values.begin(); it != values.end(); ++it) {
    m_values[it.key().toStdString()] = FieldValue(it.value().toString().toStdString());
  }
  const QJsonObject signs = doc.object().value("signs").toObject();
  for (auto& sign : m_signs) {
    const QJsonObject pages =
        signs.value(QString::fromStdString(sign->named.name)).toObject().value("pages").toObject();
    for (auto it = pages.begin(); it != pages.end(); ++it) {
      const QString page = it.key();
      if (page.size() != 1 || page[0] < 'A' || page[0] > 'Z') continue;
      const QJsonObject held = it.value().toObject();
      sign->desk.RestorePage(static_cast<char>(page[0].unicode()),
                             held.value("text").toString().toStdString(),
                             held.value("digest").toString().toStdString());
    }
  }
}

}  // namespace tavrin

#include "ui/sign_runner.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <map>
#include <memory>

#include "ui/controls.h"

namespace tavrin {

namespace {

bool WentThrough(SignOutcome outcome) {
  return outcome == SignOutcome::Accepted || outcome == SignOutcome::Over;
}

std::string WithoutBlanksAround(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A sign whose plan refused: its refusal is the notice that ended it, as for one sign.
PlanResult NotSent(SignOutcome outcome, std::string refusal) {
  PlanResult none{outcome, 0, {}, {}, {}};
  none.failure = std::move(refusal);
  return none;
}

// One command for several signs, on the windows' thread: what each sign's events change,
// and the summary once the last has ended. It lives as long as its progress window.
class SeveralSigns : public QObject {
 public:
  SeveralSigns(WindowContext& context, WindowCommand how, std::vector<SignJobResult> results,
               SignsProgress* progress)
      : QObject(progress),
        m_context(context),
        m_how(std::move(how)),
        m_windowGiven(!m_how.window.isNull()),
        m_results(std::move(results)),
        m_progress(progress) {}

  // A row's command, as its events come to the windows' thread.
  class RowEvents : public CommandEvents {
   public:
    RowEvents(SeveralSigns& all, std::size_t row) : m_all(all), m_row(row) {}
    void Started(const SignPlan& plan) override { m_frames = plan.steps.size(); }
    void LinkOpened() override { m_all.m_progress->Sending(m_row, 1, m_frames); }
    void StepSent(std::size_t step, std::size_t steps) override {
      if (step + 1 < steps) m_all.m_progress->Sending(m_row, step + 2, steps);
      if (m_all.m_how.stepSent && m_all.WindowThere()) m_all.m_how.stepSent(step);
    }
    void LinkClosed(bool completed) override {
      if (m_all.m_how.linkClosed && m_all.WindowThere()) m_all.m_how.linkClosed(completed);
    }
    void Finished(const SignPlan&, const PlanResult& result,
                  std::chrono::milliseconds took) override {
      m_all.End(m_row, result, took);
    }

   private:
    SeveralSigns& m_all;
    std::size_t m_row;
    std::size_t m_frames = 0;
  };

  void Expect() { ++m_running; }

  // The row's sign is on this link, and its command is under way there.
  void Going(std::size_t row, const SignAddress& address) { m_going.emplace(row, address); }

  // The user's Stop: each link still busy with one of these signs stops at its next frame
  // boundary and drops the signs still waiting on it. The summary then says where each
  // stopped.
  void Stop() {
    m_stopAsked = true;
    std::vector<std::string> asked;
    for (const auto& [row, address] : m_going) {
      const std::string link = address.LinkKey();
      if (std::find(asked.begin(), asked.end(), link) != asked.end()) continue;
      asked.push_back(link);
      if (Result<SignRoad*> road = m_context.NamedRoads().RoadFor(address)) (*road)->RequestStop();
    }
  }

  void End(std::size_t row, const PlanResult& result, std::chrono::milliseconds took) {
    m_going.erase(row);
    m_results[row].result = result;
    m_results[row].took = took;
    const std::string line = SignJobLine(m_results[row]);
    const std::string prefix = m_results[row].name + ": ";
    m_progress->Ended(row, FromUtf8(line.starts_with(prefix) ? line.substr(prefix.size()) : line),
                      WentThrough(result.outcome));
    if (--m_running == 0) Summarise();
  }

  // Every sign's line in one notice, then the button back and the window gone. A command
  // stopped because the program is quitting says nothing more; one the user stopped does.
  void Summarise() {
    std::string text;
    int failed = 0;
    bool stopped = false;
    for (const SignJobResult& r : m_results) {
      text += (text.empty() ? "" : "\n") + SignJobLine(r);
      if (!WentThrough(r.result.outcome)) ++failed;
      stopped = stopped || r.result.outcome == SignOutcome::Stopped;
    }
    m_progress->hide();
    if (m_how.button) m_how.button->setEnabled(true);
    // After the status lines of the signs' own commands, which come as queued calls too.
    const QString status = QString("%1 signs: %2 done, %3 failed")
                               .arg(m_results.size())
                               .arg(m_results.size() - failed)
                               .arg(failed);
    QPointer<QWidget> main = m_context.MainWindow();
    WindowContext& context = m_context;
    QTimer::singleShot(0, main, [main, &context, status] {
      if (main) context.ShowStatus(status);
    });
    if (!stopped || m_stopAsked) {
      m_context.Notices().Tell(failed > 0 ? NoticeText::FileError(text) : NoticeText::Inform(text));
    }
    PlanResult worst{WorstOutcome(m_results), 0, {}, {}, {}};
    if (m_how.finished && WindowThere()) m_how.finished(worst);
    m_progress->deleteLater();
  }

 private:
  bool WindowThere() const { return !m_windowGiven || m_how.window; }

  WindowContext& m_context;
  WindowCommand m_how;
  bool m_windowGiven;
  std::vector<SignJobResult> m_results;
  SignsProgress* m_progress;
  int m_running = 0;
  std::map<std::size_t, SignAddress> m_going;
  bool m_stopAsked = false;
};

}  // namespace

SignsProgress::SignsProgress(QWidget* parent, const std::vector<std::string>& names)
    : QDialog(parent) {
  setObjectName("SignsProgress");
  setWindowTitle("Sending to signs");
  setModal(false);
  auto* grid = new QGridLayout(this);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const int row = static_cast<int>(i);
    auto* name = new QLabel(FromUtf8(names[i]), this);
    name->setObjectName(QString("SignName%1").arg(row));
    auto* bar = new QProgressBar(this);
    bar->setObjectName(QString("SignBar%1").arg(row));
    bar->setTextVisible(false);
    bar->setRange(0, 1);
    bar->setValue(0);
    bar->setMinimumWidth(120);
    auto* state = new QLabel(this);
    state->setObjectName(QString("SignState%1").arg(row));
    state->setMinimumWidth(state->fontMetrics().horizontalAdvance("sending frame 88 of 88"));
    grid->addWidget(name, row, 0);
    grid->addWidget(bar, row, 1);
    grid->addWidget(state, row, 2);
    m_rows.push_back({bar, state});
    Waiting(i);
  }
  grid->setColumnStretch(2, 1);
  m_stopButton = MakeButton(this, "StopButton", "Stop");
  m_stopButton->setToolTip("Stop after the frame being sent; signs still waiting get nothing");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(m_stopButton);
  grid->addLayout(buttons, static_cast<int>(names.size()), 0, 1, 3);
  connect(m_stopButton, &QPushButton::clicked, this, [this] {
    m_stopButton->setEnabled(false);
    m_stopButton->setText("Stopping...");
    if (m_stop) m_stop();
  });
}

// Escape or the window's close button: the same as Stop, and the window stays until the
// signs' commands have ended.
void SignsProgress::reject() {
  if (m_stopButton->isEnabled()) m_stopButton->click();
}

void SignsProgress::Waiting(std::size_t row) { m_rows[row].state->setText("waiting"); }

void SignsProgress::Sending(std::size_t row, std::size_t frame, std::size_t frames) {
  m_rows[row].bar->setRange(0, static_cast<int>(frames));
  m_rows[row].bar->setValue(static_cast<int>(frame - 1));
  m_rows[row].state->setText(QString("sending frame %1 of %2").arg(frame).arg(frames));
}

void SignsProgress::Ended(std::size_t row, const QString& state, bool ok) {
  if (ok) m_rows[row].bar->setValue(m_rows[row].bar->maximum());
  QFont font = m_rows[row].state->font();
  font.setBold(!ok);  // a failure stands out among the rows that went through
  m_rows[row].state->setFont(font);
  m_rows[row].state->setText(state);
  m_rows[row].state->setToolTip(state);
}

bool StartForSigns(WindowContext& context, std::vector<SignJob> jobs, WindowCommand how) {
  Notice& notice = context.Notices();
  const auto endHere = [&](SignOutcome outcome) {
    if (how.finished) how.finished(PlanResult{outcome, 0, {}, {}, {}});
    return false;
  };
  if (jobs.empty()) {
    notice.Fail(kNoSignChosenText);
    return endHere(SignOutcome::Invalid);
  }
  if (jobs.size() == 1) {
    Result<SignRoad*> road = context.NamedRoads().RoadFor(jobs.front().address);
    if (!road) {
      NoticeText error = NoticeText::ErrorBox(kOpenComErrorText);
      error.detail = road.ErrorText();
      notice.Tell(error);
      return endHere(SignOutcome::PortError);
    }
    return StartCommand(**road, notice, std::move(jobs.front().plan), std::move(how),
                        std::move(jobs.front().work));
  }
  // Refused alike, as an empty message is for every sign: said once, as for one sign.
  const bool allRefusedAlike = std::all_of(jobs.begin(), jobs.end(), [&](const SignJob& job) {
    return job.plan.refusal && job.plan.refusal == jobs.front().plan.refusal;
  });
  if (allRefusedAlike) {
    notice.Tell(*jobs.front().plan.refusal);
    return endHere(jobs.front().plan.refusalOutcome);
  }
  for (const SignJob& job : jobs) {
    if (job.plan.refusal || !job.plan.question) continue;
    if (!notice.Ask(*job.plan.question)) return endHere(SignOutcome::Cancelled);
    break;
  }

  std::vector<std::string> names;
  std::vector<SignJobResult> results;
  for (const SignJob& job : jobs) {
    names.push_back(job.name);
    results.push_back({job.name, {}, {}});
  }
  auto* progress = new SignsProgress(context.MainWindow(), names);
  auto* several = new SeveralSigns(context, how, results, progress);
  progress->OnStop([several] { several->Stop(); });
  // The jobs that go, and where each one's row is; the others are said once all have started.
  std::vector<SignJob> going;
  std::vector<std::size_t> rowOf;
  std::vector<std::pair<std::size_t, PlanResult>> notSent;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    SignJob& job = jobs[i];
    several->Expect();
    if (job.plan.refusal) {
      notSent.emplace_back(
          i, NotSent(job.plan.refusalOutcome, WithoutBlanksAround(job.plan.refusal->text)));
      continue;
    }
    job.plan.question.reset();  // asked above, once for all
    several->Going(i, job.address);
    going.push_back(std::move(job));
    rowOf.push_back(i);
  }
  if (how.button) how.button->setEnabled(false);
  progress->show();
  // The events are told as long as the progress window is there; it goes only once every
  // sign's command has ended.
  const std::vector<std::optional<PlanResult>> ended =
      StartJobs(context.NamedRoads(), std::move(going), [&](std::size_t i) {
        return ToWindowThread(progress,
                              std::make_shared<SeveralSigns::RowEvents>(*several, rowOf[i]));
      });
  bool started = false;
  for (std::size_t i = 0; i < ended.size(); ++i) {
    if (ended[i]) {
      notSent.emplace_back(rowOf[i], *ended[i]);
    } else {
      started = true;
    }
  }
  for (const auto& [row, result] : notSent) several->End(row, result, {});
  return started;
}

bool StartForTarget(WindowContext& context, const SignTargetChooser* target,
                    const QComboBox* signIds, const std::function<SignPlan(std::uint8_t)>& planFor,
                    WindowCommand how, const QueueJobFor& viaQueue) {
  if (target == nullptr || target->IsDefault()) {
    return StartCommand(context.Road(), context.Notices(), planFor(SelectedSignId(signIds)),
                        std::move(how));
  }
  return StartForSigns(context, JobsForSigns(target->Chosen(), planFor, viaQueue), std::move(how));
}

}  // namespace tavrin

#include "functions/Usetid.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTime>
#include <QVBoxLayout>

#include "functions/command_bodies.h"
#include "functions/print_job.h"
#include "functions/sign_plans.h"
#include "functions/time_fields.h"
#include "ui/command_runner.h"
#include "ui/controls.h"
#include "ui/sign_runner.h"

namespace tavrin {

TSetID::TSetID(WindowContext& context)
    : QDialog(context.MainWindow()),
      m_context(context),
      m_makeSpooler([] { return std::shared_ptr<Spooler>(MakeSystemSpooler()); }) {
  setObjectName("SetID");
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  m_panels[static_cast<int>(Panel::Id)] = BuildIdPanel();
  m_panels[static_cast<int>(Panel::Clock)] = BuildClockPanel();
  m_panels[static_cast<int>(Panel::RunPage)] = BuildRunPagePanel();
  m_panels[static_cast<int>(Panel::SendMessage)] = BuildSendPanel();
  m_panels[static_cast<int>(Panel::Bright)] = BuildBrightnessPanel();
  m_panels[static_cast<int>(Panel::SendViaNet)] = BuildNetworkPanel();
  for (QWidget* panel : m_panels) layout->addWidget(panel);
}

QWidget* TSetID::BuildIdPanel() {
  QWidget* id = MakePanel("IDPanel");
  m_newIds = MakeList(id, "ComboBox1");
  FillSignIds(m_newIds, 1);
  auto* layout = new QVBoxLayout(id);
  // The new ID is no sign's ID: it stays as it is whatever the target.
  m_idTarget = new SignTargetChooser(m_context.AppWorkspace().signs, nullptr, id,
                                     SignTargetChooser::Reach::OneSign);
  layout->addWidget(m_idTarget);
  layout->addLayout(LabelledRow(id, "Sign ID:", m_newIds));
  m_setIdOk = MakeButton(id, "OK", "OK");
  auto* cancel = MakeButton(id, "Cancel", "Cancel");
  layout->addLayout(OkCancelRow(m_setIdOk, cancel));
  connect(m_setIdOk, &QPushButton::clicked, this, &TSetID::OKClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  return id;
}

QWidget* TSetID::BuildClockPanel() {
  QWidget* clock = MakePanel("ClockPanel");
  m_clockSignIds = MakeList(clock, "ComboBox2");
  FillSignIds(m_clockSignIds);
  auto* layout = new QVBoxLayout(clock);
  m_clockTarget = new SignTargetChooser(m_context.AppWorkspace().signs, m_clockSignIds, clock);
  layout->addWidget(m_clockTarget);
  layout->addLayout(LabelledRow(clock, "Sign ID:", m_clockSignIds));
  auto* group = new QGroupBox(" Set Date and Time ", clock);
  auto* groupLayout = new QVBoxLayout(group);
  m_clockDate = new QDateEdit(QDate::currentDate(), group);
  m_clockDate->setObjectName("DateTimePicker1");
  m_clockDate->setCalendarPopup(true);
  m_clockDate->setDisplayFormat("MM/dd/yyyy");
  DiscardTypedKeys(m_clockDate);  // the calendar and the arrows choose
  groupLayout->addLayout(LabelledRow(group, "Date:", m_clockDate));
  m_clockTime = new QLineEdit(group);
  m_clockTime->setObjectName("MaskEdit1");
  m_clockTime->setInputMask("09:99:99");  // the first digit may be left blank
  m_clockTime->installEventFilter(this);
  groupLayout->addLayout(LabelledRow(group, "Time:", m_clockTime));
  layout->addWidget(group);
  m_clockOk = MakeButton(clock, "DateTimeOK", "OK");
  auto* cancel = MakeButton(clock, "DateTimeCancel", "Cancel");
  layout->addLayout(OkCancelRow(m_clockOk, cancel));
  connect(m_clockOk, &QPushButton::clicked, this, &TSetID::DateTimeOKClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_clockTime, &QLineEdit::textEdited, this, &TSetID::MaskEdit1KeyUp);
  m_clockTick = new QTimer(this);
  m_clockTick->setObjectName("Timer1");
  m_clockTick->setInterval(1000);
  connect(m_clockTick, &QTimer::timeout, this, &TSetID::Timer1Timer);
  return clock;
}

QWidget* TSetID::BuildRunPagePanel() {
  QWidget* run = MakePanel("RunPagePanel");
  m_runSignIds = MakeList(run, "ComboBox3");
  FillSignIds(m_runSignIds);
  m_runPages = MakeList(run, "ComboBox4");
  FillPages(m_runPages);
  auto* layout = new QVBoxLayout(run);
  m_runTarget = new SignTargetChooser(m_context.AppWorkspace().signs, m_runSignIds, run);
  layout->addWidget(m_runTarget);
  layout->addLayout(LabelledRow(run, "Sign ID: ", m_runSignIds));
  layout->addLayout(LabelledRow(run, "Page:", m_runPages));
  m_runPageOk = MakeButton(run, "RunPageButton", "OK");
  layout->addWidget(m_runPageOk);
  connect(m_runPageOk, &QPushButton::clicked, this, &TSetID::RunPageButtonClick);
  return run;
}

QWidget* TSetID::BuildSendPanel() {
  QWidget* send = MakePanel("SendMessagePanel");
  auto* layout = new QVBoxLayout(send);
  auto* group = new QGroupBox(send);
  auto* groupLayout = new QVBoxLayout(group);
  m_sendSignIds = MakeList(group, "ComboBox5");
  FillSignIds(m_sendSignIds);
  m_sendPages = MakeList(group, "ComboBox6");
  FillPages(m_sendPages);
  m_sendTarget = new SignTargetChooser(m_context.AppWorkspace().signs, m_sendSignIds, group);
  groupLayout->addWidget(m_sendTarget);
  groupLayout->addLayout(LabelledRow(group, "Sign ID: ", m_sendSignIds));
  groupLayout->addLayout(LabelledRow(group, "Page: ", m_sendPages));
  layout->addWidget(group);
  m_sendProgress = new QProgressBar(send);
  m_sendProgress->setObjectName("ProgressBar1");
  m_sendProgress->setRange(0, 100);
  m_sendProgress->setValue(0);
  m_sendProgress->setTextVisible(false);
  layout->addWidget(m_sendProgress);
  m_sendOk = MakeButton(send, "SendMessButton", "OK");
  layout->addWidget(m_sendOk);
  connect(m_sendOk, &QPushButton::clicked, this, &TSetID::SendMessButtonClick);
  return send;
}

QWidget* TSetID::BuildBrightnessPanel() {
  QWidget* bright = MakePanel("SetBrightPanel");
  m_brightSignIds = MakeList(bright, "ComboBox7");
  FillSignIds(m_brightSignIds);
  m_brightLevels = MakeList(bright, "ComboBox8");
  FillList(m_brightLevels, kBrightnessLevels);
  auto* layout = new QVBoxLayout(bright);
  m_brightTarget = new SignTargetChooser(m_context.AppWorkspace().signs, m_brightSignIds, bright);
  layout->addWidget(m_brightTarget);
  layout->addLayout(LabelledRow(bright, "Sign ID:", m_brightSignIds));
  layout->addLayout(LabelledRow(bright, "Brightness:", m_brightLevels));
  m_brightOk = MakeButton(bright, "BrightOk", "Ok");
  auto* cancel = MakeButton(bright, "BrightCancel", "Cancel");
  layout->addLayout(OkCancelRow(m_brightOk, cancel));
  connect(m_brightOk, &QPushButton::clicked, this, &TSetID::BrightOkClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  return bright;
}

QWidget* TSetID::BuildNetworkPanel() {
  QWidget* net = MakePanel("SendViaNetPanel");
  m_netSignIds = MakeList(net, "ComboBox9");
  FillSignIds(m_netSignIds);
  m_netPages = MakeList(net, "ComboBox10");
  FillPages(m_netPages);
  auto* layout = new QVBoxLayout(net);
  m_netTarget = new SignTargetChooser(m_context.AppWorkspace().signs, m_netSignIds, net,
                                      SignTargetChooser::Reach::PrintQueues);
  layout->addWidget(m_netTarget);
  layout->addLayout(LabelledRow(net, "Sign ID:", m_netSignIds));
  layout->addLayout(LabelledRow(net, "Page:", m_netPages));
  m_netOk = MakeButton(net, "SendViaNetOK", "OK");
  layout->addWidget(m_netOk);
  connect(m_netOk, &QPushButton::clicked, this, &QDialog::accept);
  return net;
}

TSetID::~TSetID() = default;

QWidget* TSetID::MakePanel(const char* name) {
  auto* panel = new QWidget(this);
  panel->setObjectName(name);
  return panel;
}

void TSetID::PreparePanel(Panel panel) {
  ++m_shown;
  static constexpr const char* kCaptions[] = {"Set SignID",     "Set Clock",
                                              "Run Page",       "Send Message",
                                              "Set Brightness", "Set ID&Page to Sent Via Network"};
  m_panel = panel;
  for (QWidget* p : m_panels) p->hide();
  m_panels[static_cast<int>(panel)]->show();
  setWindowTitle(kCaptions[static_cast<int>(panel)]);
  adjustSize();
  switch (panel) {
    case Panel::Id:
      m_setIdOk->setFocus();
      break;
    case Panel::RunPage:
      m_runPageOk->setFocus();
      break;
    case Panel::SendMessage:
      m_sendOk->setFocus();
      break;
    case Panel::Bright:
      m_brightOk->setFocus();
      break;
    case Panel::Clock:
      break;  // FormActivate gives the focus
    case Panel::SendViaNet:
      // No button is given the focus: it starts where a dialog starts, in its first field.
      m_netSignIds->setFocus();
      break;
  }
}

void TSetID::ShowPanel(Panel panel) {
  PreparePanel(panel);
  exec();
}

bool TSetID::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate) FormActivate();
  return QDialog::event(e);
}

void TSetID::FormActivate() {
  if (m_panel != Panel::Clock) return;
  m_clockOk->setFocus();
  m_clockTime->setText(QTime::currentTime().toString("hh:mm:ss"));
  // Once started it keeps ticking, even while the dialog is hidden.
  if (!m_clockTick->isActive()) m_clockTick->start();
}

void TSetID::Timer1Timer() {
  const std::optional<std::string> next = TickTimeField(m_clockTime->displayText().toStdString());
  if (!next) return;
  m_clockTime->setText(QString::fromStdString(*next));
  // The user's place in the field survives the tick.
  m_clockTime->setSelection(m_caretAtMouseDown, m_selectionAtMouseUp);
  if (m_selectionAtMouseUp == 0) m_clockTime->setCursorPosition(m_caretAtMouseDown);
}

void TSetID::MaskEdit1KeyUp() {
  const int caret = m_clockTime->cursorPosition();
  m_clockTime->setText(
      QString::fromStdString(CorrectTimeField(m_clockTime->displayText().toStdString())));
  m_clockTime->setCursorPosition(caret);
}

bool TSetID::eventFilter(QObject* watched, QEvent* e) {
  if (watched == m_clockTime) {
    if (e->type() == QEvent::MouseButtonPress) {
      QTimer::singleShot(0, this, [this] { m_caretAtMouseDown = m_clockTime->cursorPosition(); });
    } else if (e->type() == QEvent::MouseButtonRelease) {
      QTimer::singleShot(0, this, [this] {
        m_selectionAtMouseUp = static_cast<int>(m_clockTime->selectedText().size());
      });
    }
  }
  return QDialog::eventFilter(watched, e);
}

void TSetID::Run(SignTargetChooser* target, QComboBox* signIds, QPushButton* button,
                 const std::function<SignPlan(std::uint8_t)>& planFor) {
  StartForTarget(m_context, target, signIds, planFor, {this, button, {}, {}, {}, {}});
}

void TSetID::OKClick() {
  const auto newId = static_cast<std::uint8_t>(m_newIds->currentIndex() + 1);
  const auto planFor = [newId](std::uint8_t) { return PlanSetSignId(newId); };
  if (m_idTarget->IsDefault()) {
    Run(nullptr, m_newIds, m_setIdOk, planFor);
    return;
  }
  SignBook& book = m_context.AppWorkspace().signs;
  const std::vector<NamedSign> chosen = m_idTarget->Chosen();
  if (const std::optional<std::string> problem = SetIdTargetProblem(chosen, book.List())) {
    m_context.Notices().Fail(*problem);
    return;
  }
  // The list follows the sign that took its new ID.
  WindowCommand how{this, m_setIdOk, {}, {}, {}, {}};
  WindowContext& context = m_context;
  how.finished = [&context, &book, name = chosen.front().name, newId](const PlanResult& done) {
    if (done.outcome != SignOutcome::Accepted) return;
    if (Status changed = book.ChangeId(name, newId); !changed) {
      context.Notices().FileErr("The sign list still gives " + name +
                                " its old ID: " + changed.ErrorText());
    }
  };
  StartForSigns(m_context, JobsForSigns(chosen, planFor), std::move(how));
}

void TSetID::DateTimeOKClick() {
  const QDate d = m_clockDate->date();
  const std::chrono::year_month_day date{std::chrono::year(d.year()),
                                         std::chrono::month(static_cast<unsigned>(d.month())),
                                         std::chrono::day(static_cast<unsigned>(d.day()))};
  const std::string time = m_clockTime->displayText().toStdString();
  Run(m_clockTarget, m_clockSignIds, m_clockOk,
      [&](std::uint8_t id) { return PlanSetClock(id, date, time); });
}

void TSetID::BrightOkClick() {
  const int level = m_brightLevels->currentIndex();
  Run(m_brightTarget, m_brightSignIds, m_brightOk,
      [level](std::uint8_t id) { return PlanSetBrightness(id, level); });
}

void TSetID::RunPageButtonClick() {
  const char page = SelectedPage(m_runPages);
  Run(m_runTarget, m_runSignIds, m_runPageOk,
      [page](std::uint8_t id) { return PlanRunPage(id, page); });
}

QueueJobFor TSetID::PrintJobs(const std::string& line, char page) {
  const GraphicFolder& graphics = m_context.AppWorkspace().graphics;
  return [&graphics, line, page, make = m_makeSpooler](const NamedSign& sign) {
    SignJob job;
    job.plan = PlanSendViaNetwork(graphics, line, page, sign.id);
    if (job.plan.refusal) return job;
    // The queue is the sign's; each job has its spooler, as jobs to two queues run at once.
    std::shared_ptr<Spooler> spooler = make();
    spooler->SelectPrinter(sign.address.address);
    job.work = [spooler, frames = job.plan](Waiter& waiter, const std::atomic<bool>& stop) {
      return ExecutePlanAsPrintJob(frames,
                                   PrintJobSession{*spooler, waiter, nullptr, kJobWatchMs, &stop});
    };
    return job;
  };
}

void TSetID::SendMessButtonClick() {
  Result<std::string> line = m_context.Line1SignText();
  if (!line) {
    m_context.Notices().FileErr(line.ErrorText());
    return;
  }
  const char page = SelectedPage(m_sendPages);
  const GraphicFolder& graphics = m_context.AppWorkspace().graphics;
  WindowCommand how{this, m_sendOk, m_sendProgress, {}, {}, {}};
  // The dialog closes when the send has ended, unless there was nothing to send, a graphic
  // could not go or another command held the link: then it stays for another try. A dialog
  // the user closed meanwhile, or opened again for another panel, is left as it is.
  const int shown = m_shown;
  how.finished = [this, shown](const PlanResult& result) {
    if (result.outcome == SignOutcome::Invalid || result.outcome == SignOutcome::FileError ||
        result.outcome == SignOutcome::Busy) {
      return;
    }
    if (isVisible() && m_shown == shown) accept();
  };
  // Signs behind a print queue take the message as a print job.
  StartForTarget(
      m_context, m_sendTarget, m_sendSignIds,
      [&](std::uint8_t id) { return PlanSendMessage(graphics, *line, page, id); }, std::move(how),
      PrintJobs(*line, page));
}

void TSetID::SetPrinting(Spooler* spooler, std::function<bool(Spooler&)> choosePrinter) {
  m_spooler = spooler;
  m_choosePrinter = std::move(choosePrinter);
}

bool TSetID::ChoosePrinterInDialog(Spooler& spooler) {
  if (!m_printerChooser) {
    Result<std::unique_ptr<PrinterChooser>> loaded = LoadPrinterChooser();
    if (!loaded) {
      m_context.Notices().Fail(loaded.ErrorText());
      return false;
    }
    m_printerChooser = std::move(*loaded);
  }
  std::string printerName;
  if (!m_printerChooser->Choose(m_context.MainWindow(), printerName)) return false;
  spooler.SelectPrinter(printerName);
  return true;
}

void TSetID::SendViaNetworkTo(const std::vector<NamedSign>& signs) {
  Result<std::string> line = m_context.Line1SignText();
  if (!line) {
    m_context.Notices().FileErr(line.ErrorText());
    return;
  }
  std::vector<SignJob> jobs = JobsForSigns(
      signs,
      [](std::uint8_t) {
        return SignPlan::Refuse(
            NoticeText::Failure("Send via Network goes to signs behind a print queue only"),
            SignOutcome::Invalid);
      },
      PrintJobs(*line, SelectedPage(m_netPages)));
  StartForSigns(m_context, std::move(jobs), {m_context.MainWindow(), {}, {}, {}, {}, {}});
}

void TSetID::ToolButton12Click() {
  PreparePanel(Panel::SendViaNet);
  const int result = exec();
  m_panels[static_cast<int>(Panel::SendViaNet)]->hide();
  if (result != QDialog::Accepted) return;
  // Signs of the list name their queues: no print dialog.
  if (!m_netTarget->IsDefault()) {
    SendViaNetworkTo(m_netTarget->Chosen());
    return;
  }
  if (m_spooler == nullptr) return;
  const bool chosen =
      m_choosePrinter ? m_choosePrinter(*m_spooler) : ChoosePrinterInDialog(*m_spooler);
  if (!chosen) return;

  Result<std::string> line = m_context.Line1SignText();
  if (!line) {
    m_context.Notices().FileErr(line.ErrorText());
    return;
  }
  SignPlan plan = PlanSendViaNetwork(m_context.AppWorkspace().graphics, *line,
                                     SelectedPage(m_netPages), SelectedSignId(m_netSignIds));
  const QString queue = QString::fromStdString(m_spooler->CurrentPrinter());
  // The job is written on the road's worker, with its waits, while the windows go on; the
  // print service is slow to answer at times, and the road keeps any other command out.
  Spooler* spooler = m_spooler;
  const SignPlan frames = plan;
  SignRoad::Work job = [spooler, frames](Waiter& waiter, const std::atomic<bool>& stop) {
    return ExecutePlanAsPrintJob(frames,
                                 PrintJobSession{*spooler, waiter, nullptr, kJobWatchMs, &stop});
  };
  WindowCommand how{m_context.MainWindow(), {}, {}, {}, {}, {}};
  WindowContext& context = m_context;
  how.finished = [&context, queue](const PlanResult& done) {
    if (done.outcome == SignOutcome::Busy || done.outcome == SignOutcome::FileError ||
        done.outcome == SignOutcome::Invalid) {
      return;
    }
    const QString why = QString::fromStdString(done.linkError);
    if (done.outcome == SignOutcome::Accepted) {
      context.ShowStatus(why.isEmpty() ? "Sent to the print queue " + queue
                                       : "Waiting in the print queue " + queue + ": " + why);
    } else {
      context.ShowStatus("Not sent via network" + (why.isEmpty() ? QString() : ": " + why));
    }
  };
  if (StartCommand(m_context.Road(), m_context.Notices(), std::move(plan), std::move(how),
                   std::move(job))) {
    m_context.ShowStatus("Sending to the print queue " + queue + "...");
  }
}

}  // namespace tavrin

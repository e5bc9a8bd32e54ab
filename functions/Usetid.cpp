#include "functions/Usetid.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QTime>
#include <QVBoxLayout>

#include "functions/command_bodies.h"
#include "functions/print_job.h"
#include "functions/sign_plans.h"
#include "functions/time_fields.h"
#include "ui/command_runner.h"
#include "ui/controls.h"

namespace tavrin {

TSetID::TSetID(WindowContext& context) : QDialog(context.MainWindow()), m_context(context) {
  setObjectName("SetID");
  setModal(true);
  auto* layout = new QVBoxLayout(this);

  // Set ID
  QWidget* id = MakePanel("IDPanel");
  m_comboBox1 = MakeList(id, "ComboBox1");
  FillSignIds(m_comboBox1, 1);
  auto* idLayout = new QVBoxLayout(id);
  idLayout->addLayout(LabelledRow(id, "Sign ID:", m_comboBox1));
  m_ok = MakeButton(id, "OK", "OK");
  auto* cancel = MakeButton(id, "Cancel", "Cancel");
  idLayout->addLayout(OkCancelRow(m_ok, cancel));
  connect(m_ok, &QPushButton::clicked, this, &TSetID::OKClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  // Set Clock
  QWidget* clock = MakePanel("ClockPanel");
  m_comboBox2 = MakeList(clock, "ComboBox2");
  FillSignIds(m_comboBox2);
  auto* clockLayout = new QVBoxLayout(clock);
  clockLayout->addLayout(LabelledRow(clock, "Sign ID:", m_comboBox2));
  auto* group = new QGroupBox(" Set Date and Time ", clock);
  auto* groupLayout = new QVBoxLayout(group);
  m_dateTimePicker1 = new QDateEdit(QDate::currentDate(), group);
  m_dateTimePicker1->setObjectName("DateTimePicker1");
  m_dateTimePicker1->setCalendarPopup(true);
  m_dateTimePicker1->setDisplayFormat("MM/dd/yyyy");
  DiscardTypedKeys(m_dateTimePicker1);  // the calendar and the arrows choose
  groupLayout->addLayout(LabelledRow(group, "Date:", m_dateTimePicker1));
  m_maskEdit1 = new QLineEdit(group);
  m_maskEdit1->setObjectName("MaskEdit1");
  m_maskEdit1->setInputMask("09:99:99");  // the first digit may be left blank
  m_maskEdit1->installEventFilter(this);
  groupLayout->addLayout(LabelledRow(group, "Time:", m_maskEdit1));
  clockLayout->addWidget(group);
  m_dateTimeOk = MakeButton(clock, "DateTimeOK", "OK");
  auto* dateTimeCancel = MakeButton(clock, "DateTimeCancel", "Cancel");
  clockLayout->addLayout(OkCancelRow(m_dateTimeOk, dateTimeCancel));
  connect(m_dateTimeOk, &QPushButton::clicked, this, &TSetID::DateTimeOKClick);
  connect(dateTimeCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_maskEdit1, &QLineEdit::textEdited, this, &TSetID::MaskEdit1KeyUp);
  m_timer1 = new QTimer(this);
  m_timer1->setObjectName("Timer1");
  m_timer1->setInterval(1000);
  connect(m_timer1, &QTimer::timeout, this, &TSetID::Timer1Timer);

  // Run Page
  QWidget* run = MakePanel("RunPagePanel");
  m_comboBox3 = MakeList(run, "ComboBox3");
  FillSignIds(m_comboBox3);
  m_comboBox4 = MakeList(run, "ComboBox4");
  FillPages(m_comboBox4);
  auto* runLayout = new QVBoxLayout(run);
  runLayout->addLayout(LabelledRow(run, "Sign ID: ", m_comboBox3));
  runLayout->addLayout(LabelledRow(run, "Page:", m_comboBox4));
  m_runPageButton = MakeButton(run, "RunPageButton", "OK");
  runLayout->addWidget(m_runPageButton);
  connect(m_runPageButton, &QPushButton::clicked, this, &TSetID::RunPageButtonClick);

  // Send Message
  QWidget* send = MakePanel("SendMessagePanel");
  auto* sendLayout = new QVBoxLayout(send);
  auto* sendGroup = new QGroupBox(send);
  auto* sendGroupLayout = new QVBoxLayout(sendGroup);
  m_comboBox5 = MakeList(sendGroup, "ComboBox5");
  FillSignIds(m_comboBox5);
  m_comboBox6 = MakeList(sendGroup, "ComboBox6");
  FillPages(m_comboBox6);
  sendGroupLayout->addLayout(LabelledRow(sendGroup, "Sign ID: ", m_comboBox5));
  sendGroupLayout->addLayout(LabelledRow(sendGroup, "Page: ", m_comboBox6));
  sendLayout->addWidget(sendGroup);
  m_progressBar1 = new QProgressBar(send);
  m_progressBar1->setObjectName("ProgressBar1");
  m_progressBar1->setRange(0, 100);
  m_progressBar1->setValue(0);
  m_progressBar1->setTextVisible(false);
  sendLayout->addWidget(m_progressBar1);
  m_sendMessButton = MakeButton(send, "SendMessButton", "OK");
  sendLayout->addWidget(m_sendMessButton);
  connect(m_sendMessButton, &QPushButton::clicked, this, &TSetID::SendMessButtonClick);

  // Set Brightness
  QWidget* bright = MakePanel("SetBrightPanel");
  m_comboBox7 = MakeList(bright, "ComboBox7");
  FillSignIds(m_comboBox7);
  m_comboBox8 = MakeList(bright, "ComboBox8");
  FillList(m_comboBox8, kBrightnessLevels);
  auto* brightLayout = new QVBoxLayout(bright);
  brightLayout->addLayout(LabelledRow(bright, "Sign ID:", m_comboBox7));
  brightLayout->addLayout(LabelledRow(bright, "Brightness:", m_comboBox8));
  m_brightOk = MakeButton(bright, "BrightOk", "Ok");
  auto* brightCancel = MakeButton(bright, "BrightCancel", "Cancel");
  brightLayout->addLayout(OkCancelRow(m_brightOk, brightCancel));
  connect(m_brightOk, &QPushButton::clicked, this, &TSetID::BrightOkClick);
  connect(brightCancel, &QPushButton::clicked, this, &QDialog::reject);

  // Send via Network
  QWidget* net = MakePanel("SendViaNetPanel");
  m_comboBox9 = MakeList(net, "ComboBox9");
  FillSignIds(m_comboBox9);
  m_comboBox10 = MakeList(net, "ComboBox10");
  FillPages(m_comboBox10);
  auto* netLayout = new QVBoxLayout(net);
  netLayout->addLayout(LabelledRow(net, "Sign ID:", m_comboBox9));
  netLayout->addLayout(LabelledRow(net, "Page:", m_comboBox10));
  m_sendViaNetOk = MakeButton(net, "SendViaNetOK", "OK");
  netLayout->addWidget(m_sendViaNetOk);
  connect(m_sendViaNetOk, &QPushButton::clicked, this, &QDialog::accept);

  m_panels[static_cast<int>(Panel::Id)] = id;
  m_panels[static_cast<int>(Panel::Clock)] = clock;
  m_panels[static_cast<int>(Panel::RunPage)] = run;
  m_panels[static_cast<int>(Panel::SendMessage)] = send;
  m_panels[static_cast<int>(Panel::Bright)] = bright;
  m_panels[static_cast<int>(Panel::SendViaNet)] = net;
  for (QWidget* panel : m_panels) layout->addWidget(panel);
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
      m_ok->setFocus();
      break;
    case Panel::RunPage:
      m_runPageButton->setFocus();
      break;
    case Panel::SendMessage:
      m_sendMessButton->setFocus();
      break;
    case Panel::Bright:
      m_brightOk->setFocus();
      break;
    case Panel::Clock:
      break;  // FormActivate gives the focus
    case Panel::SendViaNet:
      // No button is given the focus: it starts where a dialog starts, in its first field.
      m_comboBox9->setFocus();
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
  m_dateTimeOk->setFocus();
  m_maskEdit1->setText(QTime::currentTime().toString("hh:mm:ss"));
  // Once started it keeps ticking, even while the dialog is hidden.
  if (!m_timer1->isActive()) m_timer1->start();
}

void TSetID::Timer1Timer() {
  const std::optional<std::string> next = TickTimeField(m_maskEdit1->displayText().toStdString());
  if (!next) return;
  m_maskEdit1->setText(QString::fromStdString(*next));
  // The user's place in the field survives the tick.
  m_maskEdit1->setSelection(m_caretAtMouseDown, m_selectionAtMouseUp);
  if (m_selectionAtMouseUp == 0) m_maskEdit1->setCursorPosition(m_caretAtMouseDown);
}

void TSetID::MaskEdit1KeyUp() {
  const int caret = m_maskEdit1->cursorPosition();
  m_maskEdit1->setText(
      QString::fromStdString(CorrectTimeField(m_maskEdit1->displayText().toStdString())));
  m_maskEdit1->setCursorPosition(caret);
}

bool TSetID::eventFilter(QObject* watched, QEvent* e) {
  if (watched == m_maskEdit1) {
    if (e->type() == QEvent::MouseButtonPress) {
      QTimer::singleShot(0, this, [this] { m_caretAtMouseDown = m_maskEdit1->cursorPosition(); });
    } else if (e->type() == QEvent::MouseButtonRelease) {
      QTimer::singleShot(0, this, [this] {
        m_selectionAtMouseUp = static_cast<int>(m_maskEdit1->selectedText().size());
      });
    }
  }
  return QDialog::eventFilter(watched, e);
}

void TSetID::Run(QPushButton* button, SignPlan plan) {
  StartCommand(m_context.Road(), m_context.Notices(), std::move(plan),
               {this, button, {}, {}, {}, {}});
}

void TSetID::OKClick() {
  Run(m_ok, PlanSetSignId(static_cast<std::uint8_t>(m_comboBox1->currentIndex() + 1)));
}

void TSetID::DateTimeOKClick() {
  const QDate d = m_dateTimePicker1->date();
  const std::chrono::year_month_day date{std::chrono::year(d.year()),
                                         std::chrono::month(static_cast<unsigned>(d.month())),
                                         std::chrono::day(static_cast<unsigned>(d.day()))};
  Run(m_dateTimeOk,
      PlanSetClock(SelectedSignId(m_comboBox2), date, m_maskEdit1->displayText().toStdString()));
}

void TSetID::BrightOkClick() {
  Run(m_brightOk, PlanSetBrightness(SelectedSignId(m_comboBox7), m_comboBox8->currentIndex()));
}

void TSetID::RunPageButtonClick() {
  Run(m_runPageButton, PlanRunPage(SelectedSignId(m_comboBox3), SelectedPage(m_comboBox4)));
}

void TSetID::SendMessButtonClick() {
  Result<std::string> line = m_context.Line1SignText();
  if (!line) {
    m_context.Notices().FileErr(line.ErrorText());
    return;
  }
  SignPlan plan = PlanSendMessage(m_context.AppWorkspace().graphics, *line,
                                  SelectedPage(m_comboBox6), SelectedSignId(m_comboBox5));
  WindowCommand how{this, m_sendMessButton, m_progressBar1, {}, {}, {}};
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
  StartCommand(m_context.Road(), m_context.Notices(), std::move(plan), std::move(how));
}

void TSetID::SetPrinting(Spooler* spooler, std::function<bool(Spooler&)> choosePrinter) {
  m_spooler = spooler;
  m_choosePrinter = std::move(choosePrinter);
}

bool TSetID::ChoosePrinterInDialog(Spooler& spooler) {
  if (!m_printer) m_printer = std::make_unique<QPrinter>();
  QPrintDialog dialog(m_printer.get(), m_context.MainWindow());
  if (dialog.exec() != QDialog::Accepted) return false;
  // A printer that writes a file (PDF) is no queue: its name is empty.
  spooler.SelectPrinter(m_printer->outputFormat() == QPrinter::NativeFormat
                            ? m_printer->printerName().toStdString()
                            : std::string());
  return true;
}

void TSetID::ToolButton12Click() {
  PreparePanel(Panel::SendViaNet);
  const int result = exec();
  m_panels[static_cast<int>(Panel::SendViaNet)]->hide();
  if (result != QDialog::Accepted || m_spooler == nullptr) return;
  const bool chosen =
      m_choosePrinter ? m_choosePrinter(*m_spooler) : ChoosePrinterInDialog(*m_spooler);
  if (!chosen) return;

  Result<std::string> line = m_context.Line1SignText();
  if (!line) {
    m_context.Notices().FileErr(line.ErrorText());
    return;
  }
  SignPlan plan = PlanSendViaNetwork(m_context.AppWorkspace().graphics, *line,
                                     SelectedPage(m_comboBox10), SelectedSignId(m_comboBox9));
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

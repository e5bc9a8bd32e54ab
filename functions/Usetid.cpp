#include "functions/Usetid.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTime>
#include <QVBoxLayout>

#include "editor/qt_seams.h"

namespace tavrin {

namespace {

QHBoxLayout* Row(QWidget* parent, const char* label, QWidget* field) {
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(label, parent));
  row->addWidget(field, 1);
  return row;
}

QComboBox* List(QWidget* parent, const char* name) {
  auto* list = new QComboBox(parent);
  list->setObjectName(name);
  return list;
}

}  // namespace

TSetID::TSetID(TForm1* form1) : QDialog(form1), m_form1(form1) {
  setObjectName("SetID");
  setModal(true);
  auto* layout = new QVBoxLayout(this);

  // Set ID
  QWidget* id = MakePanel("IDPanel");
  m_comboBox1 = List(id, "ComboBox1");
  FillSignIds(m_comboBox1, 1);
  auto* idLayout = new QVBoxLayout(id);
  idLayout->addLayout(Row(id, "Sign ID:", m_comboBox1));
  m_ok = MakeButton(id, "OK", "OK");
  auto* cancel = MakeButton(id, "Cancel", "Cancel");
  auto* idButtons = new QHBoxLayout;
  idButtons->addWidget(m_ok);
  idButtons->addWidget(cancel);
  idLayout->addLayout(idButtons);
  connect(m_ok, &QPushButton::clicked, this, &TSetID::OKClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  // Set Clock
  QWidget* clock = MakePanel("ClockPanel");
  m_comboBox2 = List(clock, "ComboBox2");
  FillSignIds(m_comboBox2);
  auto* clockLayout = new QVBoxLayout(clock);
  clockLayout->addLayout(Row(clock, "Sign ID:", m_comboBox2));
  auto* group = new QGroupBox(" Set Date and Time ", clock);
  auto* groupLayout = new QVBoxLayout(group);
  m_dateTimePicker1 = new QDateEdit(QDate::currentDate(), group);
  m_dateTimePicker1->setObjectName("DateTimePicker1");
  m_dateTimePicker1->setCalendarPopup(true);
  m_dateTimePicker1->setDisplayFormat("MM/dd/yyyy");
  DiscardTypedKeys(m_dateTimePicker1);  // the calendar and the arrows choose
  groupLayout->addLayout(Row(group, "Date:", m_dateTimePicker1));
  m_maskEdit1 = new QLineEdit(group);
  m_maskEdit1->setObjectName("MaskEdit1");
  m_maskEdit1->setInputMask("09:99:99");  // the first digit may be left blank
  m_maskEdit1->installEventFilter(this);
  groupLayout->addLayout(Row(group, "Time:", m_maskEdit1));
  clockLayout->addWidget(group);
  m_dateTimeOk = MakeButton(clock, "DateTimeOK", "OK");
  auto* dateTimeCancel = MakeButton(clock, "DateTimeCancel", "Cancel");
  auto* clockButtons = new QHBoxLayout;
  clockButtons->addWidget(m_dateTimeOk);
  clockButtons->addWidget(dateTimeCancel);
  clockLayout->addLayout(clockButtons);
  connect(m_dateTimeOk, &QPushButton::clicked, this, &TSetID::DateTimeOKClick);
  connect(dateTimeCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_maskEdit1, &QLineEdit::textEdited, this, &TSetID::MaskEdit1KeyUp);
  m_timer1 = new QTimer(this);
  m_timer1->setObjectName("Timer1");
  m_timer1->setInterval(1000);
  connect(m_timer1, &QTimer::timeout, this, &TSetID::Timer1Timer);

  // Run Page
  QWidget* run = MakePanel("RunPagePanel");
  m_comboBox3 = List(run, "ComboBox3");
  FillSignIds(m_comboBox3);
  m_comboBox4 = List(run, "ComboBox4");
  FillPages(m_comboBox4);
  auto* runLayout = new QVBoxLayout(run);
  runLayout->addLayout(Row(run, "Sign ID: ", m_comboBox3));
  runLayout->addLayout(Row(run, "Page:", m_comboBox4));
  m_runPageButton = MakeButton(run, "RunPageButton", "OK");
  runLayout->addWidget(m_runPageButton);
  connect(m_runPageButton, &QPushButton::clicked, this, &TSetID::RunPageButtonClick);

  // Send Message
  QWidget* send = MakePanel("SendMessagePanel");
  auto* sendLayout = new QVBoxLayout(send);
  auto* sendGroup = new QGroupBox(send);
  auto* sendGroupLayout = new QVBoxLayout(sendGroup);
  m_comboBox5 = List(sendGroup, "ComboBox5");
  FillSignIds(m_comboBox5);
  m_comboBox6 = List(sendGroup, "ComboBox6");
  FillPages(m_comboBox6);
  sendGroupLayout->addLayout(Row(sendGroup, "Sign ID: ", m_comboBox5));
  sendGroupLayout->addLayout(Row(sendGroup, "Page: ", m_comboBox6));
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
  m_comboBox7 = List(bright, "ComboBox7");
  FillSignIds(m_comboBox7);
  m_comboBox8 = List(bright, "ComboBox8");
  for (const std::string_view level : kBrightnessLevels) {
    m_comboBox8->addItem(QString::fromLatin1(level.data(), static_cast<qsizetype>(level.size())));
  }
  m_comboBox8->setCurrentIndex(0);
  MakePickOnly(m_comboBox8);
  auto* brightLayout = new QVBoxLayout(bright);
  brightLayout->addLayout(Row(bright, "Sign ID:", m_comboBox7));
  brightLayout->addLayout(Row(bright, "Brightness:", m_comboBox8));
  m_brightOk = MakeButton(bright, "BrightOk", "Ok");
  auto* brightCancel = MakeButton(bright, "BrightCancel", "Cancel");
  auto* brightButtons = new QHBoxLayout;
  brightButtons->addWidget(m_brightOk);
  brightButtons->addWidget(brightCancel);
  brightLayout->addLayout(brightButtons);
  connect(m_brightOk, &QPushButton::clicked, this, &TSetID::BrightOkClick);
  connect(brightCancel, &QPushButton::clicked, this, &QDialog::reject);

  m_panels[static_cast<int>(Panel::Id)] = id;
  m_panels[static_cast<int>(Panel::Clock)] = clock;
  m_panels[static_cast<int>(Panel::RunPage)] = run;
  m_panels[static_cast<int>(Panel::SendMessage)] = send;
  m_panels[static_cast<int>(Panel::Bright)] = bright;
  for (QWidget* panel : m_panels) layout->addWidget(panel);
}

QWidget* TSetID::MakePanel(const char* name) {
  auto* panel = new QWidget(this);
  panel->setObjectName(name);
  return panel;
}

void TSetID::PreparePanel(Panel panel) {
  static constexpr const char* kCaptions[] = {"Set SignID", "Set Clock", "Run Page", "Send Message",
                                              "Set Brightness"};
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

SignOutcome TSetID::Run(QPushButton* button, const std::function<SignOutcome()>& function) {
  button->setEnabled(false);
  const SignOutcome outcome = function();
  button->setEnabled(true);
  return outcome;
}

void TSetID::OKClick() {
  const auto newId = static_cast<std::uint8_t>(m_comboBox1->currentIndex() + 1);
  Run(m_ok, [&] {
    SignSession session = m_form1->Session();
    return SetSignId(session, newId);
  });
}

void TSetID::DateTimeOKClick() {
  const QDate d = m_dateTimePicker1->date();
  const std::chrono::year_month_day date{std::chrono::year(d.year()),
                                         std::chrono::month(static_cast<unsigned>(d.month())),
                                         std::chrono::day(static_cast<unsigned>(d.day()))};
  const std::string time = m_maskEdit1->displayText().toStdString();
  Run(m_dateTimeOk, [&] {
    SignSession session = m_form1->Session();
    return SetClock(session, SelectedId(m_comboBox2), date, time);
  });
}

void TSetID::BrightOkClick() {
  Run(m_brightOk, [&] {
    SignSession session = m_form1->Session();
    return SetBrightness(session, SelectedId(m_comboBox7), m_comboBox8->currentIndex());
  });
}

void TSetID::RunPageButtonClick() {
  const char page = static_cast<char>('A' + m_comboBox4->currentIndex());
  Run(m_runPageButton, [&] {
    SignSession session = m_form1->Session();
    return RunPage(session, SelectedId(m_comboBox3), page);
  });
}

void TSetID::SendMessButtonClick() {
  Result<std::string> line = m_form1->Line1SignText();
  if (!line) {
    m_form1->GetNotice().Err(line.ErrorText());
    return;
  }
  const char page = static_cast<char>('A' + m_comboBox6->currentIndex());
  ProgressBarSink progress(m_progressBar1);
  const GraphicFolder graphics(m_form1->ProgramFolder());
  const SignOutcome outcome = Run(m_sendMessButton, [&] {
    SignSession session = m_form1->Session(&progress);
    return SendMessage(session, *line, graphics, page, SelectedId(m_comboBox5));
  });
  m_progressBar1->setValue(0);
  // With nothing to send, or a graphic that cannot go, the dialog stays for another try.
  if (outcome != SignOutcome::Invalid && outcome != SignOutcome::FileError) accept();
}

}  // namespace tavrin

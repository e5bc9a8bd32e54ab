#include "functions/signs_dialog.h"

#include <QDate>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QTime>
#include <QVBoxLayout>
#include <chrono>

#include "common/bytes.h"
#include "common/file_io.h"
#include "functions/sign_plans.h"
#include "signlink/serial_ports.h"
#include "ui/command_runner.h"
#include "ui/controls.h"

namespace tavrin {

namespace {

const char* const kColourChoices[] = {"3 colours", "1 colour (red)"};

// What Test tells of the sign's answer to its clock, on the windows' thread.
class TestEvents : public CommandEvents {
 public:
  TestEvents(QLabel* result, QPushButton* test, std::string name)
      : m_result(result), m_test(test), m_name(std::move(name)) {}

  void Finished(const SignPlan&, const PlanResult& r, std::chrono::milliseconds took) override {
    const QString name = FromUtf8(m_name);
    const QString seconds = QString::number(static_cast<double>(took.count()) / 1000.0, 'f', 1);
    QString said;
    switch (r.outcome) {
      case SignOutcome::Accepted:
        said = name + " answered: its clock is set to now (" + seconds + " s).";
        break;
      case SignOutcome::Over:
        said = name + " has ID 00, which never answers: the clock was sent, no answer read.";
        break;
      case SignOutcome::PortError:
        said = name + " could not be reached: " +
               FromUtf8(r.linkError.empty() ? std::string("the port did not open") : r.linkError);
        break;
      default:
        said = name + " did not answer: " +
               FromUtf8(r.reason.empty() ? std::string("no answer") : r.reason);
        break;
    }
    if (m_result) m_result->setText(said);
    if (m_test) m_test->setEnabled(true);
  }

 private:
  QPointer<QLabel> m_result;
  QPointer<QPushButton> m_test;
  std::string m_name;
};

QTableWidgetItem* Cell(const std::string& text) {
  auto* item = new QTableWidgetItem(FromUtf8(text));
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

}  // namespace

SignForm::SignForm(WindowContext& context, QWidget* parent, const std::optional<NamedSign>& sign,
                   std::function<Status(const NamedSign&)> keep)
    : QDialog(parent), m_context(context), m_keep(std::move(keep)) {
  setObjectName("SignForm");
  setWindowTitle(sign ? "Edit Sign" : "Add Sign");
  setModal(true);
  auto* form = new QFormLayout;
  m_name = new QLineEdit(this);
  m_name->setObjectName("SignName");
  form->addRow("&Name:", m_name);
  m_address = new QComboBox(this);
  m_address->setObjectName("SignAddress");
  m_address->setEditable(true);
  m_address->setInsertPolicy(QComboBox::NoInsert);
  for (const SerialPortInfo& port : ListSerialPorts(context.AppSettings())) {
    if (port.comNumber == 0) continue;
    m_address->addItem(QString("COM%1").arg(port.comNumber));
    const std::string about =
        port.device + (port.description.empty() ? std::string() : ", " + port.description);
    m_address->setItemData(m_address->count() - 1, FromUtf8(about), Qt::ToolTipRole);
  }
  m_address->lineEdit()->setPlaceholderText("COM1, /dev/ttyUSB0, host:4001, queue:NAME");
  m_address->setMinimumContentsLength(24);
  form->addRow("&Address:", m_address);
  m_id = new QLineEdit(this);
  m_id->setObjectName("SignIdField");
  m_id->setMaxLength(2);
  m_id->setPlaceholderText("00 to FF");
  form->addRow("Sign &ID:", m_id);
  m_colours = new QComboBox(this);
  m_colours->setObjectName("SignColours");
  for (const char* choice : kColourChoices) m_colours->addItem(choice);
  MakePickOnly(m_colours);
  form->addRow("&Colours:", m_colours);
  m_width = new QComboBox(this);
  m_width->setObjectName("SignWidth");
  for (const int width : kSignListWidths) m_width->addItem(QString::number(width), width);
  MakePickOnly(m_width);
  form->addRow("&Width:", m_width);

  const NamedSign shown = sign.value_or(NamedSign{});
  m_name->setText(FromUtf8(shown.name));
  m_address->setEditText(sign ? FromUtf8(shown.address.Text())
                              : (m_address->count() > 0 ? m_address->itemText(0) : "COM1"));
  m_id->setText(FromUtf8(HexByte(shown.id)));
  m_colours->setCurrentIndex(shown.tripleColor ? 0 : 1);
  m_width->setCurrentIndex(std::max(0, m_width->findData(shown.width)));

  auto* ok = MakeButton(this, "SignFormOK", "OK");
  ok->setDefault(true);
  auto* cancel = MakeButton(this, "SignFormCancel", "Cancel");
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(OkCancelRow(ok, cancel));
  connect(ok, &QPushButton::clicked, this, &SignForm::OKClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void SignForm::OKClick() {
  Result<NamedSign> sign =
      SignFromFields(ToUtf8(m_name->text()), ToUtf8(m_address->currentText()), ToUtf8(m_id->text()),
                     m_colours->currentIndex() == 0, m_width->currentData().toInt());
  if (!sign) {
    m_context.Notices().FileErr(sign.ErrorText());
    return;
  }
  if (Status kept = m_keep(*sign); !kept) {
    m_context.Notices().FileErr(kept.ErrorText());
    return;
  }
  accept();
}

SignsDialog::SignsDialog(WindowContext& context)
    : QDialog(context.MainWindow()), m_context(context), m_book(context.AppWorkspace().signs) {
  setObjectName("SignsDialog");
  setWindowTitle("Signs");
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  m_problems = new QLabel(this);
  m_problems->setObjectName("SignListProblems");
  m_problems->setWordWrap(true);
  m_problems->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(m_problems);
  m_table = new QTableWidget(0, 5, this);
  m_table->setObjectName("SignTable");
  m_table->setHorizontalHeaderLabels({"Name", "Address", "ID", "Colours", "Width"});
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->setSelectionMode(QAbstractItemView::SingleSelection);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->verticalHeader()->hide();
  m_table->setMinimumSize(460, 160);
  layout->addWidget(m_table, 1);
  auto* buttons = new QHBoxLayout;
  auto* add = MakeButton(this, "AddSign", "&Add...");
  m_edit = MakeButton(this, "EditSign", "&Edit...");
  m_remove = MakeButton(this, "RemoveSign", "&Remove");
  m_test = MakeButton(this, "TestSign", "&Test");
  m_test->setToolTip("Sets the sign's clock to now and tells whether it answered");
  auto* close = MakeButton(this, "CloseSigns", "Close");
  for (QPushButton* b : {add, m_edit, m_remove, m_test}) buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  m_testResult = new QLabel(this);
  m_testResult->setObjectName("SignTestResult");
  m_testResult->setWordWrap(true);
  layout->addWidget(m_testResult);
  connect(add, &QPushButton::clicked, this, &SignsDialog::AddClick);
  connect(m_edit, &QPushButton::clicked, this, &SignsDialog::EditClick);
  connect(m_remove, &QPushButton::clicked, this, &SignsDialog::RemoveClick);
  connect(m_test, &QPushButton::clicked, this, &SignsDialog::TestClick);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  connect(m_table, &QTableWidget::itemSelectionChanged, this, [this] {
    const bool chosen = Selected() != nullptr;
    m_edit->setEnabled(chosen);
    m_remove->setEnabled(chosen);
    m_test->setEnabled(chosen);
  });
  connect(m_table, &QTableWidget::cellDoubleClicked, this, &SignsDialog::EditClick);
  m_runForm = [](SignForm& form) { form.exec(); };
  m_listener = m_book.Listen([this] { Refresh(); });
  Refresh();
  CentreOnShow(this, context.MainWindow());
}

SignsDialog::~SignsDialog() { m_book.Forget(m_listener); }

void SignsDialog::Open() {
  // A list edited by hand meanwhile is read again.
  m_book.Reload();
  m_testResult->clear();
  exec();
}

void SignsDialog::Refresh() {
  const QString kept = m_table->currentRow() >= 0 && m_table->item(m_table->currentRow(), 0)
                           ? m_table->item(m_table->currentRow(), 0)->text()
                           : QString();
  m_table->setRowCount(0);
  int row = 0;
  for (const NamedSign& sign : m_book.Signs()) {
    m_table->insertRow(row);
    m_table->setItem(row, 0, Cell(sign.name));
    m_table->setItem(row, 1, Cell(sign.address.Text()));
    m_table->setItem(row, 2, Cell(HexByte(sign.id)));
    m_table->setItem(row, 3, Cell(sign.tripleColor ? "3" : "1"));
    m_table->setItem(row, 4, Cell(std::to_string(sign.width)));
    if (FromUtf8(sign.name) == kept) m_table->selectRow(row);
    ++row;
  }
  m_table->resizeColumnsToContents();
  // The address takes what room is left: a device path or a host name is the longest field.
  m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  const bool chosen = Selected() != nullptr;
  m_edit->setEnabled(chosen);
  m_remove->setEnabled(chosen);
  m_test->setEnabled(chosen);

  QString problems;
  if (!m_book.Problems().empty()) {
    problems = "These lines of " + FromUtf8(Utf8FromPath(m_book.Path())) +
               " could not be read and are left out:";
    for (const std::string& problem : m_book.Problems()) problems += "\n  " + FromUtf8(problem);
    problems += "\nThe file will be copied to Tavrin.signs.bak before it is first written.";
  } else if (!m_book.Backup().empty()) {
    problems = "The sign list as it was, with the lines that could not be read, is kept in " +
               FromUtf8(Utf8FromPath(m_book.Backup())) + ".";
  }
  m_problems->setText(problems);
  m_problems->setVisible(!problems.isEmpty());
}

const NamedSign* SignsDialog::Selected() const {
  const int row = m_table->currentRow();
  if (row < 0 || m_table->item(row, 0) == nullptr || !m_table->item(row, 0)->isSelected()) {
    return nullptr;
  }
  return m_book.List().Find(ToUtf8(m_table->item(row, 0)->text()));
}

void SignsDialog::Tell(const Status& written) {
  if (!written) m_context.Notices().FileErr(written.ErrorText());
}

void SignsDialog::SayWhenCopied(bool copiedBefore) {
  if (copiedBefore || m_book.Backup().empty()) return;
  m_context.Notices().Inform(
      "The sign list had lines that could not be read. It was copied as it was to " +
      Utf8FromPath(m_book.Backup()) + " before it was written.");
}

void SignsDialog::AddClick() {
  const bool copied = !m_book.Backup().empty();
  SignForm form(m_context, this, std::nullopt,
                [this](const NamedSign& sign) { return m_book.Add(sign); });
  m_runForm(form);
  SayWhenCopied(copied);
}

void SignsDialog::EditClick() {
  const NamedSign* sign = Selected();
  if (sign == nullptr) return;
  const bool copied = !m_book.Backup().empty();
  SignForm form(m_context, this, *sign, [this, name = sign->name](const NamedSign& changed) {
    return m_book.Replace(name, changed);
  });
  m_runForm(form);
  SayWhenCopied(copied);
}

void SignsDialog::RemoveClick() {
  const NamedSign* sign = Selected();
  if (sign == nullptr) return;
  const std::string name = sign->name;
  if (!m_context.Notices().Ask("Remove " + name + " from the sign list?")) return;
  const bool copied = !m_book.Backup().empty();
  Tell(m_book.Remove(name));
  SayWhenCopied(copied);
}

void SignsDialog::TestClick() {
  const NamedSign* sign = Selected();
  if (sign == nullptr) return;
  const QString name = FromUtf8(sign->name);
  if (sign->address.kind == SignAddress::Kind::Queue) {
    m_testResult->setText(name +
                          " is behind a print queue, which carries nothing back: there is no "
                          "answer to test.");
    return;
  }
  Result<SignRoad*> road = m_context.NamedRoads().RoadFor(sign->address);
  if (!road) {
    m_testResult->setText(name + " could not be reached: " + FromUtf8(road.ErrorText()));
    return;
  }
  const QDate today = QDate::currentDate();
  const std::chrono::year_month_day date{std::chrono::year(today.year()),
                                         std::chrono::month(static_cast<unsigned>(today.month())),
                                         std::chrono::day(static_cast<unsigned>(today.day()))};
  SignPlan plan = PlanSetClock(sign->id, date, ToUtf8(QTime::currentTime().toString("hh:mm:ss")));
  // The answer is said here, not in a box.
  plan.done.reset();
  auto events = std::make_shared<TestEvents>(m_testResult, m_test, sign->name);
  if (!(*road)->Start(std::move(plan), ToWindowThread(this, events))) {
    m_testResult->setText(kBusyText);
    return;
  }
  m_test->setEnabled(false);
  m_testResult->setText("Setting the clock of " + name + "...");
}

}  // namespace tavrin

#include "functions/Uschedule.h"

#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTime>
#include <QVBoxLayout>

#include "functions/sign_plans.h"
#include "functions/time_fields.h"
#include "ui/command_runner.h"
#include "ui/controls.h"
#include "ui/sign_runner.h"

namespace tavrin {

namespace {

QLineEdit* Masked(QWidget* parent, const char* name, const char* mask) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(name);
  field->setInputMask(mask);
  return field;
}

}  // namespace

TSchedule::TSchedule(WindowContext& context)
    : QDialog(context.MainWindow()), m_context(context), m_list(context.AppWorkspace().schedules) {
  setObjectName("Schedule");
  setWindowTitle("Schedule");
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  m_entries = new QTreeWidget(this);
  m_entries->setObjectName("ListView1");
  m_entries->setHeaderLabels({"NO.", "Start DateTime", "End DateTime", "Page"});
  m_entries->setRootIsDecorated(false);
  m_entries->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_entries->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_entries->header()->setDefaultAlignment(Qt::AlignCenter);
  layout->addWidget(m_entries);
  QHBoxLayout* row = SignIdRow(this, "Sign ID: ", "ComboBox1", m_signIds);
  m_target = new SignTargetChooser(m_context.AppWorkspace().signs, m_signIds, this);
  layout->addWidget(m_target);
  auto* add = MakeButton(this, "Add", "Add...");
  auto* modify = MakeButton(this, "Modify", "Modify...");
  auto* remove = MakeButton(this, "Delete", "Delete");
  m_send = MakeButton(this, "Send", "Send");
  for (QPushButton* b : {add, modify, remove, m_send}) row->addWidget(b);
  layout->addLayout(row);
  connect(add, &QPushButton::clicked, this, &TSchedule::AddClick);
  connect(modify, &QPushButton::clicked, this, &TSchedule::ModifyClick);
  connect(remove, &QPushButton::clicked, this, &TSchedule::DeleteClick);
  connect(m_send, &QPushButton::clicked, this, &TSchedule::SendClick);
  resize(520, 260);
}

void TSchedule::Refresh() {
  m_entries->clear();
  const auto& entries = m_list.Entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    auto* item = new QTreeWidgetItem(m_entries);
    item->setText(0, FromUtf8(ScheduleList::Number(i)));
    item->setText(1, FromUtf8(entries[i].start));
    item->setText(2, FromUtf8(entries[i].end));
    item->setText(3, FromUtf8(entries[i].pages));
    for (int c = 0; c < 3; ++c) item->setTextAlignment(c, Qt::AlignCenter);
  }
}

void TSchedule::Open() {
  showNormal();
  raise();
  activateWindow();
}

int TSchedule::SelectedRow() const {
  const QList<QTreeWidgetItem*> selected = m_entries->selectedItems();
  return selected.isEmpty() ? -1 : m_entries->indexOfTopLevelItem(selected.front());
}

void TSchedule::AddClick() {
  if (m_editor == nullptr) return;
  m_editor->PrepareAdd();
  m_editor->exec();
}

void TSchedule::ModifyClick() {
  const int row = SelectedRow();
  if (row < 0) {
    m_context.Notices().Fail("First, Select one item");
    return;
  }
  if (m_editor == nullptr) return;
  m_editor->PrepareModify(row);
  m_editor->exec();
}

void TSchedule::DeleteClick() {
  const int row = SelectedRow();
  if (row < 0) return;
  m_list.Remove(static_cast<std::size_t>(row));
  Refresh();
}

void TSchedule::SendClick() {
  StartForTarget(m_context, m_target, m_signIds,
                 [this](std::uint8_t id) { return PlanSendSchedules(id, m_list); },
                 {this, m_send, {}, {}, {}, {}});
}

TScheduleAdd::TScheduleAdd(WindowContext& context, TSchedule* schedule)
    : QDialog(context.MainWindow()), m_context(context), m_schedule(schedule) {
  setObjectName("ScheduleAdd");
  setWindowTitle("Schedule-Add");
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* pages = new QHBoxLayout;
  pages->addWidget(new QLabel("Page:", this));
  m_pages = new QLineEdit(this);
  m_pages->setObjectName("PageEdit");
  m_pages->setMaxLength(26);
  MakeLettersOnly(m_pages);
  pages->addWidget(m_pages);
  pages->addWidget(new QLabel("(e.g.:   abcDE  )", this));
  layout->addLayout(pages);

  // Date "MM/DD/YY" whose year must be typed; time "hh:nn" whose first digit may be blank.
  m_startDate = Masked(this, "MaskEdit1", "00/00/99");
  m_startTime = Masked(this, "StartMaskEdit", "09:99");
  m_endDate = Masked(this, "MaskEdit2", "00/00/99");
  m_endTime = Masked(this, "EndMaskEdit", "09:99");
  for (const auto& [title, date, time, timeLabel] :
       {std::tuple{" Start DateTime  ", m_startDate, m_startTime, "Time :"},
        std::tuple{"End DateTime", m_endDate, m_endTime, "Time:"}}) {
    auto* group = new QGroupBox(title, this);
    auto* grid = new QGridLayout(group);
    grid->addWidget(date, 0, 0);
    grid->addWidget(new QLabel("(MM/DD/YY)", group), 0, 1);
    grid->addWidget(new QLabel(timeLabel, group), 1, 0);
    grid->addWidget(time, 1, 1);
    layout->addWidget(group);
    QLineEdit* field = time;
    connect(time, &QLineEdit::textEdited, this, [this, field] { StartMaskEditKeyUp(field); });
  }
  auto* ok = MakeButton(this, "OK", "OK");
  auto* cancel = MakeButton(this, "Button1", "Cancel");
  layout->addLayout(OkCancelRow(ok, cancel));
  connect(ok, &QPushButton::clicked, this, &TScheduleAdd::OKClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  // Now, for both starts and ends.
  const QString time = QTime::currentTime().toString("hh:mm");
  const QString date = QDate::currentDate().toString("MM/dd/yy");
  m_startTime->setText(time);
  m_endTime->setText(time);
  m_startDate->setText(date);
  m_endDate->setText(date);
}

void TScheduleAdd::PrepareAdd() {
  m_modify = false;
  setWindowTitle("Schedule-Add");
}

void TScheduleAdd::PrepareModify(int row) {
  m_modify = true;
  m_row = row;
  setWindowTitle("Schedule-Modify");
  const ScheduleEntry& entry = m_schedule->List().Entries().at(static_cast<std::size_t>(row));
  const ScheduleStampParts start = SplitScheduleStamp(entry.start);
  const ScheduleStampParts end = SplitScheduleStamp(entry.end);
  m_startDate->setText(FromUtf8(start.date));
  m_startTime->setText(FromUtf8(start.time));
  m_endDate->setText(FromUtf8(end.date));
  m_endTime->setText(FromUtf8(end.time));
  m_pages->setText(FromUtf8(entry.pages));
}

void TScheduleAdd::StartMaskEditKeyUp(QLineEdit* field) {
  const int caret = field->cursorPosition();
  field->setText(QString::fromStdString(CorrectTimeField(field->displayText().toStdString())));
  field->setCursorPosition(caret);
}

void TScheduleAdd::OKClick() {
  Result<ScheduleEntry> entry = MakeScheduleEntry(
      ToUtf8(m_startDate->displayText()), ToUtf8(m_startTime->displayText()),
      ToUtf8(m_endDate->displayText()), ToUtf8(m_endTime->displayText()), ToUtf8(m_pages->text()));
  if (!entry) {
    m_context.Notices().Fail(entry.ErrorText());
    return;
  }
  if (m_modify) {
    m_schedule->List().Modify(static_cast<std::size_t>(m_row), *entry);
  } else if (Status added = m_schedule->List().Add(*entry); !added) {
    m_context.Notices().Inform(added.ErrorText());
    return;
  }
  m_schedule->Refresh();
  accept();
}

}  // namespace tavrin

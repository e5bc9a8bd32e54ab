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
  m_listView1 = new QTreeWidget(this);
  m_listView1->setObjectName("ListView1");
  m_listView1->setHeaderLabels({"NO.", "Start DateTime", "End DateTime", "Page"});
  m_listView1->setRootIsDecorated(false);
  m_listView1->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_listView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_listView1->header()->setDefaultAlignment(Qt::AlignCenter);
  layout->addWidget(m_listView1);
  QHBoxLayout* row = SignIdRow(this, "Sign ID: ", "ComboBox1", m_comboBox1);
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
  m_listView1->clear();
  const auto& entries = m_list.Entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    auto* item = new QTreeWidgetItem(m_listView1);
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
  const QList<QTreeWidgetItem*> selected = m_listView1->selectedItems();
  return selected.isEmpty() ? -1 : m_listView1->indexOfTopLevelItem(selected.front());
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
  StartCommand(m_context.Road(), m_context.Notices(),
               PlanSendSchedules(SelectedSignId(m_comboBox1), m_list),
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
  m_pageEdit = new QLineEdit(this);
  m_pageEdit->setObjectName("PageEdit");
  m_pageEdit->setMaxLength(26);
  MakeLettersOnly(m_pageEdit);
  pages->addWidget(m_pageEdit);
  pages->addWidget(new QLabel("(e.g.:   abcDE  )", this));
  layout->addLayout(pages);

  // Date "MM/DD/YY" whose year must be typed; time "hh:nn" whose first digit may be blank.
  m_maskEdit1 = Masked(this, "MaskEdit1", "00/00/99");
  m_startMaskEdit = Masked(this, "StartMaskEdit", "09:99");
  m_maskEdit2 = Masked(this, "MaskEdit2", "00/00/99");
  m_endMaskEdit = Masked(this, "EndMaskEdit", "09:99");
  for (const auto& [title, date, time, timeLabel] :
       {std::tuple{" Start DateTime  ", m_maskEdit1, m_startMaskEdit, "Time :"},
        std::tuple{"End DateTime", m_maskEdit2, m_endMaskEdit, "Time:"}}) {
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
  m_startMaskEdit->setText(time);
  m_endMaskEdit->setText(time);
  m_maskEdit1->setText(date);
  m_maskEdit2->setText(date);
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
  m_maskEdit1->setText(FromUtf8(start.date));
  m_startMaskEdit->setText(FromUtf8(start.time));
  m_maskEdit2->setText(FromUtf8(end.date));
  m_endMaskEdit->setText(FromUtf8(end.time));
  m_pageEdit->setText(FromUtf8(entry.pages));
}

void TScheduleAdd::StartMaskEditKeyUp(QLineEdit* field) {
  const int caret = field->cursorPosition();
  field->setText(QString::fromStdString(CorrectTimeField(field->displayText().toStdString())));
  field->setCursorPosition(caret);
}

void TScheduleAdd::OKClick() {
  Result<ScheduleEntry> entry =
      MakeScheduleEntry(ToUtf8(m_maskEdit1->displayText()), ToUtf8(m_startMaskEdit->displayText()),
                        ToUtf8(m_maskEdit2->displayText()), ToUtf8(m_endMaskEdit->displayText()),
                        ToUtf8(m_pageEdit->text()));
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

#include "functions/Udelete.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "functions/font_plans.h"
#include "functions/sign_plans.h"
#include "ui/command_runner.h"
#include "ui/controls.h"

namespace tavrin {

namespace {

// The check-box images of the page tree: a box, ticked or not.
QIcon CheckImage(bool checked) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(Qt::black);
  painter.setBrush(Qt::white);
  painter.drawRect(2, 2, 11, 11);
  if (checked) {
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(4, 8, 7, 11);
    painter.drawLine(7, 11, 12, 4);
  }
  return QIcon(pixmap);
}

constexpr int kCheckImageWidth = 20;

}  // namespace

TDeletefrm::TDeletefrm(WindowContext& context) : QDialog(context.MainWindow()), m_context(context) {
  setObjectName("Deletefrm");
  setModal(true);
  auto* layout = new QVBoxLayout(this);

  auto panel = [this, layout](const char* name) {
    auto* p = new QWidget(this);
    p->setObjectName(name);
    layout->addWidget(p);
    return p;
  };
  auto idRow = [](QWidget* parent, QVBoxLayout* into, const char* label, QComboBox*& list,
                  const char* name) { into->addLayout(SignIdRow(parent, label, name, list)); };
  auto buttons = [](QVBoxLayout* into, QPushButton* ok, QPushButton* cancel) {
    into->addLayout(OkCancelRow(ok, cancel));
  };

  QWidget* schedule = panel("DelSchedulePanel");
  auto* scheduleLayout = new QVBoxLayout(schedule);
  idRow(schedule, scheduleLayout, "Sign ID: ", m_comboBox1, "ComboBox1");
  scheduleLayout->addWidget(new QLabel("Task NO.", schedule));
  m_checkListBox1 = new QListWidget(schedule);
  m_checkListBox1->setObjectName("CheckListBox1");
  for (int item = 1; item <= 5; ++item) {
    auto* entry = new QListWidgetItem(QString::number(item), m_checkListBox1);
    entry->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    entry->setCheckState(Qt::Unchecked);
  }
  scheduleLayout->addWidget(m_checkListBox1);
  m_scheduleOk = MakeButton(schedule, "ScheduleOk", "OK");
  auto* scheduleCancel = MakeButton(schedule, "ScheduleCancel", "Cancel");
  buttons(scheduleLayout, m_scheduleOk, scheduleCancel);
  connect(m_scheduleOk, &QPushButton::clicked, this, &TDeletefrm::ScheduleOkClick);
  connect(scheduleCancel, &QPushButton::clicked, this, &QDialog::reject);

  QWidget* pages = panel("DelPagePanel");
  auto* pagesLayout = new QVBoxLayout(pages);
  idRow(pages, pagesLayout, "Sign ID: ", m_comboBox2, "ComboBox2");
  m_treeView1 = new QTreeWidget(pages);
  m_treeView1->setObjectName("TreeView1");
  m_treeView1->setHeaderHidden(true);
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    auto* page = new QTreeWidgetItem(m_treeView1, {QString("Page %1").arg(letter)});
    new QTreeWidgetItem(page, {"Line 1"});
    new QTreeWidgetItem(page, {"Line 2"});
  }
  m_treeView1->viewport()->installEventFilter(this);
  pagesLayout->addWidget(m_treeView1);
  m_delPageOk = MakeButton(pages, "DelPageOK", "OK");
  auto* delPageCancel = MakeButton(pages, "DelPageCancel", "Cancel");
  buttons(pagesLayout, m_delPageOk, delPageCancel);
  connect(m_delPageOk, &QPushButton::clicked, this, &TDeletefrm::DelPageOKClick);
  connect(delPageCancel, &QPushButton::clicked, this, &QDialog::reject);

  QWidget* all = panel("DeleteAllPanel");
  auto* allLayout = new QVBoxLayout(all);
  idRow(all, allLayout, "Sign ID:", m_comboBox3, "ComboBox3");
  m_deleteOk = MakeButton(all, "DeleteOk", "OK");
  auto* deleteCancel = MakeButton(all, "DeleteCancel", "Cancel");
  buttons(allLayout, m_deleteOk, deleteCancel);
  connect(m_deleteOk, &QPushButton::clicked, this, &TDeletefrm::DeleteOkClick);
  connect(deleteCancel, &QPushButton::clicked, this, &QDialog::reject);

  QWidget* transfer = panel("TransferFontPanel");
  auto* transferLayout = new QVBoxLayout(transfer);
  auto* transferIdRow = new QHBoxLayout;
  auto* label5 = new QLabel("Sign ID:", transfer);
  label5->setObjectName("Label5");
  QFont bold = label5->font();
  bold.setBold(true);
  label5->setFont(bold);
  m_comboBox4 = MakeList(transfer, "ComboBox4");
  FillSignIds(m_comboBox4);
  transferIdRow->addWidget(label5);
  transferIdRow->addWidget(m_comboBox4, 1);
  transferLayout->addLayout(transferIdRow);
  m_transFont = MakeButton(transfer, "TransFont", "Transfer");
  auto* transferCancel = MakeButton(transfer, "Button2", "Cancel");
  buttons(transferLayout, m_transFont, transferCancel);
  connect(m_transFont, &QPushButton::clicked, this, &TDeletefrm::TransFontClick);
  connect(transferCancel, &QPushButton::clicked, this, &QDialog::reject);
  // The progress bar lives inside the status bar's one panel, 15 pixels short of its width.
  m_statusBar1 = new QStatusBar(transfer);
  m_statusBar1->setObjectName("StatusBar1");
  m_statusBar1->setSizeGripEnabled(false);
  m_statusBar1->setFixedWidth(296);
  m_progressBar1 = new QProgressBar(m_statusBar1);
  m_progressBar1->setObjectName("ProgressBar1");
  m_progressBar1->setTextVisible(false);
  m_progressBar1->setRange(0, 1);
  m_progressBar1->setValue(0);
  m_progressBar1->setStyleSheet(
      "QProgressBar { border: none; } QProgressBar::chunk { background: rgb(0, 0, 255); }");
  m_progressBar1->setFixedWidth(296 - 15);
  m_statusBar1->addWidget(m_progressBar1);
  transferLayout->addWidget(m_statusBar1);

  m_panels[0] = schedule;
  m_panels[1] = pages;
  m_panels[2] = all;
  m_panels[3] = transfer;
  ShowChecks();
}

void TDeletefrm::PreparePanel(Panel panel) {
  static constexpr const char* kCaptions[] = {"Delete Schedule", "Delete page", "Delete All",
                                              "Transfer Font To Sign"};
  for (QWidget* p : m_panels) p->hide();
  m_panels[static_cast<int>(panel)]->show();
  setWindowTitle(kCaptions[static_cast<int>(panel)]);
  adjustSize();
  if (panel == Panel::DeleteAll) m_deleteOk->setFocus();
}

void TDeletefrm::ShowPanel(Panel panel) {
  PreparePanel(panel);
  exec();
}

void TDeletefrm::ShowTransferPanel() {
  PreparePanel(Panel::TransferFont);
  setModal(false);
  show();
  raise();
  activateWindow();
}

void TDeletefrm::TransFontClick() {
  // The plan holds copies of the characters: the font maker may change its list meanwhile.
  FontTransferPlan transfer =
      PlanFontTransfer(SelectedSignId(m_comboBox4), m_context.AppWorkspace().userFonts);
  // Each character the sign accepted is drawn into the European table, whose picture is saved
  // when the transfer ran to its end with at least one character sent.
  auto sent = std::make_shared<bool>(false);
  WindowCommand how{this, m_transFont, m_progressBar1, {}, {}, {}};
  how.stepSent = [this, sent, records = std::move(transfer.recordOfStep)](std::size_t step) {
    const std::optional<UserFontRecord>& record = records.at(step);
    if (!record) return;
    *sent = true;
    if (m_fontTransfer.characterSent) m_fontTransfer.characterSent(*record);
  };
  how.linkClosed = [this, sent](bool completed) {
    if (completed && *sent && m_fontTransfer.saveTable) m_fontTransfer.saveTable();
  };
  StartCommand(m_context.Road(), m_context.Notices(), std::move(transfer.plan), std::move(how));
}

void TDeletefrm::Run(QPushButton* button, SignPlan plan) {
  StartCommand(m_context.Road(), m_context.Notices(), std::move(plan),
               {this, button, {}, {}, {}, {}});
}

void TDeletefrm::ToggleTreeCheck(int page, int line) {
  m_tree.Toggle(page, line);
  ShowChecks();
}

void TDeletefrm::ShowChecks() {
  for (int page = 0; page < PageTree::kPages; ++page) {
    QTreeWidgetItem* node = m_treeView1->topLevelItem(page);
    node->setIcon(0, CheckImage(m_tree.PageChecked(page)));
    for (int line = 1; line <= 2; ++line) {
      node->child(line - 1)->setIcon(0, CheckImage(m_tree.LineChecked(page, line)));
    }
  }
}

bool TDeletefrm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_treeView1->viewport() && event->type() == QEvent::MouseButtonRelease) {
    const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
    QTreeWidgetItem* item = m_treeView1->itemAt(at);
    // Only a click on the check image toggles; elsewhere it only selects. The expand arrow
    // lies left of the item's rectangle and only expands or collapses.
    const int left = item != nullptr ? m_treeView1->visualItemRect(item).left() : 0;
    if (item != nullptr && at.x() >= left && at.x() < left + kCheckImageWidth) {
      QTreeWidgetItem* parent = item->parent();
      const int page = m_treeView1->indexOfTopLevelItem(parent != nullptr ? parent : item);
      ToggleTreeCheck(page, parent != nullptr ? parent->indexOfChild(item) + 1 : 0);
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TDeletefrm::ScheduleOkClick() {
  std::array<bool, 5> checked{};
  for (int i = 0; i < 5; ++i) checked[i] = m_checkListBox1->item(i)->checkState() == Qt::Checked;
  Run(m_scheduleOk, PlanDeleteSchedules(SelectedSignId(m_comboBox1), checked));
}

void TDeletefrm::DelPageOKClick() {
  Run(m_delPageOk, PlanDeletePages(SelectedSignId(m_comboBox2), m_tree));
}

void TDeletefrm::DeleteOkClick() { Run(m_deleteOk, PlanDeleteAll(SelectedSignId(m_comboBox3))); }

}  // namespace tavrin

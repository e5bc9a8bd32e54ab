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
#include "ui/sign_runner.h"
#include "ui/themed_icon.h"

namespace tavrin {

namespace {

// The check-box images of the page tree: a box, ticked or not.
QIcon CheckImage(bool checked) { return OwnIcon(checked ? "check-box-ticked" : "check-box"); }

constexpr int kCheckImageWidth = 20;

}  // namespace

TDeletefrm::TDeletefrm(WindowContext& context) : QDialog(context.MainWindow()), m_context(context) {
  setObjectName("Deletefrm");
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  m_panels[static_cast<int>(Panel::DelSchedule)] = BuildSchedulePanel();
  m_panels[static_cast<int>(Panel::DelPage)] = BuildPagePanel();
  m_panels[static_cast<int>(Panel::DeleteAll)] = BuildDeleteAllPanel();
  m_panels[static_cast<int>(Panel::TransferFont)] = BuildTransferPanel();
  for (QWidget* panel : m_panels) layout->addWidget(panel);
  ShowChecks();
}

QWidget* TDeletefrm::MakePanel(const char* name) {
  auto* panel = new QWidget(this);
  panel->setObjectName(name);
  return panel;
}

QWidget* TDeletefrm::BuildSchedulePanel() {
  QWidget* schedule = MakePanel("DelSchedulePanel");
  auto* layout = new QVBoxLayout(schedule);
  QHBoxLayout* idRow = SignIdRow(schedule, "Sign ID: ", "ComboBox1", m_scheduleSignIds);
  m_scheduleTarget =
      new SignTargetChooser(m_context.AppWorkspace().signs, m_scheduleSignIds, schedule);
  layout->addWidget(m_scheduleTarget);
  layout->addLayout(idRow);
  layout->addWidget(new QLabel("Task NO.", schedule));
  m_scheduleItems = new QListWidget(schedule);
  m_scheduleItems->setObjectName("CheckListBox1");
  for (int item = 1; item <= 5; ++item) {
    auto* entry = new QListWidgetItem(QString::number(item), m_scheduleItems);
    entry->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    entry->setCheckState(Qt::Unchecked);
  }
  layout->addWidget(m_scheduleItems);
  m_scheduleOk = MakeButton(schedule, "ScheduleOk", "OK");
  auto* cancel = MakeButton(schedule, "ScheduleCancel", "Cancel");
  layout->addLayout(OkCancelRow(m_scheduleOk, cancel));
  connect(m_scheduleOk, &QPushButton::clicked, this, &TDeletefrm::ScheduleOkClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  return schedule;
}

QWidget* TDeletefrm::BuildPagePanel() {
  QWidget* pages = MakePanel("DelPagePanel");
  auto* layout = new QVBoxLayout(pages);
  QHBoxLayout* idRow = SignIdRow(pages, "Sign ID: ", "ComboBox2", m_pageSignIds);
  m_pageTarget = new SignTargetChooser(m_context.AppWorkspace().signs, m_pageSignIds, pages);
  layout->addWidget(m_pageTarget);
  layout->addLayout(idRow);
  m_pageTree = new QTreeWidget(pages);
  m_pageTree->setObjectName("TreeView1");
  m_pageTree->setHeaderHidden(true);
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    auto* page = new QTreeWidgetItem(m_pageTree, {QString("Page %1").arg(letter)});
    new QTreeWidgetItem(page, {"Line 1"});
    new QTreeWidgetItem(page, {"Line 2"});
  }
  m_pageTree->viewport()->installEventFilter(this);
  layout->addWidget(m_pageTree);
  m_delPageOk = MakeButton(pages, "DelPageOK", "OK");
  auto* cancel = MakeButton(pages, "DelPageCancel", "Cancel");
  layout->addLayout(OkCancelRow(m_delPageOk, cancel));
  connect(m_delPageOk, &QPushButton::clicked, this, &TDeletefrm::DelPageOKClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  return pages;
}

QWidget* TDeletefrm::BuildDeleteAllPanel() {
  QWidget* all = MakePanel("DeleteAllPanel");
  auto* layout = new QVBoxLayout(all);
  QHBoxLayout* idRow = SignIdRow(all, "Sign ID:", "ComboBox3", m_allSignIds);
  m_allTarget = new SignTargetChooser(m_context.AppWorkspace().signs, m_allSignIds, all);
  layout->addWidget(m_allTarget);
  layout->addLayout(idRow);
  m_deleteOk = MakeButton(all, "DeleteOk", "OK");
  auto* cancel = MakeButton(all, "DeleteCancel", "Cancel");
  layout->addLayout(OkCancelRow(m_deleteOk, cancel));
  connect(m_deleteOk, &QPushButton::clicked, this, &TDeletefrm::DeleteOkClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  return all;
}

QWidget* TDeletefrm::BuildTransferPanel() {
  QWidget* transfer = MakePanel("TransferFontPanel");
  auto* layout = new QVBoxLayout(transfer);
  auto* idRow = new QHBoxLayout;
  auto* idLabel = new QLabel("Sign ID:", transfer);
  idLabel->setObjectName("Label5");
  QFont bold = idLabel->font();
  bold.setBold(true);
  idLabel->setFont(bold);
  m_transferSignIds = MakeList(transfer, "ComboBox4");
  FillSignIds(m_transferSignIds);
  idRow->addWidget(idLabel);
  idRow->addWidget(m_transferSignIds, 1);
  m_transferTarget =
      new SignTargetChooser(m_context.AppWorkspace().signs, m_transferSignIds, transfer);
  layout->addWidget(m_transferTarget);
  layout->addLayout(idRow);
  m_transFont = MakeButton(transfer, "TransFont", "Transfer");
  auto* cancel = MakeButton(transfer, "Button2", "Cancel");
  layout->addLayout(OkCancelRow(m_transFont, cancel));
  connect(m_transFont, &QPushButton::clicked, this, &TDeletefrm::TransFontClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  // The progress bar lives inside the status bar's one panel, 15 pixels short of its width.
  auto* status = new QStatusBar(transfer);
  status->setObjectName("StatusBar1");
  status->setSizeGripEnabled(false);
  status->setFixedWidth(296);
  m_transferProgress = new QProgressBar(status);
  m_transferProgress->setObjectName("ProgressBar1");
  m_transferProgress->setTextVisible(false);
  m_transferProgress->setRange(0, 1);
  m_transferProgress->setValue(0);
  m_transferProgress->setStyleSheet(
      "QProgressBar { border: none; } QProgressBar::chunk { background: rgb(0, 0, 255); }");
  m_transferProgress->setFixedWidth(296 - 15);
  status->addWidget(m_transferProgress);
  layout->addWidget(status);
  return transfer;
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
  // The characters are the same for every sign, so are the steps that carry them.
  const FontList& fonts = m_context.AppWorkspace().userFonts;
  FontTransferPlan transfer = PlanFontTransfer(SelectedSignId(m_transferSignIds), fonts);
  // Each character a sign accepted is drawn into the European table, whose picture is saved
  // when a transfer ran to its end with at least one character sent.
  auto sent = std::make_shared<bool>(false);
  WindowCommand how{this, m_transFont, m_transferProgress, {}, {}, {}};
  how.stepSent = [this, sent, records = std::move(transfer.recordOfStep)](std::size_t step) {
    const std::optional<UserFontRecord>& record = records.at(step);
    if (!record) return;
    *sent = true;
    if (m_fontTransfer.characterSent) m_fontTransfer.characterSent(*record);
  };
  how.linkClosed = [this, sent](bool completed) {
    if (completed && *sent && m_fontTransfer.saveTable) m_fontTransfer.saveTable();
  };
  StartForTarget(
      m_context, m_transferTarget, m_transferSignIds,
      [&](std::uint8_t id) { return PlanFontTransfer(id, fonts).plan; }, std::move(how));
}

void TDeletefrm::Run(SignTargetChooser* target, QComboBox* signIds, QPushButton* button,
                     const std::function<SignPlan(std::uint8_t)>& planFor) {
  StartForTarget(m_context, target, signIds, planFor, {this, button, {}, {}, {}, {}});
}

void TDeletefrm::ToggleTreeCheck(int page, int line) {
  m_tree.Toggle(page, line);
  ShowChecks();
}

void TDeletefrm::ShowChecks() {
  for (int page = 0; page < PageTree::kPages; ++page) {
    QTreeWidgetItem* node = m_pageTree->topLevelItem(page);
    node->setIcon(0, CheckImage(m_tree.PageChecked(page)));
    for (int line = 1; line <= 2; ++line) {
      node->child(line - 1)->setIcon(0, CheckImage(m_tree.LineChecked(page, line)));
    }
  }
}

bool TDeletefrm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_pageTree->viewport() && event->type() == QEvent::MouseButtonRelease) {
    const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
    QTreeWidgetItem* item = m_pageTree->itemAt(at);
    // Only a click on the check image toggles; elsewhere it only selects. The expand arrow
    // lies left of the item's rectangle and only expands or collapses.
    const int left = item != nullptr ? m_pageTree->visualItemRect(item).left() : 0;
    if (item != nullptr && at.x() >= left && at.x() < left + kCheckImageWidth) {
      QTreeWidgetItem* parent = item->parent();
      const int page = m_pageTree->indexOfTopLevelItem(parent != nullptr ? parent : item);
      ToggleTreeCheck(page, parent != nullptr ? parent->indexOfChild(item) + 1 : 0);
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TDeletefrm::ScheduleOkClick() {
  std::array<bool, 5> checked{};
  for (int i = 0; i < 5; ++i) checked[i] = m_scheduleItems->item(i)->checkState() == Qt::Checked;
  Run(m_scheduleTarget, m_scheduleSignIds, m_scheduleOk,
      [checked](std::uint8_t id) { return PlanDeleteSchedules(id, checked); });
}

void TDeletefrm::DelPageOKClick() {
  Run(m_pageTarget, m_pageSignIds, m_delPageOk,
      [this](std::uint8_t id) { return PlanDeletePages(id, m_tree); });
}

void TDeletefrm::DeleteOkClick() {
  Run(m_allTarget, m_allSignIds, m_deleteOk, [](std::uint8_t id) { return PlanDeleteAll(id); });
}

}  // namespace tavrin

#pragma once

#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <functional>

#include "fonts/user_font.h"
#include "functions/page_tree.h"
#include "signlink/sign_plan.h"
#include "ui/sign_target.h"
#include "ui/window_context.h"

namespace tavrin {

// What the font transfer panel tells: the European table draws each character sent and saves
// its picture when a transfer has run to its end. The characters are the workspace's.
struct FontTransferHooks {
  std::function<void(const UserFontRecord&)> characterSent;
  std::function<void()> saveTable;
};

// The deletion dialog: schedule entries, lines of pages, or everything; and the font transfer
// panel. One panel at a time; its check marks stay as the user left them.
class TDeletefrm : public QDialog {
  Q_OBJECT
 public:
  enum class Panel { DelSchedule, DelPage, DeleteAll, TransferFont };

  explicit TDeletefrm(WindowContext& context);

  void SetFontTransfer(FontTransferHooks hooks) { m_fontTransfer = std::move(hooks); }
  // "Transfer to Sign..." of the font maker: the transfer panel, shown without blocking.
  void ShowTransferPanel();

  void PreparePanel(Panel panel);
  void ShowPanel(Panel panel);

  const PageTree& Tree() const { return m_tree; }
  // A click on the check image of a node: page (line 0) or line 1 or 2 of a page.
  void ToggleTreeCheck(int page, int line);

  void ScheduleOkClick();
  void DelPageOKClick();
  void DeleteOkClick();
  void TransFontClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowChecks();
  QWidget* MakePanel(const char* name);
  // One builder a panel; each returns its panel with its controls made and wired.
  QWidget* BuildSchedulePanel();
  QWidget* BuildPagePanel();
  QWidget* BuildDeleteAllPanel();
  QWidget* BuildTransferPanel();
  // Starts a panel's command for its target, with its confirming button held down while a
  // port is open; `planFor` makes the plan for a sign ID.
  void Run(SignTargetChooser* target, QComboBox* signIds, QPushButton* button,
           const std::function<SignPlan(std::uint8_t)>& planFor);
  WindowContext& m_context;
  FontTransferHooks m_fontTransfer;
  PageTree m_tree;
  QWidget* m_panels[4] = {};
  QComboBox* m_scheduleSignIds = nullptr;
  QListWidget* m_scheduleItems = nullptr;
  QPushButton* m_scheduleOk = nullptr;
  QComboBox* m_pageSignIds = nullptr;
  QTreeWidget* m_pageTree = nullptr;
  QPushButton* m_delPageOk = nullptr;
  QComboBox* m_allSignIds = nullptr;
  QPushButton* m_deleteOk = nullptr;
  QComboBox* m_transferSignIds = nullptr;
  QPushButton* m_transFont = nullptr;
  QProgressBar* m_transferProgress = nullptr;
  SignTargetChooser* m_scheduleTarget = nullptr;
  SignTargetChooser* m_pageTarget = nullptr;
  SignTargetChooser* m_allTarget = nullptr;
  SignTargetChooser* m_transferTarget = nullptr;
};

}  // namespace tavrin

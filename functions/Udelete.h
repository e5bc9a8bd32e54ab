#pragma once

#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

#include "functions/sign_commands.h"
#include "signlink/sign_plan.h"
#include "ui/window_context.h"

namespace tavrin {

// The deletion dialog: schedule entries, lines of pages, or everything. One panel at a time;
// its check marks stay as the user left them.
class TDeletefrm : public QDialog {
  Q_OBJECT
 public:
  enum class Panel { DelSchedule, DelPage, DeleteAll };

  explicit TDeletefrm(WindowContext& context);

  void PreparePanel(Panel panel);
  void ShowPanel(Panel panel);

  const PageTree& Tree() const { return m_tree; }
  // A click on the check image of a node: page (line 0) or line 1 or 2 of a page.
  void ToggleTreeCheck(int page, int line);

  void ScheduleOkClick();
  void DelPageOKClick();
  void DeleteOkClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowChecks();
  WindowContext& m_context;
  PageTree m_tree;
  QWidget* m_panels[3] = {};
  QComboBox* m_comboBox1 = nullptr;
  QComboBox* m_comboBox2 = nullptr;
  QComboBox* m_comboBox3 = nullptr;
  QListWidget* m_checkListBox1 = nullptr;
  QTreeWidget* m_treeView1 = nullptr;
  QPushButton* m_scheduleOk = nullptr;
  QPushButton* m_delPageOk = nullptr;
  QPushButton* m_deleteOk = nullptr;
};

}  // namespace tavrin

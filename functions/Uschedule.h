#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "functions/schedule_list.h"
#include "ui/sign_target.h"
#include "ui/window_context.h"

namespace tavrin {

class TScheduleAdd;

// The schedule list: up to five timed entries, kept in memory, sent to a sign as entries A
// to E. Shown without blocking the main window.
class TSchedule : public QDialog {
  Q_OBJECT
 public:
  explicit TSchedule(WindowContext& context);

  void SetEditor(TScheduleAdd* editor) { m_editor = editor; }
  ScheduleList& List() { return m_list; }
  // Shows the window without blocking the main window, restored to its normal size.
  void Open();
  // Shows the list as it stands: row numbers, starts, ends, pages.
  void Refresh();
  int SelectedRow() const;

  void AddClick();
  void ModifyClick();
  void DeleteClick();
  void SendClick();

 private:
  WindowContext& m_context;
  TScheduleAdd* m_editor = nullptr;
  ScheduleList& m_list;  // the workspace's
  QTreeWidget* m_entries = nullptr;
  QComboBox* m_signIds = nullptr;
  QPushButton* m_send = nullptr;
  SignTargetChooser* m_target = nullptr;
};

// The editor of one schedule entry, for adding ("Schedule-Add") or changing
// ("Schedule-Modify").
class TScheduleAdd : public QDialog {
  Q_OBJECT
 public:
  TScheduleAdd(WindowContext& context, TSchedule* schedule);

  // Sets the caption and, for a change, the fields from the row; the fields otherwise keep
  // what they last held.
  void PrepareAdd();
  void PrepareModify(int row);

  void OKClick();
  void StartMaskEditKeyUp(QLineEdit* field);

 private:
  WindowContext& m_context;
  TSchedule* m_schedule;
  bool m_modify = false;
  int m_row = -1;
  QLineEdit* m_pages = nullptr;
  QLineEdit* m_startDate = nullptr;  // start date
  QLineEdit* m_startTime = nullptr;  // start time
  QLineEdit* m_endDate = nullptr;    // end date
  QLineEdit* m_endTime = nullptr;    // end time
};

}  // namespace tavrin

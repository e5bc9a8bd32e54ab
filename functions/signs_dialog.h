#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <functional>
#include <optional>

#include "signlink/sign_book.h"
#include "ui/window_context.h"

namespace tavrin {

// The form of one sign, for adding or changing it: name, address (a serial port of the
// machine offered as COMn, or typed: a device path, HOST:PORT, queue:NAME), ID, colours and
// width. OK keeps the form open, with what the user typed, until the sign is good and `keep`
// took it; each refusal is told through the notices and says which field is wrong.
class SignForm : public QDialog {
  Q_OBJECT
 public:
  SignForm(WindowContext& context, QWidget* parent, const std::optional<NamedSign>& sign,
           std::function<Status(const NamedSign&)> keep);

  void OKClick();

 private:
  WindowContext& m_context;
  std::function<Status(const NamedSign&)> m_keep;
  QLineEdit* m_name = nullptr;
  QComboBox* m_address = nullptr;
  QLineEdit* m_id = nullptr;
  QComboBox* m_colours = nullptr;
  QComboBox* m_width = nullptr;
};

// Functions > Signs...: the user's sign list, to add, change, remove and test signs. Every
// change is written to the list file at once. Bad lines of a list edited by hand are shown
// here, and the file is copied to its .bak before it is first written over. Test sets the
// chosen sign's clock and shows here whether it answered, while the windows go on.
class SignsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit SignsDialog(WindowContext& context);
  ~SignsDialog() override;

  // Shows the list as the file has it now, modally.
  void Open();

  void AddClick();
  void EditClick();
  void RemoveClick();
  void TestClick();

  // The form of Add and Edit: made by this dialog, but for tests, which fill it in.
  using FormRunner = std::function<void(SignForm&)>;
  void SetFormRunner(FormRunner run) { m_runForm = std::move(run); }

 private:
  void Refresh();
  void Tell(const Status& written);
  // Says where the file went, when the change just made copied it aside.
  void SayWhenCopied(bool copiedBefore);
  // The sign of the selected row, or none.
  const NamedSign* Selected() const;

  WindowContext& m_context;
  SignBook& m_book;
  int m_listener = -1;
  FormRunner m_runForm;
  QLabel* m_problems = nullptr;
  QTableWidget* m_table = nullptr;
  QPushButton* m_edit = nullptr;
  QPushButton* m_remove = nullptr;
  QPushButton* m_test = nullptr;
  QLabel* m_testResult = nullptr;
};

}  // namespace tavrin

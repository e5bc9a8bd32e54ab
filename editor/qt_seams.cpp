#include "editor/qt_seams.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

namespace tavrin {

namespace {

// Swallows the key presses that a rule does not let through.
class KeyFilter : public QObject {
 public:
  KeyFilter(QObject* parent, bool (*allowed)(const QKeyEvent&))
      : QObject(parent), m_allowed(allowed) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && !m_allowed(*static_cast<QKeyEvent*>(event)))
      return true;
    return QObject::eventFilter(watched, event);
  }

 private:
  bool (*m_allowed)(const QKeyEvent&);
};

// Keys that type nothing: navigation, function keys.
bool TypesNothing(const QKeyEvent& key) {
  return key.text().isEmpty() || !key.text().at(0).isPrint();
}

// Letters, Backspace, Delete, shortcuts and keys that type nothing.
bool LetterOrEditing(const QKeyEvent& key) {
  const QString text = key.text();
  const bool letter = text.size() == 1 &&
                      ((text[0] >= 'a' && text[0] <= 'z') || (text[0] >= 'A' && text[0] <= 'Z'));
  return text.isEmpty() || letter || key.key() == Qt::Key_Backspace ||
         key.key() == Qt::Key_Delete || (key.modifiers() & Qt::ControlModifier);
}

}  // namespace

void MakeLettersOnly(QWidget* field) {
  field->installEventFilter(new KeyFilter(field, LetterOrEditing));
}

void FillSignIds(QComboBox* list, int first) {
  for (int id = first; id <= 255; ++id)
    list->addItem(QString("%1").arg(id, 2, 16, QChar('0')).toUpper());
  list->setCurrentIndex(0);
  MakePickOnly(list);
}

void FillPages(QComboBox* list) {
  for (char page = 'A'; page <= 'Z'; ++page) list->addItem(QString(QChar(page)));
  list->setCurrentIndex(0);
  MakePickOnly(list);
}

void ProgressBarSink::SetMaximum(int maximum) { m_bar->setMaximum(maximum); }

void ProgressBarSink::SetPosition(int position) {
  m_bar->setValue(position);
  // The frame goes out in one write: let the bar show as it moves.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

NoticeAnswer QtNotice::Show(NoticeKind kind, NoticeButtons buttons, const std::string& text) {
  QMessageBox box(m_parent);
  box.setWindowTitle(QCoreApplication::applicationName());
  box.setText(FromUtf8(text));
  switch (kind) {
    case NoticeKind::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case NoticeKind::Error:
      box.setIcon(QMessageBox::Critical);
      break;
    case NoticeKind::Confirmation:
      box.setIcon(QMessageBox::Question);
      break;
    case NoticeKind::Plain:
      box.setIcon(QMessageBox::NoIcon);
      break;
  }
  switch (buttons) {
    case NoticeButtons::Yes:
      box.setStandardButtons(QMessageBox::Yes);
      break;
    case NoticeButtons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case NoticeButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
  }
  const int answer = box.exec();
  if (answer == QMessageBox::No) return NoticeAnswer::No;
  return answer == QMessageBox::Ok ? NoticeAnswer::Ok : NoticeAnswer::Yes;
}

void QtWaiter::WaitMs(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

void KeepWindowsResponsive(SignLink& link) {
  link.SetIdle([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
}

void MakePickOnly(QComboBox* list) {
  list->setEditable(false);
  DiscardTypedKeys(list);
}

void DiscardTypedKeys(QWidget* control) {
  control->installEventFilter(new KeyFilter(control, TypesNothing));
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

}  // namespace tavrin

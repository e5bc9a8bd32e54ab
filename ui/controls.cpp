#include "ui/controls.h"

#include <QPainter>

#include <QAbstractItemView>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QWindow>

namespace tavrin {

namespace {

// Swallows the key presses that a rule does not let through.
class KeyFilter : public QObject {
 public:
  KeyFilter(QObject* parent, bool (*allowed)(const QKeyEvent&))
      : QObject(parent), m_allowed(allowed) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && !m_allowed(*static_cast<QKeyEvent*>(event))) {
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool (*m_allowed)(const QKeyEvent&);
};

// Keys that type nothing: navigation, function keys, Return and Escape.
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

void MakePickOnly(QComboBox* list) {
  list->setEditable(false);
  DiscardTypedKeys(list);
  // The dropped-down list has its own keyboard search: it gets the same rule.
  DiscardTypedKeys(list->view());
}

void DiscardTypedKeys(QWidget* control) {
  control->installEventFilter(new KeyFilter(control, TypesNothing));
}

void MakeLettersOnly(QWidget* field) {
  field->installEventFilter(new KeyFilter(field, LetterOrEditing));
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

void FillList(QComboBox* list, std::span<const std::string_view> items) {
  for (const std::string_view item : items) list->addItem(FromUtf8(item));
  list->setCurrentIndex(0);
  MakePickOnly(list);
}

void FillSignIds(QComboBox* list, int first) {
  for (int id = first; id <= 255; ++id) {
    list->addItem(QString("%1").arg(id, 2, 16, QChar('0')).toUpper());
  }
  list->setCurrentIndex(0);
  MakePickOnly(list);
}

void FillPages(QComboBox* list) {
  for (char page = 'A'; page <= 'Z'; ++page) list->addItem(QString(QChar(page)));
  list->setCurrentIndex(0);
  MakePickOnly(list);
}

std::uint8_t SelectedSignId(const QComboBox* list) {
  return static_cast<std::uint8_t>(list->currentIndex());
}

char SelectedPage(const QComboBox* list) { return static_cast<char>('A' + list->currentIndex()); }

QHBoxLayout* LabelledRow(QWidget* parent, const char* label, QWidget* field) {
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(label, parent));
  row->addWidget(field, 1);
  return row;
}

QComboBox* MakeList(QWidget* parent, const char* name) {
  auto* list = new QComboBox(parent);
  list->setObjectName(name);
  return list;
}

QHBoxLayout* SignIdRow(QWidget* parent, const char* label, const char* name, QComboBox*& list) {
  list = MakeList(parent, name);
  FillSignIds(list);
  return LabelledRow(parent, label, list);
}

QHBoxLayout* OkCancelRow(QPushButton* ok, QPushButton* cancel) {
  auto* row = new QHBoxLayout;
  row->addWidget(ok);
  row->addWidget(cancel);
  return row;
}

void CentreOnScreen(QWidget* window, const QWidget* mainWindow) {
  const QScreen* screen = nullptr;
  if (mainWindow != nullptr && mainWindow->windowHandle() != nullptr) {
    screen = mainWindow->windowHandle()->screen();
  }
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  // The window is centred as the user sees it, title bar and all. Before its first showing a
  // window does not know its frame yet: the main window's frame stands in for it.
  const auto marginsOf = [](const QWidget* w) {
    const QRect inner = w->geometry();
    const QRect outer = w->frameGeometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                    outer.right() - inner.right(), outer.bottom() - inner.bottom());
  };
  QMargins margins = marginsOf(window);
  if (margins.isNull() && mainWindow != nullptr && mainWindow->isVisible()) {
    margins = marginsOf(mainWindow);
  }
  QRect frame = window->geometry().marginsAdded(margins);
  frame.moveCenter(screen->availableGeometry().center());
  // move() places the frame's corner.
  window->move(frame.topLeft());
}

namespace {

class CentreOnShowFilter : public QObject {
 public:
  CentreOnShowFilter(QWidget* window, const QWidget* mainWindow)
      : QObject(window), m_window(window), m_mainWindow(mainWindow) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == m_window && event->type() == QEvent::Show && !event->spontaneous()) {
      CentreOnScreen(m_window, m_mainWindow);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QWidget* m_window;
  QPointer<const QWidget> m_mainWindow;
};

}  // namespace

void CentreOnShow(QWidget* window, const QWidget* mainWindow) {
  window->installEventFilter(new CentreOnShowFilter(window, mainWindow));
}

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::SetText(const QString& text) {
  setText(text);
  setToolTip(text);
}

QSize ElidedLabel::minimumSizeHint() const { return {0, QLabel::minimumSizeHint().height()}; }

QSize ElidedLabel::sizeHint() const { return {0, QLabel::sizeHint().height()}; }

void ElidedLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect room = contentsRect();
  painter.setPen(palette().color(foregroundRole()));
  painter.drawText(room, Qt::AlignVCenter | Qt::AlignLeft,
                   fontMetrics().elidedText(text(), Qt::ElideMiddle, room.width()));
}

}  // namespace tavrin

#pragma once

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "common/utf8_path.h"

class QWidget;

namespace tavrin {

// Selection lists that take no typed keys, whether the list is closed or dropped down: the
// mouse and the arrow keys choose.
void MakePickOnly(QComboBox* list);
// Any control that changes only by mouse and navigation keys (the date picker).
void DiscardTypedKeys(QWidget* control);
// Fields of page letters: only the letters a to z, A to Z, Backspace and editing keys.
void MakeLettersOnly(QWidget* field);

// A push button with its designer name that does not act on Enter of its own.
QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption);

// Fills a list with the given texts, selects the first and makes it pick-only.
void FillList(QComboBox* list, std::span<const std::string_view> items);
// Fills a sign ID list with "00" (or "01") to "FF", selects the first entry, pick-only.
void FillSignIds(QComboBox* list, int first = 0);
// Fills a page list with "A" to "Z", selects the first entry, pick-only.
void FillPages(QComboBox* list);
// The ID a sign ID list filled from "00" has selected.
std::uint8_t SelectedSignId(const QComboBox* list);
// The page letter a page list has selected.
char SelectedPage(const QComboBox* list);

// A row of a label and a list with its designer name: "Sign ID:", "Page:".
QHBoxLayout* LabelledRow(QWidget* parent, const char* label, QWidget* field);
// A new list with its designer name.
QComboBox* MakeList(QWidget* parent, const char* name);
// The "Sign ID:" row of a panel: a new sign ID list named as given, filled from "00".
QHBoxLayout* SignIdRow(QWidget* parent, const char* label, const char* name, QComboBox*& list);
// The row of a confirming and a cancelling button, side by side.
QHBoxLayout* OkCancelRow(QPushButton* ok, QPushButton* cancel);

// Moves a window, at its present size, to the centre of the screen the main window is on (or
// the primary screen).
void CentreOnScreen(QWidget* window, const QWidget* mainWindow = nullptr);
// Centres the window so each time it is shown, just before it appears.
void CentreOnShow(QWidget* window, const QWidget* mainWindow);

// A label of one line that shows as much of its text as fits, cut in the middle ("…"), and
// the whole text in its tooltip; text() is the whole text. It asks for no width of its own,
// so a long text never widens the window (the status line).
class ElidedLabel : public QLabel {
  Q_OBJECT
 public:
  explicit ElidedLabel(QWidget* parent = nullptr);
  void SetText(const QString& text);
  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// Text between the editors (UTF-16) and the model (UTF-8).
inline std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }
inline QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A file name between a dialog or a field (QString) and the model (std::filesystem::path):
// through UTF-16 on Windows, where a path made from narrow text would take it in the ANSI
// code page; through UTF-8 elsewhere, where Qt's file names are UTF-8 too. Never spell a path
// as toStdString() or fromStdString(path.string()).
inline std::filesystem::path ToPath(const QString& name) {
#ifdef _WIN32
  return std::filesystem::path(name.toStdWString());
#else
  return PathFromUtf8(ToUtf8(name));
#endif
}
inline QString FromPath(const std::filesystem::path& path) {
#ifdef _WIN32
  return QString::fromStdWString(path.native());
#else
  return FromUtf8(Utf8FromPath(path));
#endif
}

}  // namespace tavrin

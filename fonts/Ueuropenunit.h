#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>

#include "fonts/european_table.h"
#include "ui/window_context.h"

namespace tavrin {

class EuroTableView;

// The European character picker: the table of the sign's 128 extra characters; a click
// chooses one and Insert puts its tag ("<U41>") at the caret of the message. Transferred
// characters are drawn into the table, which is kept in the program folder.
class TuEuropeanCharForm : public QWidget {
  Q_OBJECT
 public:
  explicit TuEuropeanCharForm(WindowContext& context);

  // "European Char": shown without blocking, in its normal state.
  void Open();
  // The picture as it stands, the selection frame included.
  const QImage& Picture() const { return m_picture; }
  // The chosen cell's label ("U41"), empty before a choice.
  QString Chosen() const;

  void Image1MouseDown(QPoint p);
  void InsertClick();

  // A transferred character drawn into its cell.
  void DrawTransferred(const UserFontRecord& record);
  // The picture written to the working file, without the selection frame.
  Status SavePicture();
  // The recall: the default picture, when there is one, becomes the table; the frame goes.
  void RecallDefault();

 private:
  // Draws the dotted frame in XOR: drawing it again removes it.
  void DrawFocus(const PixelRect& rect);

  WindowContext& m_context;
  QImage m_picture;
  PixelRect m_selection;
  EuroTableView* m_table = nullptr;
  QLabel* m_chosenLabel = nullptr;
};

}  // namespace tavrin

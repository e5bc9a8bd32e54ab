#pragma once

#include <QDialog>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

class QGridLayout;
class QHBoxLayout;

namespace tavrin {

class TGraphicForm;

// The text input dialog of the Text tool: a font, a line pitch and lines of text, previewed as
// they will be drawn; OK renders them into the editor's floating block at the tool's anchor.
// The font, the pitch and the text stay between uses.
class TInputTextfrm : public QDialog {
  Q_OBJECT
 public:
  explicit TInputTextfrm(TGraphicForm& editor);

  void SetChosenFont(const QFont& font);
  QImage Preview() const { return m_preview; }

  void FormActivate();
  void Button1Click();  // "...": the font dialog
  void Memo1Change();   // the preview drawn again
  void OKClick();

 protected:
  bool event(QEvent* e) override;

 private:
  // The font and pitch fields; the preview on its rulers beside OK and Cancel.
  QGridLayout* BuildFontFields();
  QHBoxLayout* BuildPreviewRow();

  TGraphicForm& m_editor;
  QFont m_font;
  bool m_activated = false;
  QImage m_preview;
  QLineEdit* m_fontName = nullptr;     // Edit1
  QLineEdit* m_fontSize = nullptr;     // Edit2
  QLineEdit* m_pitch = nullptr;        // Edit3: the line pitch in pixels
  QPlainTextEdit* m_text = nullptr;    // Memo1
  QLabel* m_previewPicture = nullptr;  // Image1
};

}  // namespace tavrin

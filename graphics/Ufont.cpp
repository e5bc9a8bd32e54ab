#include "graphics/Ufont.h"

#include <QEvent>
#include <QFontDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "graphics/Ugraphic.h"
#include "graphics/picture.h"
#include "graphics/text_render_qt.h"
#include "ui/controls.h"

namespace tavrin {

namespace {

constexpr int kPreviewWidth = 160;
constexpr int kPreviewHeight = 105;
// Where the preview lies on its frame, right of and below the rulers.
constexpr int kPreviewLeft = 25;
constexpr int kPreviewTop = 16;
constexpr QSize kFrameSize(185, 121);

// The frame the preview lies on: a ruler marked 0 to 16 above it and one at its left, a mark
// every 10 pixels. Drawn here rather than kept as a picture, so that its marks stay on the
// preview's pixels.
QPixmap RulerFrame() {
  QPixmap frame(kFrameSize);
  frame.fill(QColor(236, 233, 216));
  QPainter p(&frame);
  QFont small = p.font();
  small.setPixelSize(7);
  p.setFont(small);
  p.setPen(Qt::black);
  for (int i = 0; i <= 16; ++i) {
    const int x = kPreviewLeft + i * 10;
    p.drawLine(x, 10, x, i % 2 == 0 ? 4 : 7);
    if (i % 4 == 0) p.drawText(x + 1, 7, QString::number(i));
  }
  for (int j = 0; j <= 10; ++j) {
    const int y = kPreviewTop + j * 10;
    p.drawLine(24, y, j % 2 == 0 ? 18 : 21, y);
    if (j % 4 == 0 && j > 0) p.drawText(2, y + 3, QString::number(j));
  }
  return frame;
}

}  // namespace

TInputTextfrm::TInputTextfrm(TGraphicForm& editor) : QDialog(&editor), m_editor(editor) {
  setObjectName("InputTextfrm");
  setWindowTitle("InputText");
  setModal(true);
  setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(BuildFontFields());
  m_text = new QPlainTextEdit(this);
  m_text->setObjectName("Memo1");
  layout->addWidget(m_text, 1);
  layout->addLayout(BuildPreviewRow());
  connect(m_text, &QPlainTextEdit::textChanged, this, &TInputTextfrm::Memo1Change);
  connect(m_pitch, &QLineEdit::textChanged, this, &TInputTextfrm::Memo1Change);
  setFixedSize(369, 323);
  CentreOnShow(this, &editor);
}

QGridLayout* TInputTextfrm::BuildFontFields() {
  auto* fields = new QGridLayout;
  m_fontName = new QLineEdit(this);
  m_fontName->setObjectName("Edit1");
  m_fontName->setReadOnly(true);
  m_fontSize = new QLineEdit(this);
  m_fontSize->setObjectName("Edit2");
  m_fontSize->setReadOnly(true);
  auto* button1 = MakeButton(this, "Button1", "...");
  m_pitch = new QLineEdit("16", this);
  m_pitch->setObjectName("Edit3");
  fields->addWidget(new QLabel("Font:", this), 0, 0);
  fields->addWidget(m_fontName, 0, 1);
  fields->addWidget(new QLabel("Size:", this), 0, 2);
  fields->addWidget(m_fontSize, 0, 3);
  fields->addWidget(new QLabel("Font Selection:", this), 1, 0);
  fields->addWidget(button1, 1, 1);
  fields->addWidget(new QLabel("Height:", this), 1, 2);
  fields->addWidget(m_pitch, 1, 3);
  connect(button1, &QPushButton::clicked, this, &TInputTextfrm::Button1Click);
  return fields;
}

QHBoxLayout* TInputTextfrm::BuildPreviewRow() {
  auto* bottom = new QHBoxLayout;
  auto* bottomImage = new QLabel(this);
  bottomImage->setObjectName("bottomImage");
  bottomImage->setPixmap(RulerFrame());
  bottomImage->setFixedSize(kFrameSize);
  m_previewPicture = new QLabel(bottomImage);
  m_previewPicture->setObjectName("Image1");
  m_previewPicture->setGeometry(kPreviewLeft, kPreviewTop, kPreviewWidth, kPreviewHeight);
  bottom->addWidget(bottomImage);
  auto* buttons = new QVBoxLayout;
  auto* ok = MakeButton(this, "OK", "OK");
  auto* cancel = MakeButton(this, "Cancel", "Cancel");
  for (QPushButton* b : {ok, cancel}) {
    QFont bold = b->font();
    bold.setBold(true);
    b->setFont(bold);
    buttons->addWidget(b);
  }
  buttons->addStretch();
  bottom->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &TInputTextfrm::OKClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  return bottom;
}

bool TInputTextfrm::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate) FormActivate();
  if (e->type() == QEvent::Show) m_text->setFocus();  // the text is what one types
  return QDialog::event(e);
}

void TInputTextfrm::FormActivate() {
  if (m_activated) return;
  m_activated = true;
  SetChosenFont(QFont("Arial", 10));
}

void TInputTextfrm::SetChosenFont(const QFont& font) {
  m_font = font;
  m_fontName->setText(m_font.family());
  m_fontSize->setText(QString::number(m_font.pointSize()));
  Memo1Change();
}

void TInputTextfrm::Button1Click() {
  bool ok = false;
  const QFont chosen = QFontDialog::getFont(&ok, m_font, this);
  if (ok) SetChosenFont(chosen);
}

void TInputTextfrm::Memo1Change() {
  m_preview = QImage(kPreviewWidth, kPreviewHeight, QImage::Format_RGB32);
  m_preview.fill(Qt::white);
  QPainter painter(&m_preview);
  DrawTextLines(painter, MemoLines(m_text->toPlainText()), m_font,
                TextPitch(ToUtf8(m_pitch->text())), Qt::black);
  painter.end();
  m_previewPicture->setPixmap(QPixmap::fromImage(m_preview));
}

void TInputTextfrm::OKClick() {
  m_editor.RenderText(MemoLines(m_text->toPlainText()), m_font, TextPitch(ToUtf8(m_pitch->text())));
  accept();
}

}  // namespace tavrin

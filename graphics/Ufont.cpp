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

// The frame the preview lies on: a ruler marked 0 to 16 above it and one at its left.
QPixmap RulerFrame() {
  QPixmap frame(185, 121);
  frame.fill(QColor(236, 233, 216));
  QPainter p(&frame);
  QFont small = p.font();
  small.setPixelSize(7);
  p.setFont(small);
  p.setPen(Qt::black);
  for (int i = 0; i <= 16; ++i) {
    const int x = 25 + i * 10;
    p.drawLine(x, 10, x, i % 2 == 0 ? 4 : 7);
    if (i % 4 == 0) p.drawText(x + 1, 7, QString::number(i));
  }
  for (int j = 0; j <= 10; ++j) {
    const int y = 16 + j * 10;
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
  auto* fields = new QGridLayout;
  m_edit1 = new QLineEdit(this);
  m_edit1->setObjectName("Edit1");
  m_edit1->setReadOnly(true);
  m_edit2 = new QLineEdit(this);
  m_edit2->setObjectName("Edit2");
  m_edit2->setReadOnly(true);
  auto* button1 = MakeButton(this, "Button1", "...");
  m_edit3 = new QLineEdit("16", this);
  m_edit3->setObjectName("Edit3");
  fields->addWidget(new QLabel("Font:", this), 0, 0);
  fields->addWidget(m_edit1, 0, 1);
  fields->addWidget(new QLabel("Size:", this), 0, 2);
  fields->addWidget(m_edit2, 0, 3);
  fields->addWidget(new QLabel("Font Selection:", this), 1, 0);
  fields->addWidget(button1, 1, 1);
  fields->addWidget(new QLabel("Height:", this), 1, 2);
  fields->addWidget(m_edit3, 1, 3);
  layout->addLayout(fields);
  m_memo1 = new QPlainTextEdit(this);
  m_memo1->setObjectName("Memo1");
  layout->addWidget(m_memo1, 1);

  auto* bottom = new QHBoxLayout;
  auto* bottomImage = new QLabel(this);
  bottomImage->setObjectName("bottomImage");
  bottomImage->setPixmap(RulerFrame());
  bottomImage->setFixedSize(185, 121);
  m_image1 = new QLabel(bottomImage);
  m_image1->setObjectName("Image1");
  m_image1->setGeometry(25, 16, kPreviewWidth, kPreviewHeight);
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
  layout->addLayout(bottom);

  connect(button1, &QPushButton::clicked, this, &TInputTextfrm::Button1Click);
  connect(m_memo1, &QPlainTextEdit::textChanged, this, &TInputTextfrm::Memo1Change);
  connect(m_edit3, &QLineEdit::textChanged, this, &TInputTextfrm::Memo1Change);
  connect(ok, &QPushButton::clicked, this, &TInputTextfrm::OKClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  setFixedSize(369, 323);
  CentreOnShow(this, &editor);
}

bool TInputTextfrm::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate) FormActivate();
  if (e->type() == QEvent::Show) m_memo1->setFocus();  // the text is what one types
  return QDialog::event(e);
}

void TInputTextfrm::FormActivate() {
  if (m_activated) return;
  m_activated = true;
  SetChosenFont(QFont("Arial", 10));
}

void TInputTextfrm::SetChosenFont(const QFont& font) {
  m_font = font;
  m_edit1->setText(m_font.family());
  m_edit2->setText(QString::number(m_font.pointSize()));
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
  DrawTextLines(painter, MemoLines(m_memo1->toPlainText()), m_font,
                TextPitch(ToUtf8(m_edit3->text())), Qt::black);
  painter.end();
  m_image1->setPixmap(QPixmap::fromImage(m_preview));
}

void TInputTextfrm::OKClick() {
  m_editor.RenderText(MemoLines(m_memo1->toPlainText()), m_font,
                      TextPitch(ToUtf8(m_edit3->text())));
  accept();
}

}  // namespace tavrin

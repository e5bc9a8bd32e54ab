#include "graphics/Ubmpsaveload.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "graphics/Ugraphic.h"
#include "ui/controls.h"

namespace tavrin {

namespace {

// The preview's size: a 128 x 8 graphic fits at one pixel a cell.
constexpr int kPreviewWidth = 158;
constexpr int kPreviewHeight = 117;

}  // namespace

TBmpSaveLoad::TBmpSaveLoad(TGraphicForm& editor) : QDialog(&editor), m_editor(editor) {
  setObjectName("BmpSaveLoad");
  setWindowTitle("BmpSaveLoad");
  setModal(true);
  auto* layout = new QHBoxLayout(this);
  auto* panel = new QFrame(this);
  panel->setObjectName("Panel1");
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* panelLayout = new QVBoxLayout(panel);
  m_preview = new QLabel(panel);
  m_preview->setObjectName("Image1");
  m_preview->setFixedSize(kPreviewWidth, kPreviewHeight);
  m_preview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  panelLayout->addWidget(m_preview);
  layout->addWidget(panel);
  auto* buttons = new QVBoxLayout;
  auto* exportButton = MakeButton(this, "exprot", "Export Bmp...");
  auto* importButton = MakeButton(this, "import", "Import Bmp...");
  auto* cancel = MakeButton(this, "Cancel", "Cancel");
  QFont bold = cancel->font();
  bold.setBold(true);
  cancel->setFont(bold);
  for (QPushButton* b : {exportButton, importButton, cancel}) buttons->addWidget(b);
  buttons->addStretch();
  layout->addLayout(buttons);
  connect(exportButton, &QPushButton::clicked, this, &TBmpSaveLoad::exprotClick);
  connect(importButton, &QPushButton::clicked, this, &TBmpSaveLoad::importClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  resize(299, 220);
  CentreOnShow(this, &editor);
}

bool TBmpSaveLoad::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate) FormActivate();
  return QDialog::event(e);
}

QImage TBmpSaveLoad::Preview() const { return m_preview->pixmap().toImage(); }

void TBmpSaveLoad::FormActivate() {
  QImage preview(kPreviewWidth, kPreviewHeight, QImage::Format_RGB32);
  preview.fill(Qt::white);
  const GraphicEditor& e = m_editor.Editor();
  for (int r = 0; r < e.Height() && r < preview.height(); ++r) {
    for (int c = 0; c < e.Width() && c < preview.width(); ++c) {
      const DisplayRgb colour = DisplayColour(e.Cells().At(c, r));
      preview.setPixel(c, r, qRgb(colour.red, colour.green, colour.blue));
    }
  }
  m_preview->setPixmap(QPixmap::fromImage(preview));
}

void TBmpSaveLoad::exprotClick() { m_editor.SaveButtonClick(); }

void TBmpSaveLoad::importClick() { m_editor.LoadButtonClick(); }

}  // namespace tavrin

#include "editor/Uabout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/controls.h"

namespace tavrin {

QPixmap ProgramPicture() {
  QPixmap pixmap(48, 48);
  pixmap.fill(QColor(20, 20, 20));
  QPainter painter(&pixmap);
  painter.setPen(Qt::NoPen);
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 7; ++x) {
      const bool lit = y == 0 || x == 3;
      painter.setBrush(lit ? QColor(255, 40, 40) : QColor(70, 20, 20));
      painter.drawEllipse(4 + x * 6, 4 + y * 6, 4, 4);
    }
  }
  return pixmap;
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName("AboutBox");
  setWindowTitle("About");
  auto* layout = new QVBoxLayout(this);
  auto* panel = new QWidget(this);
  panel->setObjectName("Panel1");
  auto* row = new QHBoxLayout(panel);
  auto* picture = new QLabel(panel);
  picture->setObjectName("ProgramIcon");
  picture->setPixmap(ProgramPicture());
  row->addWidget(picture);
  auto* words = new QVBoxLayout;
  words->addWidget(new QLabel("<b>Tavrin</b>", panel));
  auto* version = new QLabel("Version:  2.2", panel);
  version->setObjectName("Version");
  words->addWidget(version);
  row->addLayout(words);
  layout->addWidget(panel);
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("OKButton");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(ok, 0, Qt::AlignCenter);
  adjustSize();
  CentreOnShow(this, parent);
}

}  // namespace tavrin

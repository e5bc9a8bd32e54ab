#include "editor/Uabout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/controls.h"
#include "ui/themed_icon.h"

namespace tavrin {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName("AboutBox");
  setWindowTitle("About");
  auto* layout = new QVBoxLayout(this);
  auto* panel = new QWidget(this);
  panel->setObjectName("Panel1");
  auto* row = new QHBoxLayout(panel);
  auto* picture = new QLabel(panel);
  picture->setObjectName("ProgramIcon");
  picture->setPixmap(OwnIcon("tavrin").pixmap(48, 48));
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

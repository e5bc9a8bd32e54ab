#include "graphics/Usavegraph.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "graphics/graphic_file.h"
#include "ui/controls.h"

namespace tavrin {

TSelectGaphName::TSelectGaphName(QWidget* parent) : QDialog(parent) {
  setObjectName("SelectGaphName");
  setWindowTitle("Select Graphi Name");
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  m_names = MakeList(this, "ComboBox1");
  for (int n = 1; n <= kGraphicCount; ++n) m_names->addItem(FromUtf8(GraphicName(n)));
  m_names->setCurrentIndex(0);
  MakePickOnly(m_names);
  layout->addLayout(LabelledRow(this, "File Name:", m_names));
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("OK");
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("Cancel");
  cancel->setAutoDefault(false);
  for (QPushButton* b : {ok, cancel}) {
    QFont bold = b->font();
    bold.setBold(true);
    b->setFont(bold);
  }
  layout->addLayout(OkCancelRow(ok, cancel));
  connect(ok, &QPushButton::clicked, this, &TSelectGaphName::OKClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  setFixedSize(269, 151);
  ok->setFocus();
  CentreOnShow(this, parent);
}

std::string TSelectGaphName::SelectedName() const { return ToUtf8(m_names->itemText(m_tag)); }

void TSelectGaphName::OKClick() {
  m_tag = m_names->currentIndex();
  accept();
}

}  // namespace tavrin

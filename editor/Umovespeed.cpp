#include "editor/Umovespeed.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/vocabulary.h"
#include "ui/controls.h"

namespace tavrin {

TMoveSpeedfrm::TMoveSpeedfrm(WindowContext& context)
    : QDialog(context.MainWindow()), m_context(context) {
  setObjectName("MoveSpeedfrm");
  setWindowTitle("MoveSpeed");
  setModal(false);
  auto* layout = new QVBoxLayout(this);

  m_columnPanel = new QWidget(this);
  m_columnPanel->setObjectName("Panel1");
  auto* column = new QHBoxLayout(m_columnPanel);
  column->addWidget(new QLabel("Column:", m_columnPanel));
  m_columns = new QComboBox(m_columnPanel);
  m_columns->setObjectName("ComboBox1");
  for (int c = 0; c <= 255; ++c) m_columns->addItem(QString::number(c));
  m_columns->setCurrentIndex(0);
  MakePickOnly(m_columns);
  column->addWidget(m_columns);
  auto* button1 = new QPushButton("OK", m_columnPanel);
  button1->setObjectName("Button1");
  column->addWidget(button1);
  connect(button1, &QPushButton::clicked, this, &TMoveSpeedfrm::Button1Click);
  layout->addWidget(m_columnPanel);

  m_speedPanel = new QWidget(this);
  m_speedPanel->setObjectName("speedPanel");
  auto* speed = new QVBoxLayout(m_speedPanel);
  m_speed = new QSlider(Qt::Horizontal, m_speedPanel);
  m_speed->setObjectName("TrackBar1");
  m_speed->setRange(0, 3);
  m_speed->setValue(0);
  m_speed->setTickPosition(QSlider::TicksBelow);
  m_speed->setTickInterval(1);
  m_speed->setPageStep(1);
  speed->addWidget(m_speed);
  auto* ends = new QHBoxLayout;
  ends->addWidget(new QLabel("3 Fast", m_speedPanel));
  ends->addStretch();
  ends->addWidget(new QLabel("0 Slow", m_speedPanel));
  speed->addLayout(ends);
  auto* ok = new QPushButton("OK", m_speedPanel);
  ok->setObjectName("OK");
  speed->addWidget(ok);
  connect(ok, &QPushButton::clicked, this, &TMoveSpeedfrm::OKClick);
  layout->addWidget(m_speedPanel);
}

void TMoveSpeedfrm::ShowPanel(QWidget* panel, QWidget* hidden, const char* caption) {
  hidden->hide();
  panel->show();
  setWindowTitle(caption);
  adjustSize();
  CentreOnScreen(this, m_context.MainWindow());
  show();
  raise();
  activateWindow();
}

void TMoveSpeedfrm::ShowSpeedPanel() { ShowPanel(m_speedPanel, m_columnPanel, "Move Speed"); }
void TMoveSpeedfrm::ShowColumnPanel() {
  ShowPanel(m_columnPanel, m_speedPanel, "Set Starting Column");
}

void TMoveSpeedfrm::Button1Click() {
  m_context.InsertAtCaret(FromUtf8(ColumnTag(m_columns->currentIndex())));
  close();
}

void TMoveSpeedfrm::OKClick() {
  // The left end is the fastest.
  m_context.InsertAtCaret(FromUtf8(SpeedTag(3 - m_speed->value())));
  close();
}

}  // namespace tavrin

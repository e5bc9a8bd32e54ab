#include "editor/Ucolorsign.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/controls.h"

namespace tavrin {

namespace {

// A small picture of a sign: three LED colours, or red alone.
QLabel* SignPicture(bool tripleColor, QWidget* parent) {
  QPixmap pixmap(48, 16);
  pixmap.fill(Qt::black);
  QPainter painter(&pixmap);
  const QColor colours[] = {Qt::red, Qt::green, QColor(255, 200, 0)};
  for (int i = 0; i < 12; ++i) {
    painter.setBrush(tripleColor ? colours[i % 3] : colours[0]);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(2 + i * 4 - (i / 12) * 48, 6, 3, 3);
  }
  auto* label = new QLabel(parent);
  label->setPixmap(pixmap);
  return label;
}

}  // namespace

TsignColorfrm::TsignColorfrm(WindowContext& context) : m_context(context) {
  setObjectName("signColorfrm");
  setWindowTitle("Sign Color");
  setWindowFlag(Qt::WindowStaysOnTopHint);
  auto* layout = new QVBoxLayout(this);
  auto* choices = new QGridLayout;
  m_tripleColor = new QRadioButton("TRIPLE COLOR", this);
  m_tripleColor->setObjectName("rb02");
  m_tripleColor->setChecked(true);
  m_singleColor = new QRadioButton("SINGLE COLOR", this);
  m_singleColor->setObjectName("rb01");
  choices->addWidget(m_tripleColor, 0, 0);
  choices->addWidget(SignPicture(true, this), 0, 1);
  choices->addWidget(m_singleColor, 1, 0);
  choices->addWidget(SignPicture(false, this), 1, 1);
  layout->addLayout(choices);
  m_showAtStart = new QCheckBox("Show when program starts", this);
  m_showAtStart->setObjectName("CheckBox1");
  m_showAtStart->setChecked(true);
  layout->addWidget(m_showAtStart);
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("Button1");
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("Button2");
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &TsignColorfrm::Button1Click);
  connect(cancel, &QPushButton::clicked, this, &TsignColorfrm::Button2Click);
  adjustSize();
  CentreOnShow(this, m_context.MainWindow());
}

void TsignColorfrm::Preset(int color, int showForm) {
  (color == 2 ? m_tripleColor : m_singleColor)->setChecked(true);
  m_showAtStart->setChecked(showForm == 1);
}

bool TsignColorfrm::WantedAtStart(const Settings& settings) { return settings.ShowForm() == 1; }

void TsignColorfrm::StartUp() {
  const Settings& settings = m_context.AppSettings();
  if (!WantedAtStart(settings)) return;
  Preset(settings.Color(), settings.ShowForm());
  m_context.MainWindow()->setEnabled(false);
  show();
  raise();
}

void TsignColorfrm::ShowSetting() {
  const Settings& settings = m_context.AppSettings();
  Preset(settings.Color(), settings.ShowForm());
  exec();
}

void TsignColorfrm::Button1Click() {
  const bool triple = m_tripleColor->isChecked();
  if (Status written = m_context.AppSettings().SetSignColor(triple, m_showAtStart->isChecked());
      !written) {
    m_context.Notices().FileErr(written.ErrorText());
  }
  m_context.ApplySignColorMode(triple);
  accept();
}

void TsignColorfrm::Button2Click() { reject(); }

void TsignColorfrm::done(int result) {
  QDialog::done(result);
  // The main window waits, disabled, while the dialog is up at start.
  m_context.MainWindow()->setEnabled(true);
}

}  // namespace tavrin

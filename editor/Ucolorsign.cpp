#include "editor/Ucolorsign.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "editor/Unit1.h"

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

TsignColorfrm::TsignColorfrm(SettingsFile& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings) {
  setObjectName("signColorfrm");
  setWindowTitle("Sign Color");
  setWindowFlag(Qt::WindowStaysOnTopHint);
  auto* layout = new QVBoxLayout(this);
  auto* choices = new QGridLayout;
  m_rb02 = new QRadioButton("TRIPLE COLOR", this);
  m_rb02->setObjectName("rb02");
  m_rb02->setChecked(true);
  m_rb01 = new QRadioButton("SINGLE COLOR", this);
  m_rb01->setObjectName("rb01");
  choices->addWidget(m_rb02, 0, 0);
  choices->addWidget(SignPicture(true, this), 0, 1);
  choices->addWidget(m_rb01, 1, 0);
  choices->addWidget(SignPicture(false, this), 1, 1);
  layout->addLayout(choices);
  m_checkBox1 = new QCheckBox("Show when program starts", this);
  m_checkBox1->setObjectName("CheckBox1");
  m_checkBox1->setChecked(true);
  layout->addWidget(m_checkBox1);
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
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void TsignColorfrm::Preset(int color, int showForm) {
  (color == 2 ? m_rb02 : m_rb01)->setChecked(true);
  m_checkBox1->setChecked(showForm == 1);
}

void TsignColorfrm::Button1Click() {
  const bool triple = m_rb02->isChecked();
  Status written = m_settings.WriteInt(kSignSection, kColorKey, triple ? 2 : 1);
  if (written)
    written = m_settings.WriteInt(kSignSection, kShowFormKey, m_checkBox1->isChecked() ? 1 : 0);
  if (m_windows.form1 != nullptr) {
    if (!written) m_windows.form1->GetNotice().Err(written.ErrorText());
    m_windows.form1->ApplySignColorMode(triple);
  }
  accept();
}

void TsignColorfrm::Button2Click() { reject(); }

void TsignColorfrm::done(int result) {
  QDialog::done(result);
  // The main window waits, disabled, while the dialog is up at start.
  if (m_windows.form1 != nullptr) m_windows.form1->setEnabled(true);
}

}  // namespace tavrin

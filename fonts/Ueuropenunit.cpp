#include "fonts/Ueuropenunit.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "fonts/euro_table_qt.h"
#include "ui/controls.h"

namespace tavrin {

// The table picture (Image1): shows the form's picture and passes clicks on.
class EuroTableView : public QWidget {
 public:
  EuroTableView(TuEuropeanCharForm* form, QWidget* parent) : QWidget(parent), m_form(form) {
    setObjectName("Image1");
    setFixedSize(577, 302);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.drawImage(0, 0, m_form->Picture());
  }
  void mousePressEvent(QMouseEvent* e) override {
    m_form->Image1MouseDown(e->position().toPoint());
  }

 private:
  TuEuropeanCharForm* m_form;
};

TuEuropeanCharForm::TuEuropeanCharForm(WindowContext& context)
    : QWidget(context.MainWindow(), Qt::Window), m_context(context) {
  setObjectName("uEuropeanCharForm");
  setWindowTitle("European Char Form");
  m_picture = StartingEuroPicture(context.ProgramFolder());
  auto* layout = new QVBoxLayout(this);
  auto* panel = new QFrame(this);
  panel->setObjectName("Panel1");
  auto* panelLayout = new QVBoxLayout(panel);
  panelLayout->setContentsMargins(0, 0, 0, 0);
  m_table = new EuroTableView(this, panel);
  panelLayout->addWidget(m_table);
  layout->addWidget(panel);
  auto* row = new QHBoxLayout;
  m_chosenLabel = new QLabel(this);
  m_chosenLabel->setObjectName("Label1");
  QFont big = m_chosenLabel->font();
  big.setBold(true);
  big.setPointSize(big.pointSize() + 6);
  m_chosenLabel->setFont(big);
  QPalette red = m_chosenLabel->palette();
  red.setColor(QPalette::WindowText, Qt::red);
  m_chosenLabel->setPalette(red);
  row->addWidget(m_chosenLabel, 1);
  auto* insert = MakeButton(this, "Insert", "Insert");
  auto* cancel = MakeButton(this, "Cancel", "Cancel");
  row->addWidget(insert);
  row->addWidget(cancel);
  layout->addLayout(row);
  connect(insert, &QPushButton::clicked, this, &TuEuropeanCharForm::InsertClick);
  connect(cancel, &QPushButton::clicked, this, &QWidget::close);
  adjustSize();
  CentreOnShow(this, context.MainWindow());
}

void TuEuropeanCharForm::Open() {
  showNormal();
  raise();
  activateWindow();
}

QString TuEuropeanCharForm::Chosen() const { return m_chosenLabel->text(); }

void TuEuropeanCharForm::DrawFocus(const PixelRect& r) {
  if (r.Empty()) return;
  QPainter painter(&m_picture);
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(r.left, r.top, r.right - r.left - 1, r.bottom - r.top - 1);
}

void TuEuropeanCharForm::Image1MouseDown(QPoint p) {
  const std::optional<int> cell = EuroCellAt(p.x(), p.y());
  if (!cell) return;
  DrawFocus(m_selection);
  m_selection = EuroFocusRect(*cell);
  DrawFocus(m_selection);
  m_chosenLabel->setText(FromUtf8(EuroLabel(*cell)));
  m_table->update();
}

void TuEuropeanCharForm::InsertClick() {
  // Nothing is inserted before a character was chosen.
  if (m_chosenLabel->text().isEmpty()) return;
  m_context.InsertAtCaret("<" + m_chosenLabel->text() + ">");
}

void TuEuropeanCharForm::DrawTransferred(const UserFontRecord& record) {
  DrawTransferredCharacter(m_picture, record);
  m_table->update();
}

Status TuEuropeanCharForm::SavePicture() {
  DrawFocus(m_selection);
  m_selection = {};
  m_table->update();
  return SaveEuroPicture(m_context.ProgramFolder() / kEuroPictureFile, m_picture);
}

void TuEuropeanCharForm::RecallDefault() {
  if (std::optional<QImage> picture = RecallDefaultEuroPicture(m_context.ProgramFolder())) {
    m_picture = *picture;
  } else {
    DrawFocus(m_selection);
  }
  m_selection = {};
  m_table->update();
}

}  // namespace tavrin

#include "preview/preview_panel.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>

#include "ui/controls.h"

namespace tavrin {

namespace {

// The distance of the dots when there is room, and the border around them.
constexpr int kDotPitch = 5;
constexpr int kBorder = 4;
// Around and between the dots.
constexpr QRgb kDark = qRgb(20, 20, 20);

QColor DotColour(char cell, bool tripleColor) {
  const auto* rgb = preview::DotColours::kRgb[preview::DotColours::Index(cell, tripleColor)];
  return QColor(rgb[0], rgb[1], rgb[2]);
}

}  // namespace

LedView::LedView(QWidget* parent) : QWidget(parent) {
  setObjectName("LedView");
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Any width, the dots shrinking to fit; always the height of the sign, so that the warnings,
  // tall when the panel is narrow, cannot squeeze it away.
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void LedView::Show(const preview::LedFrame& frame, bool tripleColor) {
  // An animation often holds its dots for several steps (a standing line, a pause): the same
  // dots again need no painting.
  if (frame == m_frame && tripleColor == m_tripleColor) return;
  const bool resized = frame.width != m_frame.width || frame.height != m_frame.height;
  m_frame = frame;
  m_tripleColor = tripleColor;
  if (resized) updateGeometry();
  update();
}

QSize LedView::sizeHint() const {
  return {m_frame.width * kDotPitch + 2 * kBorder, m_frame.height * kDotPitch + 2 * kBorder};
}

// The widest pitch at which every column fits, at most kDotPitch; from 2 pixels up a whole
// number, so that the dots stay sharp and alike.
double LedView::Pitch() const {
  if (m_frame.width <= 0 || m_frame.height <= 0) return kDotPitch;
  const double across = std::max(1, width() - 2 * kBorder) / static_cast<double>(m_frame.width);
  const double down = std::max(1, height() - 2 * kBorder) / static_cast<double>(m_frame.height);
  const double pitch = std::min({across, down, static_cast<double>(kDotPitch)});
  return pitch >= 2 ? std::floor(pitch) : pitch;
}

QRectF LedView::DotRect(int x, int y) const {
  const double pitch = Pitch();
  const double left = std::floor((width() - m_frame.width * pitch) / 2);
  const double top = std::floor((height() - m_frame.height * pitch) / 2);
  // A dark gap between dots while they are big enough to keep one.
  const double dot = pitch >= 3 ? pitch - 1 : pitch;
  return QRectF(left + x * pitch, top + y * pitch, dot, dot);
}

void LedView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(kDark));
  if (Pitch() < 3) {
    // Dots of a pixel or two, no gap between them: squares.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int y = 0; y < m_frame.height; ++y) {
      for (int x = 0; x < m_frame.width; ++x) {
        painter.setBrush(DotColour(m_frame.At(x, y), m_tripleColor));
        painter.drawRect(DotRect(x, y));
      }
    }
    return;
  }
  // Round dots at a whole-pixel pitch: each colour's dot is drawn once and stamped at every
  // place, the same pixels as drawing each circle, in a fraction of the time (a sign of 2048
  // circles took 4 to 5 ms a paint, which a window uncovered at the end of a command waited
  // for).
  const qreal ratio = devicePixelRatioF();
  std::array<QPixmap, std::size(preview::DotColours::kRgb)> stamps;
  for (int y = 0; y < m_frame.height; ++y) {
    for (int x = 0; x < m_frame.width; ++x) {
      const int colour = preview::DotColours::Index(m_frame.At(x, y), m_tripleColor);
      const QRectF dot = DotRect(x, y);
      QPixmap& stamp = stamps[static_cast<std::size_t>(colour)];
      if (stamp.isNull()) {
        stamp = QPixmap((dot.size() * ratio).toSize());
        stamp.setDevicePixelRatio(ratio);
        stamp.fill(QColor(kDark));
        QPainter onStamp(&stamp);
        onStamp.setRenderHint(QPainter::Antialiasing);
        onStamp.setPen(Qt::NoPen);
        onStamp.setBrush(DotColour(m_frame.At(x, y), m_tripleColor));
        onStamp.drawEllipse(QRectF(QPointF(0, 0), dot.size()));
      }
      painter.drawPixmap(dot.topLeft(), stamp);
    }
  }
}

PreviewPanel::PreviewPanel(WindowContext& context, std::function<const FontList*()> userFont)
    : QWidget(context.MainWindow()), m_context(context), m_userFont(std::move(userFont)) {
  setObjectName("PreviewPanel");
  auto* layout = new QVBoxLayout(this);
  m_view = new LedView(this);
  layout->addWidget(m_view);
  auto* row = new QHBoxLayout;
  m_playing = context.AppSettings().PreviewPlaying();
  m_playButton = MakeButton(this, "PlayButton", m_playing ? "Pause" : "Play");
  connect(m_playButton, &QPushButton::clicked, this, &PreviewPanel::PlayButtonClick);
  row->addWidget(m_playButton);
  m_signWidth = MakeList(this, "SignWidth");
  for (const int w : preview::kSignWidths) m_signWidth->addItem(QString("%1 x 16").arg(w), w);
  MakePickOnly(m_signWidth);
  const int stored = context.AppSettings().PreviewSignWidth();
  const int index = m_signWidth->findData(stored);
  m_signWidth->setCurrentIndex(index >= 0 ? index : 0);
  connect(m_signWidth, &QComboBox::currentIndexChanged, this, [this] {
    if (Status s = m_context.AppSettings().SetPreviewSignWidth(m_signWidth->currentData().toInt());
        !s) {
      m_context.ShowStatus(QString::fromStdString(s.ErrorText()));
    }
    Refresh();
  });
  row->addWidget(new QLabel("Sign:", this));
  row->addWidget(m_signWidth);
  m_warnings = new QLabel(this);
  m_warnings->setObjectName("PreviewWarnings");
  // Orange that reads on the desktop's background, light or dark.
  QPalette warning = m_warnings->palette();
  warning.setColor(QPalette::WindowText, palette().color(QPalette::Window).lightness() < 128
                                             ? QColor(255, 160, 80)
                                             : QColor(170, 60, 0));
  m_warnings->setPalette(warning);
  m_warnings->setWordWrap(true);
  row->addStretch(1);
  layout->addLayout(row);
  // Under the buttons, the warnings have the panel's whole width to wrap in.
  layout->addWidget(m_warnings);

  m_timer = new QTimer(this);
  m_timer->setObjectName("PlayTimer");
  m_timer->setSingleShot(true);
  connect(m_timer, &QTimer::timeout, this, &PreviewPanel::NextFrame);
  m_tripleColor = context.AppSettings().TripleColor();
  context.OnSignColorMode([this](bool triple) {
    m_tripleColor = triple;
    ShowFrame();
  });
  context.OnLine1Changed([this] { Refresh(); });
  Refresh();
}

void PreviewPanel::Refresh() {
  Result<std::string> line = m_context.Line1SignText();
  const GraphicFolder graphics(m_context.ProgramFolder());
  m_preview = preview::MakePreview(line ? *line : std::string(), graphics,
                                   m_userFont ? m_userFont() : nullptr,
                                   m_signWidth->currentData().toInt(), std::time(nullptr));
  if (!line) m_preview.warnings.insert(m_preview.warnings.begin(), line.ErrorText());
  QStringList warnings;
  for (const std::string& w : m_preview.warnings) warnings << QString::fromStdString(w);
  m_warnings->setText(warnings.join("\n"));
  m_frames = m_preview.animation.All();
  // Typing starts the showing again from the line as it is held, so that what was typed is
  // seen at once.
  m_at = m_preview.animation.entry.size();
  ShowFrame();
}

void PreviewPanel::PlayButtonClick() {
  m_playing = !m_playing;
  m_playButton->setText(m_playing ? "Pause" : "Play");
  if (Status s = m_context.AppSettings().SetPreviewPlaying(m_playing); !s) {
    m_context.ShowStatus(QString::fromStdString(s.ErrorText()));
  }
  if (!m_playing) m_at = m_preview.animation.entry.size();
  ShowFrame();
}

void PreviewPanel::ShowFrame() {
  m_timer->stop();
  if (m_frames.empty()) return;
  if (m_at >= m_frames.size()) m_at = 0;
  m_view->Show(m_frames[m_at].Frame(), m_tripleColor);
  if (m_playing && isVisible()) m_timer->start(std::max(10, m_frames[m_at].ms));
}

void PreviewPanel::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  ShowFrame();
}

void PreviewPanel::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  m_timer->stop();
}

void PreviewPanel::NextFrame() {
  ++m_at;
  ShowFrame();
}

}  // namespace tavrin

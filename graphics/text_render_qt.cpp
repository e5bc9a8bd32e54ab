#include "graphics/text_render_qt.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

namespace tavrin {

namespace {

QFont Crisp(QFont font) {
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

}  // namespace

QStringList MemoLines(const QString& memo) {
  if (memo.isEmpty()) return {};
  QStringList lines = memo.split('\n');
  if (lines.size() > 1 && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

void DrawTextLines(QPainter& painter, const QStringList& lines, const QFont& font, int pitch,
                   const QColor& colour) {
  const QFont crisp = Crisp(font);
  painter.setFont(crisp);
  painter.setPen(colour);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  const int ascent = QFontMetrics(crisp).ascent();
  for (qsizetype i = 0; i < lines.size(); ++i) {
    painter.drawText(0, static_cast<int>(i) * pitch + ascent, lines[i]);
  }
}

RenderedText RenderTextMask(const QStringList& lines, const QFont& font, int pitch, int maskWidth,
                            int maskHeight) {
  RenderedText result;
  result.lit.Reset(maskWidth, maskHeight);
  const QFontMetrics metrics(Crisp(font));
  for (const QString& line : lines) {
    result.width = std::max(result.width, metrics.horizontalAdvance(line));
  }
  result.height = static_cast<int>(lines.size()) * pitch;
  if (maskWidth <= 0 || maskHeight <= 0) return result;
  QImage mask(maskWidth, maskHeight, QImage::Format_RGB32);
  mask.fill(Qt::black);
  {
    QPainter painter(&mask);
    DrawTextLines(painter, lines, font, pitch, Qt::white);
  }
  const QRgb white = qRgb(255, 255, 255);
  for (int y = 0; y < maskHeight; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
    for (int x = 0; x < maskWidth; ++x) {
      if ((line[x] & 0xFFFFFF) == (white & 0xFFFFFF)) result.lit.SetWhite(x, y);
    }
  }
  return result;
}

void EnsureTextDrawing() {
  if (QCoreApplication::instance() != nullptr) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "tavrin";
  static char* argv[] = {name, nullptr};
  static QGuiApplication* application = new QGuiApplication(argc, argv);
  (void)application;
}

}  // namespace tavrin

#include "ui/themed_icon.h"

#include <QFile>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <array>
#include <memory>

namespace tavrin {

namespace {

// Whether the desktop chose an icon theme. Without one Qt is left on "hicolor", the theme every
// other inherits: it holds programs' own icons and no pictures for actions, so looking into it
// finds nothing of ours, and reading its index (55 KB of sections) costs about a megabyte of
// memory at the start. Our own pictures are then taken straight away; the program's icon in it is
// the one the package installed, the same as ours.
bool DesktopChoseIconTheme() {
  const QString theme = QIcon::themeName();
  return !theme.isEmpty() && theme != QIcon::fallbackThemeName() && theme != "hicolor";
}

// Where the look-up happens: once, on first use, shared by every copy of the icon.
struct Lookup {
  QString themeName;
  std::function<QIcon()> own;
  QIcon icon;
  bool done = false;

  const QIcon& Icon() {
    if (!done) {
      done = true;
      if (DesktopChoseIconTheme()) icon = QIcon::fromTheme(themeName);
      if (icon.isNull() && own) icon = own();
    }
    return icon;
  }
};

class ThemedIconEngine : public QIconEngine {
 public:
  explicit ThemedIconEngine(std::shared_ptr<Lookup> lookup) : m_lookup(std::move(lookup)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    m_lookup->Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return m_lookup->Icon().pixmap(size, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return m_lookup->Icon().actualSize(size, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return m_lookup->Icon().availableSizes(mode, state);
  }
  QString iconName() override { return m_lookup->themeName; }
  bool isNull() override { return m_lookup->Icon().isNull(); }
  QIconEngine* clone() const override { return new ThemedIconEngine(m_lookup); }

 private:
  std::shared_ptr<Lookup> m_lookup;
};

// Our own picture: drawn in advance at the usual sizes (":/ui/icons/NAME-SIDE.png", made from the
// SVG when the program is built) and from the SVG itself at any other size, as on a screen
// scaled by 1.25. The program's start draws only usual sizes, so it never loads the SVG
// renderer, which would cost it a megabyte.
constexpr std::array kDrawnSides{TAVRIN_DRAWN_ICON_SIDES};  // 16, 24, 32, 48: ui/CMakeLists.txt

class OwnIconEngine : public QIconEngine {
 public:
  explicit OwnIconEngine(QString name) : m_name(std::move(name)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal ratio = painter->device() != nullptr ? painter->device()->devicePixelRatio() : 1.0;
    For(rect.size() * ratio).paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return For(size).pixmap(size, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode /*mode*/, QIcon::State /*state*/) override {
    const int side = std::min(size.width(), size.height());
    return {side, side};  // every picture of ours is square and scales
  }
  QList<QSize> availableSizes(QIcon::Mode /*mode*/, QIcon::State /*state*/) override {
    QList<QSize> sizes;
    for (const int side : kDrawnSides) sizes.append(QSize(side, side));
    return sizes;
  }
  QString iconName() override { return m_name; }
  bool isNull() override { return !QFile::exists(SvgFile()); }
  QIconEngine* clone() const override { return new OwnIconEngine(m_name); }

 private:
  QString SvgFile() const { return ":/ui/icons/" + m_name + ".svg"; }

  // The icon that holds the picture for a size in device pixels: the drawn one, its pixmap read
  // when the size is first asked for, or the SVG.
  QIcon& For(const QSize& size) {
    const int side = size.width();
    if (size.height() == side && std::ranges::find(kDrawnSides, side) != kDrawnSides.end()) {
      if (!m_drawnSides.contains(side)) {
        m_drawnSides.append(side);
        const QString file = ":/ui/icons/" + m_name + '-' + QString::number(side) + ".png";
        m_drawn.addPixmap(QPixmap(file, "PNG"));
      }
      if (!m_drawn.isNull()) return m_drawn;
    }
    if (m_svg.isNull()) m_svg = QIcon(SvgFile());
    return m_svg;
  }

  QString m_name;
  QIcon m_drawn;
  QList<int> m_drawnSides;
  QIcon m_svg;
};

}  // namespace

QIcon OwnIcon(const QString& name) { return QIcon(new OwnIconEngine(name)); }

QIcon ThemedIcon(const QString& themeName) {
  return ThemedIcon(themeName, [themeName] { return OwnIcon(themeName); });
}

QIcon ThemedIcon(const QString& themeName, std::function<QIcon()> own) {
  return QIcon(
      new ThemedIconEngine(std::make_shared<Lookup>(Lookup{themeName, std::move(own), {}, false})));
}

}  // namespace tavrin

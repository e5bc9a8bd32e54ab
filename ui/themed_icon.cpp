#include "ui/themed_icon.h"

#include <QIconEngine>
#include <QPainter>
#include <memory>

namespace tavrin {

namespace {

// Where the look-up happens: once, on first use, shared by every copy of the icon.
struct Lookup {
  QString themeName;
  std::function<QIcon()> own;
  QIcon icon;
  bool done = false;

  const QIcon& Icon() {
    if (!done) {
      done = true;
      icon = QIcon::fromTheme(themeName);
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

}  // namespace

QIcon OwnIcon(const QString& name) { return QIcon(":/ui/icons/" + name + ".svg"); }

QIcon ThemedIcon(const QString& themeName) {
  return ThemedIcon(themeName, [themeName] { return OwnIcon(themeName); });
}

QIcon ThemedIcon(const QString& themeName, std::function<QIcon()> own) {
  return QIcon(
      new ThemedIconEngine(std::make_shared<Lookup>(Lookup{themeName, std::move(own), {}, false})));
}

}  // namespace tavrin

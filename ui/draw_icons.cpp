// Draws our SVG pictures into PNG files at the sizes the toolbar and the menus ask for, once, at
// build time: usage: draw_icons OUTPUT_FOLDER SIZE[,SIZE...] FILE.svg ...
// Writes OUTPUT_FOLDER/NAME-SIZE.png for each file and size. Runs with any Qt platform
// (offscreen in the build); fails when a picture does not draw, as when Qt's SVG icon engine
// is missing.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <cstdio>

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc < 4) {
    std::fputs("usage: draw_icons OUTPUT_FOLDER SIZE[,SIZE...] FILE.svg ...\n", stderr);
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);
  const QStringList sizes = QString::fromLatin1(argv[2]).split(',');
  for (int i = 3; i < argc; ++i) {
    const QString file = QString::fromLocal8Bit(argv[i]);
    const QIcon icon(file);
    for (const QString& size : sizes) {
      const int side = size.toInt();
      const QPixmap picture = icon.pixmap(side, side);
      const QString out = folder + '/' + QFileInfo(file).completeBaseName() + '-' + size + ".png";
      if (side <= 0 || picture.isNull() || picture.width() != side || !picture.save(out, "PNG")) {
        std::fprintf(stderr,
                     "draw_icons: cannot draw %s at %s pixels (is Qt's SVG icon engine, "
                     "libqt6svg6, installed?)\n",
                     qPrintable(file), qPrintable(size));
        return 1;
      }
    }
  }
  return 0;
}

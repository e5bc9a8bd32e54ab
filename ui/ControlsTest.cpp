// What the windows share that is not a window: file names between Qt and the model, and the
// pictures of the toolbar and the menus.
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QTest>

#include "common/file_io.h"
#include "tests/support/scratch_folder.h"
#include "ui/controls.h"
#include "ui/themed_icon.h"

using namespace tavrin;

class ControlsTest : public QObject {
  Q_OBJECT
 private slots:
  // A name outside ASCII, as a file dialog gives it, reaches the model's file functions whole,
  // and a path of the model reaches Qt's file functions whole.
  void AFileNameOutsideAsciiBothWays() {
    const QString name = QString::fromUtf8("Grüße 标志");
    QCOMPARE(FromPath(ToPath(name)), name);
    QCOMPARE(Utf8FromPath(ToPath(name)), std::string("Grüße 标志"));

    testing::ScratchFolder scratch;
    const QString folder = FromPath(scratch.Path()) + "/" + name;
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(WriteFileAtomically(ToPath(folder + "/" + name + ".tvr"), "message"));
    QFile written(folder + "/" + name + ".tvr");
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray("message"));

    QFile file(folder + "/Q.tvr");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("from Qt");
    file.close();
    const Result<std::string> read = ReadFileLimited(ToPath(folder) / "Q.tvr", 100);
    QVERIFY2(read, read.ErrorText().c_str());
    QCOMPARE(*read, std::string("from Qt"));
    QCOMPARE(QDir(FromPath(scratch.Path())).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList{name});
  }

  // Our pictures look the same at every size, whether drawn in advance (16, 24, 32, 48) or
  // from the SVG (others): a picture drawn in advance that no longer matches its SVG, or one
  // of another size scaled up, shows here.
  void OurPicturesAreTheirSvgAtEverySize() {
    for (const char* name : {"document-new", "document-open", "document-save", "edit-cut",
                             "edit-copy", "edit-paste", "mail-send", "network-transmit", "list-add",
                             "list-remove", "check-box", "check-box-ticked", "tavrin"}) {
      const QIcon ours = OwnIcon(name);
      const QIcon svg(QString(":/ui/icons/") + name + ".svg");
      QVERIFY2(!ours.isNull(), name);
      for (const int side : {16, 24, 32, 48, 20, 64}) {
        const QImage drawn =
            ours.pixmap(side, side).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(drawn.size(), QSize(side, side));
        QVERIFY2(drawn == svg.pixmap(side, side)
                              .toImage()
                              .convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 qPrintable(QString("%1 at %2").arg(name).arg(side)));
      }
    }
    QVERIFY(OwnIcon("no-such-picture").isNull());
  }

  // The desktop's icon theme goes first when the desktop chose one; left on the fallback theme
  // ("hicolor", which holds no pictures for actions), ours are taken without a look into it.
  void TheThemesPictureWhenTheDesktopChoseATheme() {
    testing::ScratchFolder scratch;
    const QString themes = FromPath(scratch.Path());
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    for (const QString theme : {"Plain", "hicolor"}) {
      QVERIFY(QDir().mkpath(themes + "/" + theme + "/16x16/actions"));
      QFile index(themes + "/" + theme + "/index.theme");
      QVERIFY(index.open(QIODevice::WriteOnly));
      index.write("[Icon Theme]\nName=" + theme.toUtf8() +
                  "\nDirectories=16x16/actions\n\n[16x16/actions]\nSize=16\nType=Fixed\n");
      index.close();
      QVERIFY(red.save(themes + "/" + theme + "/16x16/actions/document-open.png"));
    }

    const QStringList paths = QIcon::themeSearchPaths();
    const QString theme = QIcon::themeName();
    QIcon::setThemeSearchPaths({themes});
    const auto colourOf = [](const QIcon& icon) {
      return icon.pixmap(16, 16).toImage().pixelColor(8, 8);
    };
    QIcon::setThemeName("Plain");
    QCOMPARE(colourOf(ThemedIcon("document-open")), QColor(Qt::red));
    QIcon::setThemeName("hicolor");
    const QColor own = colourOf(ThemedIcon("document-open"));
    QIcon::setThemeSearchPaths(paths);
    QIcon::setThemeName(theme);
    QVERIFY(own != QColor(Qt::red));
    QCOMPARE(own, colourOf(OwnIcon("document-open")));
  }
};

QTEST_MAIN(ControlsTest)
#include "ControlsTest.moc"

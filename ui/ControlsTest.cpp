// What the windows share that is not a window: file names between Qt and the model.
#include <QDir>
#include <QFile>
#include <QTest>

#include "common/file_io.h"
#include "tests/support/scratch_folder.h"
#include "ui/controls.h"

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
};

QTEST_MAIN(ControlsTest)
#include "ControlsTest.moc"

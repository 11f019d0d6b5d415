#include "conversion/ShortPath.h"

#include <QtTest>

class TestShortPath : public QObject
{
    Q_OBJECT
private slots:
    void emptyAndMissingGiveEmpty();
    void existingFileComesBackAbsoluteAndClean();
    void relativePathIsMadeAbsolute();
    void symbolicLinkIsNotResolved();
    void longPathComesBackWhole();
};

void TestShortPath::emptyAndMissingGiveEmpty()
{
    QTemporaryDir dir;
    QCOMPARE(ShortPathOf(QString()), QString());
    QCOMPARE(ShortPathOf(dir.filePath("missing.avi")), QString());
    QFile::link(dir.filePath("gone.avi"), dir.filePath("dangling.avi"));
    QCOMPARE(ShortPathOf(dir.filePath("dangling.avi")), QString());
}

void TestShortPath::existingFileComesBackAbsoluteAndClean()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("sub");
    QFile file(dir.filePath("sub/clip.avi"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString clean = dir.filePath("sub/clip.avi");
    QCOMPARE(ShortPathOf(clean), clean);
    QCOMPARE(ShortPathOf(dir.path() + "/./sub//../sub/clip.avi"), clean);
    QCOMPARE(ShortPathOf(dir.filePath("sub")), dir.filePath("sub"));
}

void TestShortPath::relativePathIsMadeAbsolute()
{
    QTemporaryDir dir;
    QFile file(dir.filePath("clip.mp4"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const QString shortForm = ShortPathOf("clip.mp4");
    QDir::setCurrent(before);
    QCOMPARE(shortForm, dir.filePath("clip.mp4"));
}

void TestShortPath::symbolicLinkIsNotResolved()
{
    QTemporaryDir dir;
    QFile file(dir.filePath("real.avi"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(QFile::link(dir.filePath("real.avi"), dir.filePath("link.avi")));
    QCOMPARE(ShortPathOf(dir.filePath("link.avi")), dir.filePath("link.avi"));
}

void TestShortPath::longPathComesBackWhole()
{
    QTemporaryDir dir;
    QString path = dir.path();
    while (path.size() <= 1100) {
        path += "/" + QString(60, QLatin1Char('d'));
        QVERIFY(QDir().mkdir(path));
    }
    path += "/clip.avi";
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(path.size() > 1023);
    QCOMPARE(ShortPathOf(path), path);
}

QTEST_GUILESS_MAIN(TestShortPath)
#include "tst_ShortPath.moc"

#include "FakeServices.h"
#include "conversion/Conversions.h"
#include "platform/DesignFonts.h"
#include "ui/main/FrmQuillon.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QImage>
#include <QtTest>

namespace {

// The windows as a desktop scaled by that factor shows them, drawn in a process of their own.
struct Rendering
{
    QTemporaryDir dir;
    QStringList said;

    bool run(const QString &scale)
    {
        QProcess process;
        process.start(QCoreApplication::applicationDirPath() + "/quillon_render_windows",
                      {scale, dir.path()});
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            return false;
        said = QString::fromUtf8(process.readAllStandardOutput()).split('\n');
        return true;
    }
    QStringList line(const QString &start) const
    {
        for (const QString &each : said) {
            if (each.startsWith(start + ' '))
                return each.split(' ');
        }
        return {};
    }
};

// The dark pixels of a caption inside its button (the frame left out), and how tall they stand.
struct Ink
{
    int pixels = 0;
    int height = 0;
};

Ink InkOf(const QImage &image, int margin)
{
    Ink ink;
    int top = image.height(), bottom = -1;
    for (int y = margin; y < image.height() - margin; ++y) {
        for (int x = margin; x < image.width() - margin; ++x) {
            if (qGray(image.pixel(x, y)) >= 100)
                continue;
            ++ink.pixels;
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    ink.height = bottom < 0 ? 0 : bottom - top + 1;
    return ink;
}

} // namespace

// Readable by everyone: on scaled screens, and through a screen reader.
class TestReadability : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void scaledWindowsStaySharp_data();
    void scaledWindowsStaySharp();
    void everyFocusableControlIsNamed_data();
    void everyFocusableControlIsNamed();

private:
    Ink unscaled;
};

void TestReadability::initTestCase()
{
    LoadDesignFonts();
    Rendering atOne;
    QVERIFY(atOne.run("1"));
    unscaled = InkOf(QImage(atOne.dir.filePath("cmdConvert.png")), 3);
    QVERIFY(unscaled.pixels > 0);
}

void TestReadability::scaledWindowsStaySharp_data()
{
    QTest::addColumn<QString>("scale");
    QTest::newRow("100 %") << "1";
    QTest::newRow("150 %") << "1.5";
    QTest::newRow("200 %") << "2";
}

void TestReadability::scaledWindowsStaySharp()
{
    QFETCH(QString, scale);
    const double factor = scale.toDouble();
    Rendering rendering;
    QVERIFY(rendering.run(scale));

    // "Convert" stands as tall as its font's capitals at that scale, and its ink grows with the
    // area: a face drawn only at the unscaled size keeps both as they were and spreads its
    // letters over the wider button.
    const QStringList font = rendering.line("font");
    QVERIFY2(font.size() >= 5, qPrintable(rendering.said.join('|')));
    const double capitals = font.last().toDouble() * factor;
    const Ink ink = InkOf(QImage(rendering.dir.filePath("cmdConvert.png")), qRound(3 * factor));
    QVERIFY2(qAbs(ink.height - capitals) <= 1 + 0.1 * capitals,
             qPrintable(QString("ink %1 px high, capitals %2 px").arg(ink.height).arg(capitals)));
    const double grown = double(ink.pixels) / unscaled.pixels;
    QVERIFY2(grown > 0.7 * factor * factor && grown < 1.3 * factor * factor,
             qPrintable(QString("ink grew %1 times at %2 (%3 in %4)")
                            .arg(grown)
                            .arg(scale, font.at(2), font.at(3))));

    // Each picture is held in the screen's own pixels, never enlarged from the unscaled ones.
    int pictures = 0;
    for (const QString &said : rendering.said) {
        const QStringList picture = said.split(' ');
        if (picture.value(0) != "picture")
            continue;
        ++pictures;
        const QString what = picture.at(1) + ' ' + picture.at(2);
        QVERIFY2(qAbs(picture.at(5).toInt() - picture.at(3).toInt() * factor) <= 1, qPrintable(what));
        QVERIFY2(qAbs(picture.at(6).toInt() - picture.at(4).toInt() * factor) <= 1, qPrintable(what));
        QCOMPARE(picture.at(7).toDouble(), factor);
    }
    QCOMPARE(pictures, 3); // the logo in both windows, the About window's photo
}

void TestReadability::everyFocusableControlIsNamed_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    for (const char *name : {"txtInput", "cmdOpen", "chkCut", "cmdConvert", "cmdShowFileOutput",
                             "cmdConvertCut", "tSTART", "tEND"})
        QTest::newRow(name) << "frmQuillon" << name;
    QTest::newRow("cmdOK") << "frmAbout"
                           << "cmdOK";
    for (const char *name : {"prgProgress", "txtLog", "cmdCancel"})
        QTest::newRow(name) << "frmConverter" << name;
}

void TestReadability::everyFocusableControlIsNamed()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QTemporaryDir dir;
    FakeServices services;
    FrmQuillon main(services);
    main.findChild<QAction *>("mnuAbout")->trigger();
    const QString clip = dir.filePath("clip.mp4");
    QVERIFY(QFile(clip).open(QIODevice::WriteOnly));
    QVERIFY(main.runningConversions().request({clip, {}, {}, {}}));

    QWidget *top = nullptr;
    for (QWidget *each : QApplication::topLevelWidgets()) {
        if (each->objectName() == window && each->isVisible())
            top = each;
    }
    if (!top)
        QFAIL("the window is not open");
    auto *widget = top->findChild<QWidget *>(control);
    if (!widget)
        QFAIL("no such control");
    const auto nameOf = [](QWidget *of) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(of);
        return accessible ? accessible->text(QAccessible::Name) : QString();
    };
    const QString name = nameOf(widget);
    QVERIFY2(!name.trimmed().isEmpty(), qPrintable(control));
    QVERIFY2(!name.contains("..."), qPrintable(name));
    for (QAbstractButton *button : top->findChildren<QAbstractButton *>()) {
        if (button != widget)
            QVERIFY2(nameOf(button) != name, qPrintable(name + " twice"));
    }
}

QTEST_MAIN(TestReadability)
#include "tst_Readability.moc"

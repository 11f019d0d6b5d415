#include "TestClips.h"
#include "conversion/Mp3Length.h"
#include "platform/DesignFonts.h"
#include "platform/QtDesktopServices.h"
#include "ui/main/FrmQuillon.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

namespace {
// The message boxes on screen, in a fixed order.
QList<QMessageBox *> OpenBoxes()
{
    QList<QMessageBox *> boxes;
    for (QWidget *widget : QApplication::allWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (box && box->isVisible())
            boxes << box;
    }
    std::sort(boxes.begin(), boxes.end(),
              [](QMessageBox *a, QMessageBox *b) { return a->text() < b->text(); });
    return boxes;
}

int BoxesAlive()
{
    int count = 0;
    for (QWidget *widget : QApplication::allWidgets())
        count += qobject_cast<QMessageBox *>(widget) ? 1 : 0;
    return count;
}
} // namespace

// Conversions ending together, with the real converter, the real windows and the real boxes.
class TestManyAtOnce : public QObject
{
    Q_OBJECT
private slots:
    void shortOnesEndTogetherWhileALongOneRuns();
};

void TestManyAtOnce::shortOnesEndTogetherWhileALongOneRuns()
{
    LoadDesignFonts();
    // A name that is its own short form: the MP3s are named from the videos' short forms.
    QTemporaryDir dir(QDir::tempPath() + "/qXXXXXX");
    // Twenty minutes of sound that decodes at once: it still converts while the others end.
    // Matroska: an AVI of PCM declares a length some seconds longer than its sound.
    const QString longVideo = dir.filePath("long.mkv");
    QCOMPARE(MakeWithHostConverter({"-nostdin", "-v", "error", "-f", "lavfi", "-i",
                                    "sine=duration=1200:sample_rate=8000", "-c:a", "pcm_s16le",
                                    longVideo}),
             0);
    const QStringList shortVideos = {dir.filePath("a.mp4"), dir.filePath("b.avi"),
                                     dir.filePath("c.flv"), dir.filePath("d.mp4"),
                                     dir.filePath("e.avi")};
    for (const QString &video : shortVideos)
        QVERIFY(MakeClip(video, 2));

    QtDesktopServices services;
    FrmQuillon window(services);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Clicks before the converter has said its version would start only once it has.
    QTRY_VERIFY(!window.runningConversions().checkingConverter());
    auto *txtInput = window.findChild<QLineEdit *>("txtInput");
    auto *cmdConvert = window.findChild<QPushButton *>("cmdConvert");
    int started = 0;
    connect(&window.runningConversions(), &Conversions::started, this, [&started] { ++started; });
    // Started in one go, before any of them ends and its box stands over the main window.
    for (const QString &video : QStringList{longVideo} + shortVideos) {
        txtInput->setText(QDir::toNativeSeparators(video));
        QTest::mouseClick(cmdConvert, Qt::LeftButton);
    }
    QCOMPARE(started, 6);
    const QString longMp3 = QDir::toNativeSeparators(dir.filePath("long.mp3"));
    QVERIFY(window.runningConversions().isConverting(longMp3));

    // Each box answered by a click on its own button, in the order the boxes came, while the
    // others go on ending; meanwhile the user types the next video's path into the box. Nothing
    // is lost, and nothing starts that nobody asked for.
    QList<QPointer<QMessageBox>> seen;
    QStringList texts;
    const QString typed = QDir::toNativeSeparators(dir.filePath("next video.mp4"));
    for (int answered = 0; answered < 5; ++answered) {
        QTRY_VERIFY_WITH_TIMEOUT(!OpenBoxes().isEmpty(), 60000);
        for (QMessageBox *box : OpenBoxes()) {
            if (!seen.contains(box)) {
                seen << box;
                texts << box->text();
            }
        }
        const auto oldest = std::find_if(seen.cbegin(), seen.cend(),
                                         [](const QPointer<QMessageBox> &box) { return box; });
        QVERIFY(oldest != seen.cend());
        const QPointer<QMessageBox> &box = *oldest;
        if (answered == 1)
            QTest::keyClicks(txtInput, typed);
        QVERIFY2(box, "a box went without its button");
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        QTRY_VERIFY2(box.isNull(), qPrintable(box ? box->text() : QString()));
    }
    QVERIFY2(window.runningConversions().isConverting(longMp3),
             "the long conversion ended before the short ones: make it longer");
    for (const QString &text : std::as_const(texts))
        QVERIFY2(text.startsWith("Code : ") && text.endsWith(" Conversion done! "),
                 qPrintable(text));
    QCOMPARE(QSet<QString>(texts.cbegin(), texts.cend()).size(), 5);
    QCOMPARE(started, 6);
    for (const QString &video : shortVideos) {
        const std::optional<double> seconds =
            Mp3AudioSeconds(video.left(video.lastIndexOf('.')) + ".mp3");
        QVERIFY(seconds);
        QVERIFY2(qAbs(*seconds - 2) < 0.2, qPrintable(QString::number(*seconds)));
    }

    QTRY_COMPARE_WITH_TIMEOUT(OpenBoxes().size(), 1, 120000);
    QVERIFY2(OpenBoxes().constFirst()->text().endsWith(" Conversion done! "),
             qPrintable(OpenBoxes().constFirst()->text()));
    const std::optional<double> seconds = Mp3AudioSeconds(longMp3);
    QVERIFY(seconds);
    QVERIFY2(qAbs(*seconds - 1200) < 1, qPrintable(QString::number(*seconds)));
    QTest::mouseClick(OpenBoxes().constFirst()->button(QMessageBox::Ok), Qt::LeftButton);
    QTRY_COMPARE(BoxesAlive(), 0);
    QCOMPARE(started, 6);
    QVERIFY(QDir(dir.path()).entryList({"*.part"}, QDir::Files | QDir::Hidden).isEmpty());
}

QTEST_MAIN(TestManyAtOnce)
#include "tst_ManyAtOnce.moc"

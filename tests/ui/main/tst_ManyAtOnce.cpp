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
    QTemporaryDir dir;
    // Twenty minutes of sound that decodes at once: it still converts while the others end.
    // Matroska: an AVI of PCM declares a length some seconds longer than its sound.
    const QString longVideo = dir.filePath("long.mkv");
    QCOMPARE(RunToEnd(QUILLON_FFMPEG,
                      {"-nostdin", "-v", "error", "-f", "lavfi", "-i",
                       "sine=duration=1200:sample_rate=8000", "-c:a", "pcm_s16le", longVideo}),
             0);
    const QStringList shortVideos = {dir.filePath("a.mp4"), dir.filePath("b.avi"),
                                     dir.filePath("c.flv")};
    for (const QString &video : shortVideos)
        QVERIFY(MakeClip(video, 2));

    QtDesktopServices services;
    FrmQuillon window(services);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Clicks before the converter has said its version would start only once it has.
    QTRY_VERIFY(!window.runningConversions().checkingConverter());
    auto *txtInput = window.findChild<QLineEdit *>("txtInput");
    auto *cmdConvert = window.findChild<QPushButton *>("cmdConvert");
    // Started in one go, before any of them ends and its box stands over the main window.
    for (const QString &video : QStringList{longVideo} + shortVideos) {
        txtInput->setText(video);
        cmdConvert->click();
    }
    const QString longMp3 = dir.filePath("long.mp3");
    QVERIFY(window.runningConversions().isConverting(longMp3));

    QTRY_COMPARE_WITH_TIMEOUT(OpenBoxes().size(), 3, 60000);
    QVERIFY2(window.runningConversions().isConverting(longMp3),
             "the long conversion ended before the short ones: make it longer");
    for (QMessageBox *box : OpenBoxes()) {
        QVERIFY(box->text().startsWith("Code : "));
        QVERIFY(box->text().endsWith(" Conversion done! "));
    }
    for (const QString &video : shortVideos) {
        const std::optional<double> seconds =
            Mp3AudioSeconds(video.left(video.lastIndexOf('.')) + ".mp3");
        QVERIFY(seconds);
        QVERIFY2(qAbs(*seconds - 2) < 0.2, qPrintable(QString::number(*seconds)));
    }

    // Answered out of order while the long one goes on: nothing takes another down with it.
    QList<QMessageBox *> boxes = OpenBoxes();
    for (const int which : {1, 0, 2}) {
        QPointer<QMessageBox> box = boxes.at(which);
        box->button(QMessageBox::Ok)->click();
        QTRY_VERIFY(box.isNull());
    }
    QVERIFY(window.runningConversions().isConverting(longMp3));

    QTRY_COMPARE_WITH_TIMEOUT(OpenBoxes().size(), 1, 120000);
    QVERIFY2(OpenBoxes().constFirst()->text().endsWith(" Conversion done! "),
             qPrintable(OpenBoxes().constFirst()->text()));
    const std::optional<double> seconds = Mp3AudioSeconds(longMp3);
    QVERIFY(seconds);
    QVERIFY2(qAbs(*seconds - 1200) < 1, qPrintable(QString::number(*seconds)));
    OpenBoxes().constFirst()->button(QMessageBox::Ok)->click();
    QTRY_COMPARE(BoxesAlive(), 0);
    QVERIFY(QDir(dir.path()).entryList({"*.part"}, QDir::Files | QDir::Hidden).isEmpty());
}

QTEST_MAIN(TestManyAtOnce)
#include "tst_ManyAtOnce.moc"

#include "FakeServices.h"
#include "TestClips.h"
#include "conversion/ConversionCommand.h"
#include "conversion/Conversions.h"
#include "conversion/ShortPath.h"
#include "platform/DesignFonts.h"
#include "ui/converter/FrmConverter.h"
#include "ui/converter/ProgressBar.h"
#include "ui/main/FrmQuillon.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyleFactory>
#include <QtTest>

class TestFrmConverter : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void showsWhatIsConvertedMaximized();
    void progressShowsInBarAndTitle();
    void durationsAreShownAsClockTimes();
    void barDrawnStepByStepLooksDrawnAtOnce_data();
    void barDrawnStepByStepLooksDrawnAtOnce();
    void busyBarKeepsMoving();
    void successClosesTheWindow();
    void failureKeepsTheWindowOnTheConverterOutput();
    void cancelAsksFirst();
    void closingWhileRunningAsksFirst();
    void outputPaneStaysBounded();
    void mainWindowAnswersWhileALongConversionRuns();
    void closingTheMainWindowLeavesConversionsAlone();

private:
    FrmConverter *start();
    template <typename T> T *control(const char *name)
    {
        T *widget = window ? window->findChild<T *>(QLatin1String(name)) : nullptr;
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<FakeServices> services;
    std::unique_ptr<Conversions> conversions;
    QPointer<FrmConverter> window;
    QString clip;
};

void TestFrmConverter::initTestCase()
{
    LoadDesignFonts();
}

void TestFrmConverter::init()
{
    dir = std::make_unique<QTemporaryDir>();
    services = std::make_unique<FakeServices>();
    conversions = std::make_unique<Conversions>(*services);
    connect(conversions.get(), &Conversions::started, this,
            [this](ConversionJob *job) { window = new FrmConverter(*services, job); });
    clip = dir->filePath("clip.avi");
    QFile file(clip);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

void TestFrmConverter::cleanup()
{
    delete window;
    conversions.reset();
    services.reset();
}

FrmConverter *TestFrmConverter::start()
{
    conversions->request({clip, {}, {}, {}});
    return window;
}

void TestFrmConverter::showsWhatIsConvertedMaximized()
{
    QVERIFY(start());
    QVERIFY(window->isVisible());
    QVERIFY(window->windowState() & Qt::WindowMaximized);
    QCOMPARE(window->windowTitle(), QString("0% - clip.avi - Quillon"));
    // What the converter is given: on Windows, the short (8.3) form and the MP3 named from it.
    QCOMPARE(control<QLabel>("lblVideo")->text(), "Video: " + ShortPathOf(clip));
    QCOMPARE(control<QLabel>("lblMp3")->text(), "Mp3: " + OutputBaseOf(ShortPathOf(clip)));
    QCOMPARE(control<QPushButton>("cmdCancel")->text(), QString("Annulla"));
    QVERIFY(control<QPlainTextEdit>("txtLog")->isReadOnly());
    QVERIFY(control<QPlainTextEdit>("txtLog")->toPlainText().contains(" -i " + ShortPathOf(clip) +
                                                                      " -ar"));
}

void TestFrmConverter::progressShowsInBarAndTitle()
{
    QVERIFY(start());
    services->writeError(0, "  Duration: 00:10:00.00, start: 0.000000, bitrate: 92 kb/s\n");
    services->writeOutput(0, "out_time_us=150000000\nprogress=continue\n");
    QCOMPARE(control<QProgressBar>("prgProgress")->value(), 25);
    QCOMPARE(window->windowTitle(), QString("25% - clip.avi - Quillon"));
    QVERIFY(control<QLabel>("lblTime")->text().contains("Tempo rimanente: "));
    // The pane takes lines a few times a second.
    QTRY_VERIFY(control<QPlainTextEdit>("txtLog")->toPlainText().contains("Duration: 00:10:00.00"));
}

void TestFrmConverter::durationsAreShownAsClockTimes()
{
    QCOMPARE(FormatDuration(0), QString("0:00"));
    QCOMPARE(FormatDuration(59999), QString("0:59"));
    QCOMPARE(FormatDuration(61000), QString("1:01"));
    QCOMPARE(FormatDuration(3600000), QString("1:00:00"));
    QCOMPARE(FormatDuration(3725000), QString("1:02:05"));

    QVERIFY(start());
    services->writeError(0, "  Duration: 00:00:10.00, start: 0.000000\n");
    QTest::qWait(20); // some time must have passed for any time to be left
    services->writeOutput(0, "out_time_us=9990000\nprogress=continue\n");
    // Nearly done, but not done: the time left never reads 0:00 while it runs.
    QVERIFY2(control<QLabel>("lblTime")->text().endsWith("Tempo rimanente: 0:01"),
             qPrintable(control<QLabel>("lblTime")->text()));
}

namespace {
// The largest difference of one colour channel between two pictures; 256 if their sizes differ.
int MaxDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 256;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    int most = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int column = 0; column < x.width(); ++column) {
            most = std::max({most, std::abs(qRed(p[column]) - qRed(q[column])),
                             std::abs(qGreen(p[column]) - qGreen(q[column])),
                             std::abs(qBlue(p[column]) - qBlue(q[column])),
                             std::abs(qAlpha(p[column]) - qAlpha(q[column]))});
        }
    }
    return most;
}
} // namespace

void TestFrmConverter::barDrawnStepByStepLooksDrawnAtOnce_data()
{
    // Steps: "vN" a value, "wN" a width, "busy" and "known" the range, "grey" another
    // highlight colour.
    QTest::addColumn<QStringList>("steps");
    QStringList everyPercent;
    for (int percent = 0; percent <= 100; ++percent)
        everyPercent << QStringLiteral("v%1").arg(percent);
    QTest::newRow("a percent at a time") << everyPercent;
    QTest::newRow("back and forth") << QStringList{"v50", "v20", "v80", "v0", "v9", "v10"};
    QTest::newRow("resized between values") << QStringList{"v30", "w300", "v60", "w900", "v61"};
    QTest::newRow("busy, then a length") << QStringList{"v0", "busy", "known", "v5", "v45"};
    QTest::newRow("another colour") << QStringList{"v10", "grey", "v20"};
    QTest::newRow("back to the value shown while busy")
        << QStringList{"busy", "v0", "known", "v30", "v0"};
}

void TestFrmConverter::barDrawnStepByStepLooksDrawnAtOnce()
{
    QFETCH(QStringList, steps);
    // The style whose drawing the bar redraws in part.
    std::unique_ptr<QStyle> fusion(QStyleFactory::create("Fusion"));
    const auto setUp = [&](QProgressBar &bar, int width) {
        bar.setStyle(fusion.get());
        bar.setRange(0, 100);
        bar.resize(width, 24);
    };
    ProgressBar stepped;
    setUp(stepped, 600);
    stepped.show();
    QVERIFY(QTest::qWaitForWindowExposed(&stepped));
    for (const QString &step : steps) {
        if (step == "busy") {
            stepped.setRange(0, 0);
        } else if (step == "known") {
            stepped.setRange(0, 100);
        } else if (step == "grey") {
            QPalette palette = stepped.palette();
            palette.setColor(QPalette::Highlight, Qt::darkGray);
            stepped.setPalette(palette);
        } else if (step.startsWith('w')) {
            stepped.resize(step.mid(1).toInt(), 24);
        } else {
            stepped.setValue(step.mid(1).toInt());
        }
        // What is on the screen, painted when the bar chose to paint. The offscreen screen
        // hands its windows over unscaled only; on a scaled one the bar draws itself anew.
        QCoreApplication::processEvents();
        const QImage seen = stepped.devicePixelRatio() == 1
                                ? stepped.screen()->grabWindow(stepped.winId()).toImage()
                                : stepped.grab().toImage();

        QProgressBar atOnce; // as Qt draws it
        setUp(atOnce, stepped.width());
        atOnce.setRange(stepped.minimum(), stepped.maximum());
        atOnce.setValue(stepped.value());
        atOnce.setPalette(stepped.palette());
        // Drawn on a clear ground first, a corner pixel may round one step apart.
        QVERIFY2(MaxDifference(seen, atOnce.grab().toImage()) <= 1, qPrintable("after " + step));
    }
}

void TestFrmConverter::busyBarKeepsMoving()
{
    std::unique_ptr<QStyle> fusion(QStyleFactory::create("Fusion"));
    ProgressBar bar;
    bar.setStyle(fusion.get());
    bar.setRange(0, 0);
    bar.resize(300, 24);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    const QImage first = bar.grab().toImage();
    QTRY_VERIFY_WITH_TIMEOUT(bar.grab().toImage() != first, 5000);
}

void TestFrmConverter::successClosesTheWindow()
{
    QVERIFY(start());
    QFile temp(services->writtenFile(0));
    QVERIFY(temp.open(QIODevice::WriteOnly));
    temp.write(Mp3Frames(1));
    temp.close();
    services->finish(0, 0);
    QTRY_VERIFY(window.isNull());
    QCOMPARE(services->messages.last().prompt, QString("Code : 4242 Conversion done! "));
}

void TestFrmConverter::failureKeepsTheWindowOnTheConverterOutput()
{
    QVERIFY(start());
    services->writeError(0, "clip.avi: Invalid data found when processing input\n");
    services->finish(0, 1, false, "clip.avi: Invalid data found when processing input");
    QCOMPARE(services->messages.last().style, MessageStyle::Critical);
    QVERIFY(window && window->isVisible());
    QVERIFY(control<QPlainTextEdit>("txtLog")->toPlainText().contains("Invalid data found"));
    QCOMPARE(control<QPushButton>("cmdCancel")->text(), QString("Chiudi"));
    QTest::mouseClick(control<QPushButton>("cmdCancel"), Qt::LeftButton);
    QTRY_VERIFY(window.isNull());
    QCOMPARE(services->messages.size(), 1); // closing an ended conversion asks nothing
}

void TestFrmConverter::cancelAsksFirst()
{
    QVERIFY(start());
    services->questionAnswers.enqueue(MessageAnswer::No);
    QTest::mouseClick(control<QPushButton>("cmdCancel"), Qt::LeftButton);
    QCOMPARE(services->messages.last().prompt, QString("Interrompere la conversione?"));
    QCOMPARE(services->messages.last().style, MessageStyle::Question);
    QVERIFY(services->stops.isEmpty());

    services->questionAnswers.enqueue(MessageAnswer::Yes);
    QTest::mouseClick(control<QPushButton>("cmdCancel"), Qt::LeftButton);
    QCOMPARE(services->stops, QList<qint64>{4242});
    services->finish(0, 255);
    QVERIFY(window && window->isVisible());
    QCOMPARE(control<QPushButton>("cmdCancel")->text(), QString("Chiudi"));
    QVERIFY(control<QPlainTextEdit>("txtLog")->toPlainText().endsWith("Conversione interrotta."));
    QCOMPARE(services->messages.size(), 2); // the two questions, nothing more
}

void TestFrmConverter::closingWhileRunningAsksFirst()
{
    QVERIFY(start());
    services->questionAnswers.enqueue(MessageAnswer::No);
    window->close();
    QVERIFY(window && window->isVisible());
    QVERIFY(services->stops.isEmpty());

    services->questionAnswers.enqueue(MessageAnswer::Yes);
    window->close();
    QTRY_VERIFY(window.isNull());
    QCOMPARE(services->stops, QList<qint64>{4242});
    services->finish(0, 255); // the conversion ends on its own after its window went
    QVERIFY(!QFileInfo::exists(dir->filePath("clip.mp3")));
    QCOMPARE(QDir(dir->path()).entryList({"*.part"}, QDir::Files), QStringList());
}

void TestFrmConverter::outputPaneStaysBounded()
{
    QVERIFY(start());
    QByteArray lines;
    for (int i = 0; i < 10000; ++i)
        lines += "frame line " + QByteArray::number(i) + "\n";
    services->writeError(0, lines);
    auto *log = control<QPlainTextEdit>("txtLog");
    QTRY_VERIFY(log->toPlainText().endsWith("frame line 9999"));
    QVERIFY(log->blockCount() <= FrmConverter::kMaxLogLines + 1);
}

void TestFrmConverter::mainWindowAnswersWhileALongConversionRuns()
{
    // Ten minutes of sound, in a container that the shipped Windows converter writes too.
    const QString input = dir->filePath("long.wav");
    QCOMPARE(RunToEnd(QUILLON_FFMPEG, {"-nostdin", "-v", "error", "-f", "lavfi", "-i",
                                       "sine=duration=600:sample_rate=8000", input}),
             0);
    services->realProcesses = true;
    services->pathConverter = QUILLON_FFMPEG;
    FrmQuillon main(*services);
    auto *txtInput = main.findChild<QLineEdit *>("txtInput");
    QTest::keyClicks(txtInput, input);
    QTest::mouseClick(main.findChild<QPushButton *>("cmdConvert"), Qt::LeftButton);
    QCOMPARE(services->starts.size(), 1);

    int ticks = 0;
    QTimer ticker;
    ticker.callOnTimeout([&ticks] { ++ticks; });
    ticker.start(0);
    // While the converter works, the main window still takes clicks.
    QTRY_VERIFY_WITH_TIMEOUT(ticks > 100, 10000);
    QVERIFY(services->messages.isEmpty());
    auto *chkCut = main.findChild<QCheckBox *>("chkCut");
    QTest::mouseClick(chkCut, Qt::LeftButton, {}, QPoint(8, chkCut->height() / 2));
    QCOMPARE(main.outerHeightTwips(), 4470);
    QVERIFY2(services->messages.isEmpty(), "the conversion ended before the window was tried");
    QTRY_VERIFY_WITH_TIMEOUT(!services->messages.isEmpty(), 120000);
    QCOMPARE(services->messages.last().style, MessageStyle::Plain);
}

void TestFrmConverter::closingTheMainWindowLeavesConversionsAlone()
{
    FrmQuillon main(*services);
    main.findChild<QLineEdit *>("txtInput")->setText(clip);
    QTest::mouseClick(main.findChild<QPushButton *>("cmdConvert"), Qt::LeftButton);
    QCOMPARE(services->starts.size(), 1);
    QPointer<FrmConverter> converter;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *found = qobject_cast<FrmConverter *>(widget); found && found->isVisible())
            converter = found;
    }
    QVERIFY(converter);

    // Run the program's own event loop: it must go on until the conversion's window closes.
    bool runningAfterMainClosed = false;
    QTimer::singleShot(0, &main, [&main] { main.close(); });
    QTimer::singleShot(200, this, [&] {
        runningAfterMainClosed = converter && converter->isVisible();
        QFile temp(services->writtenFile(0));
        if (temp.open(QIODevice::WriteOnly))
            temp.write(Mp3Frames(1));
        temp.close();
        services->finish(0, 0); // success closes the conversion's window
    });
    QTimer guard;
    guard.callOnTimeout([] { QCoreApplication::exit(2); });
    guard.start(10000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(runningAfterMainClosed);
    QVERIFY(QFileInfo::exists(dir->filePath("clip.mp3")));
    QVERIFY(services->messages.last().prompt.endsWith(" Conversion done! "));
}

QTEST_MAIN(TestFrmConverter)
#include "tst_FrmConverter.moc"

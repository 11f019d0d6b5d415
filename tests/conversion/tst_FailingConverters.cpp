#include "FakeServices.h"
#include "Processes.h"
#include "TestClips.h"
#include "conversion/Conversions.h"
#include "ui/converter/FrmConverter.h"
#include "ui/main/FrmQuillon.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace {
const QByteArray kOldMp3("ID3 the user's precious old audio");
const QByteArray kNewMp3 = Mp3Frames(10); // what a stand-in that succeeds writes
} // namespace

// Converters that misbehave on purpose. Whatever they do: the right message, no process left
// behind, no temporary file, and the MP3 that was there before replaced only by a success.
class TestFailingConverters : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void misbehaviour_data();
    void misbehaviour();
    void olderConverterIsNamed_data();
    void olderConverterIsNamed();
    void slowConverterLeavesTheWindowLive();

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<FakeServices> services;
    std::unique_ptr<Conversions> conversions;
    QPointer<FrmConverter> window;
};

void TestFailingConverters::init()
{
    dir = std::make_unique<QTemporaryDir>();
    services = std::make_unique<FakeServices>();
    services->realProcesses = true;
    services->stopGraceMs = 1000;
    services->pathConverter.clear();
    services->appFolder = dir->filePath("app");
    QVERIFY(QDir().mkdir(services->appFolder));
    QFile newMp3(services->appFolder + "/new.mp3");
    QVERIFY(newMp3.open(QIODevice::WriteOnly));
    newMp3.write(kNewMp3);
    newMp3.close();
    conversions = std::make_unique<Conversions>(*services);
    connect(conversions.get(), &Conversions::started, this,
            [this](ConversionJob *job) { window = new FrmConverter(*services, job); });
}

void TestFailingConverters::cleanup()
{
    delete window;
    conversions.reset();
    services.reset();
}

void TestFailingConverters::misbehaviour_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("prompt"); // empty: no message
    QTest::addColumn<bool>("replaced");
    QTest::newRow("exits 1 with a message")
        << QStringList{"err [error] Unknown encoder libmp3lame", "exit 1"} << false
        << "Conversione non riuscita (codice 1).\r\nUnknown encoder libmp3lame" << false;
    QTest::newRow("dies of a bad pointer")
        << QStringList{"write half", "err [error] about to fail", "crash"} << false
        << "Conversione non riuscita (codice crash).\r\nabout to fail" << false;
    QTest::newRow("aborts") << QStringList{"write half", "err [error] Assertion failed", "abort"}
                            << false << "Conversione non riuscita (codice crash).\r\nAssertion failed"
                            << false;
    QTest::newRow("hangs until stopped") << QStringList{"hang"} << true << QString() << false;
    QTest::newRow("writes 20 MB of output")
        << QStringList{"flood 20000000 [info] frame=  100 fps=0.0 q=-0.0 size=0kB "
                       "time=00:00:00.00 bitrate=N/A",
                       "err ", "err [fatal] Error: out of patience", "exit 1"}
        << false << "Conversione non riuscita (codice 1).\r\nError: out of patience" << false;
    QTest::newRow("never reports progress")
        << QStringList{"sleep 200", "copy new.mp3", "exit 0"} << false
        << "Code : %1 Conversion done! " << true;
    QTest::newRow("reports garbage progress")
        << QStringList{"err   Duration: 00:00:10.00, start: 0",
                       "out out_time_us=12abc",
                       "out out_time_us=",
                       "out progress=what",
                       "out \x01\x02",
                       "out out_time_us=-77",
                       "out out_time_us=99999999999999999999999",
                       "copy new.mp3",
                       "exit 0"}
        << false << "Code : %1 Conversion done! " << true;
    QTest::newRow("exits 0 without writing the output")
        << QStringList{"err [warning] nothing to do", "exit 0"} << false
        << "Conversione non riuscita (codice 0).\r\nnothing to do" << false;
}

void TestFailingConverters::misbehaviour()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, cancel);
    QFETCH(QString, prompt);
    QFETCH(bool, replaced);
    const QString program = InstallStandIn(services->appFolder, steps);
    QVERIFY(!program.isEmpty());
    const QString input = dir->filePath("clip.avi");
    QVERIFY(MakeClip(input, 1));
    const QString mp3 = dir->filePath("clip.mp3");
    QFile old(mp3);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(kOldMp3);
    old.close();
    services->questionAnswers.enqueue(MessageAnswer::Yes);
    const qint64 memoryBefore = ResidentKb();

    QPointer<ConversionJob> job = conversions->request({input, {}, {}, {}});
    QVERIFY(job);
    const qint64 taskId = job->taskId();
    QSignalSpy ended(job.data(), &ConversionJob::ended);
    QElapsedTimer stopping;
    if (cancel) {
        QTest::qWait(300);
        job->cancel();
        stopping.start();
    }
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 60000);
    if (cancel) // asked politely, then killed after the grace
        QVERIFY2(stopping.elapsed() < 1000 + 2000, qPrintable(QString::number(stopping.elapsed())));

    QCOMPARE(services->messages.size(), prompt.isEmpty() ? 1 : 2); // the replace question first
    if (!prompt.isEmpty())
        QCOMPARE(services->messages.last().prompt,
                 prompt.contains("%1") ? prompt.arg(taskId) : prompt);
    QFile result(mp3);
    QVERIFY(result.open(QIODevice::ReadOnly));
    QCOMPARE(result.readAll(), replaced ? kNewMp3 : kOldMp3);
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({"clip.avi", "clip.mp3"}));
    QVERIFY(!ProcessRunning(taskId));
    QTRY_VERIFY_WITH_TIMEOUT(!AnyProcessRuns(program), 2000);

    if (window) {
        const auto *log = window->findChild<QPlainTextEdit *>("txtLog");
        QVERIFY(log->blockCount() <= FrmConverter::kMaxLogLines + 1);
    }
#ifndef __SANITIZE_ADDRESS__ // its quarantine keeps freed memory resident on purpose
    const qint64 grownKb = ResidentKb() - memoryBefore;
    qInfo("resident memory grew by %lld KB", grownKb);
    QVERIFY2(grownKb < 64LL * 1024, qPrintable(QString::number(grownKb) + " KB more"));
#else
    Q_UNUSED(memoryBefore);
#endif
}

void TestFailingConverters::olderConverterIsNamed_data()
{
    QTest::addColumn<QString>("answer"); // to -version
    QTest::addColumn<QString>("prompt"); // empty: it converts
    const QString needed = "\r\nQuillon ha bisogno di ffmpeg 4.4 o più recente.";
    QTest::newRow("4.2")
        << "ffmpeg version 4.2.7-0ubuntu0.1 Copyright (c) 2000-2022 the FFmpeg developers"
        << "Questo ffmpeg è troppo vecchio: versione 4.2.7." + needed;
    QTest::newRow("a snapshot that names no release")
        << "ffmpeg version N-109421-g1a2b3c4 Copyright (c) 2000-2023 the FFmpeg developers"
        << "Non si riesce a leggere la versione di questo ffmpeg, che dice: \"ffmpeg version "
           "N-109421-g1a2b3c4 Copyright (c) 2000-2023 the FFmpeg developers\"." +
               needed;
    QTest::newRow("4.4 is new enough")
        << "ffmpeg version n4.4 Copyright (c) 2000-2021" << QString();
}

void TestFailingConverters::olderConverterIsNamed()
{
    QFETCH(QString, answer);
    QFETCH(QString, prompt);
    services->converterVersion.clear(); // the stand-in itself is asked
    const QString program =
        InstallStandIn(services->appFolder, {"version " + answer,
                                             "err [error] Unrecognized option 'stats_period'.",
                                             "copy new.mp3", "exit 0"});
    QVERIFY(!program.isEmpty());
    const QString input = dir->filePath("clip.avi");
    QVERIFY(MakeClip(input, 1));

    // Asked in the background: the click goes on once the converter has answered.
    QVERIFY(!conversions->request({input, {}, {}, {}}));
    QTRY_COMPARE_WITH_TIMEOUT(services->messages.size(), 1, 20000);
    QCOMPARE(services->starts.first().arguments, QStringList{"-version"});
    if (prompt.isEmpty()) {
        QCOMPARE(services->starts.size(), 2);
        QVERIFY2(services->messages.last().prompt.endsWith(" Conversion done! "),
                 qPrintable(services->messages.last().prompt));
        return;
    }
    QCOMPARE(services->messages.last().prompt, prompt + "\r\n" + program);
    QCOMPARE(services->messages.last().style, MessageStyle::Critical);
    QCOMPARE(services->starts.size(), 1); // nothing but the question
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"clip.avi"});
}

void TestFailingConverters::slowConverterLeavesTheWindowLive()
{
    // As when a scanner holds a new converter at its first start: each of its answers, the
    // version's too, comes seconds late. The window goes on answering meanwhile.
    services->converterVersion.clear();
    QVERIFY(!InstallStandIn(services->appFolder,
                            {"sleep 3000", "version ffmpeg version 7.1", "copy new.mp3", "exit 0"})
                 .isEmpty());
    const QString input = dir->filePath("clip.avi");
    QVERIFY(MakeClip(input, 1));
    qint64 longestGap = 0;
    QElapsedTimer sinceTick;
    QTimer ticks;
    connect(&ticks, &QTimer::timeout, this,
            [&] { longestGap = qMax(longestGap, sinceTick.restart()); });
    ticks.start(10);
    sinceTick.start();

    FrmQuillon main(*services); // it shows itself
    main.findChild<QLineEdit *>("txtInput")->setText(input);
    QTest::mouseClick(main.findChild<QPushButton *>("cmdConvert"), Qt::LeftButton);
    auto *chkCut = main.findChild<QCheckBox *>("chkCut");
    QTest::mouseClick(chkCut, Qt::LeftButton, {}, QPoint(8, chkCut->height() / 2));
    QVERIFY(chkCut->isChecked());
    QVERIFY(services->messages.isEmpty());

    QTRY_COMPARE_WITH_TIMEOUT(services->messages.size(), 1, 60000);
    QVERIFY2(services->messages.last().prompt.endsWith(" Conversion done! "),
             qPrintable(services->messages.last().prompt));
    qInfo("the window's longest wait while the converter took its time: %lld ms", longestGap);
    QVERIFY2(longestGap < 1500, qPrintable(QString::number(longestGap)));
}

QTEST_MAIN(TestFailingConverters)
#include "tst_FailingConverters.moc"

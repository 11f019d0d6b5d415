#include "FakeServices.h"
#include "TestClips.h"
#include "conversion/Conversions.h"

#include <QtTest>

namespace {
struct Probe
{
    QStringList codecs;
    int sampleRate = 0;
    int channels = 0;
    double bitRate = 0;
    double duration = 0;
};

Probe probe(const QString &path)
{
    QString out;
    RunToEnd(FfprobePath(),
             {"-v", "error", "-show_entries",
              "stream=codec_type,codec_name,sample_rate,channels:format=duration,bit_rate", "-of",
              "default=noprint_wrappers=1", path},
             &out);
    Probe result;
    for (const QString &line : out.split('\n', Qt::SkipEmptyParts)) {
        const QString key = line.section('=', 0, 0);
        const QString value = line.section('=', 1).trimmed();
        if (key == "codec_name")
            result.codecs << value;
        else if (key == "sample_rate")
            result.sampleRate = value.toInt();
        else if (key == "channels")
            result.channels = value.toInt();
        else if (key == "bit_rate")
            result.bitRate = value.toDouble();
        else if (key == "duration")
            result.duration = value.toDouble();
    }
    return result;
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
} // namespace

// Conversions with the real converter, or with fake ones that fail on purpose.
class TestConversionEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void wholeFile_data();
    void wholeFile();
    void cutOfOneSecond();
    void progressRisesToTheEndAndTheMp3AppearsLast();
    void cancelHalfwayLeavesNothing();
    void failingReplacementLeavesTheOldMp3();
    void converterThatCrashesIsSaidToHaveCrashed();
    void cutBeyondTheEndExtractsNoAudio();
    void sameOutputTwiceStartsOneConverter();

private:
    void useStandIn(const QStringList &steps);
    // Waits until the conversion has told its outcome: the count-th message.
    void waitForMessage(int count = 1);
    QStringList filesBesideTheClips() const;

    QTemporaryDir clips; // made once: the long one takes a few seconds
    QString longClip;
    std::unique_ptr<QTemporaryDir> dir;
    QString converter; // as Quillon finds it
    std::unique_ptr<FakeServices> services;
    std::unique_ptr<Conversions> conversions;
};

void TestConversionEndToEnd::initTestCase()
{
    longClip = clips.filePath("long.mp4");
    QVERIFY(MakeClip(longClip, 600));
}

void TestConversionEndToEnd::init()
{
    dir = std::make_unique<QTemporaryDir>();
    services = std::make_unique<FakeServices>();
    services->realProcesses = true;
    services->stopGraceMs = 2000;
    services->pathConverter.clear(); // only the converter beside the program may be used
    services->appFolder = dir->filePath("app");
    QVERIFY(QDir().mkdir(services->appFolder));
    converter = InstallConverter(services->appFolder);
    QVERIFY(!converter.isEmpty());
    conversions = std::make_unique<Conversions>(*services);
}

void TestConversionEndToEnd::cleanup()
{
    conversions.reset();
    services.reset();
    QFile::remove(clips.filePath("long.mp3"));
}

void TestConversionEndToEnd::useStandIn(const QStringList &steps)
{
    QVERIFY(!InstallStandIn(services->appFolder, steps).isEmpty());
}

void TestConversionEndToEnd::waitForMessage(int count)
{
    QTRY_VERIFY_WITH_TIMEOUT(services->messages.size() >= count, 120000);
}

QStringList TestConversionEndToEnd::filesBesideTheClips() const
{
    QStringList files = QDir(dir->path()).entryList(QDir::Files | QDir::Hidden);
    files += QDir(clips.path()).entryList(QDir::Files | QDir::Hidden);
    files.sort();
    return files;
}

void TestConversionEndToEnd::wholeFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("avi") << "clip.avi";
    QTest::newRow("flv") << "clip.flv";
    QTest::newRow("mp4") << "clip.mp4";
}

void TestConversionEndToEnd::wholeFile()
{
    QFETCH(QString, name);
    const QString input = dir->filePath(name);
    QVERIFY(MakeClip(input, 3));
    ConversionJob *job = conversions->request({input, {}, {}, {}});
    QVERIFY(job);
    const qint64 taskId = job->taskId();
    waitForMessage();
    QCOMPARE(services->messages[0].prompt,
             "Code : " + QString::number(taskId) + " Conversion done! ");
    QCOMPARE(services->messages[0].style, MessageStyle::Plain);
    QCOMPARE(services->starts[0].program, converter);

    const Probe mp3 = probe(dir->filePath("clip.mp3"));
    QCOMPARE(mp3.codecs, QStringList{"mp3"});
    QCOMPARE(mp3.sampleRate, 44100);
    QCOMPARE(mp3.channels, 2);
    QVERIFY2(qAbs(mp3.bitRate - 128000) < 8000, qPrintable(QString::number(mp3.bitRate)));
    QVERIFY2(qAbs(mp3.duration - 3.0) < 0.15, qPrintable(QString::number(mp3.duration)));
}

void TestConversionEndToEnd::cutOfOneSecond()
{
    const QString input = dir->filePath("clip.mp4");
    QVERIFY(MakeClip(input, 4));
    QVERIFY(conversions->request({input, {}, QString("1"), QString("2")}));
    waitForMessage();
    QCOMPARE(services->messages[0].style, MessageStyle::Plain);
    const Probe mp3 = probe(dir->filePath("clip.mp3"));
    QCOMPARE(mp3.codecs, QStringList{"mp3"});
    QVERIFY2(qAbs(mp3.duration - 1.0) < 0.15, qPrintable(QString::number(mp3.duration)));
}

void TestConversionEndToEnd::progressRisesToTheEndAndTheMp3AppearsLast()
{
    const QString mp3 = clips.filePath("long.mp3");
    ConversionJob *job = conversions->request({longClip, {}, {}, {}});
    QVERIFY(job);
    QList<int> seen;
    bool mp3BeforeTheEnd = false;
    connect(job, &ConversionJob::progressChanged, this, [&](int percent) {
        seen << percent;
        if (percent < 100 && QFileInfo::exists(mp3))
            mp3BeforeTheEnd = true;
    });
    waitForMessage();
    QCOMPARE(services->messages[0].style, MessageStyle::Plain);
    QVERIFY2(seen.size() >= 3, qPrintable(QString::number(seen.size())));
    QCOMPARE(seen.last(), 100);
    QVERIFY(std::is_sorted(seen.begin(), seen.end()));
    QCOMPARE(std::count(seen.begin(), seen.end(), 100), 1);
    QVERIFY(!mp3BeforeTheEnd);
    QVERIFY(qAbs(probe(mp3).duration - 600) < 1);
    QCOMPARE(filesBesideTheClips(), QStringList({"long.mp3", "long.mp4"}));
}

void TestConversionEndToEnd::cancelHalfwayLeavesNothing()
{
    QPointer<ConversionJob> job = conversions->request({longClip, {}, {}, {}});
    QVERIFY(job);
    QTRY_VERIFY_WITH_TIMEOUT(job && job->percent() >= 10, 60000);
    QVERIFY2(job->percent() < 90, "the clip converted too fast to cancel halfway");
    QSignalSpy ended(job.data(), &ConversionJob::ended);
    job->cancel();
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 10000);
    QCOMPARE(ended[0][0].value<JobEnd>(), JobEnd::Cancelled);
    QVERIFY(services->messages.isEmpty());
    QCOMPARE(filesBesideTheClips(), QStringList({"long.mp4"}));
}

void TestConversionEndToEnd::failingReplacementLeavesTheOldMp3()
{
    const QString input = dir->filePath("clip.avi");
    QVERIFY(MakeClip(input, 1));
    const QString mp3 = dir->filePath("clip.mp3");
    QFile old(mp3);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray("ID3 precious old audio \x00\x01\x02", 27));
    old.close();
    const QByteArray before = read(mp3);

    useStandIn({"write half-written audio", "err [error] Error while decoding stream #0:1",
                "exit 1"});
    services->questionAnswers.enqueue(MessageAnswer::Yes);
    QVERIFY(conversions->request({input, {}, {}, {}}));
    waitForMessage(2); // the replace question, then the outcome
    QCOMPARE(services->messages.last().prompt,
             QString("Conversione non riuscita (codice 1).\r\nError while decoding stream #0:1"));
    QCOMPARE(read(mp3), before);
    QCOMPARE(QDir(dir->path()).entryList({"*.part"}, QDir::Files | QDir::Hidden), QStringList());
}

void TestConversionEndToEnd::converterThatCrashesIsSaidToHaveCrashed()
{
    const QString input = dir->filePath("clip.flv");
    QVERIFY(MakeClip(input, 1));
    useStandIn({"write x", "err [error] about to fail", "crash"});
    QVERIFY(conversions->request({input, {}, {}, {}}));
    waitForMessage();
    QCOMPARE(services->messages.last().prompt,
             QString("Conversione non riuscita (codice crash).\r\nabout to fail"));
    QCOMPARE(services->messages.last().style, MessageStyle::Critical);
    QCOMPARE(filesBesideTheClips(), QStringList({"clip.flv", "long.mp4"}));
}

void TestConversionEndToEnd::cutBeyondTheEndExtractsNoAudio()
{
    const QString input = dir->filePath("clip.mp4");
    QVERIFY(MakeClip(input, 2));
    QVERIFY(conversions->request({input, {}, QString("10"), QString("0")}));
    waitForMessage();
    QCOMPARE(services->messages.last().prompt,
             QString("Nessun audio estratto: l'inizio del taglio (10 s) è oltre la fine del video "
                     "(2 s).\r\nOutput file is empty, nothing was encoded"));
    QCOMPARE(services->messages.last().style, MessageStyle::Critical);
    QCOMPARE(filesBesideTheClips(), QStringList({"clip.mp4", "long.mp4"}));
}

void TestConversionEndToEnd::sameOutputTwiceStartsOneConverter()
{
    const QString input = dir->filePath("clip.avi");
    QVERIFY(MakeClip(input, 2));
    QVERIFY(conversions->request({input, {}, {}, {}}));
    QVERIFY(!conversions->request({input, {}, {}, {}}));
    QCOMPARE(services->starts.size(), 1);
    QCOMPARE(services->messages.size(), 1);
    QVERIFY(services->messages[0].prompt.startsWith("Questo file Mp3 è già in conversione:"));
    QTRY_COMPARE_WITH_TIMEOUT(services->messages.size(), 2, 60000);
    QCOMPARE(services->messages[1].style, MessageStyle::Plain);
}

QTEST_GUILESS_MAIN(TestConversionEndToEnd)
#include "tst_ConversionEndToEnd.moc"

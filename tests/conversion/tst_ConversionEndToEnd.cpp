#include "FakeServices.h"
#include "TestClips.h"
#include "conversion/ConversionRequest.h"

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
} // namespace

class TestConversionEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void wholeFile_data();
    void wholeFile();
    void cutOfOneSecond();

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<FakeServices> services;
    // Starts a request and waits until it has told its outcome.
    void convert(const QString &input, std::optional<QString> start = {},
                 std::optional<QString> end = {});
};

void TestConversionEndToEnd::init()
{
    dir = std::make_unique<QTemporaryDir>();
    services = std::make_unique<FakeServices>();
    services->realProcesses = true;
    services->pathConverter.clear(); // only the converter beside the program may be used
    services->appFolder = dir->filePath("app");
    QVERIFY(QDir().mkdir(services->appFolder));
    QVERIFY(QFile::link(QUILLON_FFMPEG, services->appFolder + "/ffmpeg"));
}

void TestConversionEndToEnd::convert(const QString &input, std::optional<QString> start,
                                     std::optional<QString> end)
{
    QVERIFY(RunConversionRequest(*services, {input, {}, start, end}) != 0);
    QTRY_COMPARE_WITH_TIMEOUT(services->messages.size(), 1, 60000);
    QCOMPARE(services->messages[0].style, MessageStyle::Plain);
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
    convert(input);
    if (QTest::currentTestFailed())
        return;
    const FakeServices::Start &start = services->starts.at(0);
    QCOMPARE(services->messages[0].prompt,
             "Code : " + QString::number(start.taskId) + " Conversion done! ");
    QCOMPARE(start.program, services->appFolder + "/ffmpeg");

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
    convert(input, "1", "2");
    if (QTest::currentTestFailed())
        return;
    const Probe mp3 = probe(dir->filePath("clip.mp3"));
    QCOMPARE(mp3.codecs, QStringList{"mp3"});
    QVERIFY2(qAbs(mp3.duration - 1.0) < 0.15, qPrintable(QString::number(mp3.duration)));
}

QTEST_GUILESS_MAIN(TestConversionEndToEnd)
#include "tst_ConversionEndToEnd.moc"

#include "TestClips.h"
#include "conversion/AudioProbe.h"
#include "conversion/ConverterOutput.h"
#include "conversion/Mp3Length.h"

#include <QtTest>

class TestConverterOutput : public QObject
{
    Q_OBJECT
private slots:
    void durationFromLogLine_data();
    void durationFromLogLine();
    void expectedSeconds_data();
    void expectedSeconds();
    void percentAndTimeLeft();
    void progressReportAcceptsOlderKeyAndPieces();
    void mp3LengthIsReadFromItsFrames();
    void expectedAudioOfASpan_data();
    void expectedAudioOfASpan();
};

void TestConverterOutput::durationFromLogLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<double>("seconds"); // -1: none
    QTest::newRow("input duration")
        << "  Duration: 00:00:10.00, start: 0.000000, bitrate: 92 kb/s" << 10.0;
    QTest::newRow("hours and fractions") << "  Duration: 01:02:03.45, start: 0" << 3723.45;
    QTest::newRow("not available") << "  Duration: N/A, bitrate: N/A" << -1.0;
    QTest::newRow("other line") << "Stream #0:1: Audio: mp3, 44100 Hz" << -1.0;
    QTest::newRow("a file name that says Duration")
        << "Input #0, avi, from '/v/Duration: 00:00:05.00.avi':" << -1.0;
}

void TestConverterOutput::durationFromLogLine()
{
    QFETCH(QString, line);
    QFETCH(double, seconds);
    const std::optional<double> found = DurationFromLogLine(line);
    if (seconds < 0) {
        QVERIFY(!found);
    } else {
        QVERIFY(found);
        QCOMPARE(*found, seconds);
    }
}

void TestConverterOutput::expectedSeconds_data()
{
    QTest::addColumn<double>("duration"); // -1: unknown
    QTest::addColumn<bool>("isCut");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<double>("expected"); // -1: unknown
    QTest::newRow("whole file") << 600.0 << false << 0 << 0 << 600.0;
    QTest::newRow("whole file, length unknown") << -1.0 << false << 0 << 0 << -1.0;
    QTest::newRow("cut") << 600.0 << true << 65 << 130 << 65.0;
    QTest::newRow("cut to the end") << 600.0 << true << 65 << 0 << 535.0;
    QTest::newRow("cut to the end, length unknown") << -1.0 << true << 65 << 0 << -1.0;
    QTest::newRow("cut ending past the video") << 100.0 << true << 60 << 300 << 40.0;
    QTest::newRow("cut starting past the video") << 100.0 << true << 200 << 300 << 0.0;
    QTest::newRow("cut, length unknown") << -1.0 << true << 10 << 40 << 30.0;
}

void TestConverterOutput::expectedSeconds()
{
    QFETCH(double, duration);
    QFETCH(bool, isCut);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(double, expected);
    const std::optional<double> got =
        ExpectedSeconds(duration < 0 ? std::nullopt : std::optional<double>(duration),
                        isCut ? std::optional<CutRange>(CutRange{start, end}) : std::nullopt);
    if (expected < 0) {
        QVERIFY(!got);
    } else {
        QVERIFY(got);
        QCOMPARE(*got, expected);
    }
}

void TestConverterOutput::percentAndTimeLeft()
{
    QCOMPARE(ProgressPercent(0, 10), 0);
    QCOMPARE(ProgressPercent(2.5, 10), 25);
    QCOMPARE(ProgressPercent(10, 10), 99);
    QCOMPARE(ProgressPercent(12, 10), 99);
    QCOMPARE(ProgressPercent(5, 0), 0);
    QCOMPARE(RemainingMs(4000, 2.5, 10), 12000);
    QCOMPARE(RemainingMs(4000, 0, 10), -1);
    QCOMPARE(RemainingMs(4000, 12, 10), 0);
}

void TestConverterOutput::progressReportAcceptsOlderKeyAndPieces()
{
    ProgressReport report;
    QVERIFY(!report.writtenSeconds());
    report.feed("out_time_ms=1500");
    QVERIFY(!report.writtenSeconds()); // the line is not complete yet
    report.feed("000\nprogress=continue\n");
    QCOMPARE(*report.writtenSeconds(), 1.5);
    report.feed("out_time_us=-5\nout_time_us=1000000\n");
    QCOMPARE(*report.writtenSeconds(), 1.5);
}

void TestConverterOutput::mp3LengthIsReadFromItsFrames()
{
    QTemporaryDir dir;
    const QString mp3 = dir.filePath("real.mp3");
    // The converter's own MP3, with its ID3 tag and Info frame, against its prober's reading.
    QCOMPARE(RunToEnd(QUILLON_FFMPEG, {"-nostdin", "-v", "error", "-f", "lavfi", "-i",
                                       "sine=duration=3.3", "-ar", "44100", "-ab", "128k", mp3}),
             0);
    QString probed;
    QCOMPARE(RunToEnd(FfprobePath(), {"-v", "error", "-show_entries", "format=duration", "-of",
                                      "default=nw=1:nk=1", mp3},
                      &probed),
             0);
    const std::optional<double> seconds = Mp3AudioSeconds(mp3);
    QVERIFY(seconds);
    QVERIFY2(qAbs(*seconds - probed.trimmed().toDouble()) < 0.03, qPrintable(probed));

    QFile tagOnly(dir.filePath("tag.mp3"));
    QVERIFY(tagOnly.open(QIODevice::WriteOnly));
    tagOnly.write(QByteArray("ID3\x04\0\0\0\0\0\0", 10) + QByteArray(300, '\0'));
    tagOnly.close();
    QCOMPARE(Mp3AudioSeconds(tagOnly.fileName()), std::optional<double>(0.0));
    QVERIFY(!Mp3AudioSeconds(dir.filePath("missing.mp3")));
}

void TestConverterOutput::expectedAudioOfASpan_data()
{
    QTest::addColumn<double>("start"); // where the audio starts in the video
    QTest::addColumn<double>("length");
    QTest::addColumn<int>("cutStart"); // -1: whole file
    QTest::addColumn<int>("cutEnd");
    QTest::addColumn<double>("expected");
    QTest::newRow("whole, late audio") << 3.0 << 7.0 << -1 << 0 << 7.0;
    QTest::newRow("cut inside the audio") << 0.0 << 60.0 << 10 << 20 << 10.0;
    QTest::newRow("cut to the end, audio ends early") << 0.0 << 5.0 << 2 << 0 << 3.0;
    QTest::newRow("cut starting before late audio") << 3.0 << 7.0 << 1 << 5 << 2.0;
    QTest::newRow("cut after the audio's end") << 0.0 << 5.0 << 6 << 9 << 0.0;
}

void TestConverterOutput::expectedAudioOfASpan()
{
    QFETCH(double, start);
    QFETCH(double, length);
    QFETCH(int, cutStart);
    QFETCH(int, cutEnd);
    QFETCH(double, expected);
    const std::optional<CutRange> cut =
        cutStart < 0 ? std::nullopt : std::optional<CutRange>(CutRange{cutStart, cutEnd});
    QCOMPARE(ExpectedAudioSeconds({start, length}, cut), expected);
}

QTEST_GUILESS_MAIN(TestConverterOutput)
#include "tst_ConverterOutput.moc"

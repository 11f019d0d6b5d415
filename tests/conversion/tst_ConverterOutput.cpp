#include "conversion/ConverterOutput.h"

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

QTEST_GUILESS_MAIN(TestConverterOutput)
#include "tst_ConverterOutput.moc"

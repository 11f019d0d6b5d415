#include "TestClips.h"
#include "platform/ProcessStarter.h"

#include <QtTest>

class TestProcessStarter : public QObject
{
    Q_OBJECT
private slots:
    void lastLineSurvivesPiecesAndCarriageReturns();
    void lastLineStaysBounded();
    void lineSplitterStaysBounded();
    void endIsReported_data();
    void endIsReported();
    void argumentsReachTheProgramUnchanged();
    void missingProgramIsAnError();
    void outputArrivesBeforeTheEnd();
    void stopAsksFirstThenKills_data();
    void stopAsksFirstThenKills();
};

void TestProcessStarter::lastLineSurvivesPiecesAndCarriageReturns()
{
    LastLineTracker tracker;
    tracker.feed("first line\nsize=  12kB time=00:00:01\r");
    tracker.feed("size=  24kB ti");
    tracker.feed("me=00:00:02\r\n\n   \n");
    QCOMPARE(tracker.lastLine(), "size=  24kB time=00:00:02");
    tracker.feed("Conversion failed!");
    QCOMPARE(tracker.lastLine(), "Conversion failed!");
}

void TestProcessStarter::lastLineStaysBounded()
{
    LastLineTracker tracker;
    for (int i = 0; i < 1000; ++i)
        tracker.feed(QByteArray(1000, 'x'));
    QVERIFY(tracker.lastLine().size() <= 4096);
}

void TestProcessStarter::endIsReported_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("crashed");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("lastLine");
    QTest::newRow("error status")
        << QStringList{"err Stream mapping", "err Invalid data found", "err ", "exit 1"} << false
        << 1 << "Invalid data found";
    QTest::newRow("success") << QStringList{"err done", "exit 0"} << false << 0 << "done";
    // Windows' converter returns its error codes whole: a failure of its own, not a crash.
    QTest::newRow("a negative status")
        << QStringList{"err [error] Invalid argument", "exit -22"} << false
        << (ProgramSuffix().isEmpty() ? 234 : -22) << "[error] Invalid argument";
    QTest::newRow("a bad pointer") << QStringList{"err dying", "crash"} << true << 0 << "dying";
    QTest::newRow("an abort") << QStringList{"err dying", "abort"} << true << 0 << "dying";
}

void TestProcessStarter::endIsReported()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, crashed);
    QFETCH(int, exitCode);
    QFETCH(QString, lastLine);
    QTemporaryDir dir;
    const QString program = InstallStandIn(dir.path(), steps);
    QVERIFY(!program.isEmpty());

    ProcessStarter starter;
    std::optional<ProcessEnd> end;
    const StartResult started =
        starter.start(program, {}, {{}, {}, [&](const ProcessEnd &e) { end = e; }, {}});
    QVERIFY(started.started());
    QVERIFY(started.taskId > 0);
    QTRY_VERIFY_WITH_TIMEOUT(end.has_value(), 10000);
    if (!end)
        QFAIL("the program never ended");
    QCOMPARE(end->taskId, started.taskId);
    QCOMPARE(end->crashed, crashed);
    if (!crashed)
        QCOMPARE(end->exitCode, exitCode);
    QCOMPARE(end->lastErrorLine, lastLine);
}

void TestProcessStarter::argumentsReachTheProgramUnchanged()
{
    QTemporaryDir dir;
    const QString program = InstallStandIn(dir.path(), {"args args"});
    QVERIFY(!program.isEmpty());
    const QString record = dir.filePath("args");
    const QStringList arguments = {"a  b", "$(touch pwned)", "x;y", "'q\"", "-y.avi", "è 中 😀"};
    ProcessStarter starter;
    bool ended = false;
    QVERIFY(
        starter.start(program, arguments, {{}, {}, [&](const ProcessEnd &) { ended = true; }, {}})
            .started());
    QTRY_VERIFY_WITH_TIMEOUT(ended, 10000);
    QFile file(record);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QStringList received = QString::fromUtf8(file.readAll()).split("\n--\n");
    received.removeLast();
    QCOMPARE(received, arguments);
    QVERIFY(!QFile::exists(dir.filePath("pwned")));
    QVERIFY(!QFile::exists("pwned"));
}

void TestProcessStarter::missingProgramIsAnError()
{
    ProcessStarter starter;
    bool ended = false;
    QString lateError;
    const StartResult result =
        starter.start("/nonexistent/ffmpeg", {},
                      {{}, {}, [&](const ProcessEnd &) { ended = true; },
                       [&](const QString &error) { lateError = error; }});
    // Said at once, or through the process's own error once the start has returned.
    if (result.started())
        QTRY_VERIFY(!lateError.isEmpty());
    else
        QVERIFY(!result.error.isEmpty());
    QTest::qWait(50);
    QVERIFY(!ended);
}

void TestProcessStarter::outputArrivesBeforeTheEnd()
{
    QTemporaryDir dir;
    const QString program =
        InstallStandIn(dir.path(), {"out out_time_us=1", "err log line", "out out_time_us=2"});
    QVERIFY(!program.isEmpty());
    ProcessStarter starter;
    QByteArray out, err;
    bool endedAfterOutput = false;
    ProgramCallbacks callbacks;
    callbacks.onStandardOutput = [&](const QByteArray &chunk) { out += chunk; };
    callbacks.onStandardError = [&](const QByteArray &chunk) { err += chunk; };
    callbacks.onEnd = [&](const ProcessEnd &) { endedAfterOutput = out.contains("out_time_us=2"); };
    QVERIFY(starter.start(program, {}, callbacks).started());
    QTRY_VERIFY_WITH_TIMEOUT(endedAfterOutput, 10000);
    QCOMPARE(out, QByteArray("out_time_us=1\nout_time_us=2\n"));
    QCOMPARE(err, QByteArray("log line\n"));
}

void TestProcessStarter::stopAsksFirstThenKills_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("crashed");
    // On Windows a console program without a console gets no request: it is ended at once.
    QTest::newRow("stops when asked")
        << QStringList{"stop-exit 3"} << !ProgramSuffix().isEmpty();
    QTest::newRow("ignores the request") << QStringList{"hang"} << true;
}

void TestProcessStarter::stopAsksFirstThenKills()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, crashed);
    QTemporaryDir dir;
    const QString program = InstallStandIn(dir.path(), steps);
    QVERIFY(!program.isEmpty());
    ProcessStarter starter(nullptr, 300);
    std::optional<ProcessEnd> end;
    const StartResult started =
        starter.start(program, {}, {{}, {}, [&](const ProcessEnd &e) { end = e; }, {}});
    QVERIFY(started.started());
    QTest::qWait(200); // let it take the request in hand
    starter.stop(started.taskId);
    QTRY_VERIFY_WITH_TIMEOUT(end.has_value(), 5000);
    if (!end)
        QFAIL("the program never ended");
    QCOMPARE(end->crashed, crashed);
    if (!crashed)
        QCOMPARE(end->exitCode, 3);
}

void TestProcessStarter::lineSplitterStaysBounded()
{
    LineSplitter splitter;
    QList<QByteArray> lines;
    const auto collect = [&lines](const QByteArray &line) { lines << line; };
    splitter.feed("a\r\nb\rc", collect);
    QCOMPARE(lines, QList<QByteArray>({"a", "", "b"}));
    QCOMPARE(splitter.takeRest(), QByteArray("c"));
    QCOMPARE(splitter.takeRest(), QByteArray());

    lines.clear();
    splitter.feed(QByteArray(3 * LineSplitter::kMaxLineBytes + 10, 'x'), collect);
    QCOMPARE(lines.size(), 3);
    for (const QByteArray &line : lines)
        QCOMPARE(line.size(), LineSplitter::kMaxLineBytes);
    QCOMPARE(splitter.takeRest().size(), 10);
}

QTEST_GUILESS_MAIN(TestProcessStarter)
#include "tst_ProcessStarter.moc"

#include "FakeServices.h"
#include "TestClips.h"
#include "conversion/Conversions.h"

#include <QtTest>
#include <csignal>
#include <sys/stat.h>

namespace {

const QByteArray kOldMp3("ID3 the user's precious old audio");

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Gone, or a zombie that only waits for whoever adopted it.
bool ProcessGone(qint64 pid)
{
    if (::kill(pid_t(pid), 0) != 0)
        return true;
    const QByteArray stat = ReadAll("/proc/" + QString::number(pid) + "/stat");
    const qsizetype close = stat.lastIndexOf(')');
    return close < 0 || stat.mid(close + 2, 1) == "Z";
}

// The file at path; 0 when there is none. A file removed and made anew has another one.
ino_t Inode(const QString &path)
{
    struct stat status = {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

// One Quillon converting the long clip, in a process of its own.
struct RunningQuillon
{
    std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
    qint64 converter = 0;
    QString part;

    bool start(const QString &video)
    {
        process->setProgram(QCoreApplication::applicationDirPath() + "/quillon_convert_one");
        process->setArguments({video});
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start();
        QByteArray said;
        QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired() && !said.contains("\npart ") &&
               process->state() != QProcess::NotRunning) {
            process->waitForReadyRead(100);
            said += process->readAllStandardOutput();
        }
        for (const QByteArray &line : said.split('\n')) {
            if (line.startsWith("converter "))
                converter = line.mid(10).toLongLong();
            if (line.startsWith("part "))
                part = QString::fromLocal8Bit(line.mid(5));
        }
        return converter > 0 && !part.isEmpty() && said.endsWith('\n');
    }
    void signal(int number) const { ::kill(pid_t(process->processId()), number); }
};

} // namespace

// Quillon ended from outside, as desktops and crashes end programs: the converter never
// outlives it, and no temporary file stays for good.
class TestEndFromOutside : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void politeSignalIsACancel_data();
    void politeSignalIsACancel();
    void killedProgramsLeftoverIsSweptByTheNextConversion();
    void liveConversionsFileIsNeverSwept();

private:
    QStringList partFiles() const
    {
        return QDir(dir.path()).entryList({"*.part"}, QDir::Files | QDir::Hidden);
    }
    // Waits for the converter to go once its program has ended, and says how long it took.
    void expectConverterGone(qint64 pid, const char *what);
    // A cut of the same video, converted here: a second program beside the one outside.
    void convertACutHere();

    QTemporaryDir dir;
    QString video;
    QString mp3;
};

void TestEndFromOutside::initTestCase()
{
    // Half an hour of sound that decodes at once: the conversion lasts while the test acts.
    video = dir.filePath("long.avi");
    mp3 = dir.filePath("long.mp3");
    QCOMPARE(RunToEnd(QUILLON_FFMPEG,
                      {"-nostdin", "-v", "error", "-f", "lavfi", "-i",
                       "sine=duration=1800:sample_rate=8000", "-c:a", "pcm_s16le", video}),
             0);
}

void TestEndFromOutside::init()
{
    QFile old(mp3);
    QVERIFY(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
    old.write(kOldMp3);
}

void TestEndFromOutside::expectConverterGone(qint64 pid, const char *what)
{
    QElapsedTimer going;
    going.start();
    QTRY_VERIFY_WITH_TIMEOUT(ProcessGone(pid), 3000);
    qInfo("%s: converter gone %lld ms after its program", what, going.elapsed());
}

void TestEndFromOutside::convertACutHere()
{
    FakeServices services;
    services.realProcesses = true;
    services.pathConverter = QUILLON_FFMPEG;
    services.questionAnswers.enqueue(MessageAnswer::Yes); // replace the MP3
    Conversions conversions(services);
    QVERIFY(conversions.request({video, {}, QString("0"), QString("2")}));
    QTRY_COMPARE_WITH_TIMEOUT(services.messages.size(), 2, 60000);
    QVERIFY2(services.messages.last().prompt.endsWith(" Conversion done! "),
             qPrintable(services.messages.last().prompt));
}

void TestEndFromOutside::politeSignalIsACancel_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM (logout, shutdown, kill)") << int(SIGTERM);
    QTest::newRow("SIGHUP (its terminal closed)") << int(SIGHUP);
    QTest::newRow("SIGINT (Ctrl+C)") << int(SIGINT);
}

void TestEndFromOutside::politeSignalIsACancel()
{
    QFETCH(int, signal);
    RunningQuillon quillon;
    QVERIFY(quillon.start(video));
    QVERIFY(QFileInfo::exists(quillon.part));
    QVERIFY(!ProcessGone(quillon.converter));

    quillon.signal(signal);
    QVERIFY(quillon.process->waitForFinished(30000));
    QCOMPARE(quillon.process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(quillon.process->exitCode(), 0);
    expectConverterGone(quillon.converter, QTest::currentDataTag());
    QCOMPARE(partFiles(), QStringList());
    QCOMPARE(ReadAll(mp3), kOldMp3);
}

void TestEndFromOutside::killedProgramsLeftoverIsSweptByTheNextConversion()
{
    RunningQuillon quillon;
    QVERIFY(quillon.start(video));
    quillon.signal(SIGKILL);
    QVERIFY(quillon.process->waitForFinished(30000));
    QCOMPARE(quillon.process->exitStatus(), QProcess::CrashExit);
    expectConverterGone(quillon.converter, "SIGKILL");
    // Nothing could clean up: the temporary file stays, the MP3 is as it was.
    QCOMPARE(partFiles(), QStringList{QFileInfo(quillon.part).fileName()});
    QCOMPARE(ReadAll(mp3), kOldMp3);

    convertACutHere();
    QCOMPARE(partFiles(), QStringList());
    QVERIFY(ReadAll(mp3) != kOldMp3);
}

void TestEndFromOutside::liveConversionsFileIsNeverSwept()
{
    RunningQuillon outside;
    QVERIFY(outside.start(video));
    const ino_t inode = Inode(outside.part);
    QVERIFY(inode != 0);
    convertACutHere();
    QVERIFY2(Inode(outside.part) == inode, "the live conversion's file was swept");
    QVERIFY(!ProcessGone(outside.converter));

    outside.signal(SIGTERM);
    QVERIFY(outside.process->waitForFinished(30000));
    QCOMPARE(outside.process->exitCode(), 0);
    expectConverterGone(outside.converter, "second program, SIGTERM");
    QCOMPARE(partFiles(), QStringList());
}

QTEST_GUILESS_MAIN(TestEndFromOutside)
#include "tst_EndFromOutside.moc"

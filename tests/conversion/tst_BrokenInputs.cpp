#include "FakeServices.h"
#include "Processes.h"
#include "TestClips.h"
#include "conversion/Conversions.h"

#include <QtTest>

// Videos that are not what they claim: each gives a message that names the problem and leaves
// no MP3 and no temporary file behind.
class TestBrokenInputs : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void unreadableVideo_data();
    void unreadableVideo();
    void videoWithoutSound();
    void truncatedVideoGivesShortAudioAndSaysSo();
    void videoThatGoesBeforeTheStart();
    void driveThatFails_data();
    void driveThatFails();

private:
    // Runs one request through to its outcome message.
    void convert(const QString &input, int messages = 1);
    // The outcome: the converter failed, and the message names the problem with these words.
    void expectFailureNaming(const QString &words);
    QStringList files() const { return QDir(dir->path()).entryList(QDir::Files | QDir::Hidden); }

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<FakeServices> services;
    std::unique_ptr<Conversions> conversions;
};

void TestBrokenInputs::init()
{
    dir = std::make_unique<QTemporaryDir>();
    services = std::make_unique<FakeServices>();
    services->realProcesses = true;
    services->pathConverter = QUILLON_FFMPEG;
    services->pathProbe = FfprobePath();
    conversions = std::make_unique<Conversions>(*services);
}

void TestBrokenInputs::cleanup()
{
    conversions.reset();
    services.reset();
}

void TestBrokenInputs::convert(const QString &input, int messages)
{
    QVERIFY(conversions->request({input, {}, {}, {}}));
    QTRY_VERIFY_WITH_TIMEOUT(services->messages.size() >= messages, 60000);
}

void TestBrokenInputs::expectFailureNaming(const QString &words)
{
    const FakeServices::Message &message = services->messages.last();
    QCOMPARE(message.style, MessageStyle::Critical);
    // The status is shown, whatever number this converter gives the failure.
    static const QRegularExpression failed("^Conversione non riuscita \\(codice -?\\d+\\)\\.\r\n");
    QVERIFY2(failed.match(message.prompt).hasMatch(), qPrintable(message.prompt));
    QVERIFY2(message.prompt.contains(words), qPrintable(message.prompt));
}

void TestBrokenInputs::unreadableVideo_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty file") << "empty.avi" << QByteArray();
    QTest::newRow("text file") << "notes.mp4" << QByteArray("Dear diary,\nnot a video.\n");
}

void TestBrokenInputs::unreadableVideo()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    const QString input = dir->filePath(name);
    QFile file(input);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    convert(input);
    expectFailureNaming("Invalid data found when processing input");
    QCOMPARE(files(), QStringList{name});
}

void TestBrokenInputs::videoWithoutSound()
{
    const QString input = dir->filePath("silent.mp4");
    QCOMPARE(MakeWithHostConverter({"-nostdin", "-v", "error", "-f", "lavfi", "-i",
                                    "testsrc=size=160x120:rate=10:duration=2", input}),
             0);
    convert(input);
    const FakeServices::Message &message = services->messages.last();
    QCOMPARE(message.style, MessageStyle::Critical);
    QVERIFY2(message.prompt.startsWith(
                 "Nessun audio estratto: il video non ha una traccia audio.\r\nOutput file "),
             qPrintable(message.prompt));
    QVERIFY2(message.prompt.endsWith(" does not contain any stream"), qPrintable(message.prompt));
    QCOMPARE(files(), QStringList{"silent.mp4"});
}

void TestBrokenInputs::truncatedVideoGivesShortAudioAndSaysSo()
{
    // The index at the front, so the first half still plays: the converter exits 0 on it.
    const QString whole = dir->filePath("whole.mp4");
    QCOMPARE(MakeWithHostConverter({"-nostdin", "-v", "error", "-f", "lavfi", "-i",
                                    "sine=frequency=440:duration=20", "-f", "lavfi", "-i",
                                    "testsrc=size=160x120:rate=10:duration=20", "-shortest",
                                    "-movflags", "+faststart", whole}),
             0);
    QFile full(whole);
    QVERIFY(full.open(QIODevice::ReadOnly));
    const QByteArray bytes = full.readAll();
    full.close();
    const QString input = dir->filePath("broken.mp4");
    QFile half(input);
    QVERIFY(half.open(QIODevice::WriteOnly));
    half.write(bytes.left(bytes.size() / 2));
    half.close();
    QFile::remove(whole);

    convert(input);
    const FakeServices::Message &message = services->messages.last();
    QCOMPARE(message.style, MessageStyle::Warning);
    QVERIFY2(message.prompt.startsWith("Audio più corto del previsto: "),
             qPrintable(message.prompt));
    QVERIFY2(message.prompt.contains(" s su 20 s.\r\n"), qPrintable(message.prompt));
    // The audio that could be saved is kept, under its name, and nothing else.
    QCOMPARE(files(), QStringList({"broken.mp3", "broken.mp4"}));
}

void TestBrokenInputs::videoThatGoesBeforeTheStart()
{
    const QString input = dir->filePath("clip.avi");
    QVERIFY(MakeClip(input, 1));
    QFile old(dir->filePath("clip.mp3"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old audio");
    old.close();
    services->questionAnswers.enqueue(MessageAnswer::Yes);
    services->whileAsking = [input] { QFile::remove(input); };
    QVERIFY(!conversions->request({input, {}, {}, {}}));
    QCOMPARE(services->messages.last().prompt, "Il file video non esiste:\r\n" + input);
    QVERIFY(services->starts.isEmpty());
    QCOMPARE(files(), QStringList{"clip.mp3"});
}

void TestBrokenInputs::driveThatFails_data()
{
    QTest::addColumn<QString>("change"); // to the drive, once the conversion has started
    QTest::addColumn<bool>("oldMp3");
    QTest::addColumn<QString>("failed"); // "Impossibile ... il file Mp3:"
    QTest::addColumn<QString>("cause");  // what the message says after the MP3's path
    QTest::newRow("fills up") << QString() << false << "salvare"
                              << "Il disco è pieno.";
    QTest::newRow("fills up over an old MP3") << QString() << true << "salvare"
                                              << "Il disco è pieno.";
    QTest::newRow("read-only, with an old MP3")
        << "read-only" << true << "scrivere" << QString(); // the system's words
    QTest::newRow("goes away while converting") << "away" << false << "salvare"
                                                << "La sua cartella non esiste più.";
}

void TestBrokenInputs::driveThatFails()
{
    QFETCH(QString, change);
    QFETCH(bool, oldMp3);
    QFETCH(QString, failed);
    QFETCH(QString, cause);
    const QString folder = SmallFolder(dir->path());
    if (folder.isEmpty())
        QSKIP("no small drive here (on Linux it needs root and mount rights)");
    const auto release = qScopeGuard([folder] { ReleaseSmallFolder(folder); });

    // About 190 KB of sound whose MP3 needs about 1 MB.
    const QString input = folder + "/long.mp4";
    QCOMPARE(MakeWithHostConverter({"-nostdin", "-v", "error", "-f", "lavfi", "-i",
                                    "sine=duration=60", "-c:a", "aac", "-b:a", "24k", input}),
             0);
    const QString mp3 = folder + "/long.mp3";
    const QByteArray old(4096, 'o');
    if (oldMp3) {
        QFile file(mp3);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(old);
        services->questionAnswers.enqueue(MessageAnswer::Yes);
    }
    if (change == "away") // before the converter has got far: its end comes later
        connect(conversions.get(), &Conversions::started, this,
                [folder] { QVERIFY(ChangeSmallDrive(folder, SmallDriveChange::GoesAway)); });
    if (change == "read-only") {
        QVERIFY(ChangeSmallDrive(folder, SmallDriveChange::ReadOnly));
        QVERIFY(!conversions->request({input, {}, {}, {}}));
    } else {
        convert(input, oldMp3 ? 2 : 1);
    }

    // Said plainly, whatever words the converter has for it; nothing left, the old MP3 kept.
    const FakeServices::Message &message = services->messages.last();
    QCOMPARE(message.style, MessageStyle::Critical);
    QVERIFY2(
        message.prompt.startsWith("Impossibile " + failed + " il file Mp3:\r\n" + mp3 + "\r\n") &&
            message.prompt.endsWith(cause),
        qPrintable(message.prompt));
    if (change == "away")
        QVERIFY(!QFileInfo::exists(folder));
    else
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 oldMp3 ? QStringList({"long.mp3", "long.mp4"}) : QStringList{"long.mp4"});
    QFile kept(mp3);
    QCOMPARE(kept.open(QIODevice::ReadOnly) ? kept.readAll() : QByteArray(),
             oldMp3 ? old : QByteArray());
}

QTEST_GUILESS_MAIN(TestBrokenInputs)
#include "tst_BrokenInputs.moc"

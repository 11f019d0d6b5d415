#include "FakeServices.h"
#include "Processes.h"
#include "TestClips.h"
#include "conversion/Conversions.h"

#include <QtTest>

namespace {
const QString kCrLf = "\r\n";

void write(const QString &path, const QByteArray &content = "data")
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

const QStringList kControls = {"-nostdin", "-hide_banner", "-loglevel", "repeat+level+info",
                               "-nostats", "-stats_period", "1", "-progress",    "pipe:1",    "-y"};
} // namespace

class TestConversions : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    // The request's checks and messages.
    void emptyInputAsksForAFile();
    void patternInputIsClearedSilently();
    void inputThatIsNoFileIsRefused_data();
    void inputThatIsNoFileIsRefused();
    void wholeFileStartsTheConverter();
    void cutCommands_data();
    void cutCommands();
    void endNotAfterStartIsRefused();
    void outputThatIsTheInputIsRefused();
    void existingOutputIsReplacedOnlyOnYes();
    void converterIsLookedUpBesideTheProgramThenOnThePath();
    void missingConverterIsReported();
    void startFailureIsReportedAndLeavesNothing_data();
    void startFailureIsReportedAndLeavesNothing();
    void unwritableFolderIsReported();
    void sameOutputTwiceStartsOneConverter();
    void otherOutputsMayRunTogether();

    // A running conversion and how it ends.
    void progressRisesAndNeverGoesBack();
    void endIsToldTruthfully_data();
    void endIsToldTruthfully();
    void successGivesTheMp3ItsName();
    void pictureThatCannotBeCarriedLeavesTheSound();
    void failureLeavesAnExistingMp3Untouched();
    void replacingSucceedsOnlyAtTheEnd();
    void cancelStopsTheConverterAndLeavesNothing();
    void endOutOfSightIsNotified_data();
    void endOutOfSightIsNotified();
    void removedFolderIsToldAndLeavesNothing_data();
    void removedFolderIsToldAndLeavesNothing();

private:
    ConversionJob *request(const QString &input, const std::optional<QString> &start = {},
                           const std::optional<QString> &end = {});
    QStringList partFiles() const;

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<FakeServices> services;
    std::unique_ptr<Conversions> conversions;
    QString clip;
};

void TestConversions::init()
{
    // A name that is its own short form, so that the paths in the texts compared are the same
    // on Windows.
    dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/qXXXXXX");
    services = std::make_unique<FakeServices>();
    conversions = std::make_unique<Conversions>(*services);
    conversions->checkConverter(); // as the main window does once it is on screen
    services->appFolder = dir->filePath("app");
    QDir().mkdir(services->appFolder);
    clip = dir->filePath("clip.avi");
    write(clip);
}

void TestConversions::cleanup()
{
    conversions.reset();
    services.reset();
}

ConversionJob *TestConversions::request(const QString &input, const std::optional<QString> &start,
                                        const std::optional<QString> &end)
{
    return conversions->request({input, {}, start, end});
}

QStringList TestConversions::partFiles() const
{
    return QDir(dir->path()).entryList({"*.part"}, QDir::Files | QDir::Hidden);
}

void TestConversions::emptyInputAsksForAFile()
{
    bool cleared = false;
    QVERIFY(!conversions->request({"", [&] { cleared = true; }, {}, {}}));
    QCOMPARE(services->messages.size(), 1);
    QCOMPARE(services->messages[0].prompt,
             "Attenzione non hai selezionato nessun file video.\r\n"
             "Seleziona un file video premendo sul tasto con i puntini,\r\n"
             "poi scegli convert per estrarre l'audio in formato Mp3\r\n");
    QCOMPARE(services->messages[0].style, MessageStyle::Information);
    QCOMPARE(services->messages[0].title, "Quillon");
    QVERIFY(services->starts.isEmpty());
    QVERIFY(!cleared);
}

void TestConversions::patternInputIsClearedSilently()
{
    bool cleared = false;
    QVERIFY(!conversions->request({"*.avi;*.flv;*.mp4", [&] { cleared = true; }, {}, {}}));
    QVERIFY(cleared);
    QVERIFY(services->messages.isEmpty());
    QVERIFY(services->starts.isEmpty());
}

void TestConversions::inputThatIsNoFileIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing file") << "missing.avi";
    QTest::newRow("folder named like a video") << "folder.avi";
    QTest::newRow("folder") << "app";
}

void TestConversions::inputThatIsNoFileIsRefused()
{
    QFETCH(QString, name);
    QDir(dir->path()).mkdir("folder.avi");
    const QString input = dir->filePath(name);
    QVERIFY(!request(input));
    QCOMPARE(services->messages.size(), 1);
    QCOMPARE(services->messages[0].prompt, "Il file video non esiste:" + kCrLf + input);
    QCOMPARE(services->messages[0].style, MessageStyle::Warning);
    QCOMPARE(services->messages[0].title, "Quillon");
    QVERIFY(services->starts.isEmpty());
    QVERIFY(partFiles().isEmpty());
}

void TestConversions::wholeFileStartsTheConverter()
{
    if (!ProgramSuffix().isEmpty())
        QSKIP("Windows forbids quotes in names; tst_windows_build gives the converter short names");
    const QString input = dir->filePath("my  clip's \"best\".mp4");
    write(input);
    ConversionJob *job = request(input);
    QVERIFY(job);
    QCOMPARE(job->taskId(), 4242);
    QCOMPARE(services->starts.size(), 1);
    const FakeServices::Start &start = services->starts[0];
    const QString output = dir->filePath("my  clip's \"best\".mp3");
    QCOMPARE(start.program, "/usr/bin/ffmpeg");
    QCOMPARE(job->setup().command.text,
             "/usr/bin/ffmpeg -i " + input + "  -ar 44100 -ab 128 -ac 2 " + output);

    // The converter writes a fresh file beside the MP3, never the MP3 itself.
    const QString temp = services->writtenFile(0);
    QVERIFY(temp.startsWith(output + "."));
    QVERIFY(temp.endsWith(".part"));
    QVERIFY(QFileInfo::exists(temp));
    const QStringList rest = {
        "-protocol_whitelist", "file", "-i", input, "-ar", "44100", "-ab", "128k", "-ac", "2",
        "-c:v", "copy", "-protocol_whitelist", "file", "-f", "mp3", temp};
    QCOMPARE(start.arguments, kControls + rest);
    QCOMPARE(start.mode, WindowMode::MaximizedFocus);
    QVERIFY(services->messages.isEmpty()); // nothing is said until the converter has ended
}

void TestConversions::cutCommands_data()
{
    QTest::addColumn<QString>("startCaption");
    QTest::addColumn<QString>("endCaption");
    QTest::addColumn<QString>("range");
    QTest::newRow("65 to 130") << "65"
                               << "130"
                               << "-ss 65 -to 130";
    QTest::newRow("end 0 is the end of the video") << "65"
                                                   << "0"
                                                   << "-ss 65";
    QTest::newRow("untouched pickers") << ".."
                                       << ".."
                                       << "-ss 0";
    QTest::newRow("only the end changed") << ".."
                                          << "90"
                                          << "-ss 0 -to 90";
}

void TestConversions::cutCommands()
{
    QFETCH(QString, startCaption);
    QFETCH(QString, endCaption);
    QFETCH(QString, range);
    ConversionJob *job = request(clip, startCaption, endCaption);
    QVERIFY(job);
    QCOMPARE(job->setup().command.text, "/usr/bin/ffmpeg " + range + " -i " + clip +
                                            " -ar 44100 -ab 128 -ac 2 " +
                                            dir->filePath("clip.mp3"));
    QCOMPARE(services->starts[0].arguments,
             kControls + range.split(' ') +
                 QStringList({"-protocol_whitelist", "file", "-i", clip, "-ar", "44100", "-ab",
                              "128k", "-ac", "2", "-c:v", "copy", "-protocol_whitelist",
                              "file", "-f", "mp3",
                              services->writtenFile(0)}));
}

void TestConversions::endNotAfterStartIsRefused()
{
    for (const QString &end : {QString("1800"), QString("3600")}) {
        services->messages.clear();
        QVERIFY(!request(clip, QString("3600"), end));
        QCOMPARE(services->messages.size(), 1);
        QCOMPARE(services->messages[0].prompt,
                 "L'ora di fine deve essere successiva all'ora di inizio.");
        QCOMPARE(services->messages[0].style, MessageStyle::Warning);
    }
    QVERIFY(services->starts.isEmpty());
}

void TestConversions::outputThatIsTheInputIsRefused()
{
    const QString input = dir->filePath("song.mp3");
    write(input);
    QVERIFY(!request(input));
    QCOMPARE(services->messages.size(), 1);
    QCOMPARE(services->messages[0].prompt,
             "Il file Mp3 coinciderebbe con il file video:" + kCrLf + input);
    QCOMPARE(services->messages[0].style, MessageStyle::Warning);
    QVERIFY(services->starts.isEmpty());
}

void TestConversions::existingOutputIsReplacedOnlyOnYes()
{
    const QString output = dir->filePath("clip.mp3");
    write(output, "precious");
    const QString question = "Il file " + output + " esiste già." + kCrLf + "Vuoi sostituirlo?";

    services->questionAnswers.enqueue(MessageAnswer::No);
    QVERIFY(!request(clip));
    QCOMPARE(services->messages.size(), 1);
    QCOMPARE(services->messages[0].prompt, question);
    QCOMPARE(services->messages[0].style, MessageStyle::Question);
    QVERIFY(services->starts.isEmpty());
    QVERIFY(partFiles().isEmpty());

    services->questionAnswers.enqueue(MessageAnswer::Yes);
    ConversionJob *job = request(clip);
    QVERIFY(job);
    QVERIFY(job->setup().replace);
    QCOMPARE(read(output), QByteArray("precious")); // not touched before the end
}

void TestConversions::converterIsLookedUpBesideTheProgramThenOnThePath()
{
    QVERIFY(request(clip));
    QCOMPARE(services->starts.last().program, "/usr/bin/ffmpeg");
    services->finish(0, 1);

    const QString beside = InstallStandIn(services->appFolder, {"exit 0"});
    QVERIFY(!beside.isEmpty());
    QVERIFY(request(clip));
    QCOMPARE(services->starts.last().program, beside);
}

void TestConversions::missingConverterIsReported()
{
    services->pathConverter.clear();
    QVERIFY(!request(clip));
    QCOMPARE(services->messages.size(), 1);
    QCOMPARE(services->messages[0].prompt,
             "ffmpeg non trovato." + kCrLf +
                 "Installalo, oppure copialo nella cartella del programma:" + kCrLf +
                 services->appFolder);
    QCOMPARE(services->messages[0].style, MessageStyle::Critical);
    QVERIFY(services->starts.isEmpty());
}

void TestConversions::startFailureIsReportedAndLeavesNothing_data()
{
    QTest::addColumn<bool>("late"); // said by the process's error once the start returned
    QTest::newRow("at once") << false;
    QTest::newRow("once started") << true;
}

void TestConversions::startFailureIsReportedAndLeavesNothing()
{
    QFETCH(bool, late);
    (late ? services->lateStartError : services->startError) = "Permission denied";
    QPointer<ConversionJob> job = request(clip);
    QCOMPARE(bool(job), late);
    QTRY_COMPARE(services->messages.size(), 1);
    QCOMPARE(services->messages[0].prompt,
             "Impossibile avviare ffmpeg:" + kCrLf + "Permission denied");
    QCOMPARE(services->messages[0].style, MessageStyle::Critical);
    QTRY_VERIFY(partFiles().isEmpty());
    QTRY_VERIFY(job.isNull());
    // Nothing runs, so the same MP3 may be asked for again.
    services->startError.clear();
    services->lateStartError.clear();
    QVERIFY(request(clip));
}

void TestConversions::unwritableFolderIsReported()
{
    if (!ReadOnlyFoldersRefuseWrites())
        QSKIP("this process writes into read-only folders (root, or Windows); run as a user on "
              "Linux to check this");
    QDir(dir->path()).mkdir("locked");
    const QString input = dir->filePath("locked/clip.avi");
    write(input);
    QFile::setPermissions(dir->filePath("locked"), QFile::ReadOwner | QFile::ExeOwner);
    QVERIFY(!request(input));
    QFile::setPermissions(dir->filePath("locked"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(services->messages.size(), 1);
    QVERIFY(services->messages[0].prompt.startsWith("Impossibile scrivere il file Mp3:" + kCrLf +
                                                    dir->filePath("locked/clip.mp3") + kCrLf));
    QVERIFY(services->starts.isEmpty());
}

void TestConversions::sameOutputTwiceStartsOneConverter()
{
    const QString other = dir->filePath("clip.mp4"); // the same MP3: clip.mp3
    write(other);
    QVERIFY(request(clip));
    QVERIFY(conversions->isConverting(dir->filePath("clip.mp3")));
    QVERIFY(!request(other));
    QCOMPARE(services->starts.size(), 1);
    QCOMPARE(services->messages.size(), 1);
    QCOMPARE(services->messages[0].prompt,
             "Questo file Mp3 è già in conversione:" + kCrLf + dir->filePath("clip.mp3"));
    QCOMPARE(services->messages[0].style, MessageStyle::Warning);

    services->finish(0, 1, false, "failed");
    QVERIFY(!conversions->isConverting(dir->filePath("clip.mp3")));
    QVERIFY(request(other));
}

void TestConversions::otherOutputsMayRunTogether()
{
    const QString other = dir->filePath("other.flv");
    write(other);
    QVERIFY(request(clip));
    QVERIFY(request(other));
    QCOMPARE(services->starts.size(), 2);
    QCOMPARE(services->starts[1].taskId, 4243);
}

void TestConversions::progressRisesAndNeverGoesBack()
{
    ConversionJob *job = request(clip);
    QVERIFY(job);
    QSignalSpy progress(job, &ConversionJob::progressChanged);
    services->writeOutput(0, "out_time_us=2000000\nprogress=continue\n");
    QCOMPARE(progress.count(), 0); // the length is not known yet
    services->writeError(0, "Input #0, avi, from 'clip.avi':\n  Duration: 00:00:10.00, start: 0");
    services->writeError(0, ".000000, bitrate: 92 kb/s\n");
    services->writeOutput(0, "out_time_us=5000000\nprogress=continue\n");
    QCOMPARE(job->percent(), 50);
    services->writeOutput(0, "out_time_us=N/A\nout_time_us=garbage\nrandom words\n");
    services->writeOutput(0, "out_time_us=3000000\nprogress=continue\n");
    QCOMPARE(job->percent(), 50);
    services->writeOutput(0, "out_time_us=99999999\nprogress=end\n");
    QCOMPARE(job->percent(), 99); // 100 only once it has succeeded
    QVERIFY(progress.count() >= 2);
    QCOMPARE(progress.last().at(0).toInt(), 99);
}

void TestConversions::endIsToldTruthfully_data()
{
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("crashed");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<MessageStyle>("style");
    QTest::addColumn<bool>("mp3");
    const QByteArray all = "out_time_us=10000000\nprogress=end\n";
    const QByteArray whole = Mp3Frames(10);
    QTest::newRow("success") << 0 << false << whole << all << "Code : 4242 Conversion done! "
                             << MessageStyle::Plain << true;
    QTest::newRow("success, converter never told progress")
        << 0 << false << whole << QByteArray() << "Code : 4242 Conversion done! "
        << MessageStyle::Plain << true;
    QTest::newRow("report stopped early, the file holds it all")
        << 0 << false << whole << QByteArray("out_time_us=47000\nprogress=end\n")
        << "Code : 4242 Conversion done! " << MessageStyle::Plain << true;
    QTest::newRow("status 0 without output")
        << 0 << false << QByteArray() << all << "Conversione non riuscita (codice 0).\r\nlast words"
        << MessageStyle::Critical << false;
    QTest::newRow("error status") << 1 << false << QByteArray("half") << all
                                  << "Conversione non riuscita (codice 1).\r\nlast words"
                                  << MessageStyle::Critical << false;
    QTest::newRow("crash") << 0 << true << QByteArray("half") << all
                           << "Conversione non riuscita (codice crash).\r\nlast words"
                           << MessageStyle::Critical << false;
    // A tag and no frame: what the converter leaves when it encoded nothing.
    QTest::newRow("nothing encoded")
        << 0 << false << QByteArray("ID3\x04\0\0\0\0\0\0", 10)
        << QByteArray("out_time_us=0\nprogress=end\n")
        << "Nessun audio estratto: il video non contiene audio leggibile (file danneggiato o "
           "incompleto).\r\nlast words"
        << MessageStyle::Critical << false;
    QTest::newRow("half the audio")
        << 0 << false << Mp3Frames(4.6) << QByteArray("out_time_us=4600000\nprogress=end\n")
        << "Audio più corto del previsto: 5 s su 10 s.\r\nlast words" << MessageStyle::Warning
        << true;
    QTest::newRow("report says all, the file holds half")
        << 0 << false << Mp3Frames(4.6) << all
        << "Audio più corto del previsto: 5 s su 10 s.\r\nlast words" << MessageStyle::Warning
        << true;
    QTest::newRow("less than a second short is fine")
        << 0 << false << Mp3Frames(9.2) << QByteArray("out_time_us=9200000\nprogress=end\n")
        << "Code : 4242 Conversion done! " << MessageStyle::Plain << true;
}

void TestConversions::endIsToldTruthfully()
{
    QFETCH(int, exitCode);
    QFETCH(bool, crashed);
    QFETCH(QByteArray, written);
    QFETCH(QByteArray, report);
    QFETCH(QString, prompt);
    QFETCH(MessageStyle, style);
    QFETCH(bool, mp3);
    QPointer<ConversionJob> job = request(clip);
    QVERIFY(job);
    QSignalSpy ended(job.data(), &ConversionJob::ended);
    services->writeError(0, "  Duration: 00:00:10.00, start: 0.000000\n");
    services->writeOutput(0, report);
    write(services->writtenFile(0), written);
    services->writeError(0, "[error] last words\n[info] size=     147kB time=00:00:09.37\n"
                            "[info] Conversion failed!\n");
    services->finish(0, exitCode, crashed, "Conversion failed!");

    QCOMPARE(ended.count(), 1);
    QCOMPARE(services->messages.size(), 1);
    QCOMPARE(services->messages[0].prompt, prompt);
    QCOMPARE(services->messages[0].style, style);
    QCOMPARE(services->messages[0].title, "Quillon");
    QCOMPARE(QFileInfo::exists(dir->filePath("clip.mp3")), mp3);
    if (mp3)
        QCOMPARE(read(dir->filePath("clip.mp3")), written);
    QVERIFY(partFiles().isEmpty());
    QTRY_VERIFY(job.isNull()); // it goes once it has told
}

void TestConversions::successGivesTheMp3ItsName()
{
    ConversionJob *job = request(clip, QString("1"), QString("3"));
    QVERIFY(job);
    const QString temp = services->writtenFile(0);
    write(temp, Mp3Frames(2));
    services->writeOutput(0, "out_time_us=2000000\nprogress=end\n");
    QVERIFY(!QFileInfo::exists(dir->filePath("clip.mp3"))); // not before the end
    QSignalSpy progress(job, &ConversionJob::progressChanged);
    services->finish(0, 0);
    QCOMPARE(read(dir->filePath("clip.mp3")), Mp3Frames(2));
    QVERIFY(!QFileInfo::exists(temp));
    QCOMPARE(progress.last().at(0).toInt(), 100);
    QCOMPARE(services->messages.last().prompt, QString("Code : 4242 Conversion done! "));
}

void TestConversions::pictureThatCannotBeCarriedLeavesTheSound()
{
    QVERIFY(request(clip));
    // As a converter without a picture decoder fails on a cover it cannot size.
    services->writeError(0, "[info] Input #0, mov,mp4,m4a,3gp,3g2,mj2, from 'clip.mp4':\n"
                            "[info]   Duration: 00:00:02.00, start: 0.000000, bitrate: 100 kb/s\n"
                            "[info]   Stream #0:0[0x1](und): Audio: aac (LC), 44100 Hz, mono\n"
                            "[info]   Stream #0:1[0x0]: Video: png, none (attached pic)\n"
                            "[info] Stream mapping:\n"
                            "[info]   Stream #0:1 -> #0:0 (copy)\n"
                            "[info]   Stream #0:0 -> #0:1 (aac (native) -> mp3 (libmp3lame))\n"
                            "[error] [mp3 @ 00007ffffe8aaec0] dimensions not set\n");
    services->finish(0, -22);
    QCOMPARE(services->starts.size(), 2);
    QVERIFY(services->messages.isEmpty());
    const QStringList again = services->starts[1].arguments;
    QCOMPARE(again.mid(again.indexOf("-vn"), 3), QStringList({"-vn", "-f", "mp3"}));
    QCOMPARE(again.last(), services->writtenFile(0));

    write(services->writtenFile(1), Mp3Frames(2));
    services->finish(1, 0);
    QCOMPARE(read(dir->filePath("clip.mp3")), Mp3Frames(2));
    QVERIFY2(services->messages.last().prompt.endsWith(" Conversion done! "),
             qPrintable(services->messages.last().prompt));
}

void TestConversions::failureLeavesAnExistingMp3Untouched()
{
    const QString output = dir->filePath("clip.mp3");
    write(output, "precious old audio");
    services->questionAnswers.enqueue(MessageAnswer::Yes);
    QVERIFY(request(clip));
    write(services->writtenFile(0), "half-written");
    services->writeError(0, "[error] Invalid data found when processing input\n");
    services->finish(0, 1, false, "Invalid data found when processing input");
    QCOMPARE(read(output), QByteArray("precious old audio"));
    QVERIFY(partFiles().isEmpty());
    QCOMPARE(services->messages.last().prompt, "Conversione non riuscita (codice 1)." + kCrLf +
                                                   "Invalid data found when processing input");
}

void TestConversions::replacingSucceedsOnlyAtTheEnd()
{
    const QString output = dir->filePath("clip.mp3");
    write(output, "old audio");
    services->questionAnswers.enqueue(MessageAnswer::Yes);
    QVERIFY(request(clip));
    write(services->writtenFile(0), Mp3Frames(1));
    QCOMPARE(read(output), QByteArray("old audio"));
    services->finish(0, 0);
    QCOMPARE(read(output), Mp3Frames(1));
    QVERIFY(partFiles().isEmpty());
}

void TestConversions::cancelStopsTheConverterAndLeavesNothing()
{
    const QString output = dir->filePath("clip.mp3");
    write(output, "precious");
    services->questionAnswers.enqueue(MessageAnswer::Yes);
    QPointer<ConversionJob> job = request(clip);
    QVERIFY(job);
    QSignalSpy ended(job.data(), &ConversionJob::ended);
    write(services->writtenFile(0), "partial");
    job->cancel();
    QCOMPARE(services->stops, QList<qint64>{4242});
    services->finish(0, 255, false, "Exiting normally, received signal 15.");
    QCOMPARE(ended.count(), 1);
    QCOMPARE(ended[0][0].value<JobEnd>(), JobEnd::Cancelled);
    QVERIFY(services->messages.size() == 1); // only the replace question: a cancel is not news
    QCOMPARE(read(output), QByteArray("precious"));
    QVERIFY(partFiles().isEmpty());
}

void TestConversions::endOutOfSightIsNotified_data()
{
    QTest::addColumn<bool>("active");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<double>("seconds"); // of audio written; -1 cancels instead
    QTest::addColumn<bool>("notified");
    QTest::addColumn<bool>("focusGoesWithItsWindow"); // as a closing window leaves none active
    QTest::newRow("done, out of sight") << false << 0 << 10.0 << true << false;
    QTest::newRow("short, out of sight") << false << 0 << 4.0 << true << false;
    QTest::newRow("failed, out of sight") << false << 1 << 0.0 << true << false;
    QTest::newRow("cancelled, out of sight") << false << 0 << -1.0 << false << false;
    QTest::newRow("done, while a window has the focus") << true << 0 << 10.0 << false << false;
    QTest::newRow("done in sight, its window closing")
        << true << 0 << 10.0 << false << true;
}

void TestConversions::endOutOfSightIsNotified()
{
    QFETCH(bool, active);
    QFETCH(int, exitCode);
    QFETCH(double, seconds);
    QFETCH(bool, notified);
    QFETCH(bool, focusGoesWithItsWindow);
    services->active = active;
    ConversionJob *job = request(clip);
    QVERIFY(job);
    if (focusGoesWithItsWindow)
        connect(job, &ConversionJob::ended, this, [this] { services->active = false; });
    services->writeError(0, "  Duration: 00:00:10.00, start: 0.000000\nlast words\n");
    if (seconds < 0)
        job->cancel();
    else
        write(services->writtenFile(0), Mp3Frames(seconds));
    services->finish(0, exitCode);

    QCOMPARE(services->notifications.size(), notified ? 1 : 0);
    if (notified) {
        // The file, and how it ended in the message box's own words.
        QCOMPARE(services->notifications[0].summary, QString("clip.avi"));
        QCOMPARE(services->notifications[0].body, services->messages.last().prompt);
    }
}

void TestConversions::removedFolderIsToldAndLeavesNothing_data()
{
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("crashed");
    // The converter writes on into its open file and exits 0; or it notices after all.
    QTest::newRow("converter done") << 0 << false;
    QTest::newRow("converter failed") << 1 << false;
    QTest::newRow("converter crashed") << 0 << true;
}

void TestConversions::removedFolderIsToldAndLeavesNothing()
{
    QFETCH(int, exitCode);
    QFETCH(bool, crashed);
    if (OpenFilesKeepTheirFolder())
        QSKIP("the converter's open file keeps its folder here: nobody can remove it meanwhile");
    QDir(dir->path()).mkdir("videos");
    const QString input = dir->filePath("videos/clip.avi");
    write(input);
    QVERIFY(request(input));
    services->writeError(0, "  Duration: 00:00:10.00, start: 0.000000\n");
    write(services->writtenFile(0), Mp3Frames(10));
    QVERIFY(QDir(dir->filePath("videos")).removeRecursively());
    services->finish(0, exitCode, crashed, "Conversion failed!");

    QCOMPARE(services->messages.size(), 1);
    QCOMPARE(services->messages[0].prompt, "Impossibile salvare il file Mp3:" + kCrLf +
                                               dir->filePath("videos/clip.mp3") + kCrLf +
                                               "La sua cartella non esiste più.");
    QCOMPARE(services->messages[0].style, MessageStyle::Critical);
    QVERIFY(!QFileInfo::exists(dir->filePath("videos")));
    QVERIFY(!conversions->isConverting(dir->filePath("videos/clip.mp3")));
}

QTEST_GUILESS_MAIN(TestConversions)
#include "tst_Conversions.moc"

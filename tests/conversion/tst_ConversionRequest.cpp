#include "FakeServices.h"
#include "TestClips.h"
#include "conversion/ConversionRequest.h"

#include <QtTest>

namespace {
const QString kCrLf = "\r\n";

void touch(const QString &path, const QByteArray &content = "data")
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}
} // namespace

class TestConversionRequest : public QObject
{
    Q_OBJECT
private slots:
    void init();
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
    void startFailureIsReported();
    void endOfConverterIsToldTruthfully_data();
    void endOfConverterIsToldTruthfully();
    void secondRequestMayStartWhileTheFirstRuns();

private:
    std::unique_ptr<QTemporaryDir> dir;
    FakeServices services;
    QString clip;
};

void TestConversionRequest::init()
{
    dir = std::make_unique<QTemporaryDir>();
    services = FakeServices();
    services.appFolder = dir->filePath("app");
    QDir().mkdir(services.appFolder);
    clip = dir->filePath("clip.avi");
    touch(clip);
}

void TestConversionRequest::emptyInputAsksForAFile()
{
    bool cleared = false;
    QCOMPARE(RunConversionRequest(services, {"", [&] { cleared = true; }, {}, {}}), 0);
    QCOMPARE(services.messages.size(), 1);
    QCOMPARE(services.messages[0].prompt,
             "Attenzione non hai selezionato nessun file video.\r\n"
             "Seleziona un file video premendo sul tasto con i puntini,\r\n"
             "poi scegli convert per estrarre l'audio in formato Mp3\r\n");
    QCOMPARE(services.messages[0].style, MessageStyle::Information);
    QCOMPARE(services.messages[0].title, "Quillon");
    QVERIFY(services.starts.isEmpty());
    QVERIFY(!cleared);
}

void TestConversionRequest::patternInputIsClearedSilently()
{
    bool cleared = false;
    RunConversionRequest(services, {"*.avi;*.flv;*.mp4", [&] { cleared = true; }, {}, {}});
    QVERIFY(cleared);
    QVERIFY(services.messages.isEmpty());
    QVERIFY(services.starts.isEmpty());
}

void TestConversionRequest::inputThatIsNoFileIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing file") << "missing.avi";
    QTest::newRow("folder named like a video") << "folder.avi";
    QTest::newRow("folder") << "app";
}

void TestConversionRequest::inputThatIsNoFileIsRefused()
{
    QFETCH(QString, name);
    QDir(dir->path()).mkdir("folder.avi");
    const QString input = dir->filePath(name);
    RunConversionRequest(services, {input, {}, {}, {}});
    QCOMPARE(services.messages.size(), 1);
    QCOMPARE(services.messages[0].prompt, "Il file video non esiste:" + kCrLf + input);
    QCOMPARE(services.messages[0].style, MessageStyle::Warning);
    QCOMPARE(services.messages[0].title, "Quillon");
    QVERIFY(services.starts.isEmpty());
}

void TestConversionRequest::wholeFileStartsTheConverter()
{
    const QString input = dir->filePath("my  clip's \"best\".mp4");
    touch(input);
    const qint64 id = RunConversionRequest(services, {input, {}, {}, {}});
    QCOMPARE(id, 4242);
    QCOMPARE(services.starts.size(), 1);
    const FakeServices::Start &start = services.starts[0];
    const QString output = dir->filePath("my  clip's \"best\".mp3");
    QCOMPARE(start.program, "/usr/bin/ffmpeg");
    QCOMPARE(start.arguments, QStringList({"-nostdin", "-n", "-i", input, "-ar", "44100", "-ab",
                                           "128", "-ac", "2", output}));
    QCOMPARE(start.mode, WindowMode::MaximizedFocus);
    QVERIFY(services.messages.isEmpty()); // nothing is said until the converter has ended
}

void TestConversionRequest::cutCommands_data()
{
    QTest::addColumn<QString>("startCaption");
    QTest::addColumn<QString>("endCaption");
    QTest::addColumn<QStringList>("range");
    QTest::newRow("65 to 130") << "65"
                               << "130" << QStringList{"-ss", "65", "-to", "130"};
    QTest::newRow("end 0 is the end of the video") << "65"
                                                   << "0" << QStringList{"-ss", "65"};
    QTest::newRow("untouched pickers") << ".."
                                       << ".." << QStringList{"-ss", "0"};
    QTest::newRow("only the end changed") << ".."
                                          << "90" << QStringList{"-ss", "0", "-to", "90"};
}

void TestConversionRequest::cutCommands()
{
    QFETCH(QString, startCaption);
    QFETCH(QString, endCaption);
    QFETCH(QStringList, range);
    RunConversionRequest(services, {clip, {}, startCaption, endCaption});
    QCOMPARE(services.starts.size(), 1);
    QCOMPARE(services.starts[0].arguments,
             QStringList({"-nostdin", "-n"}) + range +
                 QStringList({"-i", clip, "-ar", "44100", "-ab", "128", "-ac", "2",
                              dir->filePath("clip.mp3")}));
}

void TestConversionRequest::endNotAfterStartIsRefused()
{
    for (const QString &end : {QString("1800"), QString("3600")}) {
        services.messages.clear();
        RunConversionRequest(services, {clip, {}, QString("3600"), end});
        QCOMPARE(services.messages.size(), 1);
        QCOMPARE(services.messages[0].prompt,
                 "L'ora di fine deve essere successiva all'ora di inizio.");
        QCOMPARE(services.messages[0].style, MessageStyle::Warning);
    }
    QVERIFY(services.starts.isEmpty());
}

void TestConversionRequest::outputThatIsTheInputIsRefused()
{
    const QString input = dir->filePath("song.mp3");
    touch(input);
    RunConversionRequest(services, {input, {}, {}, {}});
    QCOMPARE(services.messages.size(), 1);
    QCOMPARE(services.messages[0].prompt,
             "Il file Mp3 coinciderebbe con il file video:" + kCrLf + input);
    QCOMPARE(services.messages[0].style, MessageStyle::Warning);
    QVERIFY(services.starts.isEmpty());
}

void TestConversionRequest::existingOutputIsReplacedOnlyOnYes()
{
    const QString output = dir->filePath("clip.mp3");
    touch(output, "precious");
    const QString question = "Il file " + output + " esiste già." + kCrLf + "Vuoi sostituirlo?";

    services.questionAnswers.enqueue(MessageAnswer::No);
    RunConversionRequest(services, {clip, {}, {}, {}});
    QCOMPARE(services.messages.size(), 1);
    QCOMPARE(services.messages[0].prompt, question);
    QCOMPARE(services.messages[0].style, MessageStyle::Question);
    QVERIFY(services.starts.isEmpty());

    services.questionAnswers.enqueue(MessageAnswer::Yes);
    RunConversionRequest(services, {clip, {}, {}, {}});
    QCOMPARE(services.starts.size(), 1);
    QVERIFY(services.starts[0].arguments.contains("-y"));
    QVERIFY(!services.starts[0].arguments.contains("-n"));
}

void TestConversionRequest::converterIsLookedUpBesideTheProgramThenOnThePath()
{
    RunConversionRequest(services, {clip, {}, {}, {}});
    QCOMPARE(services.starts.last().program, "/usr/bin/ffmpeg");

    const QString beside = services.appFolder + "/ffmpeg";
    QVERIFY(WriteFakeConverter(beside, "exit 0"));
    RunConversionRequest(services, {clip, {}, {}, {}});
    QCOMPARE(services.starts.last().program, beside);
}

void TestConversionRequest::missingConverterIsReported()
{
    services.pathConverter.clear();
    RunConversionRequest(services, {clip, {}, {}, {}});
    QCOMPARE(services.messages.size(), 1);
    QCOMPARE(services.messages[0].prompt,
             "ffmpeg non trovato." + kCrLf +
                 "Installalo, oppure copialo nella cartella del programma:" + kCrLf +
                 services.appFolder);
    QCOMPARE(services.messages[0].style, MessageStyle::Critical);
    QVERIFY(services.starts.isEmpty());
}

void TestConversionRequest::startFailureIsReported()
{
    services.startError = "Permission denied";
    QCOMPARE(RunConversionRequest(services, {clip, {}, {}, {}}), 0);
    QCOMPARE(services.messages.size(), 1);
    QCOMPARE(services.messages[0].prompt,
             "Impossibile avviare ffmpeg:" + kCrLf + "Permission denied");
    QCOMPARE(services.messages[0].style, MessageStyle::Critical);
}

void TestConversionRequest::endOfConverterIsToldTruthfully_data()
{
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("crashed");
    QTest::addColumn<bool>("outputWritten");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<MessageStyle>("style");
    QTest::newRow("success") << 0 << false << true << "Code : 4242 Conversion done! "
                             << MessageStyle::Plain;
    QTest::newRow("status 0 without output")
        << 0 << false << false << "Conversione non riuscita (codice 0).\r\nlast words"
        << MessageStyle::Critical;
    QTest::newRow("error status") << 1 << false << true
                                  << "Conversione non riuscita (codice 1).\r\nlast words"
                                  << MessageStyle::Critical;
    QTest::newRow("crash") << 0 << true << true
                           << "Conversione non riuscita (codice crash).\r\nlast words"
                           << MessageStyle::Critical;
}

void TestConversionRequest::endOfConverterIsToldTruthfully()
{
    QFETCH(int, exitCode);
    QFETCH(bool, crashed);
    QFETCH(bool, outputWritten);
    QFETCH(QString, prompt);
    QFETCH(MessageStyle, style);
    RunConversionRequest(services, {clip, {}, {}, {}});
    QVERIFY(services.messages.isEmpty());
    if (outputWritten)
        touch(dir->filePath("clip.mp3"));
    services.finish(0, exitCode, crashed, "last words");
    QCOMPARE(services.messages.size(), 1);
    QCOMPARE(services.messages[0].prompt, prompt);
    QCOMPARE(services.messages[0].style, style);
    QCOMPARE(services.messages[0].title, "Quillon");
}

void TestConversionRequest::secondRequestMayStartWhileTheFirstRuns()
{
    const QString other = dir->filePath("other.flv");
    touch(other);
    QCOMPARE(RunConversionRequest(services, {clip, {}, {}, {}}), 4242);
    QCOMPARE(RunConversionRequest(services, {other, {}, {}, {}}), 4243);
    QCOMPARE(services.starts.size(), 2);
}

QTEST_GUILESS_MAIN(TestConversionRequest)
#include "tst_ConversionRequest.moc"

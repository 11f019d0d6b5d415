#include "conversion/ConversionCommand.h"

#include <QtTest>

class TestConversionCommand : public QObject
{
    Q_OBJECT
private slots:
    void outputBase_data();
    void outputBase();
    void commandText_data();
    void commandText();
    void argumentsKeepEachPathWhole();
    void cutSecondsFromCaption_data();
    void cutSecondsFromCaption();
};

void TestConversionCommand::outputBase_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "/v/clip.avi"
                           << "/v/clip.mp3";
    QTest::newRow("first dot of the name") << "/v/clip.part1.mp4"
                                           << "/v/clip.mp3";
    QTest::newRow("dotted folder does not cut") << "/v/My.Clips/a.avi"
                                                << "/v/My.Clips/a.mp3";
    QTest::newRow("dotted folder, no dot in name") << "/v/My.Clips/video"
                                                   << "/v/My.Clips/video.mp3";
    QTest::newRow("hidden file") << "/v/.clip.flv"
                                 << "/v/.clip.mp3";
    QTest::newRow("hidden file without extension") << "/v/.clip"
                                                   << "/v/.clip.mp3";
    QTest::newRow("name without dot") << "/v/clip"
                                      << "/v/clip.mp3";
    QTest::newRow("spaces kept") << "/v/my  clip.avi"
                                 << "/v/my  clip.mp3";
}

void TestConversionCommand::outputBase()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(OutputBaseOf(input), expected);
}

void TestConversionCommand::commandText_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("isCut");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("expected");
    QTest::newRow("whole file, two spaces before -ar")
        << "/v/clip.avi" << false << 0 << 0
        << "/t/ffmpeg -i /v/clip.avi  -ar 44100 -ab 128 -ac 2 /v/clip.mp3";
    QTest::newRow("cut 65 to 130")
        << "/v/clip.avi" << true << 65 << 130
        << "/t/ffmpeg -ss 65 -to 130 -i /v/clip.avi -ar 44100 -ab 128 -ac 2 /v/clip.mp3";
    QTest::newRow("cut to the end")
        << "/v/clip.avi" << true << 65 << 0
        << "/t/ffmpeg -ss 65 -i /v/clip.avi -ar 44100 -ab 128 -ac 2 /v/clip.mp3";
    QTest::newRow("cut from the start to the end")
        << "/v/clip.avi" << true << 0 << 0
        << "/t/ffmpeg -ss 0 -i /v/clip.avi -ar 44100 -ab 128 -ac 2 /v/clip.mp3";
    QTest::newRow("spaces and quotes")
        << "/v/it's a \"clip\".mp4" << false << 0 << 0
        << "/t/ffmpeg -i /v/it's a \"clip\".mp4  -ar 44100 -ab 128 -ac 2 /v/it's a \"clip\".mp3";
}

void TestConversionCommand::commandText()
{
    QFETCH(QString, input);
    QFETCH(bool, isCut);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(QString, expected);
    const std::optional<CutRange> cut =
        isCut ? std::optional<CutRange>(CutRange{start, end}) : std::nullopt;
    const ConversionCommand command =
        BuildConversionCommand("/t/ffmpeg", input, OutputBaseOf(input), cut, "/v/tmp.part");
    QCOMPARE(command.text, expected);
    QCOMPARE(command.program, QString("/t/ffmpeg"));
}

void TestConversionCommand::argumentsKeepEachPathWhole()
{
    const QString input = "/v/a b;$(touch x) 'q'.avi";
    const QString output = "/v/a b;$(touch x) 'q'.mp3";
    const QString temp = output + ".a1B2c3.part";
    const QStringList controls = {"-nostdin", "-hide_banner", "-loglevel", "repeat+level+info",
                                  "-nostats", "-stats_period", "1", "-progress",    "pipe:1",    "-y"};
    const QStringList tail = {
        "-protocol_whitelist", "file", "-i", input, "-ar", "44100", "-ab", "128k", "-ac", "2",
        "-c:v", "copy", "-protocol_whitelist", "file", "-f", "mp3", temp};

    const ConversionCommand whole = BuildConversionCommand("/t/ffmpeg", input, output, {}, temp);
    QCOMPARE(whole.arguments, controls + tail);

    const ConversionCommand cut =
        BuildConversionCommand("/t/ffmpeg", input, output, CutRange{65, 130}, temp);
    const QStringList range = {"-ss", "65", "-to", "130"};
    QCOMPARE(cut.arguments, controls + range + tail);
}

void TestConversionCommand::cutSecondsFromCaption_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("seconds");
    QTest::newRow("number") << "3725" << 3725;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("design-time dots") << ".." << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("negative") << "-5" << 0;
}

void TestConversionCommand::cutSecondsFromCaption()
{
    QFETCH(QString, caption);
    QFETCH(int, seconds);
    QCOMPARE(CutSecondsFromCaption(caption), seconds);
}

QTEST_GUILESS_MAIN(TestConversionCommand)
#include "tst_ConversionCommand.moc"

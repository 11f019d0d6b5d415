#include "FakeServices.h"
#include "TestClips.h"
#include "conversion/Conversions.h"
#include "conversion/Mp3Length.h"

#include <QtEndian>
#include <QtTest>

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

void Put32(QByteArray &bytes, qsizetype at, quint32 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

bool Ffmpeg(const QStringList &arguments)
{
    return MakeWithHostConverter(QStringList{"-nostdin", "-v", "error", "-y"} + arguments) == 0;
}

QStringList Picture(int seconds)
{
    return {"-f", "lavfi", "-i",
            "testsrc=size=160x120:rate=10:duration=" + QString::number(seconds)};
}

QStringList Sound(int seconds, int hz = 440)
{
    return {"-f", "lavfi", "-i", QString("sine=frequency=%1:duration=%2").arg(hz).arg(seconds)};
}

// A sound, a picture and a PNG cover, as phones and editors write an MP4.
QStringList WithCover(int seconds)
{
    return Sound(seconds) + Picture(seconds) +
           QStringList{"-f",    "lavfi", "-i",     "testsrc=size=64x48:rate=1:duration=1",
                       "-map",  "0:a",   "-map",   "1:v",
                       "-map",  "2:v",   "-c:v:1", "png",
                       "-disposition:v:1", "attached_pic"};
}

} // namespace

// Videos as other programs make them, odd but real: the end names what really happened, judged
// on the MP3 written and on the audio's own length.
class TestRealWorldVideos : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void allTheAudioIsThere_data();
    void allTheAudioIsThere();
    void noAudioSaysWhy_data();
    void noAudioSaysWhy();
    void encryptedAudioIsRefused_data();
    void encryptedAudioIsRefused();
    void damagedAudioQuotesTheConvertersError();

private:
    // Runs one whole-file request through to its outcome message.
    const FakeServices::Message &convert(const QString &input);
    QStringList files() const { return QDir(dir->path()).entryList(QDir::Files | QDir::Hidden); }

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<FakeServices> services;
    std::unique_ptr<Conversions> conversions;
};

void TestRealWorldVideos::init()
{
    dir = std::make_unique<QTemporaryDir>();
    services = std::make_unique<FakeServices>();
    services->realProcesses = true;
    services->pathConverter = QUILLON_FFMPEG;
    services->pathProbe = FfprobePath();
    conversions = std::make_unique<Conversions>(*services);
}

void TestRealWorldVideos::cleanup()
{
    conversions.reset();
    services.reset();
}

const FakeServices::Message &TestRealWorldVideos::convert(const QString &input)
{
    [&] {
        QVERIFY(conversions->request({input, {}, {}, {}}));
        QTRY_VERIFY_WITH_TIMEOUT(!services->messages.isEmpty(), 60000);
    }();
    static const FakeServices::Message none{};
    return services->messages.isEmpty() ? none : services->messages.last();
}

void TestRealWorldVideos::allTheAudioIsThere_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("make"); // ffmpeg arguments before the output
    QTest::addColumn<QByteArray>("patch"); // what to patch afterwards
    QTest::addColumn<double>("seconds");   // the audio that is there
    QTest::addColumn<QByteArray>("carried"); // what the MP3 holds besides the audio

    QTest::newRow("AVI whose header sizes are far too large")
        << "inflated.avi" << Sound(2) + Picture(2) + QStringList{"-shortest"} << QByteArray("sizes")
        << 2.0 << QByteArray();
    QTest::newRow("audio 5 s shorter than the picture")
        << "short.mp4" << Sound(5) + Picture(10) << QByteArray() << 5.0 << QByteArray();
    QTest::newRow("audio that starts 3 s late")
        << "late.mp4"
        << QStringList{"-f", "lavfi", "-itsoffset", "3", "-i", "sine=duration=7"} + Picture(10) +
               QStringList{"-map", "1:v", "-map", "0:a"}
        << QByteArray() << 7.0 << QByteArray();
    QTest::newRow("two audio tracks, the converted one the shorter")
        << "two.mp4" << Sound(2) + Sound(6, 880) + Picture(6) + QStringList{"-map", "2:v",  "-map",
                                                                            "0:a",  "-map", "1:a"}
        << QByteArray() << 2.0 << QByteArray();
    // Its picture goes into the MP3's tag as it is.
    QTest::newRow("a cover picture")
        << "cover.mp4" << WithCover(3) << QByteArray() << 3.0 << QByteArray("APIC");
}

void TestRealWorldVideos::allTheAudioIsThere()
{
    QFETCH(QString, name);
    QFETCH(QStringList, make);
    QFETCH(QByteArray, patch);
    QFETCH(double, seconds);
    QFETCH(QByteArray, carried);
    const QString input = dir->filePath(name);
    QVERIFY(Ffmpeg(make << input));
    if (patch == "sizes") {
        // The RIFF and movi sizes claim far more than the file holds; the data is all there.
        QByteArray bytes = ReadAll(input);
        const qsizetype movi = bytes.indexOf("movi");
        QVERIFY(movi > 4);
        Put32(bytes, 4, 0x7FFFFFF0);
        Put32(bytes, movi - 4, 0x7FFFFF00);
        QVERIFY(WriteAll(input, bytes));
    }

    const FakeServices::Message &message = convert(input);
    QCOMPARE(message.style, MessageStyle::Plain);
    QVERIFY2(message.prompt.endsWith(" Conversion done! "), qPrintable(message.prompt));
    const QString mp3 = PathBeforeFirstDot(input) + ".mp3";
    QStringList expectedFiles{QFileInfo(mp3).fileName(), name};
    expectedFiles.sort();
    QCOMPARE(files(), expectedFiles);
    const std::optional<double> written = Mp3AudioSeconds(mp3);
    if (!written)
        QFAIL("the MP3 could not be read");
    qInfo("%s: audio %.2f s, written %.2f s", qPrintable(name), seconds, *written);
    QVERIFY2(qAbs(*written - seconds) < 0.2, qPrintable(QString::number(*written)));
    // The shipped Windows converter has nothing that reads a picture, so it cannot carry one:
    // the sound alone is converted then.
    if (!carried.isEmpty() && !ProgramSuffix().isEmpty()) {
        QVERIFY(!ReadAll(mp3).contains(carried));
    } else if (!carried.isEmpty()) {
        // The tag's picture frame, and in it the PNG's own bytes.
        const QByteArray bytes = ReadAll(mp3);
        const qsizetype frame = bytes.indexOf(carried);
        QVERIFY2(frame > 0, "no picture in the MP3");
        QVERIFY(bytes.indexOf("image/png", frame) > frame);
        QVERIFY(bytes.indexOf("\x89PNG\r\n", frame) > frame);
    }
}

void TestRealWorldVideos::noAudioSaysWhy_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("make");
    QTest::addColumn<QByteArray>("patch");
    QTest::addColumn<QString>("reason");        // the message's first line
    QTest::addColumn<QString>("converterLine"); // what the second line holds

    const QString unreadable = "Nessun audio estratto: il video non contiene audio leggibile "
                               "(file danneggiato o incompleto).";
    QTest::newRow("MP4 whose media data is cut off after the header")
        << "stripped.mp4" << Sound(4) + Picture(4) + QStringList{"-movflags", "+faststart"}
        << QByteArray("mdat") << unreadable << "partial file";
    QTest::newRow("AVI whose media data is cut off after the header")
        << "stripped.avi" << Sound(4) + Picture(4) << QByteArray("movi") << unreadable
        << "Could not find codec parameters for stream 1 (Audio: ";
    QTest::newRow("audio codec tag that nobody decodes")
        << "unknown.avi" << Sound(2) + Picture(2) << QByteArray("tag")
        << "Nessun audio estratto: la traccia audio è in un formato che ffmpeg non sa "
           "decodificare."
        << "decoder";
}

void TestRealWorldVideos::noAudioSaysWhy()
{
    QFETCH(QString, name);
    QFETCH(QStringList, make);
    QFETCH(QByteArray, patch);
    QFETCH(QString, reason);
    QFETCH(QString, converterLine);
    const QString input = dir->filePath(name);
    QVERIFY(Ffmpeg(make << input));
    QByteArray bytes = ReadAll(input);
    if (patch == "tag") {
        const qsizetype audio = bytes.indexOf("auds"); // the audio stream's header
        const qsizetype format = bytes.indexOf("strf", audio);
        QVERIFY(audio > 0 && format > audio);
        qToLittleEndian(quint16(0x7777), bytes.data() + format + 8); // wFormatTag
    } else {
        const qsizetype at = bytes.indexOf(patch);
        QVERIFY(at > 0);
        bytes.truncate(at + 4);
    }
    QVERIFY(WriteAll(input, bytes));

    const FakeServices::Message &message = convert(input);
    QCOMPARE(message.style, MessageStyle::Critical);
    const QStringList lines = message.prompt.split("\r\n");
    QCOMPARE(lines.value(0), reason);
    QVERIFY2(lines.value(1).contains(converterLine, Qt::CaseInsensitive),
             qPrintable(message.prompt));
    QVERIFY(!message.prompt.contains("taglio"));
    QVERIFY(!message.prompt.contains("-ss"));
    QCOMPARE(files(), QStringList{name});
}

void TestRealWorldVideos::encryptedAudioIsRefused_data()
{
    QTest::addColumn<QStringList>("make");
    QTest::addColumn<bool>("itunes"); // iTunes' sample entry, and cut off after the header
    // Common encryption, as a shop's download carries it; the converter decodes it as noise.
    const QStringList encrypted = {"-shortest",
                                   "-c:a",
                                   "aac",
                                   "-encryption_scheme",
                                   "cenc-aes-ctr",
                                   "-encryption_key",
                                   "00112233445566778899aabbccddeeff",
                                   "-encryption_kid",
                                   "ffeeddccbbaa99887766554433221100"};
    QTest::newRow("common encryption") << Sound(3) + Picture(3) + encrypted << false;
    // The cover goes into the MP3 first: the audio converted is still the one judged.
    QTest::newRow("common encryption under a cover") << WithCover(3) + encrypted << false;
    // The converter fails before it picks a stream: the prober still tells.
    QTest::newRow("iTunes protection, cut off after the header")
        << Sound(3) + Picture(3) +
               QStringList{"-shortest", "-c:a", "aac", "-movflags", "+faststart"}
        << true;
}

void TestRealWorldVideos::encryptedAudioIsRefused()
{
    QFETCH(QStringList, make);
    QFETCH(bool, itunes);
    const QString input = dir->filePath("bought.mp4");
    QVERIFY(Ffmpeg(make << input));
    if (itunes) {
        QByteArray bytes = ReadAll(input);
        const qsizetype entry = bytes.indexOf("mp4a");
        const qsizetype media = bytes.indexOf("mdat");
        QVERIFY(entry > 0 && media > entry);
        bytes.replace(entry, 4, "drms");
        bytes.truncate(media + 4);
        QVERIFY(WriteAll(input, bytes));
    }
    const FakeServices::Message &message = convert(input);
    QCOMPARE(message.prompt, QString("Nessun audio estratto: l'audio di questo video è protetto "
                                     "(cifrato) e non si può estrarre."));
    QCOMPARE(message.style, MessageStyle::Critical);
    QCOMPARE(files(), QStringList{"bought.mp4"});
}

void TestRealWorldVideos::damagedAudioQuotesTheConvertersError()
{
    const QString input = dir->filePath("noisy.mp4");
    QVERIFY(
        Ffmpeg(Sound(4) + Picture(4) + QStringList{"-shortest", "-movflags", "+faststart", input}));
    // Bytes overwritten all through the media data, as a bad copy leaves them.
    QByteArray bytes = ReadAll(input);
    const qsizetype media = bytes.indexOf("mdat");
    QVERIFY(media > 0);
    for (qsizetype at = media + 2000; at < bytes.size(); at += 97)
        bytes[at] = char(at * 31);
    QVERIFY(WriteAll(input, bytes));

    const FakeServices::Message &message = convert(input);
    const QString quoted = message.prompt.section("\r\n", 1);
    QVERIFY2(!quoted.isEmpty(), qPrintable(message.prompt));
    // Some converters give up on it, others save what they could decode: either is told as it is.
    if (message.style == MessageStyle::Warning) {
        QVERIFY2(message.prompt.startsWith("Audio più corto del previsto: "),
                 qPrintable(message.prompt));
        QCOMPARE(files(), QStringList({"noisy.mp3", "noisy.mp4"}));
    } else {
        QCOMPARE(message.style, MessageStyle::Critical);
        QCOMPARE(files(), QStringList{"noisy.mp4"});
    }
    // The converter itself calls that line an error, decoding the sound alone (the Windows
    // converter has nothing to decode the picture with). Its figures (an error rate) vary from run
    // to run: the words before them must match.
    QString tagged;
    RunToEnd(QUILLON_FFMPEG,
             {"-nostdin", "-hide_banner", "-loglevel", "repeat+level+info", "-i", input, "-vn",
              "-f", "null", "-"},
             &tagged);
    const QString words = quoted.left(quoted.indexOf(QRegularExpression("\\d")));
    QVERIFY2(tagged.contains(
                 QRegularExpression("\\[(error|fatal)\\] " + QRegularExpression::escape(words))),
             qPrintable(message.prompt));
}

QTEST_GUILESS_MAIN(TestRealWorldVideos)
#include "tst_RealWorldVideos.moc"

#include "TestClips.h"
#include "conversion/AudioProbe.h"
#include "conversion/ConversionEnd.h"
#include "conversion/ConverterLog.h"
#include "conversion/Mp3Length.h"
#include "conversion/ProgressReport.h"

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
    void failureQuotesTheConvertersOwnWords_data();
    void failureQuotesTheConvertersOwnWords();
    void shownLinesLoseOnlyTheirLevel();
    void oddLinesAreReadAsTheConverterMeantThem_data();
    void oddLinesAreReadAsTheConverterMeantThem();
    void protectedAudioIsFoundInTheProbersReport_data();
    void protectedAudioIsFoundInTheProbersReport();
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
    QTest::newRow("whole seconds") << "  Duration: 00:01:02, start: 0" << 62.0;
    QTest::newRow("minutes in three digits") << "  Duration: 00:100:00.00, start: 0" << -1.0;
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
        QCOMPARE(found, std::optional<double>(seconds));
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
        ExpectedSeconds({0, duration < 0 ? std::nullopt : std::optional<double>(duration)},
                        isCut ? std::optional<CutRange>(CutRange{start, end}) : std::nullopt);
    if (expected < 0) {
        QVERIFY(!got);
    } else {
        QCOMPARE(got, std::optional<double>(expected));
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
    QCOMPARE(report.writtenSeconds(), std::optional<double>(1.5));
    report.feed("out_time_us=-5\nout_time_us=1000000\n");
    QCOMPARE(report.writtenSeconds(), std::optional<double>(1.5));
}

void TestConverterOutput::mp3LengthIsReadFromItsFrames()
{
    QTemporaryDir dir;
    const QString mp3 = dir.filePath("real.mp3");
    // The converter's own MP3, with its ID3 tag and Info frame: the encoder's delay and padding
    // that the frames hold besides the sound are not counted.
    QCOMPARE(RunToEnd(QUILLON_FFMPEG, {"-nostdin", "-v", "error", "-f", "lavfi", "-i",
                                       "sine=duration=3.3", "-ar", "44100", "-ab", "128k", mp3}),
             0);
    const std::optional<double> seconds = Mp3AudioSeconds(mp3);
    if (!seconds)
        QFAIL("no length read");
    QVERIFY2(qAbs(*seconds - 3.3) <= 0.001, qPrintable(QString::number(*seconds)));

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
    QCOMPARE(ExpectedSeconds({start, length}, cut), std::optional<double>(expected));
}

void TestConverterOutput::failureQuotesTheConvertersOwnWords_data()
{
    // Lines as ffmpeg 5.1 writes them with -loglevel repeat+level+info, from real runs, and
    // what the prober and the progress report said.
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("exitCode");
    // Seconds of audio in the file; -1: no file; -2: a file whose length cannot be measured.
    QTest::addColumn<double>("written");
    QTest::addColumn<bool>("cut");       // from second 10 to the end
    QTest::addColumn<QString>("prompt");
    // "audio": one audio stream; "converting": that, and the progress report came; "silent":
    // no audio stream; empty: the prober could not read the input.
    QTest::addColumn<QString>("probe");
    const QStringList opened = {
        "[info] Input #0, flv, from '/v/clip.flv':",
        "[info]   Duration: 00:00:29.00, start: 0.000000, bitrate: 330 kb/s",
        "[info]   Stream #0:0: Video: h264 (High), yuv420p(progressive), 320x240, 25 fps",
        "[info]   Stream #0:1: Audio: aac (LC), 44100 Hz, stereo, fltp",
        "[info] Stream mapping:",
        "[info]   Stream #0:1 -> #0:0 (aac (native) -> mp3 (libmp3lame))"};
    const QStringList mp3Listing = {
        "[info] Output #0, mp3, to '/v/clip.mp3.Ab12Cd.part':",
        "[info]   Stream #0:0: Audio: mp3, 44100 Hz, stereo, fltp, 128 kb/s",
        "[info]     Metadata:", "[info]       encoder         : Lavc59.37.100 libmp3lame"};
    const QString emptyOutput = "[warning] Output file is empty, nothing was encoded (check -ss / "
                                "-t / -frames parameters if used)";
    const QString unreadable = "Nessun audio estratto: il video non contiene audio leggibile "
                               "(file danneggiato o incompleto).";

    QTest::newRow("short: the error, not the metadata written last")
        << opened +
               QStringList{"[aac @ 0x55d0c1a2b3c0] [error] channel element 2.9 is not "
                           "allocated"} +
               mp3Listing
        << 0 << 1.0 << false
        << "Audio più corto del previsto: 1 s su 29 s.\r\nchannel element 2.9 is not allocated"
        << QString("audio");
    QTest::newRow("short with nothing said: no line at all")
        << opened + mp3Listing << 0 << 1.0 << false << "Audio più corto del previsto: 1 s su 29 s."
        << QString("audio");
    QTest::newRow("status 69, nothing written: no readable audio, the decoder's words")
        << opened + QStringList{"[error] Error while decoding stream #0:1: Invalid data found "
                                "when processing input",
                                "[info] size=       0kB time=00:00:00.00 bitrate=N/A speed=   0x",
                                emptyOutput, "[info] Conversion failed!"}
        << 69 << 0.0 << false
        << unreadable + "\r\nError while decoding stream #0:1: Invalid data found when "
                        "processing input"
        << QString("converting");
    QTest::newRow("status 69 in a cut: the chosen range")
        << opened + QStringList{"[mov,mp4,m4a,3gp,3g2,mj2 @ 0x5581] [error] stream 1, offset "
                                "0x630fd: partial file",
                                emptyOutput}
        << 69 << -1.0 << true
        << "Nessun audio estratto: nel tratto scelto il video non contiene audio leggibile."
           "\r\nstream 1, offset 0x630fd: partial file"
        << QString("converting");
    QTest::newRow("a repeat counter continues the line before")
        << opened + QStringList{"[flv @ 0x5581] [error] Packet mismatch 17 11 22",
                                "    Last message repeated 3 times", "[info] Conversion failed!"}
        << 1 << -1.0 << false << "Conversione non riuscita (codice 1).\r\nPacket mismatch 17 11 22"
        << QString("audio");
    QTest::newRow("a status line is no reason")
        << opened + QStringList{"[warning] Guessed Channel Layout for Input Stream #0.1 : mono",
                                "[flv @ 0x5581] [warning] Stream discovered after head already "
                                "parsed",
                                "[info] frame=    1 fps=0.0 q=-0.0 size=N/A time=00:00:00.04"}
        << 1 << -1.0 << false
        << "Conversione non riuscita (codice 1).\r\nStream discovered after head already parsed"
        << QString("audio");
    const QString skipping = "[mov,mp4,m4a,3gp,3g2,mj2 @ 0x5581] [warning] Skipping unhandled "
                             "metadata com.apple.quicktime.make of type 23";
    QTest::newRow("the error a line after a warning")
        << QStringList{"[info] Input #0, mov,mp4,m4a,3gp,3g2,mj2, from '/v/silent.mp4':",
                       "[info]   Stream #0:0: Video: h264 (High), yuv420p, 160x120", skipping,
                       "[info] Output #0, mp3, to '/v/silent.mp3.Ab12Cd.part':",
                       "[error] Output file #0 does not contain any stream"}
        << 1 << -1.0 << false
        << "Nessun audio estratto: il video non ha una traccia audio.\r\nOutput file #0 does not "
           "contain any stream"
        << QString("silent");
    QTest::newRow("the picture's decoder does not speak for the sound")
        << opened + QStringList{"[aac @ 0x5582] [error] Number of bands (31) exceeds limit (14).",
                                "[h264 @ 0x5583] [error] no frame!"}
        << 1 << -1.0 << false
        << "Conversione non riuscita (codice 1).\r\nNumber of bands (31) exceeds limit (14)."
        << QString("audio");
    QTest::newRow("cut advice is never quoted for a whole file")
        << opened + QStringList{emptyOutput} << 0 << 0.0 << false << unreadable << QString("audio");
    QTest::newRow("in a cut it is, without the advice")
        << opened + QStringList{emptyOutput} << 0 << 0.0 << true
        << "Nessun audio estratto: nel tratto scelto il video non contiene audio leggibile."
           "\r\nOutput file is empty, nothing was encoded"
        << QString("audio");
    // ffmpeg 7 and later name the cause first, then wrap it in lines that say only that it
    // failed, and end with the error's own code.
    QTest::newRow("no sound, the wrappers of newer converters")
        << QStringList{"[out#0/mp3 @ 0x55d9] [error] Output file does not contain any stream",
                       "[error] Error opening output file /v/silent.mp3.Ab12Cd.part.",
                       "[fatal] Error opening output files: Invalid argument"}
        << 234 << -1.0 << false
        << "Nessun audio estratto: il video non ha una traccia audio.\r\nOutput file does not "
           "contain any stream"
        << QString("silent");
    QTest::newRow("unreadable input, the wrappers of newer converters")
        << QStringList{"[in#0 @ 0x55a3] [error] Error opening input: Invalid data found when "
                       "processing input",
                       "[error] Error opening input file /v/empty.avi.",
                       "[fatal] Error opening input files: Invalid data found when processing "
                       "input"}
        << 183 << -1.0 << false
        << "Conversione non riuscita (codice 183).\r\nError opening input: Invalid data found "
           "when processing input"
        << QString();
    const QString decoderError = "[aist#0:1/aac @ 0x55dc] [dec:aac @ 0x55dd] [error] Error "
                                 "submitting packet to decoder: Invalid data found when "
                                 "processing input";
    const QString threadEnd = "[aist#0:1/aac @ 0x55dc] [error] Terminating thread with return "
                              "code -1094995529 (Invalid data found when processing input)";
    const QString nothingWritten = "[out#0/mp3 @ 0x55e0] [error] Nothing was written into "
                                   "output file, because at least one of its streams received "
                                   "no packets.";
    QTest::newRow("damaged audio, the thread wrappers of newer converters")
        << opened + QStringList{decoderError,
                                "[vist#0:0/h264 @ 0x55de] [dec:h264 @ 0x55df] [error] no frame!",
                                threadEnd, nothingWritten, "[info] Conversion failed!"}
        << 69 << 0.0 << false
        << unreadable + "\r\nError submitting packet to decoder: Invalid data found when "
                        "processing input"
        << QString("converting");
    // Windows' C library writes a context's address without "0x", and ffmpeg.exe returns its
    // error codes whole.
    QTest::newRow("contexts as Windows writes them")
        << opened + QStringList{"[aac @ 00000218a3c4d5e0] [error] Number of bands (31) exceeds "
                                "limit (14).",
                                "[h264 @ 00000218a3c4e6f0] [error] no frame!"}
        << -1094995529 << -1.0 << false
        << "Conversione non riuscita (codice -1094995529).\r\nNumber of bands (31) exceeds limit "
           "(14)."
        << QString("audio");
    // A tag's name is printed as it stands, line breaks and all, in both listings.
    const QStringList brokenName = {"[info]   Metadata:", "[info]     note",
                                    "[error] disk is full!: value",
                                    "[info]     encoder         : Lavf59.27.100"};
    QTest::newRow("a tag's name broken over lines is not the converter's words")
        << QStringList{"[info] Input #0, matroska,webm, from '/v/a.mkv':"} + brokenName +
               opened.mid(1) + mp3Listing.mid(0, 1) + brokenName + mp3Listing.mid(1)
        << 0 << 1.0 << false << "Audio più corto del previsto: 1 s su 29 s." << QString("audio");
    const QString claims = "[info]   Duration: %1, start: 0.000000, bitrate: N/A";
    QTest::newRow("a header that claims 80 years, in true numbers")
        << QStringList{claims.arg("700000:00:00.00")} << 0 << 4.0 << false
        << "Audio più corto del previsto: 4 s su 2520000000 s." << QString("audio");
    QTest::newRow("a header that claims more than anything lasts")
        << QStringList{claims.arg("99999999999:00:00.00")} << 0 << 4.0 << false
        << "Audio più corto del previsto: 4 s; la durata dichiarata dal video è impossibile, la "
           "sua intestazione è errata."
        << QString("audio");
    QTest::newRow("an MP3 whose length cannot be measured is kept")
        << opened + mp3Listing << 0 << -2.0 << false << "Code : 4242 Conversion done! "
        << QString("converting");
    QTest::newRow("fatal counts as an error")
        << QStringList{"[fatal] /v/clip.avi: Permission denied"} << 1 << -1.0 << false
        << "Conversione non riuscita (codice 1).\r\n/v/clip.avi: Permission denied" << QString("");
    QTest::newRow("a converter that tags nothing is not quoted")
        << QStringList{"clip.avi: Invalid data found when processing input"} << 1 << -1.0 << false
        << "Conversione non riuscita (codice 1)." << QString("");
}

void TestConverterOutput::failureQuotesTheConvertersOwnWords()
{
    QFETCH(QStringList, lines);
    QFETCH(int, exitCode);
    QFETCH(double, written);
    QFETCH(bool, cut);
    QFETCH(QString, prompt);
    QFETCH(QString, probe);
    ConverterLog log(cut);
    for (const QString &line : lines)
        log.addLine(line);
    EndFacts facts;
    if (!probe.isEmpty())
        facts.probedAudio = probe == "silent" ? 0 : 1;
    facts.converting = probe == "converting";
    facts.end = {4242, false, exitCode, "Conversion failed!"};
    facts.outputWritten = written >= 0 || written == -2;
    if (written >= 0)
        facts.writtenSeconds = written;
    if (cut)
        facts.cut = CutRange{10, 0};
    facts.expectedSeconds = ExpectedSeconds({0, log.inputDuration()}, facts.cut);
    QCOMPARE(ClassifyEnd(facts, log).message, prompt);
}

void TestConverterOutput::shownLinesLoseOnlyTheirLevel()
{
    ConverterLog log;
    QCOMPARE(log.addLine("[aac @ 0x55d0] [error] channel element 2.9 is not allocated"),
             "[aac @ 0x55d0] channel element 2.9 is not allocated");
    QCOMPARE(log.addLine("[info] Input #0, avi, from '/v/[error] a.avi':"),
             "Input #0, avi, from '/v/[error] a.avi':");
    QCOMPARE(log.addLine("[info]   Stream #0:1: Audio: aac (LC)"),
             "  Stream #0:1: Audio: aac (LC)");
}

void TestConverterOutput::oddLinesAreReadAsTheConverterMeantThem_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<int>("converted"); // -1: none named
    QTest::addColumn<QString>("quoted");
    const QString input = "[info] Input #0, matroska,webm, from '/v/a.mkv':";
    QTest::newRow("streams with an id and a language")
        << QStringList{input,
                       "[info]   Stream #0:0[0x1](eng): Video: h264 (High), yuv420p",
                       "[info]   Stream #0:1[0x2](ita): Audio: aac (LC), 48000 Hz",
                       "[info]   Stream #0:2(eng): Subtitle: subrip",
                       "[info]   Stream #0:3: Data: none",
                       "[info] Stream mapping:",
                       "[info]   Stream #0:1 -> #0:0 (aac (native) -> mp3)"}
        << false << 1 << QString();
    QTest::newRow("a cover picture goes first, the audio after it")
        << QStringList{input,
                       "[info]   Stream #0:0[0x1](und): Audio: aac (LC), 44100 Hz, stereo",
                       "[info]   Stream #0:1[0x2](und): Video: h264 (High), yuv420p",
                       "[info]   Stream #0:2[0x0]: Video: mjpeg (Baseline), 160x120 (attached pic)",
                       "[info] Stream mapping:", "[info]   Stream #0:2 -> #0:0 (copy)",
                       "[info]   Stream #0:0 -> #0:1 (aac (native) -> mp3 (libmp3lame))"}
        << false << 0 << QString();
    QTest::newRow("a stream mapped that is not listed as audio")
        << QStringList{input, "[info]   Stream #0:1 -> #0:01 (aac (native) -> mp3 (libmp3lame))"}
        << false << -1 << QString();
    QTest::newRow("two contexts, the inner one speaks")
        << QStringList{input, "[info]   Stream #0:0: Video: h264 (High), yuv420p",
                       "[mov,mp4 @ 0x55aa] [aac @ 0x55bb] [error] channel element 1.0 is not "
                       "allocated",
                       "[mov,mp4 @ 0x55aa] [h264 @ 0x55cc] [error] no frame!"}
        << false << -1 << "channel element 1.0 is not allocated";
    QTest::newRow("a context whose name holds an at sign")
        << QStringList{"[in @ out @ 0x5f] [warning] odd but tagged"} << false << -1
        << "odd but tagged";
    QTest::newRow("a bracket that is no context goes on with the line before")
        << QStringList{"[warning] first", "[x @ 0xZZ] [error] second"} << false << -1 << "first";
    QTest::newRow("an option like a cut option is not one")
        << QStringList{"[warning] -tune zerolatency ignored for audio"} << false << -1
        << "-tune zerolatency ignored for audio";
    QTest::newRow("a cut option in brackets is one")
        << QStringList{"[warning] first", "[warning] value (-to 5) out of range"} << false << -1
        << "first";
    QTest::newRow("only the advice at the very end goes")
        << QStringList{"[error] a (check -ss 1) b (check -ss / -t / -frames parameters if used)"}
        << true << -1 << "a (check -ss 1) b";
}

void TestConverterOutput::oddLinesAreReadAsTheConverterMeantThem()
{
    QFETCH(QStringList, lines);
    QFETCH(bool, cut);
    QFETCH(int, converted);
    QFETCH(QString, quoted);
    ConverterLog log(cut);
    for (const QString &line : lines)
        log.addLine(line);
    QCOMPARE(log.convertedStream().value_or(-1), converted);
    QCOMPARE(log.quotedLine(), quoted);
}

void TestConverterOutput::protectedAudioIsFoundInTheProbersReport_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<int>("stream"); // converted; -1: not known
    QTest::addColumn<bool>("encrypted");
    const QByteArray cenc = R"({"packets": [{"stream_index": 1, "side_data_list": [
        {"side_data_type": "Encryption info"}, {"side_data_type": "Skip Samples"}]}],
        "streams": [{"index": 1, "codec_type": "audio", "codec_tag_string": "mp4a"}]})";
    QTest::newRow("common encryption on the packets") << cenc << 1 << true;
    QTest::newRow("common encryption, stream not yet known") << cenc << -1 << true;
    QTest::newRow("iTunes protection")
        << QByteArray(R"({"streams": [{"index": 1, "codec_type": "audio",
            "codec_tag_string": "drms"}]})")
        << 1 << true;
    QTest::newRow("keys announced on the stream")
        << QByteArray(R"({"streams": [{"index": 0, "codec_type": "audio", "codec_tag_string":
            "mp4a", "side_data_list": [{"side_data_type": "Encryption initialization data"}]}]})")
        << 0 << true;
    QTest::newRow("only the other track is encrypted")
        << QByteArray(R"({"packets": [{"stream_index": 2, "side_data_list": [
            {"side_data_type": "Encryption info"}]}, {"stream_index": 1}],
            "streams": [{"index": 1, "codec_type": "audio"}, {"index": 2, "codec_type": "audio"}]})")
        << 1 << false;
    QTest::newRow("plain audio") << QByteArray(
                                        R"({"packets": [{"stream_index": 1, "side_data_list": [
            {"side_data_type": "Skip Samples"}]}],
            "streams": [{"index": 1, "codec_type": "audio", "codec_tag_string": "mp4a"}]})")
                                 << 1 << false;
}

void TestConverterOutput::protectedAudioIsFoundInTheProbersReport()
{
    QFETCH(QByteArray, report);
    QFETCH(int, stream);
    QFETCH(bool, encrypted);
    const std::optional<ProbeReport> read = ProbeReportFrom(report);
    if (!read)
        QFAIL("not read as a report");
    const ProbedAudio *audio = read->stream(stream < 0 ? std::nullopt : std::optional<int>(stream));
    QVERIFY(audio);
    QCOMPARE(audio->encrypted, encrypted);
}

QTEST_GUILESS_MAIN(TestConverterOutput)
#include "tst_ConverterOutput.moc"

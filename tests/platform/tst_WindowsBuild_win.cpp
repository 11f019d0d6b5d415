#include "FakeServices.h"
#include "TestClips.h"
#include "conversion/ConversionCommand.h"
#include "conversion/ConversionJob.h"
#include "conversion/Conversions.h"
#include "conversion/Mp3Length.h"
#include "conversion/ShortPath.h"
#include "platform/ProcessStarter.h"
#include "ui/main/FrmQuillon.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <windows.h>

// What only the Windows program has: its version table, short names, and the job that keeps a
// converter from outliving it.
class TestWindowsBuild : public QObject
{
    Q_OBJECT
private slots:
    void executableCarriesItsVersionTable();
    void shortNameNamesTheMp3();
    void converterRunsInsideTheJob();
    void convertsThroughTheMainWindow_data();
    void convertsThroughTheMainWindow();
    void endedWhileConverting_data();
    void endedWhileConverting();
    void heldMp3LosesNothing_data();
    void heldMp3LosesNothing();
};

namespace {
QString VersionString(const QByteArray &table, const QString &name)
{
    const std::wstring key = (QStringLiteral("\\StringFileInfo\\041004B0\\") + name).toStdWString();
    void *value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(table.constData(), key.c_str(), &value, &length) || length == 0)
        return QString();
    return QString::fromWCharArray(static_cast<const wchar_t *>(value), int(length) - 1);
}

// A logoff that another program refuses: the program's windows are asked, then told that the
// session goes on.
bool CancelLogoff(qint64 processId)
{
    struct Found
    {
        DWORD process;
        QList<HWND> windows;
    } found{DWORD(processId), {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto *found = reinterpret_cast<Found *>(data); // NOLINT: the system's callback data
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == found->process && IsWindowVisible(window))
                found->windows << window;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found)); // NOLINT: likewise
    DWORD_PTR answer = 0;
    for (HWND window : std::as_const(found.windows)) {
        if (!SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                                 SMTO_ABORTIFHUNG, 10000, &answer) ||
            !SendMessageTimeoutW(window, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF,
                                 SMTO_ABORTIFHUNG, 10000, &answer))
            return false;
    }
    return !found.windows.isEmpty();
}

enum class EndFromOutside { Killed, SessionEnds, LogoffCancelled };
} // namespace
Q_DECLARE_METATYPE(EndFromOutside)

void TestWindowsBuild::executableCarriesItsVersionTable()
{
    const QString exe = QCoreApplication::applicationDirPath() + QStringLiteral("/Quillon.exe");
    QVERIFY2(QFileInfo::exists(exe), qPrintable(exe));
    const std::wstring path = QDir::toNativeSeparators(exe).toStdWString();
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    QVERIFY(size > 0);
    QByteArray table(int(size), '\0');
    QVERIFY(GetFileVersionInfoW(path.c_str(), 0, size, table.data()));

    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    QVERIFY(VerQueryValueW(table.constData(), L"\\", reinterpret_cast<void **>(&fixed), &length));
    QCOMPARE(fixed->dwFileVersionMS, DWORD(0x00010000));
    QCOMPARE(fixed->dwFileVersionLS, DWORD(0));
    QCOMPARE(fixed->dwProductVersionMS, DWORD(0x00010000));

    WORD *translation = nullptr;
    QVERIFY(VerQueryValueW(table.constData(), L"\\VarFileInfo\\Translation",
                           reinterpret_cast<void **>(&translation), &length));
    QCOMPARE(length, UINT(4)); // one table
    QCOMPARE(translation[0], WORD(0x0410));
    QCOMPARE(translation[1], WORD(0x04B0));
    QCOMPARE(VersionString(table, "ProductName"), QString("Quillon"));
    QCOMPARE(VersionString(table, "FileVersion"), QString("1.00"));
    QCOMPARE(VersionString(table, "ProductVersion"), QString("1.00"));
    QCOMPARE(VersionString(table, "InternalName"), QString("Quillon"));
    QCOMPARE(VersionString(table, "OriginalFilename"), QString("Quillon.exe"));
    QVERIFY(ExtractIconExW(path.c_str(), -1, nullptr, nullptr, 0) >= 1);
}

void TestWindowsBuild::shortNameNamesTheMp3()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("Video di prova"));
    const QString video = dir.filePath("Video di prova/Il mio film è lungo.mp4");
    QFile file(video);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("this very file");
    file.close();
    const QString shortForm = ShortPathOf(QDir::toNativeSeparators(video));
    QVERIFY2(!shortForm.isEmpty(), qPrintable(video));
    // The same file, under names without spaces that the converter takes unquoted.
    QFile again(shortForm);
    QVERIFY(again.open(QIODevice::ReadOnly));
    QCOMPARE(again.readAll(), QByteArray("this very file"));
    const QString tail =
        shortForm.mid(QDir::toNativeSeparators(QFileInfo(dir.path()).canonicalFilePath()).size());
    QVERIFY2(!tail.contains(u' ') && !tail.contains(u'è'), qPrintable(shortForm));
    const QString mp3 = OutputBaseOf(shortForm);
    QVERIFY2(mp3.endsWith(".mp3") &&
                 QFileInfo(mp3).absolutePath() == QFileInfo(shortForm).absolutePath(),
             qPrintable(mp3));
    QCOMPARE(ShortPathOf(dir.filePath("missing.mp4")), QString());
}

void TestWindowsBuild::converterRunsInsideTheJob()
{
    ProcessStarter starter;
    std::optional<ProcessEnd> end;
    const StartResult started = starter.start(QStringLiteral(QUILLON_FFMPEG),
                                              {"-nostdin", "-v", "error", "-re", "-f", "lavfi",
                                               "-i", "sine=duration=30", "-f", "null", "-"},
                                              {{}, {}, [&](const ProcessEnd &e) { end = e; }, {}});
    QVERIFY2(started.started(), qPrintable(started.error));
    const HANDLE child = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, DWORD(started.taskId));
    QVERIFY(child);
    BOOL inJob = FALSE;
    QVERIFY(IsProcessInJob(child, nullptr, &inJob));
    CloseHandle(child);
    QVERIFY(inJob);
    starter.stop(started.taskId);
    QTRY_VERIFY_WITH_TIMEOUT(end.has_value(), 10000);
}

namespace {
// Real processes, with the shipped converter and prober where Quillon looks for them.
void UseShippedConverter(FakeServices &services)
{
    services.realProcesses = true;
    services.appFolder = QFileInfo(QStringLiteral(QUILLON_FFMPEG)).absolutePath();
    services.pathConverter.clear();
}

// The clips that scripts/test-windows.sh made; empty when there are none.
QString Clips()
{
    return qEnvironmentVariable("QUILLON_CLIPS");
}
} // namespace

void TestWindowsBuild::convertsThroughTheMainWindow_data()
{
    QTest::addColumn<QString>("clip"); // made by scripts/test-windows.sh; empty: a broken one
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("focused"); // one of Quillon's windows has it: no notification
    QTest::newRow("MP4") << "clip.mp4"
                         << "Il mio film è nuovo.mp4" << true;
    QTest::newRow("AVI, out of sight") << "clip.avi"
                                       << "Un video è vecchio.avi" << false;
    QTest::newRow("FLV") << "clip.flv"
                         << "Festa è finita.flv" << true;
    QTest::newRow("broken, out of sight") << QString() << "Rotto è.mp4" << false;
    // Past the 260 characters of a path that older programs stop at, as in a synced folder.
    QString deep;
    for (int level = 0; deep.size() < 300; ++level)
        deep += QStringLiteral("Cartella sincronizzata numero %1/").arg(level);
    QTest::newRow("past 260 characters") << "clip.mp4" << deep + "Il mio film.mp4" << true;
    QTest::newRow("outside the code page, out of sight")
        << "clip.mp4" << QString::fromUtf8("中文 Фильм 🎬.mp4") << false;
}

void TestWindowsBuild::convertsThroughTheMainWindow()
{
    QFETCH(QString, clip);
    QFETCH(QString, name);
    QFETCH(bool, focused);
    // Clips with a picture need encoders that the shipped, audio-only converter lacks.
    const QString clips = Clips();
    if (clips.isEmpty())
        QSKIP("QUILLON_CLIPS names no folder of clips");
    const QString folder = QStringLiteral("C:/Video di prova");
    QDir(folder).removeRecursively();
    QVERIFY(QDir().mkpath(folder));
    const QString video = folder + u'/' + name;
    QVERIFY(QDir().mkpath(QFileInfo(video).absolutePath()));
    const QString fileName = QFileInfo(video).fileName();
    if (clip.isEmpty()) {
        QFile broken(video);
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a video");
    } else {
        QVERIFY(QFile::copy(clips + u'/' + clip, video));
    }

    FakeServices services;
    UseShippedConverter(services);
    services.converterVersion.clear(); // the shipped converter is asked
    services.active = focused;
    FrmQuillon window(services);
    window.findChild<QLineEdit *>("txtInput")->setText(QDir::toNativeSeparators(video));
    window.findChild<QPushButton *>("cmdConvert")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!services.messages.isEmpty(), 60000);

    const QStringList left = QDir(QFileInfo(video).absolutePath()).entryList(QDir::Files);
    QCOMPARE(services.notifications.size(), focused ? 0 : 1);
    if (!focused) {
        QCOMPARE(services.notifications.first().summary, fileName);
        QCOMPARE(services.notifications.first().body, services.messages.last().prompt);
    }
    if (clip.isEmpty()) {
        QCOMPARE(services.messages.last().style, MessageStyle::Critical);
        QCOMPARE(left, QStringList{fileName});
        return;
    }
    QVERIFY2(services.messages.last().prompt.endsWith(" Conversion done! "),
             qPrintable(services.messages.last().prompt));
    // Named from the video's short form, beside it.
    const QString mp3 = OutputBaseOf(ShortPathOf(QDir::toNativeSeparators(video)));
    QCOMPARE(left.size(), 2);
    QVERIFY2(QFileInfo::exists(mp3), qPrintable(mp3));
    const std::optional<double> seconds = Mp3AudioSeconds(mp3);
    if (!seconds)
        QFAIL("the MP3 could not be read");
    QVERIFY2(qAbs(*seconds - 3.0) < 0.05, qPrintable(QString::number(*seconds)));
    // 128 kbit/s, 44100 Hz, two channels: the first frame's header says so.
    QFile written(mp3);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    qsizetype at = bytes.startsWith("ID3")
                       ? 10 + ((bytes[6] & 0x7F) << 21 | (bytes[7] & 0x7F) << 14 |
                               (bytes[8] & 0x7F) << 7 | (bytes[9] & 0x7F))
                       : 0;
    at = bytes.indexOf(char(0xFF), at);
    QVERIFY(at >= 0 && at + 4 <= bytes.size());
    const auto header = reinterpret_cast<const uchar *>(bytes.constData() + at);
    QCOMPARE(header[2] >> 4, 9);       // 128 kbit/s in MPEG-1 layer III
    QCOMPARE((header[2] >> 2) & 3, 0); // 44100 Hz
    QVERIFY((header[3] >> 6) != 3);    // not mono
    QDir(folder).removeRecursively();
}

void TestWindowsBuild::endedWhileConverting_data()
{
    QTest::addColumn<EndFromOutside>("end");
    QTest::newRow("killed") << EndFromOutside::Killed; // as the task manager ends it
    QTest::newRow("the session ends") << EndFromOutside::SessionEnds;
    QTest::newRow("a logoff that is cancelled") << EndFromOutside::LogoffCancelled;
}

void TestWindowsBuild::endedWhileConverting()
{
    QFETCH(EndFromOutside, end);
    const bool sessionEnds = end == EndFromOutside::SessionEnds;
    const bool realWindow = end != EndFromOutside::Killed;
    const QString clips = Clips();
    if (clips.isEmpty())
        QSKIP("QUILLON_CLIPS names no folder of clips");
    // Wine's own way of ending the session: each program's windows are asked, then told.
    const QString endSession = QStandardPaths::findExecutable("wineboot");
    if (sessionEnds && endSession.isEmpty())
        QSKIP("no wineboot to end the session with");
    QTemporaryDir dir;
    const QString video = dir.filePath("lungo.mkv");
    QVERIFY(QFile::copy(clips + "/long.mkv", video));

    // Quillon with one conversion under way; it says which converter and which file. Its
    // window is a real one when the session is to ask it.
    QProcess quillon;
    quillon.setProgram(QCoreApplication::applicationDirPath() + "/quillon_convert_one.exe");
    quillon.setArguments({QDir::toNativeSeparators(video)});
    if (realWindow) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "windows");
        quillon.setProcessEnvironment(environment);
    }
    quillon.start();
    QVERIFY(quillon.waitForStarted());
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += quillon.readAllStandardOutput()).contains("part "), 30000);
    const qint64 converter =
        said.mid(said.indexOf("converter ") + 10).split('\n').value(0).toLongLong();
    const QString part =
        QString::fromLocal8Bit(said.mid(said.indexOf("part ") + 5).split('\n').value(0)).trimmed();
    QVERIFY(converter > 0);
    const HANDLE running = OpenProcess(SYNCHRONIZE, FALSE, DWORD(converter));
    QVERIFY(running);

    if (end == EndFromOutside::LogoffCancelled) {
        QVERIFY(CancelLogoff(quillon.processId()));
        // Nothing changed: the conversion goes on, and ends with its own message.
        QCOMPARE(WaitForSingleObject(running, 0), DWORD(WAIT_TIMEOUT));
        QCOMPARE(quillon.state(), QProcess::Running);
        QTRY_VERIFY_WITH_TIMEOUT((said += quillon.readAllStandardOutput()).contains("message "),
                                 300000);
        CloseHandle(running);
        QVERIFY2(said.contains(" Conversion done! "), said.constData());
        QVERIFY(QFileInfo(dir.filePath("lungo.mp3")).size() > 0);
        quillon.kill();
        QVERIFY(quillon.waitForFinished(10000));
        return;
    }
    if (sessionEnds) {
        QCOMPARE(QProcess::execute(endSession, {"--end-session", "--shutdown"}), 0);
    } else {
        quillon.kill();
    }
    QVERIFY(quillon.waitForFinished(10000));
    // Without the job it would go on for most of a minute.
    const DWORD gone = WaitForSingleObject(running, 5000);
    CloseHandle(running);
    QCOMPARE(gone, DWORD(WAIT_OBJECT_0));
    if (sessionEnds) {
        // Stopped as a cancel stops it, before the session went on, and nothing was asked.
        said += quillon.readAllStandardOutput();
        QVERIFY2(!said.contains("message "), said.constData());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"lungo.mkv"});
        return;
    }
    QVERIFY2(QFileInfo::exists(part), qPrintable(part));

    // The next conversion to the same MP3 sweeps what the killed one left; a short video now.
    QVERIFY(QFile::remove(video));
    QVERIFY(QFile::copy(clips + "/clip.mp4", video));
    FakeServices services;
    UseShippedConverter(services);
    Conversions conversions(services);
    QVERIFY(conversions.request({QDir::toNativeSeparators(video), {}, {}, {}}));
    QVERIFY(!QFileInfo::exists(part));
    QTRY_VERIFY_WITH_TIMEOUT(!services.messages.isEmpty(), 120000);
    QVERIFY2(services.messages.last().prompt.endsWith(" Conversion done! "),
             qPrintable(services.messages.last().prompt));
}

void TestWindowsBuild::heldMp3LosesNothing_data()
{
    QTest::addColumn<bool>("closedAndRetried"); // else the user gives the new audio up
    QTest::newRow("tried again once the player closed it") << true;
    QTest::newRow("left as it was") << false;
}

void TestWindowsBuild::heldMp3LosesNothing()
{
    QFETCH(bool, closedAndRetried);
    const QString clips = Clips();
    if (clips.isEmpty())
        QSKIP("QUILLON_CLIPS names no folder of clips");
    QTemporaryDir dir;
    const QString video = dir.filePath("clip.mp4");
    QVERIFY(QFile::copy(clips + "/clip-2.mp4", video));
    const QString mp3 = dir.filePath("clip.mp3");
    const QByteArray old("the MP3 the player plays");
    QFile oldFile(mp3);
    QVERIFY(oldFile.open(QIODevice::WriteOnly) && oldFile.write(old) == old.size());
    oldFile.close();
    // As a player holds it: read, and neither renamed nor deleted meanwhile.
    HANDLE player = CreateFileW(QDir::toNativeSeparators(mp3).toStdWString().c_str(), GENERIC_READ,
                                FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    QVERIFY(player != INVALID_HANDLE_VALUE);
    const auto closePlayer = qScopeGuard([&player] {
        if (player)
            CloseHandle(std::exchange(player, nullptr));
    });

    FakeServices services;
    UseShippedConverter(services);
    services.questionAnswers.enqueue(MessageAnswer::Yes); // replace it
    services.questionAnswers.enqueue(closedAndRetried ? MessageAnswer::Yes : MessageAnswer::No);
    QStringList whileHeld; // the folder while the user decides
    services.whileAsking = [&] {
        if (!services.messages.last().prompt.startsWith(
                "Il file Mp3 è in uso da un altro programma:"))
            return;
        whileHeld = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        if (closedAndRetried && player)
            CloseHandle(std::exchange(player, nullptr));
    };
    Conversions conversions(services);
    QPointer<ConversionJob> job = conversions.request({QDir::toNativeSeparators(video), {}, {}, {}});
    QVERIFY(job);
    QTRY_VERIFY_WITH_TIMEOUT(job.isNull(), 60000);
    // The new audio waited beside the old MP3 while the user was asked.
    QCOMPARE(whileHeld.size(), 3);
    QVERIFY2(whileHeld.filter(".part").size() == 1, qPrintable(whileHeld.join(", ")));
    QFile result(mp3);
    QVERIFY(result.open(QIODevice::ReadOnly));
    if (closedAndRetried) {
        QVERIFY2(services.messages.last().prompt.endsWith(" Conversion done! "),
                 qPrintable(services.messages.last().prompt));
        QVERIFY(Mp3AudioSeconds(mp3).value_or(0) > 1.5);
    } else {
        QCOMPARE(result.readAll(), old);
        QCOMPARE(services.messages.size(), 2); // the two questions, nothing more
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({"clip.mp3", "clip.mp4"}));
}

QTEST_MAIN(TestWindowsBuild)
#include "tst_WindowsBuild_win.moc"

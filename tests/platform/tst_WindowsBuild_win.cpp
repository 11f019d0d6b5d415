#include "TestClips.h"
#include "conversion/ConversionCommand.h"
#include "conversion/ShortPath.h"
#include "platform/ProcessStarter.h"

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
} // namespace

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
                                              {{}, {}, [&](const ProcessEnd &e) { end = e; }});
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

QTEST_GUILESS_MAIN(TestWindowsBuild)
#include "tst_WindowsBuild_win.moc"

#include "Processes.h"

#include <QDir>
#include <QFileInfo>
#include <vector>

// windows.h first: the others build on it.
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

bool ProcessRunning(qint64 pid)
{
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, DWORD(pid));
    if (!process)
        return false;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

bool AnyProcessRuns(const QString &program)
{
    const QString wanted = QDir::toNativeSeparators(program);
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
         more = Process32NextW(snapshot, &entry)) {
        const HANDLE process =
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (!process)
            continue;
        wchar_t path[MAX_PATH];
        DWORD size = MAX_PATH;
        if (QueryFullProcessImageNameW(process, 0, path, &size))
            found =
                QString::fromWCharArray(path, int(size)).compare(wanted, Qt::CaseInsensitive) == 0;
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return found;
}

qint64 ResidentKb()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)))
        return 0;
    return qint64(counters.WorkingSetSize / 1024);
}

bool ReadOnlyFoldersRefuseWrites()
{
    return false;
}

QString HostPathOf(const QString &path)
{
    // Wine's own export; a real Windows has no host beneath it.
    using ToUnix = char *(CDECL *)(const wchar_t *);
    const auto toUnix = reinterpret_cast<ToUnix>( // NOLINT: the system's way to an export
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    if (!toUnix)
        return path;
    const std::wstring windowsPath = QDir::toNativeSeparators(path).toStdWString();
    char *unixPath = toUnix(windowsPath.c_str());
    if (!unixPath)
        return path;
    const QString result = QString::fromUtf8(unixPath);
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

int RunOnHost(const QString &program, const QStringList &arguments)
{
    // Wine cannot wait for a Unix program that CreateProcess started: its own export can.
    using Spawn = LONG(CDECL *)(char *const argv[], int wait);
    const auto spawn = reinterpret_cast<Spawn>( // NOLINT: the system's way to an export
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "__wine_unix_spawnvp"));
    if (!spawn)
        return -1;
    QList<QByteArray> words{program.toUtf8()};
    for (const QString &argument : arguments)
        words << argument.toUtf8();
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    return int(spawn(argv.data(), 1));
}

bool OpenFilesKeepTheirFolder()
{
    return true;
}

namespace {
// The host's folder behind the small drive that the test run mapped into the Wine prefix.
QString SmallDriveOnHost(const QString &folder)
{
    return HostPathOf(QFileInfo(folder).path());
}
} // namespace

QString SmallFolder(const QString &inside)
{
    Q_UNUSED(inside);
    const QString drive = qEnvironmentVariable("QUILLON_SMALL_DRIVE");
    QString folder = drive + QStringLiteral("/qsmall"); // its own short form
    if (drive.isEmpty() ||
        RunOnHost(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                            QStringLiteral("-o"), QStringLiteral("size=300k"),
                                            QStringLiteral("tmpfs"), SmallDriveOnHost(folder)}) !=
            0 ||
        !QDir().mkpath(folder))
        return QString();
    return folder;
}

bool ChangeSmallDrive(const QString &folder, SmallDriveChange change)
{
    const QString drive = SmallDriveOnHost(folder);
    if (change == SmallDriveChange::GoesAway)
        return RunOnHost(QStringLiteral("umount"), {QStringLiteral("-l"), drive}) == 0;
    return RunOnHost(QStringLiteral("mount"),
                     {QStringLiteral("-o"), QStringLiteral("remount,ro"), drive}) == 0;
}

void ReleaseSmallFolder(const QString &folder)
{
    RunOnHost(QStringLiteral("umount"), {QStringLiteral("-l"), SmallDriveOnHost(folder)});
}

#include "Processes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <csignal>
#include <sys/mount.h>
#include <unistd.h>

bool ProcessRunning(qint64 pid)
{
    return ::kill(pid_t(pid), 0) == 0;
}

bool AnyProcessRuns(const QString &program)
{
    const QByteArray name = QFile::encodeName(program);
    const QStringList pids = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : pids) {
        QFile cmdline("/proc/" + pid + "/cmdline");
        if (pid.toLongLong() > 0 && cmdline.open(QIODevice::ReadOnly) &&
            cmdline.readAll().contains(name))
            return true;
    }
    return false;
}

qint64 ResidentKb()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

bool ReadOnlyFoldersRefuseWrites()
{
    return ::geteuid() != 0;
}

QString HostPathOf(const QString &path)
{
    return path;
}

int RunOnHost(const QString &program, const QStringList &arguments)
{
    return QProcess::execute(program, arguments);
}

bool OpenFilesKeepTheirFolder()
{
    return false;
}

QString SmallFolder(const QString &inside)
{
    // The drive is mounted one level up, so that a folder of it goes when the drive does.
    const QString drive = inside + QStringLiteral("/small");
    QString folder = drive + QStringLiteral("/videos");
    if (!QDir().mkpath(drive) ||
        ::mount("tmpfs", QFile::encodeName(drive).constData(), "tmpfs", 0, "size=300k") != 0 ||
        !QDir().mkpath(folder))
        return QString();
    return folder;
}

bool ChangeSmallDrive(const QString &folder, SmallDriveChange change)
{
    const QByteArray drive = QFile::encodeName(QFileInfo(folder).path());
    if (change == SmallDriveChange::GoesAway)
        return ::umount2(drive.constData(), MNT_DETACH) == 0;
    return ::mount("tmpfs", drive.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=300k") == 0;
}

void ReleaseSmallFolder(const QString &folder)
{
    ::umount2(QFile::encodeName(QFileInfo(folder).path()).constData(), MNT_DETACH);
}

#include "Processes.h"

#include <QDir>
#include <QFile>
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
    QString folder = inside + QStringLiteral("/small");
    if (!QDir().mkpath(folder) ||
        ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=300k") != 0)
        return QString();
    return folder;
}

void ReleaseSmallFolder(const QString &folder)
{
    ::umount(QFile::encodeName(folder).constData());
}

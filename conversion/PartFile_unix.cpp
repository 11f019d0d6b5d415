#include "conversion/PartFile.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// An advisory lock on a descriptor of the file: the kernel releases it with the process.

namespace {
// Whether fd is still the file at path: a sweeper may have removed it before the lock was had.
bool StillThere(int fd, const QString &path)
{
    struct stat opened = {}, named = {};
    return ::fstat(fd, &opened) == 0 && opened.st_nlink > 0 &&
           ::stat(QFile::encodeName(path).constData(), &named) == 0 &&
           opened.st_ino == named.st_ino && opened.st_dev == named.st_dev;
}
} // namespace

qintptr PartFileHold::Take(const QString &path, qintptr handle, QString *reason)
{
    const int fd = ::fcntl(int(handle), F_DUPFD_CLOEXEC, 0);
    if (fd < 0 || ::flock(fd, LOCK_EX) != 0) {
        *reason = QString::fromLocal8Bit(strerror(errno));
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    if (!StillThere(fd, path)) {
        ::close(fd);
        return -2;
    }
    return fd;
}

void PartFileHold::Release(qintptr hold)
{
    if (hold >= 0)
        ::close(int(hold));
}

bool PartFileHold::RemoveIfLeft(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    // Locked: a live conversion writes it. Free: its owner is gone.
    const bool removed =
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 && StillThere(fd, path) && QFile::remove(path);
    ::close(fd);
    return removed;
}

MoveResult MoveReplacing(const QString &from, const QString &to, QString *reason)
{
    // An open file never keeps its name from being given to another.
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return MoveResult::Moved;
    *reason = QString::fromLocal8Bit(strerror(errno));
    return MoveResult::Failed;
}

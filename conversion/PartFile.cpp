#include "conversion/PartFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// File names hold 255 bytes at most: a long name is shortened for the temporary file.
QString PartPrefixOf(const QString &outputBase)
{
    QString name = QFileInfo(outputBase).fileName();
    while (QFile::encodeName(name).size() > 200)
        name.chop(1);
    if (name.size() > 0 && name.back().isHighSurrogate())
        name.chop(1);
    return name;
}

#ifdef Q_OS_UNIX
// Whether fd is still the file at path: a sweeper may have removed it before the lock was had.
bool StillThere(int fd, const QString &path)
{
    struct stat opened = {}, named = {};
    return ::fstat(fd, &opened) == 0 && opened.st_nlink > 0 &&
           ::stat(QFile::encodeName(path).constData(), &named) == 0 &&
           opened.st_ino == named.st_ino && opened.st_dev == named.st_dev;
}
#endif

} // namespace

std::unique_ptr<PartFile> PartFile::CreateBeside(const QString &outputBase, QString *reason)
{
    const QString pattern =
        QFileInfo(outputBase)
            .dir()
            .filePath(PartPrefixOf(outputBase) + QStringLiteral(".XXXXXX.part"));
    for (int attempt = 0; attempt < 10; ++attempt) {
        QTemporaryFile file(pattern);
        file.setAutoRemove(false);
        if (!file.open()) {
            *reason = file.errorString();
            return nullptr;
        }
        const QString path = file.fileName();
#ifdef Q_OS_UNIX
        const int fd = ::fcntl(file.handle(), F_DUPFD_CLOEXEC, 0);
        if (fd < 0 || ::flock(fd, LOCK_EX) != 0) {
            *reason = QString::fromLocal8Bit(strerror(errno));
            if (fd >= 0)
                ::close(fd);
            QFile::remove(path);
            return nullptr;
        }
        if (!StillThere(fd, path)) {
            ::close(fd); // swept between its creation and the lock: take another
            continue;
        }
        return std::unique_ptr<PartFile>(new PartFile(path, fd));
#else
        // No advisory locks here: leftovers are not swept, so none is ever taken for one.
        return std::unique_ptr<PartFile>(new PartFile(path, -1));
#endif
    }
    *reason = QStringLiteral("no temporary file could be kept");
    return nullptr;
}

PartFile::~PartFile()
{
#ifdef Q_OS_UNIX
    if (fd >= 0)
        ::close(fd);
#endif
}

int SweepLeftoversOf(const QString &outputBase)
{
    int removed = 0;
#ifdef Q_OS_UNIX
    const QFileInfo output(outputBase);
    const QRegularExpression leftover(QLatin1Char('^') +
                                      QRegularExpression::escape(PartPrefixOf(outputBase)) +
                                      QStringLiteral(R"(\.[A-Za-z0-9]{6}\.part$)"));
    const QDir folder = output.dir();
    const QStringList names =
        folder.entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (!leftover.match(name).hasMatch())
            continue;
        const QString path = folder.filePath(name);
        const int fd =
            ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        // Locked: a live conversion writes it. Free: its owner is gone.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && StillThere(fd, path) && QFile::remove(path))
            ++removed;
        ::close(fd);
    }
#else
    Q_UNUSED(outputBase);
#endif
    return removed;
}

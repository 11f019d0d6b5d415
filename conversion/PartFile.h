#pragma once

#include <QString>
#include <memory>

// The temporary file a conversion writes beside its MP3 ("name.mp3.XXXXXX.part"). While this
// object lives it holds an advisory lock on the file: the kernel releases it with the process,
// so a locked file is one that a live conversion still writes, in this program or another.
class PartFile
{
public:
    // A new, empty, locked file beside outputBase; empty with reason set when the folder
    // does not take one.
    static std::unique_ptr<PartFile> CreateBeside(const QString &outputBase, QString *reason);
    ~PartFile(); // releases the lock; the file itself stays where it is

    PartFile(const PartFile &) = delete;
    PartFile &operator=(const PartFile &) = delete;

    QString path() const { return filePath; }

private:
    PartFile(QString path, int descriptor) : filePath(std::move(path)), fd(descriptor) {}

    QString filePath;
    int fd = -1;
};

// Removes the temporary files of outputBase that no live conversion holds any more: what a
// killed program left behind. Returns how many went.
int SweepLeftoversOf(const QString &outputBase);

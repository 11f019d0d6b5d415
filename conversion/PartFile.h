#pragma once

#include <QString>
#include <memory>

// The temporary file a conversion writes beside its MP3 ("name.mp3.XXXXXX.part"). While this
// object lives it holds the file: the system lets go of it with the process, so a held file is
// one that a live conversion still writes, in this program or another.
class PartFile
{
public:
    // A new, empty, held file beside outputBase; empty with reason set when the folder
    // does not take one.
    static std::unique_ptr<PartFile> CreateBeside(const QString &outputBase, QString *reason);
    ~PartFile(); // lets go of the file; the file itself stays where it is
    PartFile(const PartFile &) = delete;
    PartFile &operator=(const PartFile &) = delete;

    QString path() const { return filePath; }

private:
    PartFile(QString path, qintptr hold) : filePath(std::move(path)), hold(hold) {}
    QString filePath;
    qintptr hold = -1; // what the system holds the file by
};

// Removes the temporary files of outputBase that no live conversion holds any more: what a
// killed program left behind. Returns how many went.
int SweepLeftoversOf(const QString &outputBase);

enum class MoveResult {
    Moved,
    Held, // another program has the file called to open, and the system will not replace it
    Failed,
};

// Gives the file at from the name to, in one step: a file already called to is there until the
// new one takes its place. Otherwise both stay as they were, with reason set.
MoveResult MoveReplacing(const QString &from, const QString &to, QString *reason);

// How each system holds a temporary file and tells a held one from a left one.
namespace PartFileHold {
// Holds the file just created at path, still open as handle; -1 with reason set when it cannot,
// -2 when it was swept away before it was held (another name is then tried).
qintptr Take(const QString &path, qintptr handle, QString *reason);
void Release(qintptr hold);
// Removes path if nobody holds it.
bool RemoveIfLeft(const QString &path);
} // namespace PartFileHold

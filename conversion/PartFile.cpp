#include "conversion/PartFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

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
        const qintptr hold = PartFileHold::Take(path, file.handle(), reason);
        if (hold == -2)
            continue;
        if (hold < 0) {
            file.close();
            QFile::remove(path);
            return nullptr;
        }
        return std::unique_ptr<PartFile>(new PartFile(path, hold));
    }
    *reason = QStringLiteral("no temporary file could be kept");
    return nullptr;
}

PartFile::~PartFile()
{
    PartFileHold::Release(hold);
}

int SweepLeftoversOf(const QString &outputBase)
{
    const QRegularExpression leftover(QLatin1Char('^') +
                                      QRegularExpression::escape(PartPrefixOf(outputBase)) +
                                      QStringLiteral(R"(\.[A-Za-z0-9]{6}\.part$)"));
    const QDir folder = QFileInfo(outputBase).dir();
    const QStringList names =
        folder.entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden | QDir::System);
    int removed = 0;
    for (const QString &name : names) {
        if (leftover.match(name).hasMatch() && PartFileHold::RemoveIfLeft(folder.filePath(name)))
            ++removed;
    }
    return removed;
}

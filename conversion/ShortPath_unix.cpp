#include "conversion/ShortPath.h"

#include <QDir>
#include <QFileInfo>

QString ShortPathOf(const QString &path)
{
    if (path.isEmpty())
        return QString();
    const QFileInfo info(path);
    // exists() follows links; a dangling link names nothing the converter could read.
    if (!info.exists())
        return QString();
    return QDir::cleanPath(info.absoluteFilePath());
}

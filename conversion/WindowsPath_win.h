#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <string>
#include <windows.h>

// A path as Windows' wide functions take it at any length: from MAX_PATH on, in the "\\?\"
// form that lifts the limit, which wants it whole and with backslashes.
inline std::wstring WindowsPathOf(const QString &path)
{
    const QString native = QDir::toNativeSeparators(path);
    // A folder's own limit is 12 less, room for a file name inside it.
    if (native.size() < MAX_PATH - 12 || native.startsWith(QLatin1String("\\\\?\\")))
        return native.toStdWString();
    const QString whole =
        QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (whole.startsWith(QLatin1String("\\\\")))
        return (QLatin1String("\\\\?\\UNC\\") + whole.mid(2)).toStdWString();
    return (QLatin1String("\\\\?\\") + whole).toStdWString();
}

// The path a "\\?\" form names, as the user writes it.
inline QString WithoutLongPrefix(const QString &path)
{
    if (path.startsWith(QLatin1String("\\\\?\\UNC\\")))
        return QLatin1String("\\\\") + path.mid(8);
    if (path.startsWith(QLatin1String("\\\\?\\")))
        return path.mid(4);
    return path;
}

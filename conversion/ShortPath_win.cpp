#include "conversion/ShortPath.h"

#include "conversion/WindowsPath_win.h"

#include <vector>
#include <windows.h>

QString ShortPathOf(const QString &path)
{
    if (path.isEmpty())
        return QString();
    // Past MAX_PATH only the long form is taken; where the volume makes no short names, the
    // answer is that long form again, which the converter also takes.
    const std::wstring longPath =
        path.size() < MAX_PATH - 12 ? path.toStdWString() : WindowsPathOf(path);
    std::vector<wchar_t> buffer(1024, L' ');
    DWORD n = GetShortPathNameW(longPath.c_str(), buffer.data(), DWORD(buffer.size()));
    if (n > buffer.size()) {
        // Too small: n is the length needed, terminating zero included.
        buffer.assign(size_t(n) + 1, L' ');
        n = GetShortPathNameW(longPath.c_str(), buffer.data(), DWORD(buffer.size()));
    }
    if (n == 0 || n > buffer.size())
        return QString();
    return WithoutLongPrefix(QString::fromWCharArray(buffer.data(), int(n)));
}

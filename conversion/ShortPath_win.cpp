#include "conversion/ShortPath.h"

#include <vector>
#include <windows.h>

QString ShortPathOf(const QString &path)
{
    if (path.isEmpty())
        return QString();
    const std::wstring longPath = path.toStdWString();
    std::vector<wchar_t> buffer(1024, L' ');
    DWORD n = GetShortPathNameW(longPath.c_str(), buffer.data(), DWORD(buffer.size()));
    if (n > buffer.size()) {
        // Too small: n is the length needed, terminating zero included.
        buffer.assign(size_t(n) + 1, L' ');
        n = GetShortPathNameW(longPath.c_str(), buffer.data(), DWORD(buffer.size()));
    }
    if (n == 0 || n > buffer.size())
        return QString();
    return QString::fromWCharArray(buffer.data(), int(n));
}

#include "conversion/PartFile.h"

#include "conversion/WindowsPath_win.h"

#include <QDir>
#include <windows.h>

// A handle of its own on the file that lets others read, write, rename and delete it, but
// keeps out anyone who wants it alone: the sweeper asks for it alone, and gets it only from a
// file that nobody holds. Windows closes the handle with the process.

namespace {
std::wstring NativePath(const QString &path)
{
    return WindowsPathOf(path);
}

QString SystemError(DWORD error)
{
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    const QString message = QString::fromWCharArray(text, int(length)).trimmed();
    LocalFree(text);
    return message;
}
} // namespace

qintptr PartFileHold::Take(const QString &path, qintptr, QString *reason)
{
    // The file is still open where it was made, so nobody can have swept it meanwhile.
    const HANDLE handle =
        CreateFileW(NativePath(path).c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        *reason = SystemError(GetLastError());
        return -1;
    }
    return reinterpret_cast<qintptr>(handle);
}

void PartFileHold::Release(qintptr hold)
{
    if (hold >= 0)
        CloseHandle(reinterpret_cast<HANDLE>(hold));
}

bool PartFileHold::RemoveIfLeft(const QString &path)
{
    // Alone, and gone once closed; a held file answers with a sharing violation.
    const HANDLE handle =
        CreateFileW(NativePath(path).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                    FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(handle);
    return true;
}

namespace {
// Whether another program has the file open without letting it be deleted, as a player does.
bool HeldByAnother(const QString &path)
{
    const HANDLE handle =
        CreateFileW(NativePath(path).c_str(), DELETE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}
} // namespace

MoveResult MoveReplacing(const QString &from, const QString &to, QString *reason)
{
    if (MoveFileExW(NativePath(from).c_str(), NativePath(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return MoveResult::Moved;
    const DWORD error = GetLastError();
    *reason = SystemError(error);
    const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                      (error == ERROR_ACCESS_DENIED && HeldByAnother(to));
    return held ? MoveResult::Held : MoveResult::Failed;
}

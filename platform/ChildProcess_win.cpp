#include "platform/ChildProcess.h"

#include <QProcess>
#include <windows.h>

namespace {
// One job for every program this process starts. Windows closes its handle when this process
// ends, however it ends, and the job then ends every program still in it.
HANDLE TheJob()
{
    static const HANDLE job = [] {
        const HANDLE created = CreateJobObjectW(nullptr, nullptr);
        if (!created)
            return HANDLE(nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits,
                                sizeof(limits));
        return created;
    }();
    return job;
}
} // namespace

void ChildProcess::Prepare(QProcess &process)
{
    // A console program would get a console window of its own.
    process.setCreateProcessArgumentsModifier(
        [](QProcess::CreateProcessArguments *arguments) { arguments->flags |= CREATE_NO_WINDOW; });
}

void ChildProcess::Adopt(QProcess &process)
{
    const HANDLE job = TheJob();
    const HANDLE child =
        OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, DWORD(process.processId()));
    if (!job || !child)
        return;
    AssignProcessToJobObject(job, child);
    CloseHandle(child);
}

void ChildProcess::Stop(QProcess &process)
{
    // A console program without a console has no window to close and no key to read: nothing
    // but ending it stops it, and what it wrote is thrown away anyway.
    process.kill();
}

bool ChildProcess::Crashed(QProcess::ExitStatus, int exitCode)
{
    // Qt calls every code from 0x80000000 to 0xCFFFFFFF a crash, but a program may return a
    // negative number of its own: ffmpeg returns its error codes whole, as -1094995529 for
    // invalid data. Windows' own exception codes are errors of its own facility (0xC000xxxx);
    // abort() ends with 3; a breakpoint and Qt's kill have codes of their own.
    const auto code = quint32(exitCode);
    constexpr quint32 kBreakpoint = 0x80000003;
    constexpr quint32 kKilledByQt = 0xF291;
    constexpr quint32 kAbort = 3;
    const bool systemError = (code & 0xFFFF0000) == 0xC0000000;
    return systemError || code == kBreakpoint || code == kKilledByQt || code == kAbort;
}

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
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *arguments) {
        arguments->flags |= CREATE_NO_WINDOW;
    });
}

void ChildProcess::Adopt(QProcess &process)
{
    const HANDLE job = TheJob();
    const HANDLE child = OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE,
                                     DWORD(process.processId()));
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

#include "platform/ChildProcess.h"

#include <QProcess>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>
#endif

void ChildProcess::Prepare(QProcess &process)
{
#ifdef Q_OS_LINUX
    // The kernel stops the program when this process ends, however it ends, so a converter
    // never goes on writing a file that nobody will finish.
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) // the parent died before the line above took effect
            ::raise(SIGTERM);
    });
#else
    // Other Unix systems have no such thing: a program killed outright leaves its converter
    // running.
    Q_UNUSED(process);
#endif
}

void ChildProcess::Adopt(QProcess &)
{
}

void ChildProcess::Stop(QProcess &process)
{
    // The converter ends its file and stops on SIGTERM.
    process.terminate();
}

bool ChildProcess::Crashed(QProcess::ExitStatus status, int)
{
    // A signal ended it; an exit code, however odd, is its own.
    return status == QProcess::CrashExit;
}

#include "platform/ProcessStarter.h"

#include "platform/ChildProcess.h"

#include <QDeadlineTimer>
#include <QEventLoopLocker>
#include <QPointer>
#include <QProcess>
#include <QTimer>
#include <memory>

void LastLineTracker::feed(const QByteArray &chunk)
{
    lines.feed(chunk, [this](const QByteArray &line) {
        if (!line.trimmed().isEmpty())
            last = line.trimmed();
    });
}

QString LastLineTracker::lastLine() const
{
    const QByteArray pending = lines.rest().trimmed();
    return QString::fromLocal8Bit(pending.isEmpty() ? last : pending);
}

ProcessStarter::ProcessStarter(QObject *parent, int stopGraceMs)
    : QObject(parent), stopGraceMs(stopGraceMs)
{
}

ProcessStarter::~ProcessStarter()
{
    // Only reached when the application ends; a converter still running then is not left
    // behind as an orphan writing into a file nobody will finish.
    for (QProcess *process : std::as_const(running)) {
        process->disconnect();
        process->kill();
        process->waitForFinished(1000);
    }
}

StartResult ProcessStarter::start(const QString &program, const QStringList &arguments,
                                  const ProgramCallbacks &callbacks)
{
    auto *process = new QProcess(this);
    process->setProgram(program);
    process->setArguments(arguments);
    // The converter has no keyboard: it must never wait for an answer on its input.
    process->setStandardInputFile(QProcess::nullDevice());
    ChildProcess::Prepare(*process);
    // Never waited for: a system that is slow to start it, or a scanner that holds a new
    // program, must not stop the window. A start that fails later says so by its error.
    process->start();
    if (process->state() == QProcess::NotRunning) {
        StartResult failed{0, process->errorString()};
        delete process;
        return failed;
    }

    if (process->state() == QProcess::Running)
        ChildProcess::Adopt(*process);
    else
        connect(process, &QProcess::started, this, [process] { ChildProcess::Adopt(*process); });
    const qint64 taskId = process->processId();
    running.insert(taskId, process);
    auto errors = std::make_shared<LastLineTracker>();
    auto keepAlive = std::make_shared<QEventLoopLocker>();
    connect(process, &QProcess::errorOccurred, this,
            [this, process, keepAlive, taskId, callbacks](QProcess::ProcessError error) mutable {
                if (error != QProcess::FailedToStart || !running.contains(taskId))
                    return;
                running.remove(taskId);
                process->deleteLater();
                if (callbacks.onStartFailed)
                    callbacks.onStartFailed(process->errorString());
                keepAlive.reset();
            });
    connect(process, &QProcess::readyReadStandardOutput, this, [process, callbacks] {
        const QByteArray chunk = process->readAllStandardOutput();
        if (callbacks.onStandardOutput)
            callbacks.onStandardOutput(chunk);
    });
    connect(process, &QProcess::readyReadStandardError, this, [process, errors, callbacks] {
        const QByteArray chunk = process->readAllStandardError();
        errors->feed(chunk);
        if (callbacks.onStandardError)
            callbacks.onStandardError(chunk);
    });
    connect(process, &QProcess::finished, this,
            [this, process, errors, keepAlive, taskId,
             callbacks](int exitCode, QProcess::ExitStatus status) mutable {
                // Whatever is still buffered belongs before the end.
                const QByteArray out = process->readAllStandardOutput();
                if (!out.isEmpty() && callbacks.onStandardOutput)
                    callbacks.onStandardOutput(out);
                const QByteArray err = process->readAllStandardError();
                errors->feed(err);
                if (!err.isEmpty() && callbacks.onStandardError)
                    callbacks.onStandardError(err);
                running.remove(taskId);
                process->deleteLater();
                if (callbacks.onEnd)
                    callbacks.onEnd(ProcessEnd{taskId, ChildProcess::Crashed(status, exitCode), exitCode,
                                               errors->lastLine()});
                keepAlive.reset();
            });
    return {taskId, QString()};
}

void ProcessStarter::stop(qint64 taskId)
{
    QProcess *process = running.value(taskId);
    if (!process)
        return;
    ChildProcess::Stop(*process);
    QPointer<QProcess> guard(process);
    QTimer::singleShot(stopGraceMs, this, [guard] {
        if (guard && guard->state() != QProcess::NotRunning)
            guard->kill();
    });
}

void ProcessStarter::finishAll(int withinMs)
{
    constexpr int kKilledEndMs = 5000;
    const QDeadlineTimer deadline(withinMs);
    // Each end is reported from inside the wait, which takes its program off the list.
    while (!running.isEmpty()) {
        const qint64 taskId = running.cbegin().key();
        QProcess *process = running.cbegin().value();
        const bool late = deadline.hasExpired();
        if (late)
            process->kill();
        if (!process->waitForFinished(late ? kKilledEndMs : int(deadline.remainingTime())) &&
            late && running.contains(taskId)) {
            // Not even killing ended it: its end is not waited for any longer.
            process->disconnect();
            running.remove(taskId);
        }
    }
}

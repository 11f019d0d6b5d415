#include "platform/ProcessStarter.h"

#include <QEventLoopLocker>
#include <QProcess>
#include <memory>

namespace {
// Longer lines are cut; a converter's status lines are far shorter.
constexpr qsizetype kMaxLineBytes = 4096;
} // namespace

void LastLineTracker::feed(const QByteArray &chunk)
{
    for (const char c : chunk) {
        // The converter rewrites its status line with carriage returns.
        if (c == '\n' || c == '\r') {
            if (!partial.trimmed().isEmpty())
                last = partial.trimmed();
            partial.clear();
        } else if (partial.size() < kMaxLineBytes) {
            partial.append(c);
        }
    }
}

QString LastLineTracker::lastLine() const
{
    const QByteArray pending = partial.trimmed();
    return QString::fromLocal8Bit(pending.isEmpty() ? last : pending);
}

StartResult ProcessStarter::start(const QString &program, const QStringList &arguments,
                                  std::function<void(const ProcessEnd &)> onEnd)
{
    auto *process = new QProcess(this);
    process->setProgram(program);
    process->setArguments(arguments);
    // The converter has no keyboard: it must never wait for an answer on its input.
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted()) {
        StartResult failed{0, process->errorString()};
        delete process;
        return failed;
    }

    const qint64 taskId = process->processId();
    auto errors = std::make_shared<LastLineTracker>();
    auto keepAlive = std::make_shared<QEventLoopLocker>();
    connect(process, &QProcess::readyReadStandardError, process,
            [process, errors] { errors->feed(process->readAllStandardError()); });
    connect(process, &QProcess::finished, process,
            [process, errors, keepAlive, taskId,
             onEnd = std::move(onEnd)](int exitCode, QProcess::ExitStatus status) mutable {
                errors->feed(process->readAllStandardError());
                process->deleteLater();
                ProcessEnd end{taskId, status == QProcess::CrashExit, exitCode, errors->lastLine()};
                if (onEnd)
                    onEnd(end);
                keepAlive.reset();
            });
    return {taskId, QString()};
}

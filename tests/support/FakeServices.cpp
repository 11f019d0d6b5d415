#include "FakeServices.h"

#include <QTimer>

void FakeServices::writeOutput(int index, const QByteArray &chunk)
{
    starts.at(index).callbacks.onStandardOutput(chunk);
}

void FakeServices::writeError(int index, const QByteArray &chunk)
{
    starts.at(index).callbacks.onStandardError(chunk);
}

void FakeServices::finish(int index, int exitCode, bool crashed, const QString &lastLine)
{
    const Start &start = starts.at(index);
    start.callbacks.onEnd(ProcessEnd{start.taskId, crashed, exitCode, lastLine});
}

StartResult FakeServices::startProgram(const QString &program, const QStringList &arguments,
                                       WindowMode mode, ProgramCallbacks callbacks)
{
    if (!startError.isEmpty())
        return {0, startError};
    if (!lateStartError.isEmpty()) {
        // As a real start that fails once the program has been looked for.
        const qint64 task = nextTaskId++;
        QTimer::singleShot(0,
                           [callbacks, error = lateStartError] { callbacks.onStartFailed(error); });
        return {task, QString()};
    }
    if (!converterVersion.isEmpty() && arguments == QStringList{QStringLiteral("-version")}) {
        versionQueries << program;
        const qint64 task = 9000 + versionQueries.size();
        callbacks.onStandardOutput(converterVersion);
        callbacks.onEnd({task, false, 0, QString()});
        return {task, QString()};
    }
    if (realProcesses) {
        if (!starter)
            starter = std::make_unique<ProcessStarter>(nullptr, stopGraceMs);
        StartResult result = starter->start(program, arguments, callbacks);
        if (result.started())
            starts.append({program, arguments, mode, callbacks, result.taskId});
        return result;
    }
    starts.append({program, arguments, mode, std::move(callbacks), nextTaskId});
    return {nextTaskId++, QString()};
}

void FakeServices::stopProgram(qint64 taskId)
{
    stops << taskId;
    if (starter)
        starter->stop(taskId);
}

void FakeServices::finishPrograms(int withinMs)
{
    if (starter)
        starter->finishAll(withinMs);
}

bool FakeServices::showOpen(FileChooser &chooser)
{
    openCalls.append(chooser);
    const std::optional<QString> answer =
        openAnswers.isEmpty() ? std::nullopt : openAnswers.dequeue();
    if (!answer)
        return false;
    chooser.fileName = *answer;
    return true;
}

QString FakeServices::findExecutable(const QString &name) const
{
    if (name == QLatin1String("ffmpeg"))
        return pathConverter;
    return name == QLatin1String("ffprobe") ? pathProbe : QString();
}

void FakeServices::showMessage(const QString &prompt, MessageStyle style, const QString &title)
{
    messages.append({prompt, style, title});
}

void FakeServices::showQuestion(const QString &prompt, const QString &title,
                                std::function<void(MessageAnswer)> answered)
{
    messages.append({prompt, MessageStyle::Question, title});
    if (whileAsking)
        whileAsking();
    answered(questionAnswers.isEmpty() ? MessageAnswer::No : questionAnswers.dequeue());
}

#include "FakeServices.h"

void FakeServices::finish(int index, int exitCode, bool crashed, const QString &lastLine)
{
    const Start &start = starts.at(index);
    start.onEnd(ProcessEnd{start.taskId, crashed, exitCode, lastLine});
}

StartResult FakeServices::startProgram(const QString &program, const QStringList &arguments,
                                       WindowMode mode,
                                       std::function<void(const ProcessEnd &)> onEnd)
{
    if (!startError.isEmpty())
        return {0, startError};
    if (realProcesses) {
        if (!starter)
            starter = std::make_unique<ProcessStarter>();
        const StartResult result = starter->start(program, arguments, onEnd);
        if (result.started())
            starts.append({program, arguments, mode, onEnd, result.taskId});
        return result;
    }
    starts.append({program, arguments, mode, std::move(onEnd), nextTaskId});
    return {nextTaskId++, QString()};
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
    return name == QLatin1String("ffmpeg") ? pathConverter : QString();
}

MessageAnswer FakeServices::showMessage(const QString &prompt, MessageStyle style,
                                        const QString &title)
{
    messages.append({prompt, style, title});
    if (style != MessageStyle::Question)
        return MessageAnswer::Ok;
    return questionAnswers.isEmpty() ? MessageAnswer::No : questionAnswers.dequeue();
}

#include "conversion/ConversionCommand.h"

#include <QDir>

int CutSecondsFromCaption(const QString &caption)
{
    bool ok = false;
    const int seconds = caption.toInt(&ok);
    return ok && seconds >= 0 ? seconds : 0;
}

QString PathBeforeFirstDot(const QString &path)
{
    const QString separators =
        QDir::separator() == QLatin1Char('/') ? QStringLiteral("/") : QStringLiteral("/\\");
    qsizetype nameStart = 0;
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (separators.contains(path.at(i))) {
            nameStart = i + 1;
            break;
        }
    }
    qsizetype from = nameStart;
    while (from < path.size() && path.at(from) == QLatin1Char('.'))
        ++from;
    const qsizetype dot = path.indexOf(QLatin1Char('.'), from);
    return dot < 0 ? path : path.left(dot);
}

QString OutputBaseOf(const QString &shortInput)
{
    return PathBeforeFirstDot(shortInput) + QStringLiteral(".mp3");
}

ConversionCommand BuildConversionCommand(const QString &program, const QString &shortInput,
                                         const QString &outputBase,
                                         const std::optional<CutRange> &cut, bool overwrite)
{
    const QStringList audio = {QStringLiteral("-ar"), QStringLiteral("44100"),
                               QStringLiteral("-ab"), QStringLiteral("128"),
                               QStringLiteral("-ac"), QStringLiteral("2")};
    const QString audioText = audio.join(QLatin1Char(' '));

    ConversionCommand command;
    command.program = program;
    // No keyboard: never read standard input, and never stop at the converter's
    // "overwrite?" prompt; an existing file is replaced only when the user agreed.
    command.arguments << QStringLiteral("-nostdin")
                      << (overwrite ? QStringLiteral("-y") : QStringLiteral("-n"));
    command.text = program;
    if (cut) {
        // The range goes before the input, so the converter seeks instead of decoding up to it.
        const QString start = QString::number(cut->startSeconds);
        command.arguments << QStringLiteral("-ss") << start;
        command.text += QStringLiteral(" -ss ") + start;
        if (!cut->toEnd()) {
            const QString end = QString::number(cut->endSeconds);
            command.arguments << QStringLiteral("-to") << end;
            command.text += QStringLiteral(" -to ") + end;
        }
    }
    command.arguments << QStringLiteral("-i") << shortInput << audio << outputBase;
    command.text += QStringLiteral(" -i ") + shortInput +
                    (cut ? QStringLiteral(" ") : QStringLiteral("  ")) + audioText +
                    QLatin1Char(' ') + outputBase;
    return command;
}

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
                                         const std::optional<CutRange> &cut, const QString &writeTo)
{
    const QString audioText = QStringLiteral("-ar 44100 -ab 128 -ac 2");
    // The converter reads a bare "128" as 128 bit/s and warns about it; the encoder only lands
    // on 128 kbit/s through its own default. Say what is meant.
    const QStringList audio = {QStringLiteral("-ar"), QStringLiteral("44100"),
                               QStringLiteral("-ab"), QStringLiteral("128k"),
                               QStringLiteral("-ac"), QStringLiteral("2")};

    ConversionCommand command;
    command.program = program;
    // No keyboard: never read standard input. Progress comes as key=value lines on standard
    // output; the log keeps the stream details and errors without the banner and status lines,
    // each line tagged with how much it matters and none folded into a repeat count. The window
    // shows time to the second: a report once a second is all it can use.
    // The file written is a fresh one of ours, so replacing it needs no question.
    command.arguments << QStringLiteral("-nostdin") << QStringLiteral("-hide_banner")
                      << QStringLiteral("-loglevel") << QStringLiteral("repeat+level+info")
                      << QStringLiteral("-nostats") << QStringLiteral("-stats_period")
                      << QStringLiteral("1") << QStringLiteral("-progress")
                      << QStringLiteral("pipe:1") << QStringLiteral("-y");
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
    // The file written has no .mp3 ending, so the format is named.
    // Paths are absolute, so no name reads as one of the converter's protocols ("http:",
    // "concat:", "pipe:"); allowing local files only is the second line of defence.
    const QStringList localOnly = {QStringLiteral("-protocol_whitelist"), QStringLiteral("file")};
    // A cover picture goes into the MP3's tag as it is: the tag takes JPEG and PNG alike, and
    // the Windows converter has no picture encoder to turn it into anything else.
    const QStringList pictureAsItIs = {QStringLiteral("-c:v"), QStringLiteral("copy")};
    command.arguments << localOnly << QStringLiteral("-i") << shortInput << audio << pictureAsItIs
                      << localOnly << QStringLiteral("-f") << QStringLiteral("mp3") << writeTo;
    command.text += QStringLiteral(" -i ") + shortInput +
                    (cut ? QStringLiteral(" ") : QStringLiteral("  ")) + audioText +
                    QLatin1Char(' ') + outputBase;
    return command;
}

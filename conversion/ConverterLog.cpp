#include "conversion/ConverterLog.h"

#include <QRegularExpression>

LogLine ParseLogLine(const QString &line, LogLevel previous)
{
    // Up to two "[name @ 0x...] " contexts, the inner one last, then the level; the text
    // follows after one space.
    static const QRegularExpression tagged(QStringLiteral(
        R"(^((?:\[([^\[\]]*) @ 0x[0-9a-fA-F]+\] ){0,2})\[(panic|fatal|error|warning|info|verbose|debug|trace)\] ?)"));
    static const QStringList names = {QStringLiteral("panic"),   QStringLiteral("fatal"),
                                      QStringLiteral("error"),   QStringLiteral("warning"),
                                      QStringLiteral("info"),    QStringLiteral("verbose"),
                                      QStringLiteral("debug"),   QStringLiteral("trace")};
    const QRegularExpressionMatch match = tagged.match(line);
    if (!match.hasMatch())
        return {previous, line, QString(), line, false};
    const auto level = static_cast<LogLevel>(int(LogLevel::Panic) + names.indexOf(match.captured(3)));
    const QString message = line.mid(match.capturedEnd(0));
    return {level, match.captured(1) + message, match.captured(2), message, true};
}

std::optional<double> DurationFromLogLine(const QString &line)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*Duration:\s*(\d+):(\d{2}):(\d{2}(?:\.\d+)?))"));
    const QRegularExpressionMatch match = pattern.match(line);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toDouble() * 3600 + match.captured(2).toDouble() * 60 +
           match.captured(3).toDouble();
}

bool IsConverterSummaryLine(const QString &line)
{
    static const QRegularExpression summary(
        QStringLiteral(R"(^\s*(size=|video:\s*\d|Conversion failed!|Exiting normally))"));
    return summary.match(line).hasMatch();
}

bool ConverterLog::mayBeQuoted(const LogLine &line) const
{
    // Notes on what the converter assumed, not on what went wrong.
    static const QRegularExpression assumption(QStringLiteral(R"(^Guessed Channel Layout)"));
    static const QRegularExpression cutOption(QStringLiteral(R"((^|[\s(])-(ss|t|to|frames)\b)"));
    const QString &message = line.message;
    if (IsConverterSummaryLine(message) || assumption.match(message).hasMatch())
        return false;
    if (!cut && cutOption.match(message).hasMatch())
        return false;
    return !videoCodecs.contains(line.source);
}

QString ConverterLog::addLine(const QString &line)
{
    static const QRegularExpression inputHead(QStringLiteral(R"(^Input #\d+, )"));
    static const QRegularExpression outputHead(QStringLiteral(R"(^Output #\d+, )"));
    static const QRegularExpression stream(
        QStringLiteral(R"(^\s+Stream #\d+:\d+\S*: (\w+): (\w+))"));
    static const QRegularExpression mapping(QStringLiteral(R"(^\s+Stream #\d+:(\d+) -> #0:0\b)"));
    static const QRegularExpression noDecoder(
        QStringLiteral(R"((Decoder \(codec .*\) not found|no decoder found for))"));

    const LogLine parsed = ParseLogLine(line, level);
    level = parsed.level;
    const QString &text = parsed.text;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return text;
    if (!duration)
        duration = DurationFromLogLine(text);
    if (inputHead.match(text).hasMatch()) {
        section = Section::Input;
        opened = true;
    } else if (outputHead.match(text).hasMatch() ||
               text.startsWith(QLatin1String("Stream mapping:"))) {
        section = Section::Output;
    }
    if (section == Section::Input) {
        const QRegularExpressionMatch found = stream.match(text);
        if (found.hasMatch() && found.captured(1) == QLatin1String("Audio"))
            ++audioStreams;
        if (found.hasMatch() && found.captured(1) == QLatin1String("Video"))
            videoCodecs << found.captured(2);
    }
    if (const QRegularExpressionMatch found = mapping.match(text); found.hasMatch())
        converted = found.captured(1).toInt();
    if (noDecoder.match(text).hasMatch())
        undecodable = trimmed;

    // Its advice names options the user never typed: the cut panel set them.
    static const QRegularExpression optionHint(QStringLiteral(R"(\s*\(check -ss [^)]*\)\s*$)"));
    const bool error = level == LogLevel::Panic || level == LogLevel::Fatal ||
                       level == LogLevel::Error;
    // A line without a tag only goes on with the one before, which already spoke.
    if ((error || level == LogLevel::Warning) && parsed.tagged && mayBeQuoted(parsed))
        (error ? lastError : lastWarning) = parsed.message.trimmed().remove(optionHint);
    return text;
}

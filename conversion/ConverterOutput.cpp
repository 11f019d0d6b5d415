#include "conversion/ConverterOutput.h"

#include <QRegularExpression>
#include <QtMath>
#include <algorithm>
#include <cmath>

void ProgressReport::feed(const QByteArray &chunk)
{
    lines.feed(chunk, [this](const QByteArray &line) {
        // Newer converters say out_time_us; older ones out_time_ms, in microseconds as well.
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            return;
        const QByteArray key = line.left(equals).trimmed();
        if (key != "out_time_us" && key != "out_time_ms")
            return;
        bool ok = false;
        const qint64 micros = line.mid(equals + 1).trimmed().toLongLong(&ok);
        if (!ok || micros < 0)
            return;
        // A report never moves backwards: the highest time reached counts.
        written = std::max(written.value_or(0.0), static_cast<double>(micros) / 1e6);
    });
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

std::optional<double> ExpectedSeconds(std::optional<double> inputDuration,
                                      const std::optional<CutRange> &cut)
{
    if (!cut)
        return inputDuration;
    std::optional<double> end =
        cut->toEnd() ? inputDuration : std::optional<double>(cut->endSeconds);
    if (!end)
        return std::nullopt;
    if (inputDuration)
        end = std::min(*end, *inputDuration);
    return std::max(0.0, *end - cut->startSeconds);
}

int ProgressPercent(double writtenSeconds, double expectedSeconds)
{
    if (expectedSeconds <= 0)
        return 0;
    return std::clamp(int(writtenSeconds / expectedSeconds * 100), 0, 99);
}

qint64 RemainingMs(qint64 elapsedMs, double writtenSeconds, double expectedSeconds)
{
    if (writtenSeconds <= 0 || expectedSeconds <= 0)
        return -1;
    const double done = std::min(1.0, writtenSeconds / expectedSeconds);
    return static_cast<qint64>(std::ceil(static_cast<double>(elapsedMs) * (1.0 - done) / done));
}

JobOutcome ClassifyEnd(const ProcessEnd &end, bool cancelled, bool outputWritten,
                       std::optional<double> writtenSeconds, std::optional<double> expectedSeconds)
{
    const QString crLf = QStringLiteral("\r\n");
    if (cancelled)
        return {JobEnd::Cancelled, MessageStyle::Plain, QString()};
    if (end.crashed || end.exitCode != 0 || !outputWritten) {
        const QString code = end.crashed ? QStringLiteral("crash") : QString::number(end.exitCode);
        return {JobEnd::Failed, MessageStyle::Critical,
                QStringLiteral("Conversione non riuscita (codice ") + code + QStringLiteral(").") +
                    crLf + end.lastErrorLine};
    }
    if (writtenSeconds && *writtenSeconds <= 0)
        return {JobEnd::NoAudio, MessageStyle::Critical,
                QStringLiteral(
                    "Nessun audio estratto: l'inizio del taglio è oltre la fine del video?")};
    if (writtenSeconds && expectedSeconds && *writtenSeconds < *expectedSeconds - 1.0)
        return {JobEnd::ShortAudio, MessageStyle::Warning,
                QStringLiteral("Audio più corto del previsto: ") +
                    QString::number(qRound(*writtenSeconds)) + QStringLiteral(" s su ") +
                    QString::number(qRound(*expectedSeconds)) + QStringLiteral(" s.") + crLf +
                    end.lastErrorLine};
    return {JobEnd::Done, MessageStyle::Plain,
            QStringLiteral("Code : ") + QString::number(end.taskId) +
                QStringLiteral(" Conversion done! ")};
}

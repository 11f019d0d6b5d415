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

void ConverterLog::addLine(const QString &line)
{
    static const QRegularExpression inputHead(QStringLiteral(R"(^Input #\d+, )"));
    static const QRegularExpression outputHead(QStringLiteral(R"(^Output #\d+, )"));
    static const QRegularExpression stream(QStringLiteral(R"(^\s+Stream #\d+:\d+\S*: (\w+): )"));
    static const QRegularExpression mapping(QStringLiteral(R"(^\s+Stream #\d+:(\d+) -> #0:0\b)"));
    static const QRegularExpression noDecoder(
        QStringLiteral(R"((Decoder \(codec .*\) not found|no decoder found for))"));
    // Lines that describe rather than complain, and advice about options the user never set.
    static const QRegularExpression listing(QStringLiteral(
        R"(^(Input #|Output #|Stream mapping:|Press \[q\]|\s+(Stream #|Duration:|Metadata:|Chapters?)|\s+\S.*: )|)"
        R"(Guessed Channel Layout|Consider increasing the value|\((Video|Subtitle|Data): )"));
    static const QRegularExpression generalEnd(
        QStringLiteral(R"(Output file is empty|does not contain any stream)"));
    static const QRegularExpression optionHint(QStringLiteral(R"(\s*\(check -ss [^)]*\)\s*$)"));

    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty())
        return;
    if (!duration)
        duration = DurationFromLogLine(line);
    if (inputHead.match(line).hasMatch()) {
        section = Section::Input;
        opened = true;
    } else if (outputHead.match(line).hasMatch() || line.startsWith(QLatin1String("Stream mapping:"))) {
        section = Section::Output;
    }
    if (section == Section::Input) {
        const QRegularExpressionMatch found = stream.match(line);
        if (found.hasMatch() && found.captured(1) == QLatin1String("Audio"))
            ++audioStreams;
    }
    if (const QRegularExpressionMatch found = mapping.match(line); found.hasMatch())
        converted = found.captured(1).toInt();
    if (noDecoder.match(line).hasMatch())
        undecodable = trimmed;

    if (IsConverterSummaryLine(line))
        return;
    problem = trimmed;
    if (generalEnd.match(line).hasMatch())
        general = QString(trimmed).remove(optionHint);
    else if (!listing.match(line).hasMatch())
        specific = trimmed;
}

namespace {

QString Seconds(double seconds)
{
    return QString::number(qRound(seconds)) + QStringLiteral(" s");
}

JobOutcome NoAudio(const QString &why, const QString &converterLine)
{
    QString message = QStringLiteral("Nessun audio estratto: ") + why;
    if (!converterLine.isEmpty())
        message += QStringLiteral("\r\n") + converterLine;
    return {JobEnd::NoAudio, MessageStyle::Critical, message};
}

} // namespace

JobOutcome ClassifyEnd(const EndFacts &facts, const ConverterLog &log)
{
    const QString crLf = QStringLiteral("\r\n");
    const ProcessEnd &end = facts.end;
    if (facts.cancelled)
        return {JobEnd::Cancelled, MessageStyle::Plain, QString()};
    if (!end.crashed && !log.undecodableLine().isEmpty())
        return NoAudio(QStringLiteral("la traccia audio è in un formato che ffmpeg non sa decodificare."),
                       log.undecodableLine());
    if (!end.crashed && end.exitCode != 0 && log.inputOpened() && log.inputAudioStreams() == 0)
        return NoAudio(QStringLiteral("il video non ha una traccia audio."), log.tellingLine());
    if (end.crashed || end.exitCode != 0 || !facts.outputWritten) {
        const QString code = end.crashed ? QStringLiteral("crash") : QString::number(end.exitCode);
        return {JobEnd::Failed, MessageStyle::Critical,
                QStringLiteral("Conversione non riuscita (codice ") + code + QStringLiteral(").") +
                    crLf + end.lastErrorLine};
    }
    const std::optional<double> written = facts.writtenSeconds;
    if (!written || *written <= 0) {
        const std::optional<double> length = log.inputDuration();
        if (facts.cut && length && facts.cut->startSeconds >= *length)
            return NoAudio(QStringLiteral("l'inizio del taglio (") + Seconds(facts.cut->startSeconds) +
                               QStringLiteral(") è oltre la fine del video (") + Seconds(*length) +
                               QStringLiteral(")."),
                           log.tellingLine());
        if (facts.cut)
            return NoAudio(QStringLiteral("nel tratto scelto il video non contiene audio leggibile."),
                           log.tellingLine());
        return NoAudio(
            QStringLiteral("il video non contiene audio leggibile (file danneggiato o incompleto)."),
            log.tellingLine());
    }
    const std::optional<double> expected = facts.expectedSeconds;
    if (expected && *written < *expected - 1.0)
        return {JobEnd::ShortAudio, MessageStyle::Warning,
                QStringLiteral("Audio più corto del previsto: ") +
                    QString::number(qRound(*written)) + QStringLiteral(" s su ") +
                    QString::number(qRound(*expected)) + QStringLiteral(" s.") + crLf +
                    end.lastErrorLine};
    return {JobEnd::Done, MessageStyle::Plain,
            QStringLiteral("Code : ") + QString::number(end.taskId) +
                QStringLiteral(" Conversion done! ")};
}

#include "conversion/ConversionEnd.h"

#include <algorithm>
#include <cmath>
#include <limits>

std::optional<double> ExpectedSeconds(const AudioSpan &span, const std::optional<CutRange> &cut)
{
    constexpr double kOpen = std::numeric_limits<double>::infinity();
    const double audioEnd =
        span.durationSeconds ? span.startSeconds + *span.durationSeconds : kOpen;
    const double cutEnd = cut && !cut->toEnd() ? double(cut->endSeconds) : kOpen;
    const double from = std::max(cut ? double(cut->startSeconds) : 0.0, span.startSeconds);
    const double to = std::min(cutEnd, audioEnd);
    if (to == kOpen)
        return std::nullopt;
    return std::max(0.0, to - from);
}

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// A message, and under it the converter's own words where it said any.
QString WithQuote(const QString &message, const QString &converterLine)
{
    return converterLine.isEmpty() ? message : message + kCrLf + converterLine;
}

// Whole seconds, written out without passing through an integer: a header may claim any
// length at all.
QString WholeSeconds(double seconds)
{
    return QString::number(std::round(seconds), 'f', 0);
}

QString Seconds(double seconds)
{
    return WholeSeconds(seconds) + QStringLiteral(" s");
}

// Longer than any recording: a header that claims this much is wrong.
constexpr double kAbsurdSeconds = 100.0 * 365 * 24 * 3600;

JobOutcome NoAudio(const QString &why, const QString &converterLine)
{
    return {JobEnd::NoAudio, MessageStyle::Critical,
            WithQuote(QStringLiteral("Nessun audio estratto: ") + why, converterLine)};
}

// Nothing of the audio could be read: the whole file, the chosen range, or a range past the end.
JobOutcome NoReadableAudio(const EndFacts &facts, const ConverterLog &log)
{
    const std::optional<double> length = log.inputDuration();
    if (facts.cut && length && facts.cut->startSeconds >= *length)
        return NoAudio(QStringLiteral("l'inizio del taglio (") + Seconds(facts.cut->startSeconds) +
                           QStringLiteral(") è oltre la fine del video (") + Seconds(*length) +
                           QStringLiteral(")."),
                       log.quotedLine());
    if (facts.cut)
        return NoAudio(QStringLiteral("nel tratto scelto il video non contiene audio leggibile."),
                       log.quotedLine());
    return NoAudio(
        QStringLiteral("il video non contiene audio leggibile (file danneggiato o incompleto)."),
        log.quotedLine());
}

} // namespace

JobOutcome ClassifyEnd(const EndFacts &facts, const ConverterLog &log)
{
    const ProcessEnd &end = facts.end;
    // A file whose length could not be measured is not one without audio.
    const bool audioWritten =
        facts.outputWritten && (!facts.writtenSeconds || *facts.writtenSeconds > 0);
    if (facts.cancelled)
        return {JobEnd::Cancelled, MessageStyle::Plain, QString()};
    // Whatever the converter made of encrypted packets is noise, and never the user's MP3.
    if (facts.protectedAudio)
        return NoAudio(
            QStringLiteral("l'audio di questo video è protetto (cifrato) e non si può estrarre."),
            QString());
    if (!audioWritten && facts.probedAudio == 0)
        return NoAudio(QStringLiteral("il video non ha una traccia audio."), log.quotedLine());
    if (!audioWritten && facts.undecodableAudio)
        return NoAudio(
            QStringLiteral("la traccia audio è in un formato che ffmpeg non sa decodificare."),
            log.quotedLine());
    // It opened the video and its audio, converted, and nothing came of it.
    if (!end.crashed && end.exitCode != 0 && facts.converting && !audioWritten &&
        facts.probedAudio.value_or(0) > 0)
        return NoReadableAudio(facts, log);
    if (end.crashed || end.exitCode != 0 || !facts.outputWritten) {
        const QString code = end.crashed ? QStringLiteral("crash") : QString::number(end.exitCode);
        return {JobEnd::Failed, MessageStyle::Critical,
                WithQuote(QStringLiteral("Conversione non riuscita (codice ") + code +
                              QStringLiteral(")."),
                          log.quotedLine())};
    }
    if (!audioWritten)
        return NoReadableAudio(facts, log);
    const std::optional<double> expected = facts.expectedSeconds;
    if (facts.writtenSeconds && expected && *facts.writtenSeconds < *expected - 1.0) {
        const QString written =
            QStringLiteral("Audio più corto del previsto: ") + WholeSeconds(*facts.writtenSeconds);
        const QString claimed =
            *expected > kAbsurdSeconds
                ? QStringLiteral(" s; la durata dichiarata dal video è impossibile, la sua "
                                 "intestazione è errata.")
                : QStringLiteral(" s su ") + Seconds(*expected) + QStringLiteral(".");
        return {JobEnd::ShortAudio, MessageStyle::Warning,
                WithQuote(written + claimed, log.quotedLine())};
    }
    return {JobEnd::Done, MessageStyle::Plain,
            QStringLiteral("Code : ") + QString::number(end.taskId) +
                QStringLiteral(" Conversion done! ")};
}

#include "conversion/AudioProbe.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <limits>

QStringList ProbeArguments(const QString &input)
{
    return {QStringLiteral("-v"),
            QStringLiteral("error"),
            QStringLiteral("-protocol_whitelist"),
            QStringLiteral("file"),
            QStringLiteral("-show_entries"),
            QStringLiteral("stream=index,codec_type,start_time,duration:format=start_time"),
            QStringLiteral("-of"),
            QStringLiteral("json"),
            QStringLiteral("-i"),
            input};
}

namespace {
// The prober writes times as strings, "N/A" where it does not know.
std::optional<double> TimeOf(const QJsonObject &object, const char *key)
{
    bool ok = false;
    const double value = object.value(QLatin1String(key)).toString().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}
} // namespace

std::optional<AudioSpan> AudioSpanFromProbe(const QByteArray &json, std::optional<int> streamIndex)
{
    const QJsonObject report = QJsonDocument::fromJson(json).object();
    const double inputStart =
        TimeOf(report.value(QLatin1String("format")).toObject(), "start_time").value_or(0);
    const QJsonArray streams = report.value(QLatin1String("streams")).toArray();
    for (const QJsonValue value : streams) {
        const QJsonObject stream = value.toObject();
        if (stream.value(QLatin1String("codec_type")).toString() != QLatin1String("audio"))
            continue;
        if (streamIndex && stream.value(QLatin1String("index")).toInt(-1) != *streamIndex)
            continue;
        const std::optional<double> duration = TimeOf(stream, "duration");
        // Damaged headers can declare nothing at all; that says no length.
        if (!duration || *duration <= 0)
            return std::nullopt;
        const double start = TimeOf(stream, "start_time").value_or(inputStart) - inputStart;
        return AudioSpan{std::max(0.0, start), *duration};
    }
    return std::nullopt;
}

double ExpectedAudioSeconds(const AudioSpan &span, const std::optional<CutRange> &cut)
{
    const double audioEnd = span.startSeconds + span.durationSeconds;
    if (!cut)
        return span.durationSeconds;
    const double end =
        cut->toEnd() ? std::numeric_limits<double>::infinity() : double(cut->endSeconds);
    return std::max(0.0, std::min(end, audioEnd) -
                             std::max(double(cut->startSeconds), span.startSeconds));
}

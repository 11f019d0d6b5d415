#include "conversion/AudioProbe.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>

QStringList ProbeArguments(const QString &input)
{
    return {
        QStringLiteral("-v"),
        QStringLiteral("error"),
        QStringLiteral("-protocol_whitelist"),
        QStringLiteral("file"),
        QStringLiteral("-select_streams"),
        QStringLiteral("a"),
        // Common encryption marks each packet; the first few tell.
        QStringLiteral("-read_intervals"),
        QStringLiteral("%+#8"),
        QStringLiteral("-show_entries"),
        QStringLiteral("stream=index,codec_type,codec_name,codec_tag_string,start_time,duration:"
                       "stream_side_data=side_data_type:packet=stream_index:"
                       "packet_side_data=side_data_type:format=start_time"),
        QStringLiteral("-of"),
        QStringLiteral("json"),
        QStringLiteral("-i"),
        input,
    };
}

const ProbedAudio *ProbeReport::stream(std::optional<int> index) const
{
    for (const ProbedAudio &probed : audio) {
        if (!index || probed.index == *index)
            return &probed;
    }
    return nullptr;
}

namespace {

// The prober writes times as strings, "N/A" where it does not know.
std::optional<double> TimeOf(const QJsonObject &object, const char *key)
{
    bool ok = false;
    const double value = object.value(QLatin1String(key)).toString().toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

bool HasSideData(const QJsonObject &object, const QStringList &types)
{
    const QJsonArray list = object.value(QLatin1String("side_data_list")).toArray();
    return std::any_of(list.begin(), list.end(), [&types](const QJsonValue &entry) {
        return types.contains(entry.toObject().value(QLatin1String("side_data_type")).toString());
    });
}

} // namespace

std::optional<ProbeReport> ProbeReportFrom(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject report = document.object();
    // A prober that could not open the input writes an empty report.
    if (!report.contains(QLatin1String("streams")))
        return std::nullopt;
    const double inputStart =
        TimeOf(report.value(QLatin1String("format")).toObject(), "start_time").value_or(0);

    ProbeReport result;
    for (const QJsonValue value : report.value(QLatin1String("streams")).toArray()) {
        const QJsonObject stream = value.toObject();
        if (stream.value(QLatin1String("codec_type")).toString() != QLatin1String("audio"))
            continue;
        ProbedAudio probed;
        probed.index = stream.value(QLatin1String("index")).toInt(-1);
        // Damaged headers can declare no length at all, or 0: neither says how long it is.
        const std::optional<double> duration = TimeOf(stream, "duration");
        if (duration && *duration > 0)
            probed.span.durationSeconds = duration;
        probed.span.startSeconds =
            std::max(0.0, TimeOf(stream, "start_time").value_or(inputStart) - inputStart);
        // iTunes protection renames the sample entry; common encryption may announce its keys.
        probed.encrypted =
            stream.value(QLatin1String("codec_tag_string")).toString() == QLatin1String("drms") ||
            HasSideData(stream, {QStringLiteral("Encryption initialization data")});
        // A codec that no decoder knows comes without a name.
        const QString codec = stream.value(QLatin1String("codec_name")).toString();
        probed.decodable =
            !codec.isEmpty() && codec != QLatin1String("none") && codec != QLatin1String("unknown");
        result.audio << probed;
    }
    for (const QJsonValue value : report.value(QLatin1String("packets")).toArray()) {
        const QJsonObject packet = value.toObject();
        if (!HasSideData(packet, {QStringLiteral("Encryption info")}))
            continue;
        const int index = packet.value(QLatin1String("stream_index")).toInt(-1);
        for (ProbedAudio &probed : result.audio) {
            if (probed.index == index)
                probed.encrypted = true;
        }
    }
    return result;
}

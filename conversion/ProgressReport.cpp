#include "conversion/ProgressReport.h"

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
        if (key == "progress")
            reported = true;
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

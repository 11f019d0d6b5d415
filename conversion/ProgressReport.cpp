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

// Both lengths come from the video, and may be anything: the share is clamped before it
// becomes an integer.
int ProgressPercent(double writtenSeconds, double expectedSeconds)
{
    if (!(expectedSeconds > 0) || !(writtenSeconds > 0))
        return 0;
    const double share = writtenSeconds / expectedSeconds * 100;
    return share < 99 ? int(share) : 99;
}

qint64 RemainingMs(qint64 elapsedMs, double writtenSeconds, double expectedSeconds)
{
    if (!(writtenSeconds > 0) || !(expectedSeconds > 0))
        return -1;
    const double done = std::min(1.0, writtenSeconds / expectedSeconds);
    const double remaining = std::ceil(static_cast<double>(elapsedMs) * (1.0 - done) / done);
    // Beyond a year nothing useful can be said.
    constexpr double kLongest = 365.0 * 24 * 3600 * 1000;
    return remaining <= kLongest ? static_cast<qint64>(remaining) : -1;
}

#pragma once

#include "platform/LineSplitter.h"

#include <QByteArray>
#include <optional>

// Reads the converter's "-progress" report: key=value lines, repeated while it works.
class ProgressReport
{
public:
    void feed(const QByteArray &chunk);
    // The output time reached, in seconds; empty until the converter has said.
    std::optional<double> writtenSeconds() const { return written; }

private:
    LineSplitter lines;
    std::optional<double> written;
};

// Percent done, never 100: that is kept for a conversion that has succeeded.
int ProgressPercent(double writtenSeconds, double expectedSeconds);

// Time left, estimated from the time taken so far; -1 while nothing can be said.
qint64 RemainingMs(qint64 elapsedMs, double writtenSeconds, double expectedSeconds);

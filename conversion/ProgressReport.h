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
    // The converter got as far as converting: it reports only once its input and output are open.
    bool converting() const { return reported; }

private:
    LineSplitter lines;
    std::optional<double> written;
    bool reported = false;
};

// Percent done, never 100: that is kept for a conversion that has succeeded.
int ProgressPercent(double writtenSeconds, double expectedSeconds);

// Time left, estimated from the time taken so far; -1 while nothing can be said.
qint64 RemainingMs(qint64 elapsedMs, double writtenSeconds, double expectedSeconds);

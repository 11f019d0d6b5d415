// The converter's -progress report in pieces as they come, with the percent and the time left.
// First line: the seconds expected, the milliseconds taken, the size of the pieces.
#include "FuzzInput.h"
#include "conversion/ProgressReport.h"

#include <climits>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);
    const double expected = input.number(0);
    const int elapsedMs = input.whole(1, 0, INT_MAX);
    const int piece = input.whole(2, 1, 4096);
    const QByteArray &report = input.rest();
    ProgressReport progress;
    for (qsizetype at = 0; at < report.size(); at += piece) {
        progress.feed(report.mid(at, piece));
        if (const std::optional<double> written = progress.writtenSeconds()) {
            ProgressPercent(*written, expected);
            RemainingMs(elapsedMs, *written, expected);
        }
    }
    return 0;
}

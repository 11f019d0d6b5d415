// The line splitter: whatever comes, in whatever pieces, no line is longer than its bound and
// no byte but the line ends is lost. First line: the size of the pieces.
#include "FuzzInput.h"
#include "platform/LineSplitter.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);
    const int piece = input.whole(0, 1, 8192);
    const QByteArray &stream = input.rest();
    LineSplitter lines;
    QByteArray joined;
    const auto onLine = [&](const QByteArray &line) {
        if (line.size() > LineSplitter::kMaxLineBytes || line.contains('\n') || line.contains('\r'))
            abort();
        joined += line;
    };
    for (qsizetype at = 0; at < stream.size(); at += piece)
        lines.feed(stream.mid(at, piece), onLine);
    joined += lines.takeRest();
    QByteArray expected = stream;
    expected.replace('\n', QByteArray()).replace('\r', QByteArray());
    if (joined != expected)
        abort();
    return 0;
}

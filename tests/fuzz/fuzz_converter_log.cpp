// The converter's log, line by line as the program reads it, then the end judged on it.
// First line: what else the end is judged on (flags, exit code, seconds in the MP3, cut range).
#include "FuzzInput.h"
#include "conversion/ConversionEnd.h"

#include <climits>
#include "platform/LineSplitter.h"

#include <QStringDecoder>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);
    const int flags = input.whole(0, 0, 255);
    const std::optional<CutRange> cut =
        flags & 1 ? std::optional<CutRange>({input.whole(3, 0, 86399), input.whole(4, 0, 86399)})
                  : std::nullopt;
    ConverterLog log(cut.has_value());
    LineSplitter lines;
    QStringDecoder decoder(QStringDecoder::Utf8);
    lines.feed(input.rest(), [&](const QByteArray &line) { log.addLine(decoder.decode(line)); });
    log.addLine(decoder.decode(lines.takeRest()));

    EndFacts facts;
    facts.end = {1, bool(flags & 2), input.whole(1, INT_MIN, INT_MAX), QString()};
    facts.converting = flags & 4;
    facts.outputWritten = flags & 8;
    if (flags & 16)
        facts.writtenSeconds = input.number(2);
    if (flags & 32)
        facts.probedAudio = flags >> 6;
    facts.cut = cut;
    facts.expectedSeconds = ExpectedSeconds({0, log.inputDuration()}, cut);
    ClassifyEnd(facts, log);
    return 0;
}

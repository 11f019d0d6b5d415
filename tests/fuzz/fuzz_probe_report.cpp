// The prober's JSON report, and the end judged on the lengths it gives, as a conversion whose
// audio looks short is judged. First line: a cut range, the seconds in the MP3.
#include "FuzzInput.h"
#include "conversion/AudioProbe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);
    const CutRange cut{input.whole(0, 0, 86399), input.whole(1, 0, 86399)};
    const std::optional<ProbeReport> report = ProbeReportFrom(input.rest());
    if (!report)
        return 0;
    const ConverterLog log;
    for (const ProbedAudio &audio : report->audio) {
        EndFacts facts;
        facts.outputWritten = true;
        facts.writtenSeconds = input.number(2);
        facts.probedAudio = int(report->audio.size());
        facts.protectedAudio = audio.encrypted;
        facts.undecodableAudio = !audio.decodable;
        for (const std::optional<CutRange> &range : {std::optional<CutRange>(), {cut}}) {
            facts.cut = range;
            facts.expectedSeconds = ExpectedSeconds(audio.span, range);
            ClassifyEnd(facts, log);
        }
        report->stream(audio.index);
    }
    return 0;
}

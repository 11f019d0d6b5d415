#pragma once

#include "conversion/ConversionCommand.h"
#include "conversion/ConverterLog.h"
#include "platform/DesktopServices.h"

#include <QString>
#include <optional>

// Where a stream lies on the input's time line, as its container declares it.
struct AudioSpan
{
    double startSeconds = 0;               // from the start of the input
    std::optional<double> durationSeconds; // empty when nothing is declared
};

// How many seconds of audio a conversion of that span, whole or cut, should give (a cut's end
// 0 means the end of the input). Empty when it cannot be known.
std::optional<double> ExpectedSeconds(const AudioSpan &span, const std::optional<CutRange> &cut);

enum class JobEnd { Done, ShortAudio, NoAudio, Failed, Cancelled };

struct JobOutcome
{
    JobEnd kind;
    MessageStyle style;
    QString message; // empty: nothing to tell (the user cancelled)
};

// What a conversion's end is judged on.
struct EndFacts
{
    ProcessEnd end;
    bool cancelled = false;
    bool converting = false;              // the converter's progress report came
    std::optional<int> probedAudio;       // audio streams the prober found; empty: it did not say
    bool protectedAudio = false;          // the audio converted is encrypted
    bool undecodableAudio = false;        // the prober knows no codec for the audio converted
    bool outputWritten = false;           // the file written is there and not empty
    std::optional<double> writtenSeconds; // audio in the file written, read from the file
    std::optional<double> expectedSeconds;
    std::optional<CutRange> cut;
};

// How a conversion ended, told truthfully: the converter's status alone does not mean success,
// since it also exits 0 when nothing or only part of the audio was written. The verdict rests on
// whether the status is 0, the progress report, the prober's report and the MP3 written; the
// log only gives the line quoted under it, since its wording changes from version to version.
JobOutcome ClassifyEnd(const EndFacts &facts, const ConverterLog &log);

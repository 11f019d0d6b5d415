#pragma once

#include "conversion/ConversionCommand.h"

#include <QByteArray>
#include <QStringList>
#include <optional>

// Where an input's audio stream lies on its time line, as its container declares it.
struct AudioSpan
{
    double startSeconds = 0; // from the start of the input
    double durationSeconds = 0;
};

// Asks the converter's prober for the input's streams, as JSON on standard output.
QStringList ProbeArguments(const QString &input);

// The span of the audio stream with the given index (or of the first audio stream) in the
// prober's report; empty where the report does not tell its length.
std::optional<AudioSpan> AudioSpanFromProbe(const QByteArray &json, std::optional<int> streamIndex);

// How many seconds of audio a conversion of that span, whole or cut, should give.
double ExpectedAudioSeconds(const AudioSpan &span, const std::optional<CutRange> &cut);

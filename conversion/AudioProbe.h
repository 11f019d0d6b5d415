#pragma once

#include "conversion/ConversionEnd.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <optional>

// What the converter's prober says of the input's audio streams.
struct ProbedAudio
{
    int index = -1;
    AudioSpan span;
    bool encrypted = false; // protected: what decodes from it is noise
    bool decodable = true;  // the converter has a decoder for its codec
};

struct ProbeReport
{
    QList<ProbedAudio> audio;
    // The audio stream with that index, or the first one; nullptr when there is none.
    const ProbedAudio *stream(std::optional<int> index) const;
};

// Asks the prober for the input's audio streams and their first packets, as JSON on standard
// output: reading packets decodes nothing, so this stays cheap on any file.
QStringList ProbeArguments(const QString &input);

// Reads the prober's report; empty when it is not one.
std::optional<ProbeReport> ProbeReportFrom(const QByteArray &json);

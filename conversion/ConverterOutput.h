#pragma once

#include "conversion/ConversionCommand.h"
#include "platform/DesktopServices.h"
#include "platform/LineSplitter.h"

#include <QByteArray>
#include <QStringList>
#include <functional>
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

// The input's duration, from the "Duration: 01:02:03.45" line of the converter's log; empty
// when the line is missing or says N/A.
std::optional<double> DurationFromLogLine(const QString &line);

// How long the MP3 should be: the input's duration, or the cut's length (end 0 or past the end
// of the input: up to the input's end). Empty when it cannot be known.
std::optional<double> ExpectedSeconds(std::optional<double> inputDuration,
                                      const std::optional<CutRange> &cut);

// Percent done, never 100: that is kept for a conversion that has succeeded.
int ProgressPercent(double writtenSeconds, double expectedSeconds);

// Time left, estimated from the time taken so far; -1 while nothing can be said.
qint64 RemainingMs(qint64 elapsedMs, double writtenSeconds, double expectedSeconds);

// The converter's closing lines ("size=...", "video:...", "Conversion failed!") say that
// something happened, not what: they are passed over when naming the problem.
bool IsConverterSummaryLine(const QString &line);

// What the converter's log says about the input, read line by line as it comes.
class ConverterLog
{
public:
    void addLine(const QString &line);

    std::optional<double> inputDuration() const { return duration; }
    // The input was opened and its streams listed.
    bool inputOpened() const { return opened; }
    int inputAudioStreams() const { return audioStreams; }
    // The input stream the converter turns into the MP3.
    std::optional<int> convertedStream() const { return converted; }
    // The converter's own words when it has no decoder for the audio.
    QString undecodableLine() const { return undecodable; }
    // The last line that can name what went wrong.
    QString lastProblem() const { return problem; }
    // When no audio came out: the converter's most specific complaint, else its general one.
    QString tellingLine() const { return specific.isEmpty() ? general : specific; }

private:
    enum class Section { None, Input, Output };
    Section section = Section::None;
    std::optional<double> duration;
    bool opened = false;
    int audioStreams = 0;
    std::optional<int> converted;
    QString undecodable;
    QString problem;
    QString specific;
    QString general;
};

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
    bool outputWritten = false;           // the file written is there and not empty
    std::optional<double> writtenSeconds; // audio in the file written, read from the file
    std::optional<double> expectedSeconds;
    std::optional<CutRange> cut;
};

// How a conversion ended, told truthfully: the converter's status alone does not mean success,
// since it also exits 0 when nothing or only part of the audio was written.
JobOutcome ClassifyEnd(const EndFacts &facts, const ConverterLog &log);

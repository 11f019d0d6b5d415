#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// How much a line of the converter's log matters, as the converter itself tags it.
enum class LogLevel { Unknown, Panic, Fatal, Error, Warning, Info, Verbose, Debug, Trace };

struct LogLine
{
    LogLevel level = LogLevel::Unknown;
    QString text;        // as the user reads it: without the level tag
    QString source;      // the part of the converter that speaks ("aac"), if it says
    QString message;     // the text without that
    bool tagged = false; // false: it goes on with the line before
};

// One line as the converter writes it with "-loglevel level": "[error] text" or
// "[aac @ 0x5f] [error] text". A line without a tag continues the one before, at its level.
LogLine ParseLogLine(const QString &line, LogLevel previous);

// The input's duration, from the "Duration: 01:02:03.45" line of the converter's log; empty
// when the line is missing or says N/A.
std::optional<double> DurationFromLogLine(const QString &line);

// The converter's closing lines ("size=...", "video:...", "Conversion failed!") say that
// something happened, not what: they never name the problem.
bool IsConverterSummaryLine(const QString &line);

// What the converter's log says about the input and what went wrong, read line by line as it
// comes.
class ConverterLog
{
public:
    // A whole-file conversion never hears of cut options: no line about them is quoted.
    explicit ConverterLog(bool cut = false) : cut(cut) {}

    // Reads one line as the converter wrote it; returns it as the user reads it.
    QString addLine(const QString &line);

    std::optional<double> inputDuration() const { return duration; }
    // The input's audio stream that the converter turns into the MP3.
    std::optional<int> convertedStream() const { return converted; }
    // Whether the converter takes more than sound into the MP3: a cover picture.
    bool mapsAPicture() const { return picture; }
    // The line to quote under a failure: the converter's last error that names a cause, else
    // its last warning; empty rather than a line that says nothing. A closing line that only
    // wraps the error before it never wins over that error.
    QString quotedLine() const;

private:
    bool mayBeQuoted(const LogLine &line) const;
    // Its decoders' and filters' complaints are not about the sound.
    bool isAboutThePicture(const QString &source) const;

    bool cut;
    LogLevel level = LogLevel::Unknown; // of the line before
    enum class Listing { None, Input, Output };
    Listing listing = Listing::None; // the one being printed
    std::optional<double> duration;
    QStringList videoCodecs;
    QList<qint64> audioStreams;
    std::optional<int> converted;
    bool picture = false;
    QString lastError;
    QString lastWarning;
    // Said inside a listing: the video's own text, if the listing goes on after it.
    QString pendingError;
    QString pendingWarning;
};

#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// A cut range in whole seconds since midnight; end 0 means "to the end of the video".
struct CutRange
{
    int startSeconds = 0;
    int endSeconds = 0;

    bool toEnd() const { return endSeconds == 0; }
    bool isValid() const { return toEnd() || endSeconds > startSeconds; }
};

// Reads a seconds caption as displayed; anything that is not a number counts as 0.
int CutSecondsFromCaption(const QString &caption);

// The path before the first "." of its file name; leading dots of a hidden name do not count,
// and dots in folder names never cut.
QString PathBeforeFirstDot(const QString &path);

// The MP3 path for an input: the input's folder and name before its first ".", then ".mp3".
QString OutputBaseOf(const QString &shortInput);

struct ConversionCommand
{
    QString program;
    QStringList arguments; // what the converter receives, each piece one argument
    QString text;          // the command as one line, for showing and comparing
};

// writeTo: the file the converter really writes; it becomes outputBase once it has succeeded.
ConversionCommand BuildConversionCommand(const QString &program, const QString &shortInput,
                                         const QString &outputBase,
                                         const std::optional<CutRange> &cut,
                                         const QString &writeTo);

#pragma once

#include "conversion/ConversionCommand.h"

#include <QString>
#include <functional>
#include <optional>

class DesktopServices;

// What the main window hands to a Convert click.
struct RequestInput
{
    QString inputText;
    std::function<void()> clearInput;
    // Cut form only: the start and end seconds captions, as displayed.
    std::optional<QString> startCaption;
    std::optional<QString> endCaption;
};

// The open chooser's design-time name; typed into the box it means "no file yet".
inline const QString kVideoFilePattern = QStringLiteral("*.avi;*.flv;*.mp4");

// Runs one Convert click: checks the input, asks before replacing, starts the converter and,
// once it has ended, tells the user how it went. Returns the started task's id, or 0.
qint64 RunConversionRequest(DesktopServices &services, const RequestInput &input);

// The short form of the input text when it names a regular file; empty otherwise.
QString VideoFileOf(const QString &inputText);

// The converter program: ffmpeg in the application folder, else the one on the search path.
QString LocateConverter(const DesktopServices &services);

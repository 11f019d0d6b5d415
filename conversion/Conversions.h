#pragma once

#include "conversion/ConversionJob.h"
#include "conversion/ConverterVersion.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
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

// The short form of the input text when it names a regular file; empty otherwise.
QString VideoFileOf(const QString &inputText);

// The converter program: ffmpeg in the application folder, else the one on the search path.
QString LocateConverter(const DesktopServices &services);

// The converter's prober, looked for the same way; empty when there is none.
QString LocateProbe(const DesktopServices &services);

// Runs Convert clicks and keeps track of the conversions they started.
class Conversions : public QObject
{
    Q_OBJECT
public:
    explicit Conversions(DesktopServices &services, QObject *parent = nullptr);

    // One Convert click: checks the input, asks before replacing, and starts the converter.
    // Returns the started conversion, or nullptr when nothing started (the user was told why)
    // or not yet: a click that comes while the converter is still asked for its version goes
    // on once it has answered.
    ConversionJob *request(const RequestInput &input);
    // Asks the converter for its version, so that the answer is there before the first click.
    void checkConverter();
    // Whether a click now would first wait for the converter's answer.
    bool checkingConverter() const;

    bool isConverting(const QString &outputBase) const { return outputs.contains(outputBase); }
    bool converting() const { return !jobs.isEmpty(); }

    // Stops every running conversion as a cancel does, without asking, and calls whenEnded
    // from the event loop once none is left.
    void stopAll(const std::function<void()> &whenEnded);

signals:
    void started(ConversionJob *job);

private:
    DesktopServices &services;
    ConverterCheck check;
    QList<RequestInput> waitingForTheCheck;
    QSet<QString> outputs; // of the conversions running now
    QList<QPointer<ConversionJob>> jobs;
    QList<std::function<void()>> waitingForTheEnd;
    void afterEnd();
    // The checks passed (and, with replace, the user agreed): starts program, the converter
    // they found.
    ConversionJob *startConversion(const RequestInput &input, const QString &shortInput,
                                   const QString &program, const std::optional<CutRange> &cut,
                                   bool replace);
};

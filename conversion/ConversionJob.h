#pragma once

#include "conversion/AudioProbe.h"
#include "conversion/ConversionCommand.h"
#include "conversion/ConversionEnd.h"
#include "conversion/ConverterLog.h"
#include "conversion/PartFile.h"
#include "conversion/ProgressReport.h"
#include "platform/DesktopServices.h"
#include "platform/LineSplitter.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringDecoder>
#include <memory>

// What the user is told when the converter could not be started, with the system's reason.
QString StartFailureMessage(const QString &reason);

// One running conversion: the converter writes a temporary file beside the MP3, which takes the
// MP3's name only once the conversion has succeeded. Whatever else happens, the temporary file
// goes and an MP3 that existed before stays as it was. Deletes itself once it has ended and
// told the user how.
class ConversionJob : public QObject
{
    Q_OBJECT
public:
    struct Setup
    {
        ConversionCommand command;
        QString input;     // the short form, as the converter is given it
        QString videoName; // the video's file name as the user knows it
        QString outputBase;
        QString tempPath;
        std::shared_ptr<PartFile> part; // holds tempPath locked while the conversion lives
        bool replace = false;           // the user agreed to replace an existing MP3
        std::optional<CutRange> cut;
        QString probe; // the converter's prober; empty when there is none
        WindowMode mode = WindowMode::MaximizedFocus;
    };

    ConversionJob(DesktopServices &services, Setup setup, QObject *parent = nullptr);
    ~ConversionJob() override;

    // Starts the converter; on failure returns the system's reason and removes the
    // temporary file.
    QString start();

    qint64 taskId() const { return task; }
    const Setup &setup() const { return job; }
    bool isRunning() const { return running || probing; }
    int percent() const { return lastPercent; }

    // Stops the converter; the temporary file is removed once it has ended.
    void cancel();

signals:
    void progressChanged(int percent, qint64 elapsedMs, qint64 remainingMs);
    // Whether the input's length is known, once the converter has said it or shown it has none.
    void durationKnown(bool known);
    void outputLines(const QStringList &lines);
    // Before the user is told; on success the window showing the job closes.
    void ended(JobEnd kind);

private:
    void onStandardOutput(const QByteArray &chunk);
    void onStandardError(const QByteArray &chunk);
    void onEnd(const ProcessEnd &end);
    // Starts the converter again, for the sound alone; false when that is not possible.
    bool startWithoutPicture();
    // The converter could not be started after all: nothing was converted.
    void onStartFailed(const QString &reason);
    // Asks the prober, alongside the converter, what the input's audio streams are.
    void startProbe();
    void onProbeEnd(const ProcessEnd &end);
    // What the prober said of the stream converted (or of the first audio stream while the
    // converter has not said which); nullptr when it said nothing of it.
    const ProbedAudio *convertedAudio() const;
    // Stops the converter at once when the audio it converts is encrypted.
    void refuseProtectedAudio();
    // Judges the end, tells the user, and goes.
    void finish();
    // Gives the finished file its name; reason set when that failed.
    MoveResult publish(QString *reason);
    // Publishes, asking again while another program holds the old MP3, then concludes.
    void publishAndConclude(JobOutcome outcome, bool outOfSight);
    // Removes the temporary file, tells the user, and goes.
    void conclude(const JobOutcome &outcome, bool outOfSight);

    DesktopServices &services;
    Setup job;
    qint64 task = 0;
    bool running = false;
    bool cancelled = false;
    int lastPercent = 0;
    QElapsedTimer elapsed;
    ProgressReport progress;
    LineSplitter logLines;
    QStringDecoder decoder{QStringDecoder::Utf8};
    ConverterLog log;
    std::optional<double> expected;
    EndFacts facts; // gathered once the converter has ended
    bool probing = false;
    qint64 probeTask = 0;
    QByteArray probeOutput;
    std::optional<ProbeReport> probed;
    bool refused = false; // stopped for encrypted audio
    QString startError;   // why the converter could not be started
    bool deciding = false; // the user is asked what to do about a held MP3
};

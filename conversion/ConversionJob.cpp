#include "conversion/ConversionJob.h"

#include "conversion/Mp3Length.h"
#include "conversion/PartFile.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStorageInfo>
#include <QTimer>

QString StartFailureMessage(const QString &reason)
{
    return QStringLiteral("Impossibile avviare ffmpeg:\r\n") + reason;
}

namespace {
JobOutcome CannotSave(const QString &outputBase, const QString &reason)
{
    return {JobEnd::Failed, MessageStyle::Critical,
            QStringLiteral("Impossibile salvare il file Mp3:\r\n") + outputBase +
                QStringLiteral("\r\n") + reason};
}
// Whether the drive that holds path has no room left: less than a second of the MP3.
bool DriveIsFull(const QString &path)
{
    const QStorageInfo drive(QFileInfo(path).absolutePath());
    return drive.isValid() && drive.bytesAvailable() >= 0 &&
           drive.bytesAvailable() < qint64(16) * 1024;
}
} // namespace

ConversionJob::ConversionJob(DesktopServices &services, Setup setup, QObject *parent)
    : QObject(parent), services(services), job(std::move(setup)), log(job.cut.has_value()),
      expected(ExpectedSeconds({}, job.cut))
{
}

ConversionJob::~ConversionJob()
{
    if (running)
        services.stopProgram(task);
    if (probing)
        services.stopProgram(probeTask);
    QFile::remove(job.tempPath);
}

QString ConversionJob::start()
{
    QPointer<ConversionJob> self(this);
    ProgramCallbacks callbacks;
    callbacks.onStandardOutput = [self](const QByteArray &chunk) {
        if (self)
            self->onStandardOutput(chunk);
    };
    callbacks.onStandardError = [self](const QByteArray &chunk) {
        if (self)
            self->onStandardError(chunk);
    };
    callbacks.onEnd = [self](const ProcessEnd &end) {
        if (self)
            self->onEnd(end);
    };
    callbacks.onStartFailed = [self](const QString &reason) {
        if (self)
            self->onStartFailed(reason);
    };
    elapsed.start();
    const StartResult started =
        services.startProgram(job.command.program, job.command.arguments, job.mode, callbacks);
    if (!started.started()) {
        QFile::remove(job.tempPath);
        return started.error;
    }
    task = started.taskId;
    running = true;
    if (!probing && !probed) // once, whatever the converter's tries
        startProbe();
    return QString();
}

void ConversionJob::cancel()
{
    if (deciding) {
        // Stopped while the user decides about a held MP3: as a No, which keeps the old one.
        deciding = false;
        conclude({JobEnd::Cancelled, MessageStyle::Plain, QString()}, false);
        return;
    }
    if (!isRunning() || cancelled)
        return;
    cancelled = true;
    if (running)
        services.stopProgram(task);
    if (probing)
        services.stopProgram(probeTask);
}

void ConversionJob::onStandardOutput(const QByteArray &chunk)
{
    progress.feed(chunk);
    const std::optional<double> written = progress.writtenSeconds();
    if (!written || !expected)
        return;
    // Never backwards, whatever the report says.
    lastPercent = std::max(lastPercent, ProgressPercent(*written, *expected));
    emit progressChanged(lastPercent, elapsed.elapsed(),
                         RemainingMs(elapsed.elapsed(), *written, *expected));
}

void ConversionJob::onStandardError(const QByteArray &chunk)
{
    QStringList lines;
    logLines.feed(chunk, [this, &lines](const QByteArray &raw) {
        const QString line = decoder.decode(raw);
        if (line.trimmed().isEmpty())
            return;
        const bool durationWasKnown = log.inputDuration().has_value();
        const bool streamWasKnown = log.convertedStream().has_value();
        lines << log.addLine(line);
        if (!durationWasKnown && log.inputDuration()) {
            expected = ExpectedSeconds({0, log.inputDuration()}, job.cut);
            emit durationKnown(true);
        }
        if (!streamWasKnown && log.convertedStream()) {
            // The input's listing is over: a length it did not give will not come.
            if (!log.inputDuration())
                emit durationKnown(false);
            refuseProtectedAudio();
        }
    });
    if (!lines.isEmpty())
        emit outputLines(lines);
}

void ConversionJob::onEnd(const ProcessEnd &end)
{
    running = false;
    const QString rest = decoder.decode(logLines.takeRest());
    if (!rest.trimmed().isEmpty())
        emit outputLines({log.addLine(rest)});
    // A converter that cannot carry the cover (it lacks what reads the picture) fails before
    // it writes anything: the sound alone is better than nothing.
    const QFileInfo tried(job.tempPath);
    if (!cancelled && !refused && !end.crashed && end.exitCode != 0 && log.mapsAPicture() &&
        !(tried.isFile() && tried.size() > 0) && startWithoutPicture())
        return;

    facts.end = end;
    facts.cut = job.cut;
    const QFileInfo written(job.tempPath);
    facts.outputWritten = written.isFile() && written.size() > 0;
    // The file decides, not the progress report: reports can stop early or overshoot.
    facts.writtenSeconds = Mp3AudioSeconds(job.tempPath);
    facts.expectedSeconds = expected;
    if (!probing) // else once the prober has told
        finish();
}

void ConversionJob::onStartFailed(const QString &reason)
{
    running = false;
    startError = reason;
    if (probing)
        services.stopProgram(probeTask); // its verdict is not needed any more
    else
        finish();
}

bool ConversionJob::startWithoutPicture()
{
    const qsizetype output = job.command.arguments.lastIndexOf(QStringLiteral("-f"));
    if (output < 0 || job.command.arguments.contains(QStringLiteral("-vn")))
        return false;
    job.command.arguments.insert(output, QStringLiteral("-vn"));
    emit outputLines({QStringLiteral("Di nuovo, senza la copertina:")});
    log = ConverterLog(job.cut.has_value());
    progress = ProgressReport();
    expected = ExpectedSeconds({}, job.cut);
    return start().isEmpty();
}

void ConversionJob::startProbe()
{
    if (job.probe.isEmpty())
        return;
    QPointer<ConversionJob> self(this);
    ProgramCallbacks callbacks;
    callbacks.onStandardOutput = [self](const QByteArray &chunk) {
        // A report of a few streams and packets is small; anything beyond this is not one.
        if (self && self->probeOutput.size() < qsizetype(1) << 20)
            self->probeOutput += chunk;
    };
    callbacks.onEnd = [self](const ProcessEnd &end) {
        if (self)
            self->onProbeEnd(end);
    };
    // Without the prober the converter's own words decide, as when there is none.
    callbacks.onStartFailed = [self](const QString &) {
        if (self)
            self->onProbeEnd(ProcessEnd{self->probeTask, true, 0, QString()});
    };
    const StartResult started =
        services.startProgram(job.probe, ProbeArguments(job.input), job.mode, callbacks);
    if (!started.started())
        return;
    probing = true;
    probeTask = started.taskId;
    // A prober that hangs must not keep the user waiting for the verdict.
    QTimer::singleShot(10000, this, [this] {
        if (probing)
            services.stopProgram(probeTask);
    });
}

void ConversionJob::onProbeEnd(const ProcessEnd &end)
{
    probing = false;
    // A damaged file can make the prober fail after it has listed the streams: what it listed
    // still holds.
    if (!end.crashed)
        probed = ProbeReportFrom(probeOutput);
    probeOutput.clear();
    refuseProtectedAudio();
    if (!running)
        finish();
}

const ProbedAudio *ConversionJob::convertedAudio() const
{
    return probed ? probed->stream(log.convertedStream()) : nullptr;
}

void ConversionJob::refuseProtectedAudio()
{
    // Decided here once both have spoken: the prober, and the converter's choice of stream.
    if (!running || cancelled || refused || !log.convertedStream())
        return;
    const ProbedAudio *audio = convertedAudio();
    if (audio && audio->encrypted) {
        refused = true;
        services.stopProgram(task);
    }
}

void ConversionJob::finish()
{
    // Now, while its window is still there: once that has closed, for a moment none of the
    // program's windows has the focus, however the user looks at it.
    const bool outOfSight = !services.applicationActive();

    facts.cancelled = cancelled;
    facts.converting = progress.converting();
    if (probed)
        facts.probedAudio = int(probed->audio.size());
    const ProbedAudio *audio = convertedAudio();
    facts.protectedAudio = refused || (audio && audio->encrypted);
    facts.undecodableAudio = audio && !audio->decodable;
    // The container's length is that of its longest stream; audio that looks short may simply
    // be shorter than the picture. Only its own declared length can tell.
    const bool looksShort = facts.writtenSeconds && facts.expectedSeconds &&
                            *facts.writtenSeconds < *facts.expectedSeconds - 1.0;
    if (looksShort && audio && audio->span.durationSeconds)
        facts.expectedSeconds = ExpectedSeconds(audio->span, job.cut);

    JobOutcome outcome = startError.isEmpty()
                             ? ClassifyEnd(facts, log)
                             : JobOutcome{JobEnd::Failed, MessageStyle::Critical,
                                          StartFailureMessage(startError)};
    // The converter goes on writing into a file whose folder was removed, and says nothing.
    if (outcome.kind != JobEnd::Cancelled && startError.isEmpty() &&
        !QFileInfo(QFileInfo(job.outputBase).absolutePath()).isDir()) {
        outcome = CannotSave(job.outputBase, QStringLiteral("La sua cartella non esiste più."));
    } else if (outcome.kind != JobEnd::Cancelled && outcome.kind != JobEnd::Done &&
               startError.isEmpty() && DriveIsFull(job.outputBase)) {
        // The converter's own words for it vary (Windows' may say "Invalid argument"); the
        // cause is plain from the drive.
        outcome = CannotSave(job.outputBase, QStringLiteral("Il disco è pieno."));
    } else if (outcome.kind == JobEnd::Done || outcome.kind == JobEnd::ShortAudio) {
        publishAndConclude(outcome, outOfSight);
        return;
    }
    conclude(outcome, outOfSight);
}

void ConversionJob::publishAndConclude(JobOutcome outcome, bool outOfSight)
{
    QString reason;
    const MoveResult moved = publish(&reason);
    if (moved == MoveResult::Held) {
        // A player still has the old MP3 open: the new audio waits for the user, who can
        // close it and try again.
        deciding = true;
        QPointer<ConversionJob> self(this);
        services.ask(QStringLiteral("Il file Mp3 è in uso da un altro programma:\r\n") +
                         job.outputBase +
                         QStringLiteral("\r\nChiudi quel programma e scegli Sì per riprovare, "
                                        "oppure No per lasciare il file com'era."),
                     [self, outcome, outOfSight](MessageAnswer answer) {
                         if (!self || !self->deciding)
                             return; // stopped meanwhile
                         self->deciding = false;
                         if (answer == MessageAnswer::Yes)
                             self->publishAndConclude(outcome, outOfSight);
                         else
                             self->conclude({JobEnd::Cancelled, MessageStyle::Plain, QString()},
                                            outOfSight);
                     });
        return;
    }
    if (moved == MoveResult::Failed)
        outcome = CannotSave(job.outputBase, reason);
    conclude(outcome, outOfSight);
}

void ConversionJob::conclude(const JobOutcome &outcome, bool outOfSight)
{
    QFile::remove(job.tempPath);
    job.part.reset();
    if (outcome.kind == JobEnd::Done) {
        lastPercent = 100;
        emit progressChanged(100, elapsed.elapsed(), 0);
    }

    QPointer<ConversionJob> self(this);
    emit ended(outcome.kind);
    if (!outcome.message.isEmpty()) {
        // A box on a window nobody looks at waits unseen: the desktop says it too.
        if (outOfSight)
            services.notify(job.videoName, outcome.message);
        services.messageBox(outcome.message, outcome.style);
    }
    if (self)
        deleteLater();
}

MoveResult ConversionJob::publish(QString *reason)
{
    if (!job.replace) {
        // Fails if something took the name meanwhile: only an agreed file is ever replaced.
        QFile file(job.tempPath);
        if (file.rename(job.outputBase))
            return MoveResult::Moved;
        *reason = file.errorString();
        return MoveResult::Failed;
    }
    // One atomic step: the old MP3 is there until the new one takes its place.
    return MoveReplacing(job.tempPath, job.outputBase, reason);
}

#include "conversion/ConversionJob.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <filesystem>
#include <system_error>

ConversionJob::ConversionJob(DesktopServices &services, Setup setup, QObject *parent)
    : QObject(parent), services(services), job(std::move(setup)),
      expected(ExpectedSeconds({}, job.cut))
{
}

ConversionJob::~ConversionJob()
{
    if (running)
        services.stopProgram(task);
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
    elapsed.start();
    const StartResult started =
        services.startProgram(job.command.program, job.command.arguments, job.mode, callbacks);
    if (!started.started()) {
        QFile::remove(job.tempPath);
        return started.error;
    }
    task = started.taskId;
    running = true;
    return QString();
}

void ConversionJob::cancel()
{
    if (!running || cancelled)
        return;
    cancelled = true;
    services.stopProgram(task);
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
        if (!inputDuration) {
            inputDuration = DurationFromLogLine(line);
            if (inputDuration) {
                expected = ExpectedSeconds(inputDuration, job.cut);
                emit durationKnown(true);
            }
        }
        if (!IsConverterSummaryLine(line))
            lastProblem = line.trimmed();
        lines << line;
    });
    if (!lines.isEmpty())
        emit outputLines(lines);
}

void ConversionJob::onEnd(const ProcessEnd &end)
{
    running = false;
    const QString rest = decoder.decode(logLines.takeRest());
    if (!rest.trimmed().isEmpty()) {
        if (!IsConverterSummaryLine(rest))
            lastProblem = rest.trimmed();
        emit outputLines({rest});
    }

    ProcessEnd told = end;
    if (!lastProblem.isEmpty())
        told.lastErrorLine = lastProblem;
    const QFileInfo written(job.tempPath);
    JobOutcome outcome = ClassifyEnd(told, cancelled, written.isFile() && written.size() > 0,
                                     progress.writtenSeconds(), expected);
    if (outcome.kind == JobEnd::Done || outcome.kind == JobEnd::ShortAudio) {
        QString reason;
        if (!publish(&reason)) {
            outcome = {JobEnd::Failed, MessageStyle::Critical,
                       QStringLiteral("Impossibile salvare il file Mp3:\r\n") + job.outputBase +
                           QStringLiteral("\r\n") + reason};
        }
    }
    QFile::remove(job.tempPath);
    if (outcome.kind == JobEnd::Done) {
        lastPercent = 100;
        emit progressChanged(100, elapsed.elapsed(), 0);
    }

    QPointer<ConversionJob> self(this);
    emit ended(outcome.kind);
    if (!outcome.message.isEmpty())
        services.messageBox(outcome.message, outcome.style);
    if (self)
        deleteLater();
}

namespace {
std::filesystem::path NativePath(const QString &path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}
} // namespace

bool ConversionJob::publish(QString *reason)
{
    if (!job.replace) {
        // Fails if something took the name meanwhile: only an agreed file is ever replaced.
        QFile file(job.tempPath);
        if (file.rename(job.outputBase))
            return true;
        *reason = file.errorString();
        return false;
    }
    // One atomic step: the old MP3 is there until the new one takes its place.
    std::error_code error;
    std::filesystem::rename(NativePath(job.tempPath), NativePath(job.outputBase), error);
    if (error) {
        *reason = QString::fromStdString(error.message());
        return false;
    }
    return true;
}

#include "conversion/Conversions.h"

#include "conversion/PartFile.h"
#include "conversion/ShortPath.h"
#include "platform/DesktopServices.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <memory>
#include <utility>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

bool sameFile(const QString &a, const QString &b)
{
    if (a == b)
        return true;
    const QFileInfo fa(a), fb(b);
    return fa.exists() && fb.exists() && fa.canonicalFilePath() == fb.canonicalFilePath();
}

void TellVideoMissing(DesktopServices &services, const QString &inputText)
{
    services.messageBox(QStringLiteral("Il file video non esiste:") + kCrLf + inputText,
                        MessageStyle::Warning);
}

void TellAlreadyConverting(DesktopServices &services, const QString &outputBase)
{
    services.messageBox(QStringLiteral("Questo file Mp3 è già in conversione:") + kCrLf +
                            outputBase,
                        MessageStyle::Warning);
}

} // namespace

QString VideoFileOf(const QString &inputText)
{
    const QString shortInput = ShortPathOf(inputText);
    return !shortInput.isEmpty() && QFileInfo(shortInput).isFile() ? shortInput : QString();
}

namespace {
// A program in the application folder, else on the search path; the system's own suffix
// (".exe") is added where it has one.
QString LocateTool(const DesktopServices &services, const QString &name)
{
    const QString beside = QStandardPaths::findExecutable(name, {services.applicationFolder()});
    if (!beside.isEmpty())
        return QDir::toNativeSeparators(beside);
    return services.findExecutable(name);
}
} // namespace

QString LocateConverter(const DesktopServices &services)
{
    return LocateTool(services, QStringLiteral("ffmpeg"));
}

QString LocateProbe(const DesktopServices &services)
{
    return LocateTool(services, QStringLiteral("ffprobe"));
}

Conversions::Conversions(DesktopServices &services, QObject *parent)
    : QObject(parent), services(services), check(services)
{
    connect(&check, &ConverterCheck::answered, this, [this] {
        for (const RequestInput &input : std::exchange(waitingForTheCheck, {}))
            request(input);
    });
}

void Conversions::checkConverter()
{
    check.ask(LocateConverter(services));
}

bool Conversions::checkingConverter() const
{
    const QString program = LocateConverter(services);
    return !waitingForTheCheck.isEmpty() ||
           (!program.isEmpty() && check.state(program) != ConverterCheck::State::Answered);
}

ConversionJob *Conversions::request(const RequestInput &input)
{
    const QString text = input.inputText;
    const QString shortInput = VideoFileOf(text);

    if (text.isEmpty()) {
        services.messageBox(
            QStringLiteral("Attenzione non hai selezionato nessun file video.") + kCrLf +
                QStringLiteral("Seleziona un file video premendo sul tasto con i puntini,") +
                kCrLf + QStringLiteral("poi scegli convert per estrarre l'audio in formato Mp3") +
                kCrLf,
            MessageStyle::Information);
        return nullptr;
    }
    if (text == kVideoFilePattern) {
        if (input.clearInput)
            input.clearInput();
        return nullptr;
    }
    if (shortInput.isEmpty()) {
        TellVideoMissing(services, text);
        return nullptr;
    }

    std::optional<CutRange> cut;
    if (input.startCaption || input.endCaption) {
        cut = CutRange{CutSecondsFromCaption(input.startCaption.value_or(QString())),
                       CutSecondsFromCaption(input.endCaption.value_or(QString()))};
        if (!cut->isValid()) {
            services.messageBox(
                QStringLiteral("L'ora di fine deve essere successiva all'ora di inizio."),
                MessageStyle::Warning);
            return nullptr;
        }
    }

    const QString outputBase = OutputBaseOf(shortInput);
    if (sameFile(outputBase, shortInput)) {
        services.messageBox(QStringLiteral("Il file Mp3 coinciderebbe con il file video:") + kCrLf +
                                outputBase,
                            MessageStyle::Warning);
        return nullptr;
    }
    if (isConverting(outputBase)) {
        TellAlreadyConverting(services, outputBase);
        return nullptr;
    }

    const QString program = LocateConverter(services);
    if (program.isEmpty()) {
        services.messageBox(
            QStringLiteral("ffmpeg non trovato.") + kCrLf +
                QStringLiteral("Installalo, oppure copialo nella cartella del programma:") + kCrLf +
                services.applicationFolder(),
            MessageStyle::Critical);
        return nullptr;
    }
    check.ask(program); // once for each converter
    if (check.state(program) == ConverterCheck::State::Asking) {
        waitingForTheCheck.append(input);
        return nullptr;
    }
    // An older converter would stop at the first option it does not know.
    if (const QString refusal = check.refusal(program); !refusal.isEmpty()) {
        services.messageBox(refusal, MessageStyle::Critical);
        return nullptr;
    }

    if (!QFileInfo::exists(outputBase))
        return startConversion(input, shortInput, program, cut, false);
    // Asked without waiting; a fake that answers at once gets its conversion back from here.
    auto startedNow = std::make_shared<QPointer<ConversionJob>>();
    QPointer<Conversions> self(this);
    services.ask(
        QStringLiteral("Il file ") + outputBase + QStringLiteral(" esiste già.") + kCrLf +
            QStringLiteral("Vuoi sostituirlo?"),
        [self, input, shortInput, program, cut, outputBase, startedNow](MessageAnswer answer) {
            if (!self || answer != MessageAnswer::Yes)
                return;
            // Another click may have started it while the question was open.
            if (self->isConverting(outputBase)) {
                TellAlreadyConverting(self->services, outputBase);
                return;
            }
            // The video may have gone while the question was open.
            if (VideoFileOf(shortInput).isEmpty()) {
                TellVideoMissing(self->services, input.inputText);
                return;
            }
            *startedNow = self->startConversion(input, shortInput, program, cut, true);
        });
    return *startedNow;
}

ConversionJob *Conversions::startConversion(const RequestInput &input, const QString &shortInput,
                                            const QString &program,
                                            const std::optional<CutRange> &cut, bool replace)
{
    const QString text = input.inputText;
    const QString outputBase = OutputBaseOf(shortInput);
    SweepLeftoversOf(outputBase);
    QString reason;
    std::shared_ptr<PartFile> part = PartFile::CreateBeside(outputBase, &reason);
    if (!part) {
        services.messageBox(QStringLiteral("Impossibile scrivere il file Mp3:") + kCrLf +
                                outputBase + kCrLf + reason,
                            MessageStyle::Critical);
        return nullptr;
    }

    ConversionJob::Setup setup;
    setup.command = BuildConversionCommand(program, shortInput, outputBase, cut, part->path());
    setup.input = shortInput;
    setup.videoName = QFileInfo(text).fileName();
    setup.outputBase = outputBase;
    setup.tempPath = part->path();
    setup.part = std::move(part);
    setup.replace = replace;
    setup.cut = cut;
    setup.probe = LocateProbe(services);
    auto *job = new ConversionJob(services, setup, this);
    const QString error = job->start();
    if (!error.isEmpty()) {
        delete job;
        services.messageBox(StartFailureMessage(error), MessageStyle::Critical);
        return nullptr;
    }
    outputs.insert(outputBase);
    jobs.append(job);
    connect(job, &ConversionJob::ended, this, [this, job, outputBase] {
        outputs.remove(outputBase);
        jobs.removeAll(job);
        afterEnd();
    });
    emit started(job);
    return job;
}

void Conversions::stopAll(const std::function<void()> &whenEnded)
{
    waitingForTheEnd.append(whenEnded);
    for (const QPointer<ConversionJob> &job : std::as_const(jobs)) {
        if (job)
            job->cancel();
    }
    afterEnd();
}

void Conversions::afterEnd()
{
    if (!jobs.isEmpty() || waitingForTheEnd.isEmpty())
        return;
    const QList<std::function<void()>> callbacks = std::exchange(waitingForTheEnd, {});
    // Once the ended conversions have finished telling their windows.
    QTimer::singleShot(0, this, [callbacks] {
        for (const std::function<void()> &callback : callbacks)
            callback();
    });
}

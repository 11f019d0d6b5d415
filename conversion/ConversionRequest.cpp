#include "conversion/ConversionRequest.h"

#include "conversion/ShortPath.h"
#include "platform/DesktopServices.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

bool sameFile(const QString &a, const QString &b)
{
    if (a == b)
        return true;
    const QFileInfo fa(a), fb(b);
    return fa.exists() && fb.exists() && fa.canonicalFilePath() == fb.canonicalFilePath();
}

void reportEnd(DesktopServices &services, const QString &outputBase, const ProcessEnd &end)
{
    if (!end.crashed && end.exitCode == 0 && QFileInfo(outputBase).isFile()) {
        services.messageBox(QStringLiteral("Code : ") + QString::number(end.taskId) +
                                QStringLiteral(" Conversion done! "),
                            MessageStyle::Plain);
        return;
    }
    const QString code = end.crashed ? QStringLiteral("crash") : QString::number(end.exitCode);
    services.messageBox(QStringLiteral("Conversione non riuscita (codice ") + code +
                            QStringLiteral(").") + kCrLf + end.lastErrorLine,
                        MessageStyle::Critical);
}

} // namespace

QString VideoFileOf(const QString &inputText)
{
    const QString shortInput = ShortPathOf(inputText);
    return !shortInput.isEmpty() && QFileInfo(shortInput).isFile() ? shortInput : QString();
}

QString LocateConverter(const DesktopServices &services)
{
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("ffmpeg.exe");
#else
    const QString name = QStringLiteral("ffmpeg");
#endif
    const QFileInfo beside(QDir(services.applicationFolder()).filePath(name));
    if (beside.isFile() && beside.isExecutable())
        return QDir::toNativeSeparators(beside.absoluteFilePath());
    return services.findExecutable(QStringLiteral("ffmpeg"));
}

qint64 RunConversionRequest(DesktopServices &services, const RequestInput &input)
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
        return 0;
    }
    if (text == kVideoFilePattern) {
        if (input.clearInput)
            input.clearInput();
        return 0;
    }
    if (shortInput.isEmpty()) {
        services.messageBox(QStringLiteral("Il file video non esiste:") + kCrLf + text,
                            MessageStyle::Warning);
        return 0;
    }

    std::optional<CutRange> cut;
    if (input.startCaption || input.endCaption) {
        cut = CutRange{CutSecondsFromCaption(input.startCaption.value_or(QString())),
                       CutSecondsFromCaption(input.endCaption.value_or(QString()))};
        if (!cut->isValid()) {
            services.messageBox(
                QStringLiteral("L'ora di fine deve essere successiva all'ora di inizio."),
                MessageStyle::Warning);
            return 0;
        }
    }

    const QString outputBase = OutputBaseOf(shortInput);
    if (sameFile(outputBase, shortInput)) {
        services.messageBox(QStringLiteral("Il file Mp3 coinciderebbe con il file video:") + kCrLf +
                                outputBase,
                            MessageStyle::Warning);
        return 0;
    }

    const QString program = LocateConverter(services);
    if (program.isEmpty()) {
        services.messageBox(
            QStringLiteral("ffmpeg non trovato.") + kCrLf +
                QStringLiteral("Installalo, oppure copialo nella cartella del programma:") + kCrLf +
                services.applicationFolder(),
            MessageStyle::Critical);
        return 0;
    }

    bool overwrite = false;
    if (QFileInfo::exists(outputBase)) {
        const MessageAnswer answer = services.messageBox(
            QStringLiteral("Il file ") + outputBase + QStringLiteral(" esiste già.") + kCrLf +
                QStringLiteral("Vuoi sostituirlo?"),
            MessageStyle::Question);
        if (answer != MessageAnswer::Yes)
            return 0;
        overwrite = true;
    }

    const ConversionCommand command =
        BuildConversionCommand(program, shortInput, outputBase, cut, overwrite);
    DesktopServices *servicesPtr = &services;
    const StartResult started =
        services.startProgram(command.program, command.arguments, WindowMode::MaximizedFocus,
                              [servicesPtr, outputBase](const ProcessEnd &end) {
                                  reportEnd(*servicesPtr, outputBase, end);
                              });
    if (!started.started()) {
        services.messageBox(QStringLiteral("Impossibile avviare ffmpeg:") + kCrLf + started.error,
                            MessageStyle::Critical);
        return 0;
    }
    return started.taskId;
}

#pragma once

#include "platform/DesktopServices.h"
#include "platform/ProcessStarter.h"

#include <QList>
#include <QQueue>
#include <memory>

// Records what handlers ask of the desktop and answers from a script. Programs are either
// only recorded (and ended by the test) or, with realProcesses, really started.
class FakeServices : public DesktopServices
{
public:
    struct Message
    {
        QString prompt;
        MessageStyle style;
        QString title;
    };
    struct Start
    {
        QString program;
        QStringList arguments;
        WindowMode mode;
        ProgramCallbacks callbacks;
        qint64 taskId;
    };

    // Scripted answers, consumed in order.
    QQueue<MessageAnswer> questionAnswers;      // default No when empty
    QQueue<std::optional<QString>> openAnswers; // a path confirms, nullopt cancels
    QString startError;     // non-empty: every start fails with it, before it returns
    QString lateStartError; // likewise, but reported once the start has returned
    std::function<void()> whileAsking;          // runs while a question is open

    struct Notification
    {
        QString summary;
        QString body;
    };

    QList<Message> messages;
    QList<Notification> notifications;
    bool active = true;      // one of the program's windows has the focus
    QStringList commandLine; // the program's arguments
    QList<Start> starts;
    QList<qint64> stops;
    QList<FileChooser> openCalls; // the chooser as each use found it
    QStringList openedFolders;

    QString appFolder = QStringLiteral("/opt/quillon");
    QString pathConverter = QStringLiteral("/usr/bin/ffmpeg"); // what the search path finds
    QString pathProbe;                                         // likewise, for ffprobe
    // The converter's answer to -version, given at once without a start being recorded;
    // empty: the program is asked (recorded, or really started).
    QByteArray converterVersion =
        "ffmpeg version 7.1.5 Copyright (c) 2000-2025 the FFmpeg developers\n";
    QStringList versionQueries;
    bool realProcesses = false;
    int stopGraceMs = 3000; // for real processes

    // Play the converter's part for a recorded (not real) start.
    void writeOutput(int index, const QByteArray &chunk);
    void writeError(int index, const QByteArray &chunk);
    void finish(int index, int exitCode, bool crashed = false, const QString &lastLine = {});
    // The file a recorded start was asked to write: its last argument.
    QString writtenFile(int index) const { return starts.at(index).arguments.last(); }

    QWidget *messageOwner = nullptr;
    void setMessageOwner(QWidget *window) override { messageOwner = window; }
    StartResult startProgram(const QString &program, const QStringList &arguments, WindowMode mode,
                             ProgramCallbacks callbacks) override;
    void stopProgram(qint64 taskId) override;
    void finishPrograms(int withinMs) override;
    bool showOpen(FileChooser &chooser) override;
    void openFolder(const QString &folder) override { openedFolders << folder; }
    QString findExecutable(const QString &name) const override;
    void notify(const QString &summary, const QString &body) override
    {
        notifications.append({summary, body});
    }
    bool applicationActive() const override { return active; }
    QStringList arguments() const override { return commandLine; }
    QString applicationFolder() const override { return appFolder; }
    QString applicationTitle() const override { return QStringLiteral("Quillon"); }
    AppVersion applicationVersion() const override { return {1, 0, 0}; }

protected:
    void showMessage(const QString &prompt, MessageStyle style, const QString &title) override;
    void showQuestion(const QString &prompt, const QString &title,
                      std::function<void(MessageAnswer)> answered) override;

private:
    std::unique_ptr<ProcessStarter> starter;
    qint64 nextTaskId = 4242;
};

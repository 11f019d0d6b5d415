#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// Message box styles, numbered as the classic message box flags.
enum class MessageStyle {
    Plain = 0,
    Critical = 16,
    Question = 36, // Yes and No buttons
    Warning = 48,
    Information = 64,
};

enum class MessageAnswer { Ok, Yes, No };

enum class WindowMode {
    MaximizedFocus = 3,
};

struct AppVersion
{
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// How a started program ended.
struct ProcessEnd
{
    qint64 taskId = 0;
    bool crashed = false;
    int exitCode = 0;
    QString lastErrorLine; // last non-empty line written to standard error
};

// What a started program says, and when it ends. Each runs on the user-interface thread.
struct ProgramCallbacks
{
    std::function<void(const QByteArray &)> onStandardOutput;
    std::function<void(const QByteArray &)> onStandardError;
    std::function<void(const ProcessEnd &)> onEnd; // never called when the start failed
    // The start failed after startProgram had returned, with the system's reason; nothing
    // else is reported of that program then.
    std::function<void(const QString &)> onStartFailed;
};

struct StartResult
{
    qint64 taskId = 0;
    QString error; // the system's reason when the program could not be started at once
    bool started() const { return error.isEmpty(); }
};

// The open chooser's state; it outlives each use, so its file name carries over.
struct FileChooser
{
    QString dialogTitle;
    QString filter;       // the description shown in the type list
    QStringList patterns; // names listed, matched without regard to letter case
    QString fileName;     // start name before a use, the chosen path after a confirmed one
};

// Everything that blocks on the user or touches the desktop goes through here, so that
// handlers can be driven in tests by a recording fake.
class DesktopServices
{
public:
    virtual ~DesktopServices();

    // An empty title means the application title. The message is shown and this returns at
    // once, so that nothing else waits behind it.
    void messageBox(const QString &prompt, MessageStyle style, const QString &title = QString());
    // Asks a question with Yes and No without waiting for it: answered runs with the answer
    // once there is one (a recording fake may answer before this returns).
    void ask(const QString &prompt, std::function<void(MessageAnswer)> answered,
             const QString &title = QString());

    // The window that messages are shown over while it is on screen: one that never closes by
    // itself. Without it, or while it is hidden, messages stand on their own.
    virtual void setMessageOwner(QWidget *window) = 0;

    // Starts program with arguments (no shell involved) and returns at once, without waiting
    // for the system to have started it; the callbacks report its output and its end, or a
    // start that failed.
    virtual StartResult startProgram(const QString &program, const QStringList &arguments,
                                     WindowMode mode, ProgramCallbacks callbacks) = 0;

    // Asks a started program to stop, and kills it if it has not ended after a short grace.
    virtual void stopProgram(qint64 taskId) = 0;

    // Waits until every started program has ended, killing any still running after withinMs.
    // Their ends are reported before it returns: for the session's end, after which nothing runs.
    virtual void finishPrograms(int withinMs) = 0;

    // Shows the open chooser modally. True and chooser.fileName set when the user confirmed.
    virtual bool showOpen(FileChooser &chooser) = 0;

    // Shows a folder in the desktop's file manager.
    virtual void openFolder(const QString &folder) = 0;

    // A program found on the search path, or empty.
    virtual QString findExecutable(const QString &name) const = 0;

    // Tells the desktop, out of the program's windows, that something happened; the
    // desktop's notification service shows it. Returns at once, whether or not one listens.
    virtual void notify(const QString &summary, const QString &body) = 0;

    // Whether one of the program's windows has the focus.
    virtual bool applicationActive() const = 0;

    // What the program was started with, its own name left out.
    virtual QStringList arguments() const = 0;

    // The folder of the program's executable, without a trailing separator.
    virtual QString applicationFolder() const = 0;
    virtual QString applicationTitle() const = 0;
    virtual AppVersion applicationVersion() const = 0;

protected:
    virtual void showMessage(const QString &prompt, MessageStyle style, const QString &title) = 0;
    virtual void showQuestion(const QString &prompt, const QString &title,
                              std::function<void(MessageAnswer)> answered) = 0;
};

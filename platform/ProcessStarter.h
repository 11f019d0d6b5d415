#pragma once

#include "platform/DesktopServices.h"
#include "platform/LineSplitter.h"

#include <QHash>
#include <QObject>

class QProcess;

// Starts programs as child processes and reports what they write and how each one ended. A
// running program keeps the application alive, so closing the last window does not cut a
// conversion short.
class ProcessStarter : public QObject
{
    Q_OBJECT
public:
    explicit ProcessStarter(QObject *parent = nullptr, int stopGraceMs = 3000);
    ~ProcessStarter() override;

    StartResult start(const QString &program, const QStringList &arguments,
                      const ProgramCallbacks &callbacks);
    void stop(qint64 taskId);
    // Returns once every program has ended and its end was reported; those still running
    // after withinMs are killed.
    void finishAll(int withinMs);

private:
    QHash<qint64, QProcess *> running;
    int stopGraceMs;
};

// Keeps the last non-empty line of a stream that arrives in pieces, in bounded memory.
class LastLineTracker
{
public:
    void feed(const QByteArray &chunk);
    QString lastLine() const;

private:
    LineSplitter lines;
    QByteArray last;
};

#pragma once

#include "platform/DesktopServices.h"

#include <QObject>

// Starts programs as child processes and reports how each one ended. A running program keeps
// the application alive, so closing the last window does not cut a conversion short.
class ProcessStarter : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    StartResult start(const QString &program, const QStringList &arguments,
                      std::function<void(const ProcessEnd &)> onEnd);
};

// Keeps the last non-empty line of a stream that arrives in pieces, in bounded memory.
class LastLineTracker
{
public:
    void feed(const QByteArray &chunk);
    QString lastLine() const;

private:
    QByteArray partial;
    QByteArray last;
};

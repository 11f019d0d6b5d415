#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGHUP and SIGINT into a Qt signal on the event loop. The handler itself only
// writes a byte into a socket pair: nothing else is safe inside a signal handler.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signal);

private:
    QSocketNotifier *notifier = nullptr;
};

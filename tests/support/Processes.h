#pragma once

#include <QString>

// What the tests ask of the system's processes.
// Whether the process with that id still runs.
bool ProcessRunning(qint64 pid);
// Whether any process still runs the program at that path.
bool AnyProcessRuns(const QString &program);
// This process's resident memory, in kilobytes; 0 when the system does not say.
qint64 ResidentKb();

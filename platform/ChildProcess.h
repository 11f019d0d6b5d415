#pragma once

#include <QProcess>

// What each system does so that a started program never outlives this one, however this one
// ends, and opens no window of its own: its output is shown in ours.
namespace ChildProcess {
// Before the start.
void Prepare(QProcess &process);
// Once started.
void Adopt(QProcess &process);
// Asks it to stop; the caller kills it if it is still running after a grace.
void Stop(QProcess &process);
// Whether it crashed, or was ended from outside, rather than ending by itself with that code.
bool Crashed(QProcess::ExitStatus status, int exitCode);
} // namespace ChildProcess

#pragma once

#include <QString>

// What the tests ask of the system's processes.
// Whether the process with that id still runs.
bool ProcessRunning(qint64 pid);
// Whether any process still runs the program at that path.
bool AnyProcessRuns(const QString &program);
// This process's resident memory, in kilobytes; 0 when the system does not say.
qint64 ResidentKb();
// Whether a folder without write permission refuses this process a new file: not for root,
// and not on Windows, where a folder's read-only mark means nothing of the kind.
bool ReadOnlyFoldersRefuseWrites();
// The path as a program of the host sees it: under Wine, the Unix path of a Windows one.
QString HostPathOf(const QString &path);

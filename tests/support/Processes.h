#pragma once

#include <QString>
#include <QStringList>

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
// Whether a folder stays while a file in it is open, as on Windows.
bool OpenFilesKeepTheirFolder();
// The path as a program of the host sees it: under Wine, the Unix path of a Windows one.
QString HostPathOf(const QString &path);
// Runs a program of the host (under Wine, a Unix one, named by its Unix path) to its end; 0
// when it succeeded. Its output goes where this program's goes.
int RunOnHost(const QString &program, const QStringList &arguments);
// A new folder on a drive of its own of about 300 KB, for a disk that fills up; empty when this
// system gives the tests none (on Linux that needs root). ReleaseSmallFolder takes it away.
QString SmallFolder(const QString &inside);
// What may happen to that drive while a conversion runs: it becomes read-only, as a card whose
// switch is set, or goes away with the folder, as a stick pulled out.
enum class SmallDriveChange { ReadOnly, GoesAway };
bool ChangeSmallDrive(const QString &folder, SmallDriveChange change);
void ReleaseSmallFolder(const QString &folder);

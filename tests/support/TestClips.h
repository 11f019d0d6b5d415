#pragma once

#include <QString>
#include <QStringList>

// Runs a program to its end and returns its exit code (-1 when it crashed or could not start).
int RunToEnd(const QString &program, const QStringList &arguments, QString *output = nullptr);

// Makes a short clip with a sine sound track and a test picture, in the container that the
// path's extension names. False when ffmpeg failed.
bool MakeClip(const QString &path, double seconds);

// Runs the converter that makes the clips tests convert, with arguments (a file's path among
// them as the test knows it): the host's, named by QUILLON_CLIP_MAKER, where the converter
// under test writes only audio; else that converter. 0 when it succeeded.
int MakeWithHostConverter(const QStringList &arguments);

// The converter's prober, installed beside ffmpeg.
QString FfprobePath();

// The system's suffix of programs: ".exe" on Windows, none elsewhere.
QString ProgramSuffix();

// Puts the compiled stand-in for the converter into folder as ffmpeg, doing the steps given
// (StandIn.cpp lists them); returns its path as Quillon finds it, or empty on failure.
QString InstallStandIn(const QString &folder, const QStringList &steps);

// The real converter, put into folder as ffmpeg; returns its path as Quillon finds it.
QString InstallConverter(const QString &folder);

// An MP3 stream of silent frames (44100 Hz, 128 kbit/s) that lasts about that long: what a
// stand-in converter writes where the length of its output is judged.
QByteArray Mp3Frames(double seconds);

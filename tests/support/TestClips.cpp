#include "TestClips.h"

#include "Processes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QtMath>

int RunToEnd(const QString &program, const QStringList &arguments, QString *output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return process.exitCode();
}

bool MakeClip(const QString &path, double seconds)
{
    const QString duration = QString::number(seconds);
    // Where the converter under test writes only audio, the clips were made beforehand, by the
    // host's converter, as clip-SECONDS.EXT.
    const QString made = qEnvironmentVariable("QUILLON_CLIPS");
    if (!made.isEmpty()) {
        QFile::remove(path);
        return QFile::copy(made + QStringLiteral("/clip-") + duration + u'.' +
                               QFileInfo(path).suffix(),
                           path);
    }
    return MakeWithHostConverter({"-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                     "sine=frequency=440:sample_rate=48000:duration=" + duration, "-f", "lavfi",
                     "-i", "testsrc=size=160x120:rate=10:duration=" + duration, "-shortest",
                     path}) == 0;
}

int MakeWithHostConverter(const QStringList &arguments)
{
    const QString host = qEnvironmentVariable("QUILLON_CLIP_MAKER");
    if (host.isEmpty())
        return RunToEnd(QStringLiteral(QUILLON_FFMPEG), arguments);
    // The test's own files are named as the host knows them.
    static const QRegularExpression windowsPath(QStringLiteral("^[A-Za-z]:[/\\\\]"));
    QStringList hostArguments;
    for (const QString &argument : arguments)
        hostArguments << (argument.contains(windowsPath) ? HostPathOf(argument) : argument);
    return RunOnHost(host, hostArguments);
}

QString FfprobePath()
{
    return QFileInfo(QStringLiteral(QUILLON_FFMPEG)).absolutePath() + QStringLiteral("/ffprobe") +
           ProgramSuffix();
}

QString ProgramSuffix()
{
    // The test program's own: it is built for the same system.
    const QString suffix = QFileInfo(QCoreApplication::applicationFilePath()).suffix();
    return suffix.isEmpty() ? QString() : QStringLiteral(".") + suffix;
}

namespace {
QString PutProgram(const QString &from, const QString &folder)
{
    const QString path = folder + QStringLiteral("/ffmpeg") + ProgramSuffix();
    QFile::remove(path);
    if (!QFile::copy(from, path))
        return QString();
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
    return QDir::toNativeSeparators(path);
}
} // namespace

QString InstallStandIn(const QString &folder, const QStringList &steps)
{
    QFile file(folder + QStringLiteral("/ffmpeg.steps"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write((steps.join(u'\n') + u'\n').toUtf8()) < 0)
        return QString();
    file.close();
    return PutProgram(QStringLiteral(QUILLON_STAND_IN), folder);
}

QString InstallConverter(const QString &folder)
{
    return PutProgram(QStringLiteral(QUILLON_FFMPEG), folder);
}

QByteArray Mp3Frames(double seconds)
{
    const int frames = qRound(seconds * 44100 / 1152);
    QByteArray frame(417, '\0'); // 144 * 128000 / 44100 bytes, without padding
    frame[0] = char(0xFF);
    frame[1] = char(0xFB); // MPEG-1 layer III, no CRC
    frame[2] = char(0x90); // 128 kbit/s, 44100 Hz
    frame[3] = char(0x44); // joint stereo
    return frame.repeated(frames);
}

// The MP3 length reader, on a file as the converter leaves it.
#include "conversion/Mp3Length.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("fuzz.mp3"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        abort(); // the target itself is broken
    file.close();
    Mp3AudioSeconds(path);
    return 0;
}

// The converter's answer to -version.
#include "conversion/ConverterVersion.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray answer(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const std::optional<ConverterRelease> release = ConverterVersionFrom(answer))
        release->toString();
    ConverterRefusal(QStringLiteral("/usr/bin/ffmpeg"), answer);
    return 0;
}

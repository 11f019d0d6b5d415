#include "conversion/Mp3Length.h"

#include <QFile>

#include <algorithm>

namespace {

struct FrameHeader
{
    qint64 bytes = 0;
    int samples = 0;
    int sampleRate = 0;
    int sideInfoBytes = 0; // layer III only: where a Xing/Info tag would start
};

// The MPEG audio frame header at p, if there is a valid one.
std::optional<FrameHeader> ReadHeader(const uchar *p)
{
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return std::nullopt;
    const int version = (p[1] >> 3) & 3; // 0: 2.5, 2: 2, 3: 1
    const int layer = (p[1] >> 1) & 3;   // 1: III, 2: II, 3: I
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    const int padding = (p[2] >> 1) & 1;
    const bool mono = (p[3] >> 6) == 3;
    if (version == 1 || layer == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return std::nullopt;

    static const int kBitrates[2][3][15] = {
        // MPEG-1: layer I, II, III
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        // MPEG-2 and 2.5
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
    static const int kRates[3] = {44100, 48000, 32000};

    const bool mpeg1 = version == 3;
    const int layerIndex = 3 - layer; // 0: I, 1: II, 2: III
    const int bitrate = kBitrates[mpeg1 ? 0 : 1][layerIndex][bitrateIndex] * 1000;
    FrameHeader header;
    header.sampleRate = kRates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    if (layerIndex == 0) {
        header.samples = 384;
        header.bytes = (12LL * bitrate / header.sampleRate + padding) * 4;
    } else {
        header.samples = layerIndex == 2 && !mpeg1 ? 576 : 1152;
        header.bytes = qint64(header.samples) / 8 * bitrate / header.sampleRate + padding;
    }
    if (layerIndex == 2)
        header.sideInfoBytes = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    return header;
}

// Size of an ID3v2 tag at the start, 0 when there is none.
qint64 Id3v2Size(const uchar *p, qint64 size)
{
    if (size < 10 || p[0] != 'I' || p[1] != 'D' || p[2] != '3')
        return 0;
    const qint64 body = (qint64(p[6] & 0x7F) << 21) | (qint64(p[7] & 0x7F) << 14) |
                        (qint64(p[8] & 0x7F) << 7) | qint64(p[9] & 0x7F);
    const bool footer = p[5] & 0x10;
    return 10 + body + (footer ? 10 : 0);
}

quint32 BigEndian32(const uchar *p)
{
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

// What an Info/Xing tag says of the stream.
struct InfoTag
{
    std::optional<qint64> frames; // when it describes this very file: see below
    int delay = 0;                // samples the encoder put before the sound
    int padding = 0;              // and after it, to fill the last frame
};

// Reads the Info/Xing tag at tag. Its frame count is taken when the tag also gives the
// stream's byte count and that matches what the file holds from the tag's frame on: then the
// count describes this very file, and the rest of it need not be read. The encoder delay and
// padding come from the LAME extension that follows, where there is one.
InfoTag ReadInfoTag(const uchar *tag, qint64 available, qint64 streamBytes)
{
    InfoTag info;
    if (available < 8)
        return info;
    const quint32 flags = BigEndian32(tag + 4);
    qint64 at = 8;
    std::optional<qint64> frames;
    std::optional<qint64> bytes;
    if ((flags & 1) && at + 4 <= available) {
        frames = BigEndian32(tag + at);
        at += 4;
    }
    if ((flags & 2) && at + 4 <= available) {
        bytes = BigEndian32(tag + at);
        at += 4;
    }
    if (flags & 4)
        at += 100; // seek table
    if (flags & 8)
        at += 4; // quality
    if (frames && bytes && *bytes == streamBytes)
        info.frames = frames;
    // Encoder name (9), revision, lowpass, peak (4), two gains (2 each), flags, bitrate: then
    // twelve bits of delay and twelve of padding.
    constexpr qint64 kDelayAt = 21;
    if (at + kDelayAt + 3 <= available) {
        const uchar *p = tag + at + kDelayAt;
        info.delay = (p[0] << 4) | (p[1] >> 4);
        info.padding = ((p[1] & 0x0F) << 8) | p[2];
    }
    return info;
}

double AudioSecondsOf(const uchar *data, qint64 size)
{
    qint64 samples = 0;
    int sampleRate = 0;
    InfoTag info;
    bool first = true;
    qint64 at = Id3v2Size(data, size);
    while (at + 4 <= size) {
        const std::optional<FrameHeader> header = ReadHeader(data + at);
        if (!header || at + header->bytes > size) {
            ++at; // not a frame here: look for the next one
            continue;
        }
        // The encoder's Xing/Info frame describes the stream and holds no sound.
        const qint64 tag = at + 4 + header->sideInfoBytes;
        const bool infoFrame =
            first && tag + 4 <= size &&
            (memcmp(data + tag, "Xing", 4) == 0 || memcmp(data + tag, "Info", 4) == 0);
        if (infoFrame) {
            qint64 streamBytes = size - at;
            if (size >= 128 && memcmp(data + size - 128, "TAG", 3) == 0)
                streamBytes -= 128;
            info = ReadInfoTag(data + tag, size - tag, streamBytes);
            if (info.frames) {
                samples = *info.frames * header->samples;
                sampleRate = header->sampleRate;
                break;
            }
        } else {
            samples += header->samples;
            sampleRate = header->sampleRate;
        }
        first = false;
        at += header->bytes;
    }
    if (sampleRate == 0)
        return 0.0;
    // The delay and padding hold no sound. The padding describes the end the encoder wrote;
    // a file that ends elsewhere (the tag's count does not match) keeps its last frames whole.
    samples -= info.delay + (info.frames ? info.padding : 0);
    return double(std::max<qint64>(samples, 0)) / sampleRate;
}

} // namespace

std::optional<double> Mp3AudioSeconds(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 size = file.size();
    if (size == 0)
        return 0.0;
    if (const uchar *data = file.map(0, size)) {
        const double seconds = AudioSecondsOf(data, size);
        file.unmap(const_cast<uchar *>(data));
        return seconds;
    }
    // Some network and FUSE file systems cannot map a file; they can all read one.
    const QByteArray bytes = file.readAll();
    if (bytes.size() != size)
        return std::nullopt;
    return AudioSecondsOf(reinterpret_cast<const uchar *>(bytes.constData()), size);
}

#pragma once

#include <QByteArray>
#include <QList>
#include <algorithm>
#include <cstdint>

// A target's input: its first line holds the numbers it needs besides the bytes to read, as
// text, so that the inputs kept stay readable; the bytes follow. Missing numbers read as 0.
class FuzzInput
{
public:
    FuzzInput(const uint8_t *data, size_t size)
    {
        const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
        const qsizetype end = bytes.indexOf('\n');
        for (const QByteArray &word : bytes.left(end < 0 ? 0 : end).split(' '))
            values << word.toDouble();
        text = end < 0 ? bytes : bytes.mid(end + 1);
    }

    double number(qsizetype i) const { return values.value(i); }
    // Within [low, high]; NaN reads as low.
    int whole(qsizetype i, int low, int high) const
    {
        const double value = number(i);
        return value >= low ? int(std::min<double>(value, high)) : low;
    }
    const QByteArray &rest() const { return text; }

private:
    QList<double> values;
    QByteArray text;
};

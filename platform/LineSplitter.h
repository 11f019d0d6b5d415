#pragma once

#include <QByteArray>
#include <functional>

// Splits a stream that arrives in pieces into lines; a carriage return ends a line too, since
// the converter rewrites its status line with them. Over-long lines are cut, so memory stays
// bounded whatever the converter writes.
class LineSplitter
{
public:
    static constexpr qsizetype kMaxLineBytes = 4096;

    // Calls onLine for each complete line in chunk.
    void feed(const QByteArray &chunk, const std::function<void(const QByteArray &)> &onLine);
    // The unfinished last line, if any; the splitter is empty afterwards.
    QByteArray takeRest();
    // The unfinished last line, left in place.
    const QByteArray &rest() const { return partial; }

private:
    QByteArray partial;
};

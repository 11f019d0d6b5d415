#include "platform/LineSplitter.h"

void LineSplitter::feed(const QByteArray &chunk,
                        const std::function<void(const QByteArray &)> &onLine)
{
    for (const char c : chunk) {
        if (c == '\n' || c == '\r') {
            onLine(partial);
            partial.clear();
        } else {
            partial.append(c);
            if (partial.size() >= kMaxLineBytes) {
                onLine(partial);
                partial.clear();
            }
        }
    }
}

QByteArray LineSplitter::takeRest()
{
    QByteArray rest;
    rest.swap(partial);
    return rest;
}

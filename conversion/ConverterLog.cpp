#include "conversion/ConverterLog.h"

#include <algorithm>

namespace {
// The log is read with plain scanning: these patterns are few and simple, and a regular
// expression is compiled on its first use, which cost more than all the lines it read.
bool IsAsciiSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

bool IsAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool IsHexDigit(QChar c)
{
    return IsAsciiDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool IsWordChar(QChar c)
{
    return IsAsciiDigit(c) || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
}

// Reads a text from its start on; a read that fails leaves nothing behind.
class Scanner
{
public:
    explicit Scanner(QStringView text, qsizetype at = 0) : text(text), at(at) {}

    qsizetype position() const { return at; }
    bool atEnd() const { return at >= text.size(); }
    QChar peek() const { return atEnd() ? QChar() : text[at]; }

    template <typename Pass> qsizetype skip(Pass pass)
    {
        const qsizetype from = at;
        while (!atEnd() && pass(text[at]))
            ++at;
        return at - from;
    }
    bool take(QStringView expected)
    {
        if (!text.mid(at).startsWith(expected))
            return false;
        at += expected.size();
        return true;
    }
    // Letters, digits and underscores; empty when there are none.
    QStringView word()
    {
        const qsizetype from = at;
        return text.mid(from, skip(IsWordChar));
    }
    // Exactly two digits; their value.
    std::optional<int> twoDigits()
    {
        if (at + 2 > text.size() || !IsAsciiDigit(text[at]) || !IsAsciiDigit(text[at + 1]))
            return std::nullopt;
        at += 2;
        return int(text[at - 2].unicode() - u'0') * 10 + int(text[at - 1].unicode() - u'0');
    }
    // One or more digits; their value, empty when there are none or too many to hold.
    std::optional<qint64> number()
    {
        const qsizetype from = at;
        if (skip(IsAsciiDigit) == 0)
            return std::nullopt;
        bool ok = false;
        const qint64 value = text.mid(from, at - from).toLongLong(&ok);
        return ok ? std::optional<qint64>(value) : std::nullopt;
    }

private:
    QStringView text;
    qsizetype at;
};

// "#N:M", the converter's name for a stream; M.
std::optional<qint64> StreamNumber(Scanner &scan)
{
    if (!scan.take(u"#") || !scan.number() || !scan.take(u":"))
        return std::nullopt;
    return scan.number();
}

// "[name @ 0x5f] ": the part of the converter that speaks; its name.
std::optional<QStringView> Context(QStringView line, qsizetype &at)
{
    if (at >= line.size() || line[at] != u'[')
        return std::nullopt;
    const qsizetype close = line.indexOf(u']', at + 1);
    if (close < 0 || line.mid(at + 1, close - at - 1).contains(u'[') || close + 1 >= line.size() ||
        line[close + 1] != u' ')
        return std::nullopt;
    const QStringView inside = line.mid(at + 1, close - at - 1);
    const qsizetype address = inside.lastIndexOf(u" @ ");
    if (address < 0)
        return std::nullopt;
    // The context's address, as the system's C library writes a pointer: "0x5f" on Linux,
    // "00007ffffe8a4400" on Windows.
    QStringView hex = inside.mid(address + 3);
    if (hex.startsWith(u"0x"))
        hex = hex.mid(2);
    if (hex.isEmpty() || !std::all_of(hex.begin(), hex.end(), IsHexDigit))
        return std::nullopt;
    at = close + 2;
    return inside.left(address);
}

struct ListedStream
{
    qint64 number = 0;
    QStringView kind;  // "Audio", "Video", ...
    QStringView codec; // "aac"
};

// "  Stream #0:1[0x2](und): Audio: aac (LC) ...": one stream in the input's listing.
std::optional<ListedStream> ListedStreamOf(const QString &text)
{
    Scanner scan(text);
    if (scan.skip(IsAsciiSpace) == 0 || !scan.take(u"Stream "))
        return std::nullopt;
    const std::optional<qint64> number = StreamNumber(scan);
    if (!number || scan.skip([](QChar c) { return !IsAsciiSpace(c); }) == 0 ||
        text[scan.position() - 1] != u':' || !scan.take(u" "))
        return std::nullopt;
    const QStringView kind = scan.word();
    if (kind.isEmpty() || !scan.take(u": "))
        return std::nullopt;
    const QStringView codec = scan.word();
    if (codec.isEmpty())
        return std::nullopt;
    return ListedStream{*number, kind, codec};
}

// "  Stream #0:1 -> #0:0 (aac (native) -> mp3 (libmp3lame))": an input stream that goes
// into the output.
std::optional<qint64> MappedStream(const QString &text)
{
    Scanner scan(text);
    if (scan.skip(IsAsciiSpace) == 0 || !scan.take(u"Stream "))
        return std::nullopt;
    const std::optional<qint64> from = StreamNumber(scan);
    if (!from || !scan.take(u" -> ") || !StreamNumber(scan) || IsWordChar(scan.peek()))
        return std::nullopt;
    return from;
}

// "Input #0, " and the like: the head of a section of the listing.
bool IsHead(const QString &text, QStringView name)
{
    Scanner scan(text);
    return scan.take(name) && scan.number() && scan.take(u", ");
}

// Names -ss, -t, -to or -frames, as an option on its own.
bool NamesCutOption(const QString &message)
{
    for (qsizetype dash = message.indexOf(u'-'); dash >= 0;
         dash = message.indexOf(u'-', dash + 1)) {
        if (dash > 0 && !IsAsciiSpace(message[dash - 1]) && message[dash - 1] != u'(')
            continue;
        Scanner scan(message, dash + 1);
        const QStringView option = scan.word();
        if (option == u"ss" || option == u"t" || option == u"to" || option == u"frames")
            return true;
    }
    return false;
}

// Its advice at the end, "(check -ss / -t / -frames parameters if used)", names options the
// user never typed: the cut panel set them.
QString WithoutOptionHint(const QString &message)
{
    const QStringView hint = u"(check -ss ";
    for (qsizetype open = message.indexOf(hint); open >= 0;
         open = message.indexOf(hint, open + 1)) {
        const qsizetype close = message.indexOf(u')', open + hint.size());
        if (close < 0 || !std::all_of(message.begin() + close + 1, message.end(), IsAsciiSpace))
            continue;
        qsizetype from = open;
        while (from > 0 && IsAsciiSpace(message[from - 1]))
            --from;
        return message.left(from);
    }
    return message;
}
} // namespace

LogLine ParseLogLine(const QString &line, LogLevel previous)
{
    // "[name @ 0x...] " contexts, the inner one last (newer converters nest up to three), then
    // the level; the text follows after one space.
    static const QStringList names = {QStringLiteral("panic"), QStringLiteral("fatal"),
                                      QStringLiteral("error"), QStringLiteral("warning"),
                                      QStringLiteral("info"),  QStringLiteral("verbose"),
                                      QStringLiteral("debug"), QStringLiteral("trace")};
    qsizetype at = 0;
    QStringView source;
    while (const std::optional<QStringView> name = Context(line, at))
        source = *name;
    const qsizetype contextsEnd = at;
    const qsizetype close = at < line.size() && line[at] == u'[' ? line.indexOf(u']', at + 1) : -1;
    const qsizetype index = close < 0 ? -1 : names.indexOf(line.mid(at + 1, close - at - 1));
    if (index < 0)
        return {previous, line, QString(), line, false};
    at = close + 1;
    if (at < line.size() && line[at] == u' ')
        ++at;
    const auto level = static_cast<LogLevel>(int(LogLevel::Panic) + int(index));
    const QString message = line.mid(at);
    return {level, line.left(contextsEnd) + message, source.toString(), message, true};
}

std::optional<double> DurationFromLogLine(const QString &line)
{
    // "  Duration: 00:10:00.00, start: ..."
    Scanner scan(line);
    scan.skip(IsAsciiSpace);
    if (!scan.take(u"Duration:"))
        return std::nullopt;
    scan.skip(IsAsciiSpace);
    const std::optional<qint64> hours = scan.number();
    if (!hours || !scan.take(u":"))
        return std::nullopt;
    const std::optional<int> minutes = scan.twoDigits();
    if (!minutes || !scan.take(u":"))
        return std::nullopt;
    const qsizetype secondsAt = scan.position();
    if (!scan.twoDigits())
        return std::nullopt;
    qsizetype secondsEnd = scan.position();
    if (scan.take(u".") && scan.skip(IsAsciiDigit) > 0)
        secondsEnd = scan.position();
    const double seconds = QStringView(line).mid(secondsAt, secondsEnd - secondsAt).toDouble();
    return double(*hours) * 3600 + *minutes * 60 + seconds;
}

bool IsConverterSummaryLine(const QString &line)
{
    // Each of these follows the line that named the problem, or says only that there was one.
    static const QStringView wrappers[] = {
        u"size=",
        u"Conversion failed!",
        u"Exiting normally",
        u"Error opening input files:",
        u"Error opening output files:",
        u"Terminating thread with return code",
        u"Nothing was written into output file",
        u"Error marking filters as finished",
        u"No filtered frames for output stream",
        u"Task finished with error code",
        u"Error while filtering:",
        u"Error sending frames to consumers",
    };
    Scanner scan(line);
    scan.skip(IsAsciiSpace);
    for (const QStringView wrapper : wrappers) {
        if (scan.take(wrapper))
            return true;
    }
    // "Error opening output file /v/a.mp3.": which file, not why.
    for (const QStringView opening :
         {u"Error opening input file ", u"Error opening output file "}) {
        if (scan.take(opening))
            return line.trimmed().endsWith(u'.') && !line.contains(u": ");
    }
    if (!scan.take(u"video:"))
        return false;
    scan.skip(IsAsciiSpace);
    return IsAsciiDigit(scan.peek());
}

bool ConverterLog::mayBeQuoted(const LogLine &line) const
{
    const QString &message = line.message;
    // Notes on what the converter assumed, not on what went wrong.
    if (IsConverterSummaryLine(message) || message.startsWith(u"Guessed Channel Layout"))
        return false;
    if (!cut && NamesCutOption(message))
        return false;
    return !isAboutThePicture(line.source);
}

bool ConverterLog::isAboutThePicture(const QString &source) const
{
    // "h264", or newer converters' "dec:h264", "vist#0:0/h264" and "vf#0:0".
    QStringView name(source);
    if (name.startsWith(u"vist#") || name.startsWith(u"vost#") || name.startsWith(u"vf#"))
        return true;
    if (name.startsWith(u"dec:"))
        name = name.mid(4);
    return videoCodecs.contains(name.toString());
}

QString ConverterLog::addLine(const QString &line)
{
    const LogLine parsed = ParseLogLine(line, level);
    level = parsed.level;
    const QString &text = parsed.text;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return text;
    // The converter tags every line it starts; an untagged one goes on with the line before,
    // and may be anything the video holds (a tag's value, broken over lines).
    const bool tagged = parsed.tagged;
    const bool listingLine = tagged && level == LogLevel::Info && IsAsciiSpace(text.front());
    const bool inputHead = tagged && IsHead(text, u"Input #");
    const bool outputHead = tagged && IsHead(text, u"Output #");
    const bool mappingHead = tagged && text.startsWith(u"Stream mapping:");
    // A listing of the input or the output prints the video's tags as they are, and a tag's
    // name may hold line breaks and text that looks like the converter's own. Whatever is said
    // inside a listing, which then goes on, was the video's text.
    if (listing != Listing::None &&
        (listingLine || (listing == Listing::Input && (outputHead || mappingHead)))) {
        pendingError.clear();
        pendingWarning.clear();
    }
    if (inputHead)
        listing = Listing::Input;
    else if (outputHead)
        listing = Listing::Output;
    else if (mappingHead)
        listing = Listing::None;

    if (!duration)
        duration = DurationFromLogLine(text);
    if (listing == Listing::Input && listingLine) {
        if (const std::optional<ListedStream> listed = ListedStreamOf(text)) {
            if (listed->kind == u"Video")
                videoCodecs << listed->codec.toString();
            if (listed->kind == u"Audio")
                audioStreams << listed->number;
        }
    }
    // The audio that becomes the MP3; a cover picture may go into it too.
    if (const std::optional<qint64> from = listingLine ? MappedStream(text) : std::nullopt) {
        if (!converted && audioStreams.contains(*from))
            converted = int(*from);
        else if (!audioStreams.contains(*from))
            picture = true;
    }

    const bool error =
        level == LogLevel::Panic || level == LogLevel::Fatal || level == LogLevel::Error;
    // A line without a tag only goes on with the one before, which already spoke.
    if ((error || level == LogLevel::Warning) && tagged && mayBeQuoted(parsed)) {
        const QString said = WithoutOptionHint(parsed.message.trimmed());
        if (listing == Listing::None) {
            (error ? lastError : lastWarning) = said;
            (error ? pendingError : pendingWarning).clear();
        } else {
            (error ? pendingError : pendingWarning) = said;
        }
    }
    return text;
}

QString ConverterLog::quotedLine() const
{
    const QString &error = pendingError.isEmpty() ? lastError : pendingError;
    const QString &warning = pendingWarning.isEmpty() ? lastWarning : pendingWarning;
    return error.isEmpty() ? warning : error;
}

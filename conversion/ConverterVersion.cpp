#include "conversion/ConverterVersion.h"

#include "platform/DesktopServices.h"

#include <QPointer>
#include <QTimer>

QString ConverterRelease::toString() const
{
    QString text = QString::number(major) + u'.' + QString::number(minor);
    return micro > 0 ? text + u'.' + QString::number(micro) : text;
}

std::optional<ConverterRelease> ConverterVersionFrom(const QByteArray &answer)
{
    const QString first = QString::fromUtf8(answer.left(answer.indexOf('\n'))).trimmed();
    const QString marker = QStringLiteral(" version ");
    const qsizetype at = first.indexOf(marker);
    if (at < 0)
        return std::nullopt;
    QString word = first.mid(at + marker.size()).section(u' ', 0, 0);
    // Release tags of the converter's own sources read "n7.1".
    if (word.size() > 1 && word.front() == u'n' && word.at(1).isDigit())
        word.remove(0, 1);
    // "7.1.5-0+deb13u1": the numbers before the packager's suffix. A snapshot reads
    // "N-112233-g1a2b3c" or "2024-05-01-git-...": no release to compare.
    const QString numbers = word.section(u'-', 0, 0).section(u'+', 0, 0).section(u'~', 0, 0);
    const QStringList parts = numbers.split(u'.');
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    int values[3] = {0, 0, 0};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        bool ok = false;
        values[i] = parts.at(i).toInt(&ok);
        if (!ok || values[i] < 0 || !parts.at(i).at(0).isDigit())
            return std::nullopt;
    }
    return ConverterRelease{values[0], values[1], values[2]};
}

QString ConverterRefusal(const QString &program, const QByteArray &answer)
{
    const std::optional<ConverterRelease> version = ConverterVersionFrom(answer);
    if (version && !(*version < kOldestConverter))
        return QString();
    const QString crLf = QStringLiteral("\r\n");
    const QString needed = QStringLiteral("Quillon ha bisogno di ffmpeg ") +
                           kOldestConverter.toString() + QStringLiteral(" o più recente.");
    if (version)
        return QStringLiteral("Questo ffmpeg è troppo vecchio: versione ") + version->toString() +
               QStringLiteral(".") + crLf + needed + crLf + program;
    const QString said = QString::fromUtf8(answer.left(answer.indexOf('\n'))).trimmed();
    return QStringLiteral("Non si riesce a leggere la versione di questo ffmpeg") +
           (said.isEmpty()
                ? QStringLiteral(".")
                : QStringLiteral(", che dice: \"") + said.left(200) + QStringLiteral("\".")) +
           crLf + needed + crLf + program;
}

ConverterCheck::ConverterCheck(DesktopServices &services, QObject *parent)
    : QObject(parent), services(services)
{
}

ConverterCheck::~ConverterCheck()
{
    for (const Query &query : std::as_const(queries)) {
        if (query.state == State::Asking)
            services.stopProgram(query.task);
    }
}

void ConverterCheck::ask(const QString &program)
{
    if (program.isEmpty() || queries.contains(program))
        return;
    queries[program].state = State::Asking;
    QPointer<ConverterCheck> self(this);
    ProgramCallbacks callbacks;
    callbacks.onStandardOutput = [self, program](const QByteArray &chunk) {
        // The first line names the version; the rest lists how it was built.
        if (self && self->queries[program].answer.size() < qsizetype(64) * 1024)
            self->queries[program].answer += chunk;
    };
    callbacks.onEnd = [self, program](const ProcessEnd &end) {
        if (!self)
            return;
        Query &query = self->queries[program];
        query.state = State::Answered;
        query.refusal = end.crashed ? ConverterRefusal(program, QByteArray())
                                    : ConverterRefusal(program, query.answer);
        emit self->answered();
    };
    // The conversion's own start will fail the same way, and say why.
    callbacks.onStartFailed = [self, program](const QString &) {
        if (!self)
            return;
        self->queries[program].state = State::Answered;
        emit self->answered();
    };
    const StartResult started = services.startProgram(program, {QStringLiteral("-version")},
                                                      WindowMode::MaximizedFocus, callbacks);
    if (!started.started()) {
        queries[program].state = State::Answered;
        emit answered();
        return;
    }
    if (queries[program].state != State::Asking)
        return; // answered already
    queries[program].task = started.taskId;
    // A converter that does not answer at all is not one to start conversions with.
    QTimer::singleShot(15000, this, [this, program] {
        if (queries[program].state == State::Asking)
            services.stopProgram(queries[program].task);
    });
}

ConverterCheck::State ConverterCheck::state(const QString &program) const
{
    return queries.value(program).state;
}

QString ConverterCheck::refusal(const QString &program) const
{
    return queries.value(program).refusal;
}

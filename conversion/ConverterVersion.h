#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <optional>
#include <tuple>

class DesktopServices;

// A converter's release number: 7.1.5 (a missing part reads 0).
struct ConverterRelease
{
    int major = 0;
    int minor = 0;
    int micro = 0;
    bool operator<(const ConverterRelease &other) const
    {
        return std::tie(major, minor, micro) < std::tie(other.major, other.minor, other.micro);
    }
    QString toString() const;
};

// The oldest converter that knows every option Quillon passes: -stats_period and the level
// tags of -loglevel came with ffmpeg 4.4.
inline constexpr ConverterRelease kOldestConverter{4, 4, 0};

// The version named in the converter's answer to -version ("ffmpeg version 7.1.5-0+deb13u1
// Copyright ..."); empty when it names none that can be compared, as a build from a
// development snapshot does.
std::optional<ConverterRelease> ConverterVersionFrom(const QByteArray &answer);

// What the user is told about a converter that Quillon cannot use; empty when it can. answer
// is what the converter said to -version.
QString ConverterRefusal(const QString &program, const QByteArray &answer);

// Asks each converter once, in the background, which version it is, so that neither start-up
// nor a click waits for it.
class ConverterCheck : public QObject
{
    Q_OBJECT
public:
    explicit ConverterCheck(DesktopServices &services, QObject *parent = nullptr);
    ~ConverterCheck() override;

    enum class State { Unasked, Asking, Answered };
    // Starts asking program, unless it was asked already.
    void ask(const QString &program);
    State state(const QString &program) const;
    // Once answered: what the user is told when the converter cannot be used, else empty.
    QString refusal(const QString &program) const;

signals:
    void answered();

private:
    struct Query
    {
        State state = State::Unasked;
        qint64 task = 0;
        QByteArray answer;
        QString refusal;
    };
    DesktopServices &services;
    QHash<QString, Query> queries;
};

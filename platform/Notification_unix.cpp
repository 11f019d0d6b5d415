#include "platform/Notification.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

// The freedesktop notification service, on the session bus.
void ShowNotification(const QString &applicationTitle, const QString &summary,
                      const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), QStringLiteral("io.quillon.Quillon")}};
    // Servers may read the body as markup: a file name must stay a file name.
    call << applicationTitle << uint(0) << QStringLiteral("quillon") << summary
         << body.toHtmlEscaped() << QStringList() << hints << int(-1);
    // Sent, never waited for: with no notification service nothing happens.
    bus.send(call);
}

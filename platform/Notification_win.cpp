#include "platform/Notification.h"

#include <QApplication>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

// The notification area's balloon, or the toast Windows makes of it. The icon stays only while
// a message needs it.
void ShowNotification(const QString &applicationTitle, const QString &summary,
                      const QString &body)
{
    constexpr int kShownMs = 10000;
    static QPointer<QSystemTrayIcon> tray;
    static QPointer<QTimer> hide;
    if (!qApp || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    if (!tray) {
        tray = new QSystemTrayIcon(QApplication::windowIcon(), qApp);
        hide = new QTimer(tray);
        hide->setSingleShot(true);
        QObject::connect(hide, &QTimer::timeout, tray, &QSystemTrayIcon::hide);
    }
    tray->setToolTip(applicationTitle);
    tray->show();
    tray->showMessage(summary, body, QSystemTrayIcon::Information, kShownMs);
    hide->start(kShownMs + 1000);
}

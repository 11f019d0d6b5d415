// The smallest Qt Widgets program: shows an empty window, prints the resident memory once it
// is shown, and ends. The yardstick for the program's own start-up.
#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.show();
    QTimer::singleShot(0, &app, [&app] {
        QFile status(QStringLiteral("/proc/self/status"));
        long long rss = 0;
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : status.readAll().split('\n')) {
                if (line.startsWith("VmRSS:"))
                    rss = line.mid(6).trimmed().split(' ').value(0).toLongLong();
            }
        }
        std::printf("rss_kb=%lld\n", rss);
        app.quit();
    });
    return app.exec();
}

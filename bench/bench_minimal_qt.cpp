// The smallest Qt Widgets program: shows an empty window, prints the resident memory once it
// is shown, and ends. The yardstick for the program's own start-up.
#include "ResidentKb.h"

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
        std::printf("rss_kb=%lld\n", ResidentKb());
        app.quit();
    });
    return app.exec();
}

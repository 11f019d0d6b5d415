// Starts as the program does, waits until the main window is shown, prints the resident memory
// then, and ends. bench_minimal_qt does the same for an empty window.
#include "BenchServices.h"
#include "ResidentKb.h"
#include "platform/DesignFonts.h"
#include "ui/main/FrmQuillon.h"

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <cstdio>


int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    LoadDesignFonts();
    BenchServices services;
    FrmQuillon window(services);
    // Once the shown window has been painted, the user sees it.
    QTimer::singleShot(0, &app, [&app] {
        std::printf("rss_kb=%lld\n", ResidentKb());
        app.quit();
    });
    return app.exec();
}

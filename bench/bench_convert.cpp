// Converts one video through the main window, as a user would, and reports how long it took
// and the longest time the window's event loop was kept from running.
//
//   bench_convert VIDEO [START END]    (START and END as H:MM:SS: a cut)
//
// Prints: elapsed_ms=N max_gap_ms=N outcome=TEXT
#include "BenchServices.h"
#include "platform/DesignFonts.h"
#include "ui/main/FrmQuillon.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2 && args.size() != 4) {
        std::fprintf(stderr, "usage: bench_convert VIDEO [START END]\n");
        return 2;
    }
    LoadDesignFonts();
    BenchServices services;
    FrmQuillon window(services);
    window.findChild<QLineEdit *>("txtInput")->setText(args[1]);
    const bool cut = args.size() == 4;
    if (cut) {
        window.findChild<QTimeEdit *>("tSTART")->setTime(QTime::fromString(args[2], "H:mm:ss"));
        window.findChild<QTimeEdit *>("tEND")->setTime(QTime::fromString(args[3], "H:mm:ss"));
        window.findChild<QCheckBox *>("chkCut")->click();
    }

    QElapsedTimer clock, sinceTick;
    qint64 maxGap = 0;
    QTimer ticker;
    ticker.callOnTimeout([&] {
        maxGap = std::max(maxGap, sinceTick.restart());
        if (!services.outcomes.isEmpty())
            app.quit();
    });

    clock.start();
    sinceTick.start();
    ticker.start(0);
    window.findChild<QPushButton *>(cut ? "cmdConvertCut" : "cmdConvert")->click();
    app.exec();
    const qint64 elapsed = clock.elapsed();

    const QString outcome = services.outcomes.value(0);
    std::printf("elapsed_ms=%lld max_gap_ms=%lld outcome=%s\n", elapsed, maxGap,
                outcome.simplified().toUtf8().constData());
    return outcome.contains(QLatin1String("Conversion done!")) ? 0 : 1;
}

// Converts one video through the main window, as a user would, and reports how long it took,
// the longest time the window's event loop was kept from running, and the processor time that
// this process and the converter used over the conversion.
//
//   bench_convert VIDEO [START END]    (START and END as H:MM:SS: a cut)
//
// Prints: elapsed_ms=N max_gap_ms=N own_cpu_ms=N converter_cpu_ms=N outcome=TEXT
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
#include <sys/resource.h>

namespace {
// User and system time, in milliseconds: of this process, or of its children that have ended.
qint64 CpuMs(int who)
{
    rusage usage = {};
    getrusage(who, &usage);
    const auto ms = [](const timeval &t) { return qint64(t.tv_sec) * 1000 + t.tv_usec / 1000; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// The loop is checked a few times a second, not spun: a spinning probe would cost more than
// what it measures. A gap is how late a tick comes beyond its interval.
constexpr int kTickMs = 10;
} // namespace

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
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.callOnTimeout([&] {
        maxGap = std::max(maxGap, sinceTick.restart() - kTickMs);
        if (!services.outcomes.isEmpty())
            app.quit();
    });

    const qint64 ownBefore = CpuMs(RUSAGE_SELF);
    const qint64 childrenBefore = CpuMs(RUSAGE_CHILDREN);
    clock.start();
    sinceTick.start();
    ticker.start(kTickMs);
    window.findChild<QPushButton *>(cut ? "cmdConvertCut" : "cmdConvert")->click();
    app.exec();
    const qint64 elapsed = clock.elapsed();
    const qint64 own = CpuMs(RUSAGE_SELF) - ownBefore;
    const qint64 converter = CpuMs(RUSAGE_CHILDREN) - childrenBefore;

    const QString outcome = services.outcomes.value(0);
    std::printf(
        "elapsed_ms=%lld max_gap_ms=%lld own_cpu_ms=%lld converter_cpu_ms=%lld outcome=%s\n",
        elapsed, std::max<qint64>(0, maxGap), own, converter,
        outcome.simplified().toUtf8().constData());
    return outcome.contains(QLatin1String("Conversion done!")) ? 0 : 1;
}

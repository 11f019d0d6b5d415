// Converts one video through the main window, as a user would: the click comes once the main
// window is on screen. Reports how long the conversion took, the processor time that this
// process and the converter used over it, and this process's time in parts: from the click
// until the conversion's window has been painted (ready), from then to the converter's second
// progress report, a second into its work (listing: the input's details reach the log, the
// prober ends), while the converter works (per second of it, from that report on), and from
// the converter's end to the message (end). With --gaps it also checks the event loop with a
// 10 ms timer and reports the longest time it was kept from running; that timer costs time of
// its own, so the processor figures of such a run are not the program's.
//
//   bench_convert [--gaps] VIDEO [START END]    (START and END as H:MM:SS: a cut)
//
// Prints: elapsed_ms=N max_gap_ms=N own_cpu_ms=N converter_cpu_ms=N ready_cpu_us=N
//         listing_cpu_us=N working_cpu_us_per_s=N end_cpu_us=N outcome=TEXT
#include "BenchServices.h"
#include "platform/DesignFonts.h"
#include "ui/main/FrmQuillon.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>
#if __has_include(<valgrind/callgrind.h>)
// Under callgrind each part gets a profile of its own; elsewhere these do nothing.
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_ZERO_STATS
#define CALLGRIND_DUMP_STATS_AT(name)
#endif

namespace {
// User and system time, in microseconds: of this process, or of its children that have ended.
qint64 CpuUs(int who)
{
    rusage usage = {};
    getrusage(who, &usage);
    const auto us = [](const timeval &t) { return qint64(t.tv_sec) * 1000000 + t.tv_usec; };
    return us(usage.ru_utime) + us(usage.ru_stime);
}

// Notes the moment a window has been painted for the first time.
class FirstPaint : public QObject
{
public:
    QString windowName;
    std::function<void()> whenPainted;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && whenPainted && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->window()->objectName() == windowName) {
            // Once this paint and whatever else was waiting has been done.
            QTimer::singleShot(0, std::exchange(whenPainted, nullptr));
        }
        return false;
    }
};

// The loop is checked a few times a second, not spun: a spinning probe would cost more than
// what it measures. A gap is how late a tick comes beyond its interval.
constexpr int kTickMs = 10;
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    const bool gaps = args.removeAll(QStringLiteral("--gaps")) > 0;
    if (args.size() != 2 && args.size() != 4) {
        std::fprintf(stderr, "usage: bench_convert [--gaps] VIDEO [START END]\n");
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
    ticker.callOnTimeout([&] { maxGap = std::max(maxGap, sinceTick.restart() - kTickMs); });
    int reports = 0;
    qint64 readyUs = -1, reportUs = -1, reportWallMs = 0, converterEndUs = -1,
           converterEndWallMs = 0;
    FirstPaint firstPaint;
    app.installEventFilter(&firstPaint);
    // Looked for only once the converter has ended, so that it costs nothing while it works.
    QTimer told;
    told.setInterval(1);
    told.callOnTimeout([&] {
        if (!services.outcomes.isEmpty())
            app.quit();
    });
    services.onProgramEnd = [&](const QString &program) {
        if (!program.endsWith(QLatin1String("ffmpeg")))
            return; // the prober
        converterEndUs = CpuUs(RUSAGE_SELF);
        converterEndWallMs = clock.elapsed();
        CALLGRIND_DUMP_STATS_AT("working");
        QTimer::singleShot(0, &told, qOverload<>(&QTimer::start));
    };

    qint64 ownBefore = 0, childrenBefore = 0;
    QObject::connect(&window.runningConversions(), &Conversions::started, &app,
                     [&](ConversionJob *job) {
                         QObject::connect(job, &ConversionJob::progressChanged, &app, [&] {
                             // The first report comes with the input's listing, at 0 s.
                             if (++reports != 2)
                                 return;
                             reportUs = CpuUs(RUSAGE_SELF);
                             reportWallMs = clock.elapsed();
                             CALLGRIND_DUMP_STATS_AT("listing");
                         });
                     });
    // The user clicks on a main window that is already on screen, once the converter has said
    // its version: a user's first click comes later than that.
    QTimer clickWhenChecked;
    clickWhenChecked.setInterval(1);
    clickWhenChecked.callOnTimeout([&] {
        if (window.runningConversions().checkingConverter())
            return;
        clickWhenChecked.stop();
        firstPaint.windowName = QStringLiteral("frmConverter");
        firstPaint.whenPainted = [&] {
            readyUs = CpuUs(RUSAGE_SELF);
            CALLGRIND_DUMP_STATS_AT("ready");
        };
        CALLGRIND_ZERO_STATS;
        ownBefore = CpuUs(RUSAGE_SELF);
        childrenBefore = CpuUs(RUSAGE_CHILDREN);
        clock.start();
        sinceTick.start();
        if (gaps)
            ticker.start(kTickMs);
        window.findChild<QPushButton *>(cut ? "cmdConvertCut" : "cmdConvert")->click();
    });
    firstPaint.windowName = QStringLiteral("frmQuillon");
    firstPaint.whenPainted = [&] { clickWhenChecked.start(); };
    app.exec();
    CALLGRIND_DUMP_STATS_AT("end");
    const qint64 endUs = CpuUs(RUSAGE_SELF);
    const qint64 elapsed = clock.elapsed();
    const qint64 own = (endUs - ownBefore) / 1000;
    const qint64 converter = (CpuUs(RUSAGE_CHILDREN) - childrenBefore) / 1000;
    const double workingSeconds =
        double(std::max<qint64>(1, converterEndWallMs - reportWallMs)) / 1000.0;

    const QString outcome = services.outcomes.value(0);
    std::printf("elapsed_ms=%lld max_gap_ms=%lld own_cpu_ms=%lld converter_cpu_ms=%lld "
                "ready_cpu_us=%lld listing_cpu_us=%lld working_cpu_us_per_s=%lld end_cpu_us=%lld "
                "outcome=%s\n",
                elapsed, gaps ? std::max<qint64>(0, maxGap) : -1, own, converter,
                readyUs - ownBefore, reportUs - readyUs,
                qint64(double(converterEndUs - reportUs) / workingSeconds), endUs - converterEndUs,
                outcome.simplified().toUtf8().constData());
    return outcome.contains(QLatin1String("Conversion done!")) ? 0 : 1;
}

// Opens the program's windows at the screen scale given on the command line, as a scaled
// desktop shows them, and saves what they look like: the main window with the cut panel open,
// the About window, a conversion's window, and the main window's Convert button. It says on
// standard output which font the button's caption is drawn in and how big each picture is held.
#include "FakeServices.h"
#include "platform/DesignFonts.h"
#include "ui/main/FrmQuillon.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {
void SayPictures(const QWidget *window)
{
    for (const char *name : {"ImageLogo", "Image1"}) {
        const auto *picture = window->findChild<QLabel *>(QLatin1String(name));
        if (!picture)
            continue;
        const QPixmap pixmap = picture->pixmap();
        std::printf("picture %s %s %d %d %d %d %g\n", qPrintable(window->objectName()), name,
                    picture->width(), picture->height(), pixmap.width(), pixmap.height(),
                    pixmap.devicePixelRatio());
    }
}
} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3)
        return 2;
    qputenv("QT_SCALE_FACTOR", argv[1]);
    QApplication app(argc, argv);
    LoadDesignFonts();
    const QDir out(QString::fromLocal8Bit(argv[2]));

    FakeServices services;
    FrmQuillon main(services);
    if (!QTest::qWaitForWindowExposed(&main))
        return 3;
    // Enabled, and so in black, until the cut panel opens.
    auto *cmdConvert = main.findChild<QPushButton *>(QStringLiteral("cmdConvert"));
    cmdConvert->grab().save(out.filePath(QStringLiteral("cmdConvert.png")));
    const QFontMetricsF metrics(cmdConvert->font());
    std::printf("font cmdConvert %s %d %g\n", qPrintable(QFontInfo(cmdConvert->font()).family()),
                cmdConvert->font().pixelSize(), metrics.capHeight());
    main.findChild<QCheckBox *>(QStringLiteral("chkCut"))->click();
    main.findChild<QAction *>(QStringLiteral("mnuAbout"))->trigger();

    QTemporaryDir clips;
    const QString clip = clips.filePath(QStringLiteral("Concerto.mp4"));
    if (!QFile(clip).open(QIODevice::WriteOnly))
        return 4;
    if (!main.runningConversions().request({clip, {}, {}, {}}))
        return 4;
    services.writeError(0, "[info] Input #0, mov,mp4,m4a,3gp,3g2,mj2, from 'Concerto.mp4':\n"
                           "[info]   Duration: 00:10:00.00, start: 0.000000, bitrate: 92 kb/s\n");
    services.writeOutput(0, "out_time_us=150000000\nprogress=continue\n");
    QTest::qWait(400); // the log pane takes its lines a few times a second

    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        window->grab().save(out.filePath(window->objectName() + QStringLiteral(".png")));
        SayPictures(window);
    }
    std::fflush(stdout);
    return 0;
}

// The fair yardstick for the program's memory: a bare Qt window with the same kinds of widgets
// and text as the main window (menu, picture, labels, line edit, buttons, check box, two time
// pickers), built from Qt alone. Prints the resident memory once it is shown, and ends.
#include "ResidentKb.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("  ..:: Bare  ver. 1.0.0 ::.."));
    window.menuBar()->addAction(QStringLiteral("?"));
    auto *client = new QWidget;
    window.setCentralWidget(client);
    int y = 4;
    const auto place = [&y](QWidget *widget, int height) {
        widget->setGeometry(8, y, 380, height);
        y += height + 2;
    };
    QPixmap picture(73, 65);
    picture.fill(Qt::darkCyan);
    auto *image = new QLabel(client);
    image->setPixmap(picture);
    place(image, 65);
    for (const char *text :
         {"Bare", "extracts audio from a video file",
          "Allows you to extract audio from video files. Supports AVI - FLV-MP4. Released under "
          "the GNU General Public License",
          "Open File Video", "Start time (H:mm:ss)", "End time (H:mm:ss) *",
          "* If is 0:00:00 it's the end of video.", "Diff. in sec", "..", "Start in sec", "..",
          "End in sec", ".."}) {
        auto *label = new QLabel(QString::fromLatin1(text), client);
        label->setWordWrap(true);
        place(label, 16);
    }
    place(new QLineEdit(client), 20);
    for (const char *caption : {"...", "Show File", "Convert", "Convert"})
        place(new QPushButton(QString::fromLatin1(caption), client), 24);
    place(new QCheckBox(QStringLiteral("Cut Video"), client), 24);
    for (int i = 0; i < 2; ++i) {
        auto *picker = new QTimeEdit(QTime(0, 0), client);
        picker->setDisplayFormat(QStringLiteral("H:mm:ss"));
        place(picker, 24);
    }
    window.resize(400, y + 30);
    window.show();
    QTimer::singleShot(0, &app, [&app] {
        std::printf("rss_kb=%lld\n", ResidentKb());
        app.quit();
    });
    return app.exec();
}

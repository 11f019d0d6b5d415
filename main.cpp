#include "platform/DesignFonts.h"
#include "platform/QtDesktopServices.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    LoadDesignFonts();
    QtDesktopServices services;
    return app.exec();
}

#include "platform/DesignFonts.h"
#include "platform/QtDesktopServices.h"
#include "ui/main/FrmQuillon.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    LoadDesignFonts();
    QtDesktopServices services;
    FrmQuillon frmQuillon(services);
    return app.exec();
}

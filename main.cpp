#include "platform/DesignFonts.h"
#include "platform/DesignStyle.h"
#include "platform/QtDesktopServices.h"
#include "platform/TerminationSignals.h"
#include "ui/main/FrmQuillon.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    UseDesignStyle();
    LoadDesignFonts();
    QtDesktopServices services;
    FrmQuillon frmQuillon(services);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &frmQuillon, &FrmQuillon::endAll);
    return app.exec();
}

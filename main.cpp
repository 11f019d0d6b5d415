#include "platform/DesignFonts.h"
#include "platform/DesignStyle.h"
#include "platform/QtDesktopServices.h"
#include "platform/TerminationSignals.h"
#include "ui/main/FrmQuillon.h"

#include <QApplication>
#include <QSessionManager>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    UseDesignStyle();
    LoadDesignFonts();
    QtDesktopServices services;
    FrmQuillon frmQuillon(services);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &frmQuillon, &FrmQuillon::endAll);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &frmQuillon,
                     [&frmQuillon](QSessionManager &) { frmQuillon.endSession(); });
    return app.exec();
}

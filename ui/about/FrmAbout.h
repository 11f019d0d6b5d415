#pragma once

#include <QDialog>

class DesktopServices;
class QLabel;
class QPushButton;

// The About window: title, version, description and the converter's licence note. Modeless
// and on its own; it deletes itself when closed.
class FrmAbout : public QDialog
{
    Q_OBJECT
public:
    // Creates the window and runs its load handler, which shows it.
    explicit FrmAbout(DesktopServices &services);

private:
    void createControls();
    void formLoad();

    DesktopServices &services;
    QLabel *ImageLogo = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDescription = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *lblDisclaimer = nullptr;
    QPushButton *cmdOK = nullptr;
};

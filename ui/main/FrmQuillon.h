#pragma once

#include "conversion/Conversions.h"
#include "platform/DesktopServices.h"

#include <QMainWindow>
#include <QPointer>
#include <array>

class FrmAbout;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;

// The main window: the input row, the Convert buttons and the cut panel.
class FrmQuillon : public QMainWindow
{
    Q_OBJECT
public:
    // Outer heights in twips, title and menu bar included: cut panel closed and open.
    static constexpr int kShortHeight = 3100;
    static constexpr int kTallHeight = 4470;

    // Creates the window and runs its load handler, which shows it.
    explicit FrmQuillon(DesktopServices &services, QWidget *parent = nullptr);
    // The program ends: the windows it opened go with it.
    ~FrmQuillon() override;
    Q_DISABLE_COPY_MOVE(FrmQuillon)

    int outerHeightTwips() const { return outerHeight; }
    const FileChooser &openChooser() const { return DialogOpen; }
    Conversions &runningConversions() { return conversions; }

    // The program is asked to end from outside (a signal, the session's end): every conversion
    // stops as a cancel does, without asking, and the program quits with status 0.
    void endAll();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // The program quits, as at the session's end: as endAll, but done before it returns,
    // since nothing of this program may run once the session has gone on.
    void endSession();
    void createControls();
    void formLoad();
    void setOuterHeightTwips(int twips);
    void acceptChosenPath(const QString &path);

    void mnuAboutClick();
    void cmdOpenClick();
    void cmdShowFileOutputClick();
    void cmdConvertClick();
    void cmdConvertCutClick();
    void chkCutClick();
    void tSTARTChange();
    void tENDChange();
    void updateDifference();

    DesktopServices &services;
    Conversions conversions;
    FileChooser DialogOpen;
    int outerHeight = 0;
    bool painted = false;
    QPointer<FrmAbout> frmAbout;
    QList<QPointer<QWidget>> converterWindows;

    QWidget *client = nullptr;
    QAction *mnuAbout = nullptr;
    QLabel *ImageLogo = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblSubTitle = nullptr;
    QLabel *lblDisclaimer = nullptr;
    QLabel *lblOpen = nullptr;
    QLineEdit *txtInput = nullptr;
    QPushButton *cmdOpen = nullptr;
    QPushButton *cmdShowFileOutput = nullptr;
    QPushButton *cmdConvert = nullptr;
    QCheckBox *chkCut = nullptr;
    QLabel *Label5 = nullptr;
    QTimeEdit *tSTART = nullptr;
    QLabel *Label6 = nullptr;
    QTimeEdit *tEND = nullptr;
    QLabel *Label8 = nullptr;
    std::array<QLabel *, 3> lblTmp{};
    QLabel *M10 = nullptr;
    QLabel *lblStartSec = nullptr;
    QPushButton *cmdConvertCut = nullptr;
    QLabel *lblEndSec = nullptr;
};

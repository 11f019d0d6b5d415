#include "ui/about/FrmAbout.h"

#include "platform/DesignFonts.h"
#include "platform/DesktopServices.h"
#include "ui/Design.h"

#include <QLabel>
#include <QPushButton>

namespace {

// A straight horizontal line drawn as a filled strip.
void AddLine(QWidget *parent, const char *name, int x1, int x2, int y, int widthPixels,
             const QColor &color)
{
    auto *line = new QWidget(parent);
    line->setObjectName(QLatin1String(name));
    line->setGeometry(TwipsToPixels(x1), TwipsToPixels(y), TwipsToPixels(x2) - TwipsToPixels(x1),
                      widthPixels);
    SetBackground(line, color);
}

// The text with word joiners after its slashes, so that a wrapping label moves a web address
// to the next line whole instead of breaking it after "https://".
QString Unbroken(QString text)
{
    return text.replace(QLatin1Char('/'), QStringLiteral("/\u2060"));
}

} // namespace

FrmAbout::FrmAbout(DesktopServices &services) : QDialog(nullptr), services(services)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A dialog frame with a close button only; with no owner window it stays off the taskbar.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(DefaultDesignFont());
    SetBackground(this, kLightGrey);
    setFixedSize(TwipsToPixels(5730), TwipsToPixels(3555));
    createControls();
    formLoad();
}

void FrmAbout::createControls()
{
    const QColor black(Qt::black);

    // Pictures lie lowest, then the separator and the labels; the button lies above everything.
    ImageLogo = AddPicture(this, "ImageLogo", QStringLiteral(":/resources/logo.png"),
                           TwipsRect(0, 0, 2055, 1815));
    Image1 = AddPicture(this, "Image1", QStringLiteral(":/resources/photo.jpg"),
                        TwipsRect(120, 2040, 1035, 1290));
    // An etched separator: a grey line over a two-pixel white one, showing a white highlight.
    AddLine(this, "Line1_0", 120, 5669, 1920, 2, Qt::white);
    AddLine(this, "Line1_1", 120, 5684, 1920, 1, QColor(128, 128, 128));

    lblTitle = AddLabel(this, "lblTitle", QStringLiteral("Quillon"),
                        TwipsRect(1680, 240, 3885, 480), {Tahoma(20.25, false, true), black});
    lblVersion = AddLabel(this, "lblVersion", QStringLiteral("Versione"),
                          TwipsRect(4080, 480, 1245, 225), {Tahoma(9.75), black});
    lblDescription = AddLabel(
        this, "lblDescription", QStringLiteral("Extracts audio from a video file AVI - FLV -MP4"),
        TwipsRect(2040, 840, 2805, 930), {Tahoma(9.75, true), black, Qt::AlignHCenter, true});
    lblDisclaimer = AddLabel(
        this, "lblDisclaimer",
        QStringLiteral("This software use FFmpe. FFmpeg is released under the GNU General Public "
                       "License and the source code is available from ") +
            Unbroken(QStringLiteral("https://ffmpeg.org/download.html")),
        TwipsRect(1440, 2160, 4095, 615), {Tahoma(6.75), kDarkGrey, Qt::AlignLeft, true});

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(TwipsRect(4200, 2760, 1260, 345));
    // Enter presses it as the default button; Esc closes the dialog as its cancel button.
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::close);
}

void FrmAbout::formLoad()
{
    CentreOnScreen(this);
    show();
    cmdOK->setFocus();
    setWindowTitle(QStringLiteral("Informazioni su ") + services.applicationTitle());
    const AppVersion version = services.applicationVersion();
    lblVersion->setText(QStringLiteral("Versione %1.%2.%3")
                            .arg(version.major)
                            .arg(version.minor)
                            .arg(version.revision));
    lblTitle->setText(services.applicationTitle());
}

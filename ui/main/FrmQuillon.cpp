#include "ui/main/FrmQuillon.h"

#include "platform/DesignFonts.h"
#include "ui/Design.h"
#include "ui/about/FrmAbout.h"
#include "ui/converter/FrmConverter.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>
#include <QUrl>
#include <utility>

namespace {

// The designed frame around the client area: 615 twips above (title and menu bar), 45 below.
constexpr int kFrameTwips = 660;
constexpr int kClientWidthTwips = 6225;

// Whole seconds since midnight.
int CutSecondsOf(const QTime &time)
{
    return time.hour() * 3600 + time.minute() * 60 + time.second();
}

// Seconds in the "#,##0" pattern: every three digits grouped with the locale's separator, a
// "-" when negative. Grouped by hand: newer Qt leaves four-digit numbers ungrouped in locales
// whose minimum grouping is two, which the pattern does not.
QString GroupedSeconds(int seconds)
{
    const QLocale locale;
    QString digits = QString::number(qAbs(qint64(seconds)));
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, locale.groupSeparator());
    return seconds < 0 ? locale.negativeSign() + digits : digits;
}

// The one local file that a drag carries, or an empty string.
QString DraggedFile(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1)
        return QString();
    const QUrl url = mime->urls().constFirst();
    if (!url.isLocalFile())
        return QString();
    const QString path = url.toLocalFile();
    return QFileInfo(path).isDir() ? QString() : QDir::toNativeSeparators(path);
}

// A path given on the command line, as a file manager's "Open With" or a terminal gives it.
QString LocalPathOfArgument(const QString &argument)
{
    const QUrl url(argument);
    const QString path = url.isLocalFile() ? url.toLocalFile() : argument;
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// On the designed desktop a check box is a button over its whole rectangle, not only over its
// box and caption.
class WholeCheckBox : public QCheckBox
{
public:
    using QCheckBox::QCheckBox;

protected:
    bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }
};

} // namespace

FrmQuillon::FrmQuillon(DesktopServices &services, QWidget *parent)
    : QMainWindow(parent), services(services), conversions(services)
{
    setObjectName(QStringLiteral("frmQuillon"));
    setWindowTitle(QStringLiteral(".:: Quillon ::."));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowIcon(QIcon(QStringLiteral(":/resources/icon.png")));
    setFont(DefaultDesignFont());
    SetBackground(this, kLightGrey);
    setAcceptDrops(true);
    services.setMessageOwner(this);
    // The session's end. Not at its first question (commitDataRequest): another program may
    // still cancel the logoff, and the conversions must then go on. Qt quits the program when
    // the session really ends, and on Windows it is killed soon after: stopped here, in time.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &FrmQuillon::endSession);

    DialogOpen.dialogTitle = QStringLiteral("Open File Video");
    DialogOpen.filter = QStringLiteral("Tutti i file video");
    DialogOpen.patterns = kVideoFilePattern.split(QLatin1Char(';'));
    DialogOpen.fileName = kVideoFilePattern;

    mnuAbout = menuBar()->addAction(QStringLiteral("?"));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
    connect(mnuAbout, &QAction::triggered, this, &FrmQuillon::mnuAboutClick);

    // Each conversion gets a window of its own, which outlives this one if need be.
    connect(&conversions, &Conversions::started, this, [this](ConversionJob *job) {
        converterWindows.removeAll(nullptr);
        converterWindows.append(new FrmConverter(this->services, job));
    });

    createControls();
    formLoad();
    // Opened with a file: as if it had been chosen. Nothing is converted by itself.
    const QStringList arguments = services.arguments();
    if (!arguments.isEmpty() && !arguments.constFirst().isEmpty())
        acceptChosenPath(LocalPathOfArgument(arguments.constFirst()));
}

FrmQuillon::~FrmQuillon()
{
    for (const QPointer<QWidget> &window : std::as_const(converterWindows))
        delete window.data();
    delete frmAbout.data();
}

void FrmQuillon::createControls()
{
    client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    const QColor black(Qt::black);
    const QColor buttonText = palette().color(QPalette::ButtonText);
    const QColor windowText = palette().color(QPalette::WindowText);
    const LabelStyle seconds{Tahoma(7.5), windowText, Qt::AlignRight};

    // Created from the bottom of the stacking order up: pictures, labels, then the controls.
    ImageLogo = AddPicture(client, "ImageLogo", QStringLiteral(":/resources/logo.png"),
                           TwipsRect(120, 120, 1095, 975));
    lblTitle = AddLabel(client, "lblTitle", QStringLiteral("Quillon"),
                        TwipsRect(960, 360, 2175, 375), {Tahoma(18, false, true), black});
    lblSubTitle =
        AddLabel(client, "lblSubTitle", QStringLiteral("extracts audio from a video file"),
                 TwipsRect(1080, 720, 1935, 255), {Tahoma(6.75), kDarkGrey});
    lblDisclaimer = AddLabel(
        client, "lblDisclaimer",
        QStringLiteral("Quillon allows you to extract audio from video files. Supports AVI - "
                       "FLV-MP4.This software use FFmpe. FFmpeg is released under the GNU General "
                       "Public License"),
        TwipsRect(3240, 240, 2775, 975), {Tahoma(6.75), kDarkGrey, Qt::AlignLeft, true});
    lblOpen = AddLabel(client, "lblOpen", QStringLiteral("Open File Video"),
                       TwipsRect(240, 1320, 1335, 255), {Tahoma(8.25, true), black});
    Label5 = AddLabel(client, "Label5", QStringLiteral("Start time (H:mm:ss)"),
                      TwipsRect(240, 2640, 1935, 255),
                      {Tahoma(8.25, true), buttonText, Qt::AlignLeft, false, kLightGrey});
    Label6 = AddLabel(client, "Label6", QStringLiteral("End time (H:mm:ss) *"),
                      TwipsRect(3240, 2640, 1815, 255),
                      {Tahoma(8.25, true), buttonText, Qt::AlignLeft, false, kLightGrey});
    Label8 = AddLabel(client, "Label8", QStringLiteral("* If is 0:00:00 it's the end of video."),
                      TwipsRect(3240, 2880, 1575, 375),
                      {DefaultDesignFont(), buttonText, Qt::AlignHCenter, true, kLightGrey});
    lblTmp[1] = AddLabel(client, "lblTmp_1", QStringLiteral("Diff. in sec"),
                         TwipsRect(360, 3000, 795, 225), {Tahoma(7.5), windowText});
    M10 = AddLabel(client, "M10", QStringLiteral(".."), TwipsRect(1200, 3000, 555, 225), seconds);
    lblTmp[0] = AddLabel(client, "lblTmp_0", QStringLiteral("Start in sec"),
                         TwipsRect(360, 3240, 795, 225), {Tahoma(7.5), windowText});
    lblStartSec = AddLabel(client, "lblStartSec", QStringLiteral(".."),
                           TwipsRect(1200, 3240, 555, 225), seconds);
    lblTmp[2] = AddLabel(client, "lblTmp_2", QStringLiteral("End in sec"),
                         TwipsRect(360, 3480, 795, 225), {Tahoma(7.5), windowText});
    lblEndSec = AddLabel(client, "lblEndSec", QStringLiteral(".."), TwipsRect(1200, 3480, 555, 225),
                         seconds);

    txtInput = new QLineEdit(client);
    txtInput->setObjectName(QStringLiteral("txtInput"));
    txtInput->setGeometry(TwipsRect(1680, 1320, 3735, 285));
    txtInput->setAcceptDrops(false); // a dropped file is taken by the window as a whole

    const auto addButton = [this](const char *name, const QString &caption, const QRect &rect) {
        auto *button = new QPushButton(caption, client);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(rect);
        button->setAutoDefault(false);
        return button;
    };
    cmdOpen = addButton("cmdOpen", QStringLiteral("..."), TwipsRect(5520, 1320, 495, 255));
    cmdShowFileOutput = addButton("cmdShowFileOutput", QStringLiteral("Show File"),
                                  TwipsRect(3720, 1800, 1095, 375));
    cmdConvert =
        addButton("cmdConvert", QStringLiteral("Convert"), TwipsRect(4920, 1800, 1095, 375));

    chkCut = new WholeCheckBox(QStringLiteral("Cut Video"), client);
    chkCut->setObjectName(QStringLiteral("chkCut"));
    chkCut->setGeometry(TwipsRect(240, 1920, 3135, 375));
    chkCut->setFont(Tahoma(8.25, true));
    QPalette checkPalette = chkCut->palette();
    checkPalette.setColor(QPalette::WindowText, black);
    chkCut->setPalette(checkPalette);
    SetBackground(chkCut, kLightGrey);

    const auto addPicker = [this](const char *name, const QRect &rect) {
        auto *picker = new QTimeEdit(QTime(0, 0, 0), client);
        picker->setObjectName(QLatin1String(name));
        picker->setGeometry(rect);
        picker->setFont(Tahoma(7.5));
        picker->setDisplayFormat(QStringLiteral("H:mm:ss"));
        picker->setCalendarPopup(false);
        picker->setWrapping(true);
        return picker;
    };
    tSTART = addPicker("tSTART", TwipsRect(2040, 2640, 990, 375));
    tEND = addPicker("tEND", TwipsRect(5040, 2640, 990, 375));

    cmdConvertCut =
        addButton("cmdConvertCut", QStringLiteral("Convert"), TwipsRect(4920, 3240, 1095, 375));

    // What a screen reader says: the box and the pickers are named by the labels beside them;
    // a button of dots, or one whose caption another shares, says what it does.
    lblOpen->setBuddy(txtInput);
    Label5->setBuddy(tSTART);
    Label6->setBuddy(tEND);
    cmdOpen->setAccessibleName(QStringLiteral("Choose a video"));
    cmdConvert->setAccessibleName(QStringLiteral("Convert the whole video"));
    cmdConvertCut->setAccessibleName(QStringLiteral("Convert the chosen range"));

    setTabOrder(txtInput, cmdOpen);
    setTabOrder(cmdOpen, chkCut);
    setTabOrder(chkCut, cmdConvert);
    setTabOrder(cmdConvert, cmdShowFileOutput);
    setTabOrder(cmdShowFileOutput, cmdConvertCut);
    setTabOrder(cmdConvertCut, tSTART);
    setTabOrder(tSTART, tEND);

    connect(cmdOpen, &QPushButton::clicked, this, &FrmQuillon::cmdOpenClick);
    connect(cmdShowFileOutput, &QPushButton::clicked, this, &FrmQuillon::cmdShowFileOutputClick);
    connect(cmdConvert, &QPushButton::clicked, this, &FrmQuillon::cmdConvertClick);
    connect(cmdConvertCut, &QPushButton::clicked, this, &FrmQuillon::cmdConvertCutClick);
    connect(chkCut, &QCheckBox::clicked, this, &FrmQuillon::chkCutClick);
    connect(tSTART, &QTimeEdit::timeChanged, this, &FrmQuillon::tSTARTChange);
    connect(tEND, &QTimeEdit::timeChanged, this, &FrmQuillon::tENDChange);
}

void FrmQuillon::formLoad()
{
    // Sized before it is shown, so that it is centred at the size it opens with.
    setOuterHeightTwips(kShortHeight);
    CentreOnScreen(this);
    show();

    const AppVersion version = services.applicationVersion();
    setWindowTitle(QStringLiteral("  ..:: Quillon  ver. %1.%2.%3 ::..")
                       .arg(version.major)
                       .arg(version.minor)
                       .arg(version.revision));
    cmdConvert->setEnabled(true);
    cmdConvertCut->setEnabled(false);
    txtInput->setFocus();
}

void FrmQuillon::endAll()
{
    conversions.stopAll([this] {
        // Their windows would only say "interrupted", to nobody. They go with this window: one
        // may still be inside its own question, which the exit below ends.
        for (const QPointer<QWidget> &window : std::as_const(converterWindows)) {
            if (window)
                window->hide();
        }
        QCoreApplication::exit(0);
    });
}

void FrmQuillon::endSession()
{
    // Windows ends the program soon after telling it, and it must not hold the session up.
    // Without a conversion there is nothing to stop: the version check goes with the program.
    constexpr int kStopWithinMs = 2000;
    if (!conversions.converting())
        return;
    endAll();
    services.finishPrograms(kStopWithinMs);
}

void FrmQuillon::setOuterHeightTwips(int twips)
{
    // The window manager draws the title bar; what lies below it is the menu bar and the client.
    outerHeight = twips;
    client->setFixedSize(TwipsToPixels(kClientWidthTwips), TwipsToPixels(twips - kFrameTwips));
    setFixedSize(client->width(), menuBar()->sizeHint().height() + client->height());
}

void FrmQuillon::acceptChosenPath(const QString &path)
{
    txtInput->setText(path);
    // The next chooser starts in the same folder, with the name before its first "." prefilled.
    DialogOpen.fileName = PathBeforeFirstDot(path);
    if (txtInput->text() == kVideoFilePattern)
        txtInput->clear();
}

void FrmQuillon::mnuAboutClick()
{
    if (!frmAbout)
        frmAbout = new FrmAbout(services);
}

void FrmQuillon::cmdOpenClick()
{
    // A cancel changes nothing: neither what the user typed nor where the chooser starts.
    if (services.showOpen(DialogOpen))
        acceptChosenPath(DialogOpen.fileName);
}

void FrmQuillon::cmdShowFileOutputClick()
{
    const QString video = VideoFileOf(txtInput->text());
    const QString mp3 = video.isEmpty() ? QString() : OutputBaseOf(video);
    if (!mp3.isEmpty() && QFileInfo(mp3).isFile()) {
        services.openFolder(QDir::toNativeSeparators(QFileInfo(mp3).absolutePath()));
        return;
    }
    QString prompt = QStringLiteral("Il file Mp3 non esiste ancora.");
    if (!mp3.isEmpty())
        prompt += QStringLiteral("\r\n") + mp3;
    services.messageBox(prompt, MessageStyle::Information);
}

void FrmQuillon::cmdConvertClick()
{
    conversions.request({txtInput->text(), [this] { txtInput->clear(); }, {}, {}});
}

void FrmQuillon::cmdConvertCutClick()
{
    conversions.request(
        {txtInput->text(), [this] { txtInput->clear(); }, lblStartSec->text(), lblEndSec->text()});
}

void FrmQuillon::chkCutClick()
{
    const bool open = chkCut->isChecked();
    setOuterHeightTwips(open ? kTallHeight : kShortHeight);
    cmdConvert->setEnabled(!open);
    cmdConvertCut->setEnabled(open);
}

void FrmQuillon::tSTARTChange()
{
    lblStartSec->setText(QString::number(CutSecondsOf(tSTART->time())));
    updateDifference();
}

void FrmQuillon::tENDChange()
{
    lblEndSec->setText(QString::number(CutSecondsOf(tEND->time())));
    updateDifference();
}

void FrmQuillon::updateDifference()
{
    M10->setText(GroupedSeconds(CutSecondsOf(tEND->time()) - CutSecondsOf(tSTART->time())));
}

void FrmQuillon::dragEnterEvent(QDragEnterEvent *event)
{
    if (!DraggedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void FrmQuillon::dropEvent(QDropEvent *event)
{
    const QString path = DraggedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    acceptChosenPath(path);
}

void FrmQuillon::paintEvent(QPaintEvent *event)
{
    QMainWindow::paintEvent(event);
    // The converter is asked for its version once the window is on screen, not before: its
    // start would hold the window back (under Windows for tens of milliseconds), and a user
    // clicks later than it answers.
    if (!std::exchange(painted, true))
        QTimer::singleShot(0, &conversions, &Conversions::checkConverter);
}

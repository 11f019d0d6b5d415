#include "FakeServices.h"
#include "conversion/ConversionCommand.h"
#include "conversion/ShortPath.h"
#include "platform/DesignFonts.h"
#include "ui/main/FrmQuillon.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTimeEdit>
#include <QtTest>

namespace {
void touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("data");
}

const char *const kPanelControls[] = {"Label5",   "tSTART",      "Label6",    "tEND",
                                      "Label8",   "M10",         "lblTmp_0",  "lblTmp_1",
                                      "lblTmp_2", "lblStartSec", "lblEndSec", "cmdConvertCut"};
} // namespace

class TestFrmQuillon : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startsAsDesigned();
    void cutPanelIsOutOfViewUntilOpened();
    void checkingTwiceClosesThePanelAgain();
    void tabOrderFollowsTheDesign();
    void pickersFillTheSecondsLabels();
    void endBeforeStartGivesANegativeGroupedDifference();
    void changingOnlyTheEndLeavesTheStartLabel();
    void convertUsesTheTypedPath();
    void patternInTheBoxIsClearedByConvert();
    void cutWithUntouchedPickersConvertsFromTheStart();
    void cutUsesTheSecondsLabels();
    void chooserConfirmFillsTheBoxAndRemembersTheName();
    void chooserCancelChangesNothing();
    void chooserDottedFolderDoesNotCut();
    void showFileOpensTheFolderOfAnExistingMp3();
    void showFileTellsWhenThereIsNoMp3Yet();
    void droppingOneLocalFileFillsTheBox();
    void droppingAnythingElseIsIgnored();
    void openedWithAFile_data();
    void openedWithAFile();
    void clickAtTheFarEndOfTheCheckBoxOpensThePanel();

private:
    template <typename T> T *control(const char *name)
    {
        T *widget = window->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    QWidget *client() { return window->centralWidget(); }
    void typeInput(const QString &text);
    void setPicker(const char *name, const QString &time);
    void drop(QMimeData *mime);
    void clickCut();
    // The first start's arguments from the range up to the input path, without the protocol
    // limits.
    QStringList inputAndRange() const;

    std::unique_ptr<FakeServices> services;
    std::unique_ptr<FrmQuillon> window;
    std::unique_ptr<QTemporaryDir> dir;
};

void TestFrmQuillon::initTestCase()
{
    LoadDesignFonts();
}

void TestFrmQuillon::init()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    dir = std::make_unique<QTemporaryDir>();
    services = std::make_unique<FakeServices>();
    window = std::make_unique<FrmQuillon>(*services);
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
}

void TestFrmQuillon::cleanup()
{
    window.reset();
    services.reset();
}

void TestFrmQuillon::typeInput(const QString &text)
{
    auto *txtInput = control<QLineEdit>("txtInput");
    txtInput->selectAll();
    QTest::keyClick(txtInput, Qt::Key_Delete);
    QTest::keyClicks(txtInput, text);
}

void TestFrmQuillon::setPicker(const char *name, const QString &time)
{
    // Types each field over its selection, as a user editing in place does.
    auto *picker = control<QTimeEdit>(name);
    picker->setFocus(Qt::TabFocusReason);
    const QStringList fields = time.split(':');
    const QDateTimeEdit::Section sections[] = {
        QDateTimeEdit::HourSection, QDateTimeEdit::MinuteSection, QDateTimeEdit::SecondSection};
    for (int i = 0; i < 3; ++i) {
        picker->setSelectedSection(sections[i]);
        QTest::keyClicks(picker, fields[i].rightJustified(2, '0'));
    }
    QCOMPARE(picker->time().toString("H:mm:ss"), time);
}

QStringList TestFrmQuillon::inputAndRange() const
{
    const QStringList arguments = services->starts.value(0).arguments;
    const qsizetype from = arguments.indexOf("-y") + 1;
    QStringList part = arguments.mid(from, arguments.indexOf("-i") + 2 - from);
    part.removeAll("-protocol_whitelist");
    part.removeAll("file");
    return part;
}

void TestFrmQuillon::clickCut()
{
    // On the box itself, where every desktop takes it.
    auto *chkCut = control<QCheckBox>("chkCut");
    QTest::mouseClick(chkCut, Qt::LeftButton, {}, QPoint(8, chkCut->height() / 2));
}

void TestFrmQuillon::startsAsDesigned()
{
    QCOMPARE(window->windowTitle(), QString("  ..:: Quillon  ver. 1.0.0 ::.."));
    QCOMPARE(window->outerHeightTwips(), 3100);
    QVERIFY(control<QPushButton>("cmdConvert")->isEnabled());
    QVERIFY(!control<QPushButton>("cmdConvertCut")->isEnabled());
    QVERIFY(!control<QCheckBox>("chkCut")->isChecked());
    QCOMPARE(control<QLineEdit>("txtInput")->text(), QString());
    // Once on screen, the converter is asked for its version before anyone clicks.
    QTRY_COMPARE(services->versionQueries.size(), 1);
    for (const char *name : {"lblStartSec", "lblEndSec", "M10"})
        QCOMPARE(control<QLabel>(name)->text(), QString(".."));
    QCOMPARE(control<QTimeEdit>("tSTART")->time(), QTime(0, 0, 0));
    QCOMPARE(control<QTimeEdit>("tEND")->time(), QTime(0, 0, 0));
    QCOMPARE(QApplication::focusWidget(), control<QLineEdit>("txtInput"));

    const QList<QAction *> menu = window->menuBar()->actions();
    QCOMPARE(menu.size(), 1);
    QCOMPARE(menu[0]->text(), QString("?"));
    QVERIFY(!menu[0]->menu());

    // The logo lies on the window's own grey, undithered, at the size it is shown.
    const QImage logo = control<QLabel>("ImageLogo")->pixmap().toImage();
    QCOMPARE(logo.size(), QSize(73, 65));
    QCOMPARE(logo.pixelColor(1, 1), QColor(192, 192, 192));
    QCOMPARE(logo.pixelColor(2, 1), QColor(192, 192, 192));

    // Not resizable, and 6225 twips wide.
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QCOMPARE(client()->width(), 415);
    QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
}

void TestFrmQuillon::cutPanelIsOutOfViewUntilOpened()
{
    const auto bottomOf = [this](const char *name) {
        return control<QWidget>(name)->geometry().bottom();
    };
    QCOMPARE(client()->height(), 163); // 3100 - 660 twips
    for (const char *name : {"chkCut", "cmdConvert", "cmdShowFileOutput", "txtInput", "cmdOpen"})
        QVERIFY2(bottomOf(name) < client()->height(), name);
    for (const char *name : kPanelControls)
        QVERIFY2(control<QWidget>(name)->geometry().top() >= client()->height(), name);

    clickCut();
    QCOMPARE(client()->height(), 254); // 4470 - 660 twips
    for (const char *name : kPanelControls)
        QVERIFY2(bottomOf(name) < client()->height(), name);
    QCOMPARE(window->height(), window->menuBar()->height() + 254);
}

void TestFrmQuillon::checkingTwiceClosesThePanelAgain()
{
    clickCut();
    QCOMPARE(window->outerHeightTwips(), 4470);
    QVERIFY(!control<QPushButton>("cmdConvert")->isEnabled());
    QVERIFY(control<QPushButton>("cmdConvertCut")->isEnabled());
    const QPoint topLeft = window->pos();

    clickCut();
    QCOMPARE(window->outerHeightTwips(), 3100);
    QVERIFY(control<QPushButton>("cmdConvert")->isEnabled());
    QVERIFY(!control<QPushButton>("cmdConvertCut")->isEnabled());
    QCOMPARE(window->pos(), topLeft);
    // Opening and closing the panel leaves the labels alone.
    QCOMPARE(control<QLabel>("lblStartSec")->text(), QString(".."));
}

void TestFrmQuillon::tabOrderFollowsTheDesign()
{
    const auto walk = [this](int steps) {
        QStringList visited;
        for (int i = 0; i < steps; ++i) {
            QWidget *focus = QApplication::focusWidget();
            // A time picker's own edit line has the focus; Tab first walks its three fields.
            if (auto *picker = qobject_cast<QTimeEdit *>(focus ? focus->parentWidget() : nullptr))
                focus = picker;
            visited << (focus ? focus->objectName() : QString("none"));
            const int presses = qobject_cast<QTimeEdit *>(focus) ? 3 : 1;
            for (int p = 0; p < presses; ++p)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        return visited;
    };
    QCOMPARE(walk(8), QStringList({"txtInput", "cmdOpen", "chkCut", "cmdConvert",
                                   "cmdShowFileOutput", "tSTART", "tEND", "txtInput"}));

    clickCut();
    control<QLineEdit>("txtInput")->setFocus();
    QCOMPARE(walk(9), QStringList({"txtInput", "cmdOpen", "chkCut", "cmdShowFileOutput",
                                   "cmdConvertCut", "tSTART", "tEND", "txtInput", "cmdOpen"}));
}

void TestFrmQuillon::pickersFillTheSecondsLabels()
{
    setPicker("tSTART", "0:01:05");
    QCOMPARE(control<QLabel>("lblStartSec")->text(), QString("65"));
    setPicker("tEND", "0:02:10");
    QCOMPARE(control<QLabel>("lblEndSec")->text(), QString("130"));
    QCOMPARE(control<QLabel>("M10")->text(), QString("65"));

    setPicker("tSTART", "1:02:05");
    QCOMPARE(control<QLabel>("lblStartSec")->text(), QString("3725"));
    setPicker("tEND", "0:00:00");
    QCOMPARE(control<QLabel>("lblEndSec")->text(), QString("0"));
}

void TestFrmQuillon::endBeforeStartGivesANegativeGroupedDifference()
{
    setPicker("tSTART", "1:00:00");
    setPicker("tEND", "0:30:00");
    QCOMPARE(control<QLabel>("lblEndSec")->text(), QString("1800"));
    QCOMPARE(control<QLabel>("M10")->text(), QString("-1,800"));

    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    setPicker("tEND", "0:30:01");
    QCOMPARE(control<QLabel>("M10")->text(), QString("-1.799"));
}

void TestFrmQuillon::changingOnlyTheEndLeavesTheStartLabel()
{
    setPicker("tEND", "0:00:42");
    QCOMPARE(control<QLabel>("lblEndSec")->text(), QString("42"));
    QCOMPARE(control<QLabel>("M10")->text(), QString("42"));
    QCOMPARE(control<QLabel>("lblStartSec")->text(), QString(".."));
}

void TestFrmQuillon::convertUsesTheTypedPath()
{
    const QString clip = dir->filePath("my clip.avi");
    touch(clip);
    typeInput(clip);
    QTest::mouseClick(control<QPushButton>("cmdConvert"), Qt::LeftButton);
    QCOMPARE(services->starts.size(), 1);
    QCOMPARE(inputAndRange(), QStringList({"-i", ShortPathOf(clip)}));
}

void TestFrmQuillon::patternInTheBoxIsClearedByConvert()
{
    typeInput("*.avi;*.flv;*.mp4");
    QTest::mouseClick(control<QPushButton>("cmdConvert"), Qt::LeftButton);
    QCOMPARE(control<QLineEdit>("txtInput")->text(), QString());
    QVERIFY(services->messages.isEmpty());

    QTest::mouseClick(control<QPushButton>("cmdConvert"), Qt::LeftButton);
    QCOMPARE(services->messages.size(), 1);
    QCOMPARE(services->messages[0].style, MessageStyle::Information);
    QVERIFY(services->starts.isEmpty());
}

void TestFrmQuillon::cutWithUntouchedPickersConvertsFromTheStart()
{
    const QString clip = dir->filePath("clip.mp4");
    touch(clip);
    typeInput(clip);
    clickCut();
    QTest::mouseClick(control<QPushButton>("cmdConvertCut"), Qt::LeftButton);
    QCOMPARE(services->starts.size(), 1);
    QCOMPARE(inputAndRange(), QStringList({"-ss", "0", "-i", ShortPathOf(clip)}));
}

void TestFrmQuillon::cutUsesTheSecondsLabels()
{
    const QString clip = dir->filePath("clip.flv");
    touch(clip);
    typeInput(clip);
    clickCut();
    setPicker("tSTART", "0:01:05");
    setPicker("tEND", "0:02:10");
    QTest::mouseClick(control<QPushButton>("cmdConvertCut"), Qt::LeftButton);
    QCOMPARE(services->starts.size(), 1);
    QCOMPARE(inputAndRange(), QStringList({"-ss", "65", "-to", "130", "-i", ShortPathOf(clip)}));

    // An end before the start is refused, not passed on.
    setPicker("tEND", "0:00:30");
    QTest::mouseClick(control<QPushButton>("cmdConvertCut"), Qt::LeftButton);
    QCOMPARE(services->starts.size(), 1);
    QCOMPARE(services->messages.last().prompt,
             QString("L'ora di fine deve essere successiva all'ora di inizio."));
}

void TestFrmQuillon::chooserConfirmFillsTheBoxAndRemembersTheName()
{
    services->openAnswers.enqueue(QString("/clips/party.avi"));
    typeInput("something typed");
    QTest::mouseClick(control<QPushButton>("cmdOpen"), Qt::LeftButton);

    QCOMPARE(services->openCalls.size(), 1);
    const FileChooser &first = services->openCalls[0];
    QCOMPARE(first.dialogTitle, QString("Open File Video"));
    QCOMPARE(first.filter, QString("Tutti i file video"));
    QCOMPARE(first.fileName, QString("*.avi;*.flv;*.mp4"));
    QCOMPARE(first.patterns, QStringList({"*.avi", "*.flv", "*.mp4"}));

    QCOMPARE(control<QLineEdit>("txtInput")->text(), QString("/clips/party.avi"));
    QCOMPARE(window->openChooser().fileName, QString("/clips/party"));
    QVERIFY(services->messages.isEmpty());
}

void TestFrmQuillon::chooserCancelChangesNothing()
{
    typeInput("/my/typed/path.avi");
    QTest::mouseClick(control<QPushButton>("cmdOpen"), Qt::LeftButton); // first use, cancelled
    QCOMPARE(control<QLineEdit>("txtInput")->text(), QString("/my/typed/path.avi"));
    QCOMPARE(window->openChooser().fileName, QString("*.avi;*.flv;*.mp4"));

    services->openAnswers.enqueue(QString("/clips/party.avi"));
    QTest::mouseClick(control<QPushButton>("cmdOpen"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>("cmdOpen"), Qt::LeftButton); // later use, cancelled
    QCOMPARE(control<QLineEdit>("txtInput")->text(), QString("/clips/party.avi"));
    QCOMPARE(window->openChooser().fileName, QString("/clips/party"));
    QCOMPARE(services->openCalls.last().fileName, QString("/clips/party"));
    QVERIFY(services->messages.isEmpty());
}

void TestFrmQuillon::chooserDottedFolderDoesNotCut()
{
    services->openAnswers.enqueue(QString("/v/My.Clips/a.avi"));
    QTest::mouseClick(control<QPushButton>("cmdOpen"), Qt::LeftButton);
    QCOMPARE(control<QLineEdit>("txtInput")->text(), QString("/v/My.Clips/a.avi"));
    QCOMPARE(window->openChooser().fileName, QString("/v/My.Clips/a"));
}

void TestFrmQuillon::showFileOpensTheFolderOfAnExistingMp3()
{
    QDir(dir->path()).mkdir("My.Clips");
    const QString clip = dir->filePath("My.Clips/song.take1.avi");
    touch(clip);
    // "song.mp3" here; on Windows named from the short form of the video's name.
    const QString mp3 = OutputBaseOf(ShortPathOf(clip));
    touch(mp3);
    typeInput(clip);
    QTest::mouseClick(control<QPushButton>("cmdShowFileOutput"), Qt::LeftButton);
    QCOMPARE(services->openedFolders,
             QStringList{QDir::toNativeSeparators(QFileInfo(mp3).absolutePath())});
    QVERIFY(services->messages.isEmpty());
}

void TestFrmQuillon::showFileTellsWhenThereIsNoMp3Yet()
{
    const QString clip = dir->filePath("clip.avi");
    touch(clip);
    typeInput(clip);
    QTest::mouseClick(control<QPushButton>("cmdShowFileOutput"), Qt::LeftButton);
    QCOMPARE(services->messages.size(), 1);
    QCOMPARE(services->messages[0].prompt,
             "Il file Mp3 non esiste ancora.\r\n" + OutputBaseOf(ShortPathOf(clip)));
    QCOMPARE(services->messages[0].style, MessageStyle::Information);
    QCOMPARE(services->messages[0].title, QString("Quillon"));

    for (const QString &input : {QString(), dir->filePath("missing.avi"), dir->path()}) {
        typeInput(input);
        QTest::mouseClick(control<QPushButton>("cmdShowFileOutput"), Qt::LeftButton);
        QCOMPARE(services->messages.last().prompt, QString("Il file Mp3 non esiste ancora."));
    }
    QVERIFY(services->openedFolders.isEmpty());
    QCOMPARE(control<QLineEdit>("txtInput")->text(), dir->path()); // the box is left alone
}

void TestFrmQuillon::drop(QMimeData *mime)
{
    const QPoint at = client()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    if (!enter.isAccepted())
        return;
    QDropEvent dropEvent(QPointF(at), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &dropEvent);
}

void TestFrmQuillon::droppingOneLocalFileFillsTheBox()
{
    const QString clip = dir->filePath("dropped.clip.mp4");
    touch(clip);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(clip)});
    drop(&mime);
    QCOMPARE(control<QLineEdit>("txtInput")->text(), QDir::toNativeSeparators(clip));
    QCOMPARE(window->openChooser().fileName, QDir::toNativeSeparators(dir->filePath("dropped")));
}

void TestFrmQuillon::droppingAnythingElseIsIgnored()
{
    const QString a = dir->filePath("a.avi");
    const QString b = dir->filePath("b.avi");
    touch(a);
    touch(b);
    typeInput("kept");
    QMimeData two, remote, folder, text;
    two.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
    remote.setUrls({QUrl("https://example.com/a.avi")});
    folder.setUrls({QUrl::fromLocalFile(dir->path())});
    text.setText(a);
    for (QMimeData *mime : {&two, &remote, &folder, &text})
        drop(mime);
    QCOMPARE(control<QLineEdit>("txtInput")->text(), QString("kept"));
}

void TestFrmQuillon::openedWithAFile_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("nextStart"); // the chooser's next start name
    const QString folder = QDir::tempPath() + "/My.Clips";
    QTest::newRow("path") << QStringList{folder + "/party.avi"} << folder + "/party.avi"
                          << folder + "/party";
    QTest::newRow("file address with escaped characters")
        << QStringList{QUrl::fromLocalFile(QDir::tempPath() + "/Caffè e %.mp4")
                           .toString(QUrl::FullyEncoded)}
        << QDir::tempPath() + "/Caffè e %.mp4" << QDir::tempPath() + "/Caffè e %";
    QTest::newRow("missing file, shown all the same")
        << QStringList{"/nowhere/gone.flv"} << "/nowhere/gone.flv"
        << "/nowhere/gone";
    QTest::newRow("two files: the first counts")
        << QStringList{"/v/first.avi", "/v/second.avi"} << "/v/first.avi"
        << "/v/first";
}

void TestFrmQuillon::openedWithAFile()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, shown);
    QFETCH(QString, nextStart);
    window.reset();
    services->commandLine = arguments;
    window = std::make_unique<FrmQuillon>(*services);
    // As the system writes an absolute path: "Z:\\nowhere\\gone.flv" on Windows.
    const auto native = [](const QString &path) {
        return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    };
    QCOMPARE(control<QLineEdit>("txtInput")->text(), native(shown));
    QCOMPARE(window->openChooser().fileName, native(nextStart));
    QVERIFY(services->starts.isEmpty()); // nothing converts by itself
    QVERIFY(services->messages.isEmpty());
    QCOMPARE(window->windowTitle(), QString("  ..:: Quillon  ver. 1.0.0 ::.."));

    services->openAnswers.enqueue(std::nullopt);
    QTest::mouseClick(control<QPushButton>("cmdOpen"), Qt::LeftButton);
    QCOMPARE(services->openCalls.last().fileName, native(nextStart));
}

void TestFrmQuillon::clickAtTheFarEndOfTheCheckBoxOpensThePanel()
{
    auto *chkCut = control<QCheckBox>("chkCut");
    QCOMPARE(chkCut->width(), 3135 / 15);
    QTest::mouseClick(chkCut, Qt::LeftButton, {},
                      QPoint(chkCut->width() - 2, chkCut->height() - 2));
    QVERIFY(chkCut->isChecked());
    QCOMPARE(window->outerHeightTwips(), 4470);
    QVERIFY(control<QPushButton>("cmdConvertCut")->isEnabled());
}

QTEST_MAIN(TestFrmQuillon)
#include "tst_FrmQuillon.moc"

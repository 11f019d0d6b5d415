#include "FakeServices.h"
#include "platform/DesignFonts.h"
#include "ui/about/FrmAbout.h"
#include "ui/main/FrmQuillon.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

class TestFrmAbout : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void opensWithTitleVersionAndNote();
    void isAModelessDialogOfItsOwn();
    void secondChoiceWhileOpenDoesNothing();
    void closesWithEnterEscAndTheCloseButton_data();
    void closesWithEnterEscAndTheCloseButton();
    void reopensAfresh();
    void programEndsOnlyWhenTheLastWindowCloses();

private:
    FrmAbout *openAbout();
    QList<FrmAbout *> aboutWindows() const;

    std::unique_ptr<FakeServices> services;
    std::unique_ptr<FrmQuillon> main;
};

void TestFrmAbout::initTestCase()
{
    LoadDesignFonts();
}

void TestFrmAbout::init()
{
    services = std::make_unique<FakeServices>();
    main = std::make_unique<FrmQuillon>(*services);
    QVERIFY(QTest::qWaitForWindowExposed(main.get()));
}

void TestFrmAbout::cleanup()
{
    qDeleteAll(aboutWindows());
    main.reset();
}

QList<FrmAbout *> TestFrmAbout::aboutWindows() const
{
    QList<FrmAbout *> found;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *about = qobject_cast<FrmAbout *>(widget))
            found << about;
    }
    return found;
}

FrmAbout *TestFrmAbout::openAbout()
{
    QMenuBar *bar = main->menuBar();
    QAction *mnuAbout = bar->actions().value(0);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(mnuAbout).center());
    const QList<FrmAbout *> found = aboutWindows();
    return found.size() == 1 ? found[0] : nullptr;
}

void TestFrmAbout::opensWithTitleVersionAndNote()
{
    FrmAbout *about = openAbout();
    QVERIFY(about);
    QVERIFY(about->isVisible());
    QCOMPARE(about->windowTitle(), QString("Informazioni su Quillon"));
    QCOMPARE(about->findChild<QLabel *>("lblVersion")->text(), QString("Versione 1.0.0"));
    QCOMPARE(about->findChild<QLabel *>("lblTitle")->text(), QString("Quillon"));
    QCOMPARE(about->findChild<QLabel *>("lblDescription")->text(),
             QString("Extracts audio from a video file AVI - FLV -MP4"));
    // Word joiners keep the address whole when the label wraps; they are not seen.
    const QString note = about->findChild<QLabel *>("lblDisclaimer")->text().remove(QChar(0x2060));
    QCOMPARE(note, QString("This software use FFmpe. FFmpeg is released under the GNU General "
                           "Public License and the source code is available from "
                           "https://ffmpeg.org/download.html"));
    QVERIFY(!about->findChild<QLabel *>("Image1")->pixmap().isNull());
    QVERIFY(!about->findChild<QLabel *>("ImageLogo")->pixmap().isNull());
    QTRY_COMPARE(QApplication::focusWidget(), about->findChild<QPushButton *>("cmdOK"));
}

void TestFrmAbout::isAModelessDialogOfItsOwn()
{
    FrmAbout *about = openAbout();
    QVERIFY(about);
    QVERIFY(!about->parentWidget());
    QVERIFY(!about->isModal());
    const Qt::WindowFlags flags = about->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QCOMPARE(about->minimumSize(), QSize(382, 237));
    QCOMPARE(about->maximumSize(), QSize(382, 237));

    // The main window stays usable while it is open.
    QTest::mouseClick(main->findChild<QPushButton *>("cmdShowFileOutput"), Qt::LeftButton);
    QCOMPARE(services->messages.size(), 1);
}

void TestFrmAbout::secondChoiceWhileOpenDoesNothing()
{
    FrmAbout *first = openAbout();
    QVERIFY(first);
    first->setWindowTitle("changed");
    FrmAbout *second = openAbout();
    QCOMPARE(second, first);
    QCOMPARE(second->windowTitle(), QString("changed")); // its load handler did not run again
}

void TestFrmAbout::closesWithEnterEscAndTheCloseButton_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("Enter") << 0;
    QTest::newRow("Esc") << 1;
    QTest::newRow("title-bar close") << 2;
    QTest::newRow("OK clicked") << 3;
}

void TestFrmAbout::closesWithEnterEscAndTheCloseButton()
{
    QFETCH(int, how);
    FrmAbout *about = openAbout();
    QVERIFY(about);
    QVERIFY(QTest::qWaitForWindowActive(about));
    QPointer<FrmAbout> watch(about);
    switch (how) {
    case 0:
        QTest::keyClick(about, Qt::Key_Return);
        break;
    case 1:
        QTest::keyClick(about, Qt::Key_Escape);
        break;
    case 2:
        about->close();
        break;
    default:
        QTest::mouseClick(about->findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
    }
    QTRY_VERIFY(watch.isNull()); // unloaded, not merely hidden
    QVERIFY(main->isVisible());
}

void TestFrmAbout::reopensAfresh()
{
    FrmAbout *first = openAbout();
    QVERIFY(first);
    first->setWindowTitle("changed");
    first->close();
    QTRY_VERIFY(aboutWindows().isEmpty());
    FrmAbout *second = openAbout();
    QVERIFY(second);
    QCOMPARE(second->windowTitle(), QString("Informazioni su Quillon"));
}

void TestFrmAbout::programEndsOnlyWhenTheLastWindowCloses()
{
    FrmAbout *about = openAbout();
    QVERIFY(about);
    // The program's own event loop decides when to end; run it as the program does.
    bool aboutOpenAfterMainClosed = false;
    QTimer::singleShot(0, main.get(), [this] { main->close(); });
    QTimer::singleShot(200, about, [&aboutOpenAfterMainClosed, about] {
        aboutOpenAfterMainClosed = about->isVisible();
        about->close();
    });
    QTimer guard;
    guard.callOnTimeout([] { QCoreApplication::exit(2); });
    guard.start(10000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(aboutOpenAfterMainClosed);
}

QTEST_MAIN(TestFrmAbout)
#include "tst_FrmAbout.moc"

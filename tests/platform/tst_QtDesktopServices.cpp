#include "platform/QtDesktopServices.h"

#include <QComboBox>
#include <QDBusConnection>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QtTest>

// The real dialogs, driven while they are open.
class TestQtDesktopServices : public QObject
{
    Q_OBJECT
private slots:
    void chooserListsVideosWhateverTheirCase();
    void chooserStartsFromTheRememberedName();
    void messageBoxShowsTextPlainAndAsksWithNoAsDefault();
    void applicationInformation();
    void notificationReachesTheDesktopsService();
};

// Stands in for the desktop's notification service, on a bus of the test's own.
class NotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QVariantList last;
    int calls = 0;

public slots:
    uint Notify(const QString &app, uint replaces, const QString &icon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints,
                int timeout)
    {
        ++calls;
        last = {app, replaces, icon, summary, body, actions, hints, timeout};
        return 7;
    }
};

namespace {
// Runs check on the first modal dialog of type T once it is open, then closes it.
template <typename T> void whenOpen(const std::function<void(T *)> &check)
{
    QTimer::singleShot(0, [check] {
        QTRY_VERIFY(qobject_cast<T *>(QApplication::activeModalWidget()));
        auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
        check(dialog);
        dialog->reject();
    });
}

void touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

QStringList listedNames(QFileDialog *dialog)
{
    auto *view = dialog->findChild<QListView *>("listView");
    QStringList names;
    if (!view)
        return names;
    QAbstractItemModel *model = view->model();
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < model->rowCount(root); ++row)
        names << model->index(row, 0, root).data().toString();
    names.sort();
    return names;
}
} // namespace

void TestQtDesktopServices::chooserListsVideosWhateverTheirCase()
{
    QTemporaryDir dir;
    for (const char *name : {"a.avi", "B.AVI", "c.Flv", "d.mp4", "e.MP4", "notes.txt", "f.mkv"})
        touch(dir.filePath(name));
    QtDesktopServices services;
    FileChooser chooser{
        "Open File Video", "Tutti i file video", {"*.avi", "*.flv", "*.mp4"}, dir.filePath("a")};
    QStringList listed;
    QString filterShown;
    whenOpen<QFileDialog>([&](QFileDialog *dialog) {
        QTRY_COMPARE(listedNames(dialog).size(), 5);
        listed = listedNames(dialog);
        filterShown = dialog->findChild<QComboBox *>("fileTypeCombo")->currentText();
    });
    QVERIFY(!services.showOpen(chooser));
    QCOMPARE(listed, QStringList({"B.AVI", "a.avi", "c.Flv", "d.mp4", "e.MP4"}));
    QCOMPARE(filterShown, QString("Tutti i file video"));
    QCOMPARE(chooser.fileName, dir.filePath("a")); // a cancel leaves it alone
}

void TestQtDesktopServices::chooserStartsFromTheRememberedName()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("My.Clips");
    touch(dir.filePath("My.Clips/party.avi"));
    QtDesktopServices services;
    FileChooser chooser{
        "Open File Video", "Tutti i file video", {"*.avi"}, dir.filePath("My.Clips/party")};
    QString folder, name, title;
    whenOpen<QFileDialog>([&](QFileDialog *dialog) {
        folder = dialog->directory().absolutePath();
        name = dialog->findChild<QLineEdit *>("fileNameEdit")->text();
        title = dialog->windowTitle();
    });
    services.showOpen(chooser);
    QCOMPARE(folder, dir.filePath("My.Clips"));
    QCOMPARE(name, QString("party"));
    QCOMPARE(title, QString("Open File Video"));
}

void TestQtDesktopServices::messageBoxShowsTextPlainAndAsksWithNoAsDefault()
{
    QtDesktopServices services;
    const auto openQuestion = [] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
                return box;
        }
        return static_cast<QMessageBox *>(nullptr);
    };
    // Closed without an answer, then answered yes: neither waits inside ask.
    for (const MessageAnswer expected : {MessageAnswer::No, MessageAnswer::Yes}) {
        std::optional<MessageAnswer> answer;
        services.ask("Il file <b>x</b>.mp3 esiste già.\r\nVuoi sostituirlo?",
                     [&answer](MessageAnswer given) { answer = given; });
        QVERIFY(!answer);
        QTRY_VERIFY(openQuestion());
        QPointer<QMessageBox> box = openQuestion();
        QCOMPARE(box->text(), QString("Il file <b>x</b>.mp3 esiste già.\nVuoi sostituirlo?"));
        QCOMPARE(box->windowTitle(), QString("Quillon"));
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QCOMPARE(box->standardButton(box->defaultButton()), QMessageBox::No);
        if (expected == MessageAnswer::Yes)
            box->button(QMessageBox::Yes)->click();
        else
            box->close();
        QTRY_COMPARE(answer, std::optional<MessageAnswer>(expected));
        QTRY_VERIFY(box.isNull());
    }
}

void TestQtDesktopServices::applicationInformation()
{
    QtDesktopServices services;
    QCOMPARE(services.applicationTitle(), QString("Quillon"));
    const AppVersion version = services.applicationVersion();
    QCOMPARE(QString("%1.%2.%3").arg(version.major).arg(version.minor).arg(version.revision),
             QString("1.0.0"));
    QCOMPARE(services.applicationFolder(), QCoreApplication::applicationDirPath());
    QVERIFY(!services.applicationFolder().endsWith('/'));
}

void TestQtDesktopServices::notificationReachesTheDesktopsService()
{
    QProcess daemon;
    daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    if (!daemon.waitForStarted())
        QSKIP("no dbus-daemon here");
    const auto stop = qScopeGuard([&daemon] {
        daemon.kill();
        daemon.waitForFinished();
    });
    QVERIFY(daemon.waitForReadyRead(10000));
    const QByteArray address = daemon.readLine().trimmed();
    // Read by the program's bus connection when it is first used.
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromLatin1(address), "service");
    QVERIFY(bus.isConnected());
    NotificationService service;
    QVERIFY(bus.registerObject("/org/freedesktop/Notifications", &service,
                               QDBusConnection::ExportAllSlots));
    QVERIFY(bus.registerService("org.freedesktop.Notifications"));

    QtDesktopServices services;
    services.notify("a <b> & c.avi", "Audio più corto del previsto: 5 s su 10 s.\r\n<i>x</i>");
    QTRY_COMPARE_WITH_TIMEOUT(service.calls, 1, 10000);
    QCOMPARE(service.last.value(0).toString(), QString("Quillon"));
    QCOMPARE(service.last.value(2).toString(), QString("quillon"));
    QCOMPARE(service.last.value(3).toString(), QString("a <b> & c.avi"));
    // The body may be read as markup: what the message says must come through as text.
    QCOMPARE(service.last.value(4).toString(),
             QString("Audio più corto del previsto: 5 s su 10 s.\n&lt;i&gt;x&lt;/i&gt;"));
    QCOMPARE(service.last.value(6).toMap().value("desktop-entry").toString(),
             QString("io.quillon.Quillon"));

    // No service on the bus: nothing happens, and nothing waits for an answer.
    QVERIFY(bus.unregisterService("org.freedesktop.Notifications"));
    QElapsedTimer sending;
    sending.start();
    services.notify("gone.avi", "Code : 1 Conversion done! ");
    qInfo("notify with no service returned after %lld ms", sending.elapsed());
    QTest::qWait(200);
    QCOMPARE(service.calls, 1);
    QDBusConnection::disconnectFromBus("service");
}

QTEST_MAIN(TestQtDesktopServices)
#include "tst_QtDesktopServices.moc"

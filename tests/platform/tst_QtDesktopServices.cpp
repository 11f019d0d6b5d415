#include "platform/QtDesktopServices.h"

#include <QComboBox>
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
};

namespace {
// Runs check on the first modal dialog of type T once it is open, then closes it.
template <typename T> void whenOpen(std::function<void(T *)> check)
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
    QString text, title;
    Qt::TextFormat format = Qt::AutoText;
    QAbstractButton *defaultButton = nullptr;
    QMessageBox::StandardButton defaultIs = QMessageBox::NoButton;
    whenOpen<QMessageBox>([&](QMessageBox *box) {
        text = box->text();
        title = box->windowTitle();
        format = box->textFormat();
        defaultButton = box->defaultButton();
        defaultIs = box->standardButton(defaultButton);
    });
    const MessageAnswer answer = services.messageBox(
        "Il file <b>x</b>.mp3 esiste già.\r\nVuoi sostituirlo?", MessageStyle::Question);
    QCOMPARE(answer, MessageAnswer::No);
    QCOMPARE(text, QString("Il file <b>x</b>.mp3 esiste già.\nVuoi sostituirlo?"));
    QCOMPARE(title, QString("Quillon"));
    QCOMPARE(format, Qt::PlainText);
    QCOMPARE(defaultIs, QMessageBox::No);
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

QTEST_MAIN(TestQtDesktopServices)
#include "tst_QtDesktopServices.moc"

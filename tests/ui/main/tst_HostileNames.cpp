#include "FakeServices.h"
#include "TestClips.h"
#include "platform/DesignFonts.h"
#include "ui/main/FrmQuillon.h"

#include <QDirIterator>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <fcntl.h>
#include <unistd.h>

// Whatever a video is called, the converter gets its path as one argument, the MP3 lands
// beside it under the expected name, and nothing else is created or run.
class TestHostileNames : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void convertsWhateverTheName_data();
    void convertsWhateverTheName();
    void folderNamedLikeAVideoStartsNothing();
    void nameThatIsNotUtf8StartsNothing();

private:
    void enterPath(const QString &path);
    QStringList filesUnder(const QString &folder) const;

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<FakeServices> services;
    std::unique_ptr<FrmQuillon> window;
};

void TestHostileNames::initTestCase()
{
    LoadDesignFonts();
}

void TestHostileNames::init()
{
    dir = std::make_unique<QTemporaryDir>();
    services = std::make_unique<FakeServices>();
    services->realProcesses = true;
    services->pathConverter = QUILLON_FFMPEG;
    window = std::make_unique<FrmQuillon>(*services);
}

void TestHostileNames::cleanup()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget != window.get())
            delete widget;
    }
    window.reset();
    services.reset();
}

void TestHostileNames::enterPath(const QString &path)
{
    auto *txtInput = window->findChild<QLineEdit *>("txtInput");
    txtInput->clear();
    const bool typeable = std::all_of(path.begin(), path.end(),
                                      [](QChar c) { return c.isPrint() && c.unicode() < 0x80; });
    if (typeable)
        QTest::keyClicks(txtInput, path);
    else
        txtInput->insert(path); // pasted: tabs, newlines and other scripts are not typed here
    QCOMPARE(txtInput->text(), path);
}

QStringList TestHostileNames::filesUnder(const QString &folder) const
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

void TestHostileNames::convertsWhateverTheName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("mp3");
    const auto row = [](const char *label, const QString &name, const QString &mp3) {
        QTest::newRow(label) << name << mp3;
    };
    row("spaces", "a clip.avi", "a clip.mp3");
    row("two spaces in a row", "two  spaces.avi", "two  spaces.mp3");
    row("tab", "tab\there.avi", "tab\there.mp3");
    row("quotes", "it's \"quoted\".avi", "it's \"quoted\".mp3");
    row("backslash", "back\\slash.avi", "back\\slash.mp3");
    row("semicolon", "semi;colon.avi", "semi;colon.mp3");
    row("and-and", "a && b.avi", "a && b.mp3");
    row("pipe", "a | b.avi", "a | b.mp3");
    row("command substitution", "$(touch pwned).avi", "$(touch pwned).mp3");
    row("backquote", "`touch pwned`.avi", "`touch pwned`.mp3");
    row("leading dash", "-leading.avi", "-leading.mp3");
    row("option-like name", "-y.avi", "-y.mp3");
    row("colon", "a:b.avi", "a:b.mp3");
    row("file protocol", "file:x.avi", "file:x.mp3");
    row("http protocol", "http:x.avi", "http:x.mp3");
    row("concat protocol", "concat:x.avi", "concat:x.mp3");
    row("pipe protocol", "pipe:0.mp4", "pipe:0.mp3");
    row("printf pattern", "%d.avi", "%d.mp3");
    row("star", "star*.flv", "star*.mp3");
    row("question mark", "what?.mp4", "what?.mp3");
    row("accented Italian", "perché è così.avi", "perché è così.mp3");
    row("Chinese", QString::fromUtf8("音乐视频.mp4"), QString::fromUtf8("音乐视频.mp3"));
    row("emoji", QString::fromUtf8("🎵 song.flv"), QString::fromUtf8("🎵 song.mp3"));
    row("newline", "new\nline.avi", "new\nline.mp3");
    row("250-byte name", QString(246, 'x') + ".avi", QString(246, 'x') + ".mp3");
    QString deep;
    while (deep.size() <= 1024)
        deep += QString(100, 'd') + "/";
    row("path deeper than 1024 characters", deep + "deep.avi", deep + "deep.mp3");
}

void TestHostileNames::convertsWhateverTheName()
{
    QFETCH(QString, name);
    QFETCH(QString, mp3);
    const QString clip = dir->filePath(name);
    QVERIFY(QDir().mkpath(QFileInfo(clip).absolutePath()));
    QVERIFY(MakeClip(clip, 1));
    const QStringList before = filesUnder(dir->path());
    QCOMPARE(before.size(), 1);

    enterPath(clip);
    QTest::mouseClick(window->findChild<QPushButton *>("cmdConvert"), Qt::LeftButton);
    QCOMPARE(services->starts.size(), 1);
    const QStringList arguments = services->starts[0].arguments;
    QCOMPARE(arguments.count(clip), 1);
    QCOMPARE(arguments.at(arguments.indexOf("-i") + 1), clip);

    QTRY_VERIFY_WITH_TIMEOUT(!services->messages.isEmpty(), 60000);
    QCOMPARE(services->messages[0].style, MessageStyle::Plain);
    QVERIFY(services->messages[0].prompt.endsWith(" Conversion done! "));
    QStringList expected = {name, mp3};
    expected.sort();
    QCOMPARE(filesUnder(dir->path()), expected);
    QVERIFY(!QFileInfo::exists("pwned"));
}

void TestHostileNames::folderNamedLikeAVideoStartsNothing()
{
    QVERIFY(QDir(dir->path()).mkdir("x.avi"));
    enterPath(dir->filePath("x.avi"));
    QTest::mouseClick(window->findChild<QPushButton *>("cmdConvert"), Qt::LeftButton);
    QCOMPARE(services->messages.size(), 1);
    QCOMPARE(services->messages[0].prompt,
             "Il file video non esiste:\r\n" + dir->filePath("x.avi"));
    QVERIFY(services->starts.isEmpty());
}

void TestHostileNames::nameThatIsNotUtf8StartsNothing()
{
    const QByteArray raw = QFile::encodeName(dir->path()) + "/bad\xff\xfe name.avi";
    const int fd = ::open(raw.constData(), O_CREAT | O_WRONLY, 0644);
    QVERIFY(fd >= 0);
    ::close(fd);
    // Qt reads the name's bytes as UTF-8, as a chooser or a dropped file would hand it over.
    const QString path = QString::fromUtf8(raw);
    QVERIFY(path.contains(QChar::ReplacementCharacter));

    enterPath(path);
    QTest::mouseClick(window->findChild<QPushButton *>("cmdConvert"), Qt::LeftButton);
    QCOMPARE(services->messages.size(), 1);
    QCOMPARE(services->messages[0].style, MessageStyle::Warning);
    QCOMPARE(services->messages[0].prompt, "Il file video non esiste:\r\n" + path);
    QVERIFY(services->starts.isEmpty());
    QCOMPARE(::unlink(raw.constData()), 0); // still there, and nothing beside it
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

QTEST_MAIN(TestHostileNames)
#include "tst_HostileNames.moc"

#include "platform/QtDesktopServices.h"

#include "platform/Notification.h"

#include "Version.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QUrl>
#include <memory>
#include <utility>

StartResult QtDesktopServices::startProgram(const QString &program, const QStringList &arguments,
                                            WindowMode, ProgramCallbacks callbacks)
{
    // The window mode is honoured by the window that shows the conversion.
    return starter.start(program, arguments, callbacks);
}

void QtDesktopServices::stopProgram(qint64 taskId)
{
    starter.stop(taskId);
}

void QtDesktopServices::finishPrograms(int withinMs)
{
    starter.finishAll(withinMs);
}

QString caseInsensitivePattern(const QString &pattern)
{
    QString result;
    for (const QChar c : pattern) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            result += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        else
            result += c;
    }
    return result;
}

bool QtDesktopServices::showOpen(FileChooser &chooser)
{
    QFileDialog dialog(QApplication::activeWindow(), chooser.dialogTitle);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    QStringList patterns;
    for (const QString &pattern : chooser.patterns)
        patterns << caseInsensitivePattern(pattern);
    // The type list shows the description alone; the patterns only narrow the listing.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilter(chooser.filter + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) +
                         QLatin1Char(')'));

    const bool isPattern =
        chooser.fileName.contains(QLatin1Char('*')) || chooser.fileName.contains(QLatin1Char('?'));
    if (!chooser.fileName.isEmpty() && !isPattern) {
        const QFileInfo start(QDir::fromNativeSeparators(chooser.fileName));
        dialog.setDirectory(start.absolutePath());
        dialog.selectFile(start.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    chooser.fileName = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    return true;
}

void QtDesktopServices::openFolder(const QString &folder)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

QString QtDesktopServices::findExecutable(const QString &name) const
{
    return QStandardPaths::findExecutable(name);
}

void QtDesktopServices::notify(const QString &summary, const QString &body)
{
    QString text = body;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    ShowNotification(applicationTitle(), summary, text);
}

bool QtDesktopServices::applicationActive() const
{
    return QApplication::activeWindow() != nullptr;
}

QStringList QtDesktopServices::arguments() const
{
    return QCoreApplication::arguments().mid(1);
}

QString QtDesktopServices::applicationFolder() const
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString QtDesktopServices::applicationTitle() const
{
    return QStringLiteral("Quillon");
}

AppVersion QtDesktopServices::applicationVersion() const
{
    return {kVersionMajor, kVersionMinor, kVersionRevision};
}

QtDesktopServices::~QtDesktopServices()
{
    // Messages nobody answered before the program ended; those over the owner went with it.
    for (const QPointer<QMessageBox> &box : std::as_const(openMessages))
        delete box.data();
}

void QtDesktopServices::setMessageOwner(QWidget *window)
{
    owner = window;
}

QWidget *QtDesktopServices::messageParent() const
{
    // Never the active window: that may be a conversion's, which closes itself when it ends,
    // and would take the message with it.
    return owner && owner->isVisible() ? owner.data() : nullptr;
}

namespace {
QMessageBox::Icon IconOf(MessageStyle style)
{
    switch (style) {
    case MessageStyle::Plain:
        break;
    case MessageStyle::Critical:
        return QMessageBox::Critical;
    case MessageStyle::Question:
        return QMessageBox::Question;
    case MessageStyle::Warning:
        return QMessageBox::Warning;
    case MessageStyle::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}
} // namespace

QMessageBox *QtDesktopServices::openBox(const QString &prompt, MessageStyle style,
                                        const QString &title)
{
    QString text = prompt;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    auto *box = new QMessageBox(messageParent());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(title);
    box->setTextFormat(Qt::PlainText); // file names must never be read as markup
    box->setText(text);
    box->setIcon(IconOf(style));
    openMessages.removeAll(nullptr);
    openMessages.append(box);
    return box;
}

void QtDesktopServices::showMessage(const QString &prompt, MessageStyle style,
                                    const QString &title)
{
    // Nothing waits for this answer: waiting here would run every other conversion's end
    // inside this box, under windows that may close meanwhile.
    QMessageBox *box = openBox(prompt, style, title);
    box->setStandardButtons(QMessageBox::Ok);
    box->open();
}

void QtDesktopServices::showQuestion(const QString &prompt, const QString &title,
                                     std::function<void(MessageAnswer)> answered)
{
    QMessageBox *box = openBox(prompt, MessageStyle::Question, title);
    box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    // Replacing a file is the destructive answer: it must be chosen, not defaulted to.
    box->setDefaultButton(QMessageBox::No);
    box->setEscapeButton(QMessageBox::No);
    // Closed by its title bar's button, it is a No.
    auto reply = std::make_shared<std::function<void(MessageAnswer)>>(std::move(answered));
    QObject::connect(box, &QMessageBox::finished, box, [box, reply](int) {
        if (*reply)
            std::exchange(*reply, {})(box->clickedButton() == box->button(QMessageBox::Yes)
                                          ? MessageAnswer::Yes
                                          : MessageAnswer::No);
    });
    box->open();
}

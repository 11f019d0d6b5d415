#include "platform/QtDesktopServices.h"

#include "Version.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QUrl>

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
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    QString text = body;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), QStringLiteral("io.quillon.Quillon")}};
    // Servers may read the body as markup: a file name must stay a file name.
    call << applicationTitle() << uint(0) << QStringLiteral("quillon") << summary
         << text.toHtmlEscaped() << QStringList() << hints << int(-1);
    // Sent, never waited for: with no notification service nothing happens.
    bus.send(call);
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

MessageAnswer QtDesktopServices::showMessage(const QString &prompt, MessageStyle style,
                                             const QString &title)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText); // file names must never be read as markup
    QString text = prompt;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    box.setText(text);
    switch (style) {
    case MessageStyle::Plain:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MessageStyle::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageStyle::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MessageStyle::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageStyle::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    if (style == MessageStyle::Question) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        // Replacing a file is the destructive answer: it must be chosen, not defaulted to.
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MessageAnswer::Ok;
}

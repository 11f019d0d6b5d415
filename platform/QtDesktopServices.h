#pragma once

#include "platform/DesktopServices.h"
#include "platform/ProcessStarter.h"

#include <QList>
#include <QPointer>

class QMessageBox;

// The desktop services on Qt: dialogs, processes and application information.
class QtDesktopServices : public DesktopServices
{
public:
    QtDesktopServices() = default;
    ~QtDesktopServices() override;
    Q_DISABLE_COPY_MOVE(QtDesktopServices)

    void setMessageOwner(QWidget *window) override;
    StartResult startProgram(const QString &program, const QStringList &arguments, WindowMode mode,
                             ProgramCallbacks callbacks) override;
    void stopProgram(qint64 taskId) override;
    void finishPrograms(int withinMs) override;
    bool showOpen(FileChooser &chooser) override;
    void openFolder(const QString &folder) override;
    QString findExecutable(const QString &name) const override;
    void notify(const QString &summary, const QString &body) override;
    bool applicationActive() const override;
    QStringList arguments() const override;
    QString applicationFolder() const override;
    QString applicationTitle() const override;
    AppVersion applicationVersion() const override;

protected:
    void showMessage(const QString &prompt, MessageStyle style, const QString &title) override;
    void showQuestion(const QString &prompt, const QString &title,
                      std::function<void(MessageAnswer)> answered) override;

private:
    QWidget *messageParent() const;
    // A box that deletes itself once closed, not shown yet.
    QMessageBox *openBox(const QString &prompt, MessageStyle style, const QString &title);

    ProcessStarter starter;
    QPointer<QWidget> owner;
    QList<QPointer<QMessageBox>> openMessages; // shown and not yet closed
};

// A file-name pattern that matches whatever the letter case: "*.avi" -> "*.[aA][vV][iI]".
QString caseInsensitivePattern(const QString &pattern);

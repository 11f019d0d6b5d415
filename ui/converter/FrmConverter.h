#pragma once

#include "conversion/ConversionEnd.h"

#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class ConversionJob;
class DesktopServices;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

// Shows one conversion while it runs: what is converted, its progress and the converter's own
// output. Closes itself on success; after a failure it stays open on the converter's output.
class FrmConverter : public QWidget
{
    Q_OBJECT
public:
    // The converter's own lines kept in view; older ones scroll away for good.
    static constexpr int kMaxLogLines = 3000;
    static constexpr int kLogFlushMs = 250;

    FrmConverter(DesktopServices &services, ConversionJob *job);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void cmdCancelClick();
    // Asks the user, without waiting, and stops the conversion on a yes; with thenClose the
    // window also goes then.
    void confirmCancel(bool thenClose);
    void closeAgreed();
    void showProgress(int percent, qint64 elapsedMs, qint64 remainingMs);
    void showEnd(JobEnd kind);
    void updateTitle();
    void flushLog();

    DesktopServices &services;
    QPointer<ConversionJob> job;
    QString videoName;
    int percent = 0;
    bool finished = false;
    bool asking = false;      // the cancel question is open
    bool closeOnYes = false;  // it was asked by closing the window
    bool agreedToClose = false;
    QStringList pendingLines; // for the log, not yet shown
    QTimer logFlush;

    QLabel *lblVideo = nullptr;
    QLabel *lblMp3 = nullptr;
    QProgressBar *prgProgress = nullptr;
    QLabel *lblTime = nullptr;
    QPlainTextEdit *txtLog = nullptr;
    QPushButton *cmdCancel = nullptr;
};

// The command as a line for the log, with arguments that hold spaces or quotes in quotes.
QString ShowableCommand(const QString &program, const QStringList &arguments);

// "m:ss", or "h:mm:ss" from an hour on.
QString FormatDuration(qint64 ms);

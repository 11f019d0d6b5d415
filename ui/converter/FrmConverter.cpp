#include "ui/converter/FrmConverter.h"

#include "conversion/ConversionJob.h"
#include "platform/DesktopServices.h"
#include "ui/converter/ProgressBar.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

QString FormatDuration(qint64 ms)
{
    const qint64 seconds = std::max<qint64>(0, ms / 1000);
    const qint64 h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    if (h > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(h)
            .arg(m, 2, 10, QLatin1Char('0'))
            .arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}

QString ShowableCommand(const QString &program, const QStringList &arguments)
{
    QStringList shown{program};
    for (const QString &argument : arguments) {
        const bool quote =
            argument.isEmpty() || std::any_of(argument.begin(), argument.end(), [](QChar c) {
                return c.isSpace() || c == QLatin1Char('"') || c == QLatin1Char('\'');
            });
        shown << (quote ? QLatin1Char('"') + argument + QLatin1Char('"') : argument);
    }
    return shown.join(QLatin1Char(' '));
}

FrmConverter::FrmConverter(DesktopServices &services, ConversionJob *job)
    : QWidget(nullptr), services(services), job(job)
{
    setObjectName(QStringLiteral("frmConverter"));
    setAttribute(Qt::WA_DeleteOnClose);
    const ConversionJob::Setup &setup = job->setup();
    videoName = setup.videoName;

    lblVideo = new QLabel(QStringLiteral("Video: ") + setup.input, this);
    lblVideo->setObjectName(QStringLiteral("lblVideo"));
    lblMp3 = new QLabel(QStringLiteral("Mp3: ") + setup.outputBase, this);
    lblMp3->setObjectName(QStringLiteral("lblMp3"));
    for (QLabel *label : {lblVideo, lblMp3}) {
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }

    prgProgress = new ProgressBar(this);
    prgProgress->setObjectName(QStringLiteral("prgProgress"));
    // Busy only once the input turns out to have no length. Qt's Fusion style keeps animating
    // a bar that was busy until its value passes the minimum, repainting it 60 times a second.
    prgProgress->setRange(0, 100);
    prgProgress->setValue(0);
    lblTime = new QLabel(this);
    lblTime->setObjectName(QStringLiteral("lblTime"));

    txtLog = new QPlainTextEdit(this);
    txtLog->setObjectName(QStringLiteral("txtLog"));
    txtLog->setReadOnly(true);
    txtLog->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtLog->setMaximumBlockCount(kMaxLogLines);

    prgProgress->setAccessibleName(QStringLiteral("Avanzamento della conversione"));
    txtLog->setAccessibleName(QStringLiteral("Messaggi di ffmpeg"));

    cmdCancel = new QPushButton(QStringLiteral("Annulla"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblVideo);
    layout->addWidget(lblMp3);
    layout->addWidget(prgProgress);
    layout->addWidget(lblTime);
    layout->addWidget(txtLog, 1);
    layout->addLayout(buttons);

    connect(cmdCancel, &QPushButton::clicked, this, &FrmConverter::cmdCancelClick);
    connect(job, &ConversionJob::durationKnown, this,
            [this](bool known) { prgProgress->setRange(0, known ? 100 : 0); });
    connect(job, &ConversionJob::progressChanged, this, &FrmConverter::showProgress);
    // Lines reach the pane a few times a second at most: each append lays out and repaints.
    logFlush.setSingleShot(true);
    logFlush.setInterval(kLogFlushMs);
    logFlush.callOnTimeout(this, &FrmConverter::flushLog);
    connect(job, &ConversionJob::outputLines, this, [this](const QStringList &lines) {
        pendingLines << lines;
        // A converter that floods the log between two flushes must not fill the memory with
        // lines the pane would drop.
        if (pendingLines.size() > qsizetype(2) * kMaxLogLines)
            pendingLines.erase(pendingLines.begin(), pendingLines.end() - kMaxLogLines);
        if (!logFlush.isActive())
            logFlush.start();
    });
    connect(job, &ConversionJob::ended, this, &FrmConverter::showEnd);

    updateTitle();
    resize(720, 480);
    if (setup.mode == WindowMode::MaximizedFocus) {
        showMaximized();
        activateWindow();
    } else {
        show();
    }
    // Laid out once, at the width it is shown at.
    txtLog->appendPlainText(ShowableCommand(setup.command.program, setup.command.arguments));
}

void FrmConverter::flushLog()
{
    if (pendingLines.isEmpty())
        return;
    // Only what the pane keeps is laid out.
    if (pendingLines.size() > kMaxLogLines)
        pendingLines.erase(pendingLines.begin(), pendingLines.end() - kMaxLogLines);
    txtLog->appendPlainText(pendingLines.join(QLatin1Char('\n')));
    pendingLines.clear();
}

void FrmConverter::updateTitle()
{
    const QString title = QStringLiteral("%1% - %2 - Quillon").arg(percent).arg(videoName);
    if (title != windowTitle())
        setWindowTitle(title);
}

void FrmConverter::showProgress(int newPercent, qint64 elapsedMs, qint64 remainingMs)
{
    percent = std::max(percent, newPercent);
    if (prgProgress->maximum() != 100)
        prgProgress->setRange(0, 100);
    if (percent != prgProgress->value()) {
        // The bar repaints itself at once; held back, it is painted together with the time.
        prgProgress->setUpdatesEnabled(false);
        prgProgress->setValue(percent);
        prgProgress->setUpdatesEnabled(true);
    }
    QString time = QStringLiteral("Tempo trascorso: ") + FormatDuration(elapsedMs);
    if (remainingMs >= 0)
        // Rounded up: "0:00" left while it still runs would be a promise broken.
        time += QStringLiteral("    Tempo rimanente: ") +
                FormatDuration((remainingMs + 999) / 1000 * 1000);
    if (time != lblTime->text())
        lblTime->setText(time);
    updateTitle();
}

void FrmConverter::showEnd(JobEnd kind)
{
    finished = true;
    logFlush.stop();
    if (kind == JobEnd::Done) {
        // Closing would delete the window under an open question; it closes once answered.
        if (asking)
            hide();
        else
            close();
        return;
    }
    flushLog(); // the converter's last words before the verdict
    cmdCancel->setText(QStringLiteral("Chiudi"));
    switch (kind) {
    case JobEnd::Done:
        break;
    case JobEnd::Cancelled:
        txtLog->appendPlainText(QStringLiteral("Conversione interrotta."));
        break;
    case JobEnd::ShortAudio:
        txtLog->appendPlainText(
            QStringLiteral("Conversione terminata: audio più corto del previsto."));
        break;
    case JobEnd::NoAudio:
    case JobEnd::Failed:
        txtLog->appendPlainText(QStringLiteral("Conversione non riuscita."));
        break;
    }
    if (prgProgress->maximum() == 0)
        prgProgress->setRange(0, 100); // no longer busy
}

void FrmConverter::confirmCancel(bool thenClose)
{
    closeOnYes = closeOnYes || thenClose;
    if (asking)
        return;
    asking = true;
    QPointer<FrmConverter> self(this);
    services.ask(QStringLiteral("Interrompere la conversione?"), [self](MessageAnswer answer) {
        if (!self)
            return;
        self->asking = false;
        const bool close = std::exchange(self->closeOnYes, false);
        if (self->finished) {
            // It ended while the question was open: nothing left to stop. A success hid the
            // window, which goes now.
            if (close || self->isHidden())
                self->closeAgreed();
            return;
        }
        if (answer != MessageAnswer::Yes)
            return;
        if (self->job)
            self->job->cancel();
        if (close)
            self->closeAgreed();
    });
}

void FrmConverter::closeAgreed()
{
    agreedToClose = true;
    // From the event loop: the answer may come inside the close it was asked by.
    QTimer::singleShot(0, this, &QWidget::close);
}

void FrmConverter::cmdCancelClick()
{
    if (finished) {
        close();
        return;
    }
    confirmCancel(false);
}

void FrmConverter::closeEvent(QCloseEvent *event)
{
    if (finished || agreedToClose) {
        event->accept();
        return;
    }
    event->ignore();
    confirmCancel(true);
}

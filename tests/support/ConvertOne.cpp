// Quillon as it starts, with one conversion of the video named on the command line begun at
// once and every question answered yes: for tests that end the program from outside. It says
// on standard output which converter it started and which temporary file that writes.
#include "conversion/ConversionJob.h"
#include "platform/QtDesktopServices.h"
#include "platform/TerminationSignals.h"
#include "ui/main/FrmQuillon.h"

#include <QApplication>
#include <cstdio>

namespace {
class AnswerYes : public QtDesktopServices
{
protected:
    void showMessage(const QString &prompt, MessageStyle, const QString &) override
    {
        std::printf("message %s\n", qPrintable(QString(prompt).replace("\r\n", " ")));
        std::fflush(stdout);
    }
    void showQuestion(const QString &prompt, const QString &title,
                      std::function<void(MessageAnswer)> answered) override
    {
        showMessage(prompt, MessageStyle::Question, title);
        answered(MessageAnswer::Yes);
    }
};
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    AnswerYes services;
    FrmQuillon frmQuillon(services);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &frmQuillon, &FrmQuillon::endAll);
    Conversions &conversions = frmQuillon.runningConversions();
    // At once, or once the converter has said its version.
    QObject::connect(&conversions, &Conversions::started, &app, [](const ConversionJob *job) {
        std::printf("converter %lld\npart %s\n", job->taskId(), qPrintable(job->setup().tempPath));
        std::fflush(stdout);
    });
    if (!conversions.request({QString::fromLocal8Bit(argv[1]), {}, {}, {}}) &&
        !conversions.checkingConverter())
        return 3;
    return app.exec();
}

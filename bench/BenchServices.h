#pragma once

#include "platform/QtDesktopServices.h"

#include <QStringList>
#include <functional>

// The real desktop services, but messages are noted instead of shown (nobody is there to
// answer them), and a question is answered Yes. onProgramEnd runs when the converter or the
// prober has ended, before the program's own end is handled.
class BenchServices : public QtDesktopServices
{
public:
    QStringList messages;
    QStringList outcomes; // the messages that are not questions
    std::function<void(const QString &program)> onProgramEnd;

    StartResult startProgram(const QString &program, const QStringList &arguments, WindowMode mode,
                             ProgramCallbacks callbacks) override
    {
        // The converter's version query is not one of the programs a conversion runs.
        if (onProgramEnd && arguments != QStringList{QStringLiteral("-version")}) {
            callbacks.onEnd = [this, program, end = callbacks.onEnd](const ProcessEnd &ended) {
                onProgramEnd(program);
                if (end)
                    end(ended);
            };
        }
        return QtDesktopServices::startProgram(program, arguments, mode, std::move(callbacks));
    }

protected:
    void showMessage(const QString &prompt, MessageStyle, const QString &) override
    {
        messages << prompt;
        outcomes << prompt;
    }
    void showQuestion(const QString &prompt, const QString &,
                      std::function<void(MessageAnswer)> answered) override
    {
        messages << prompt;
        answered(MessageAnswer::Yes);
    }
};

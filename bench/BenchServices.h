#pragma once

#include "platform/QtDesktopServices.h"

#include <QStringList>

// The real desktop services, but messages are noted instead of shown (nobody is there to
// answer them), and a question is answered Yes.
class BenchServices : public QtDesktopServices
{
public:
    QStringList messages;
    QStringList outcomes; // the messages that are not questions

protected:
    MessageAnswer showMessage(const QString &prompt, MessageStyle style, const QString &) override
    {
        messages << prompt;
        if (style != MessageStyle::Question)
            outcomes << prompt;
        return style == MessageStyle::Question ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
};

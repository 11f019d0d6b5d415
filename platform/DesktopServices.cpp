#include "platform/DesktopServices.h"

DesktopServices::~DesktopServices() = default;

void DesktopServices::messageBox(const QString &prompt, MessageStyle style, const QString &title)
{
    showMessage(prompt, style, title.isEmpty() ? applicationTitle() : title);
}

void DesktopServices::ask(const QString &prompt, std::function<void(MessageAnswer)> answered,
                          const QString &title)
{
    showQuestion(prompt, title.isEmpty() ? applicationTitle() : title, std::move(answered));
}

#include "platform/DesktopServices.h"

DesktopServices::~DesktopServices() = default;

MessageAnswer DesktopServices::messageBox(const QString &prompt, MessageStyle style,
                                          const QString &title)
{
    return showMessage(prompt, style, title.isEmpty() ? applicationTitle() : title);
}

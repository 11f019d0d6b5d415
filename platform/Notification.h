#pragma once

#include <QString>

// Tells the desktop, outside the program's windows, that something happened; the body's lines
// end in "\n". Returns at once, whether or not anything shows it.
void ShowNotification(const QString &applicationTitle, const QString &summary,
                      const QString &body);

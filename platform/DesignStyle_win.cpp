#include "platform/DesignStyle.h"

#include <QApplication>

// The themed styles pad a push button so much that the "..." of a 17-pixel button is cut
// away; the classic style is the one the design was drawn in.
void UseDesignStyle()
{
    QApplication::setStyle(QStringLiteral("windows"));
}

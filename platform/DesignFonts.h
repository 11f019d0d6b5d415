#pragma once

#include <QFont>
#include <QString>

// Makes Tahoma and MS Sans Serif available: the system's own where it has them, otherwise the
// metric-compatible ones that Wine ships. Call once, after the application object exists.
void LoadDesignFonts();

// A font of the design. Sizes are given in points at 96 dots per inch and set in pixels,
// because every rectangle of the windows is fixed in pixels too.
QFont DesignFont(const QString &family, double points, bool bold = false, bool italic = false);

// MS Sans Serif 8.25 pt, the windows' default font. On a scaled screen a face drawn only as
// bitmaps has no glyphs of the size needed, so Tahoma of the same size stands in for it there.
QFont DefaultDesignFont();

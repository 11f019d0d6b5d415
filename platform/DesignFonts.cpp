#include "platform/DesignFonts.h"

#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QtMath>

namespace {
const char *const kWineFontFolder = "/usr/share/wine/fonts";

struct FontFiles
{
    const char *family;
    QStringList files;
};
} // namespace

void LoadDesignFonts()
{
    const FontFiles wanted[] = {
        {"Tahoma", {QStringLiteral("tahoma.ttf"), QStringLiteral("tahomabd.ttf")}},
        {"MS Sans Serif", {QStringLiteral("ms_sans_serif.ttf")}},
    };
    const QDir folder(QString::fromLatin1(kWineFontFolder));
    for (const FontFiles &font : wanted) {
        if (QFontDatabase::hasFamily(QString::fromLatin1(font.family)))
            continue;
        for (const QString &file : font.files) {
            if (folder.exists(file))
                QFontDatabase::addApplicationFont(folder.filePath(file));
        }
    }
}

QFont DesignFont(const QString &family, double points, bool bold, bool italic)
{
    QFont font(family);
    font.setStyleHint(QFont::SansSerif); // the fallback when neither font could be found
    font.setPixelSize(qRound(points * 96.0 / 72.0));
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QFont DefaultDesignFont()
{
    const QString designed = QStringLiteral("MS Sans Serif");
    // Drawn with the unscaled strike, its letters would stand apart at the scaled width.
    const bool scaled = qGuiApp && !qFuzzyCompare(qGuiApp->devicePixelRatio(), 1.0);
    if (scaled && !QFontDatabase::isSmoothlyScalable(designed))
        return DesignFont(QStringLiteral("Tahoma"), 8.25);
    return DesignFont(designed, 8.25);
}

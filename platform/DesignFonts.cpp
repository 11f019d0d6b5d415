#include "platform/DesignFonts.h"

#include <QDir>
#include <QFontDatabase>
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
    return DesignFont(QStringLiteral("MS Sans Serif"), 8.25);
}

#include "ui/Design.h"

#include "platform/DesignFonts.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

QFont Tahoma(double points, bool bold, bool italic)
{
    return DesignFont(QStringLiteral("Tahoma"), points, bold, italic);
}

void CentreOnScreen(QWidget *window)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}

void SetBackground(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(widget->backgroundRole(), color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel *AddLabel(QWidget *parent, const char *name, const QString &text, const QRect &rect,
                 const LabelStyle &style)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(rect);
    label->setFont(style.font);
    label->setAlignment(style.alignment | Qt::AlignTop);
    label->setWordWrap(style.wraps);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, style.textColor);
    label->setPalette(palette);
    if (style.background.isValid())
        SetBackground(label, style.background);
    return label;
}

QLabel *AddPicture(QWidget *parent, const char *name, const QString &resource, const QRect &rect)
{
    auto *picture = new QLabel(parent);
    picture->setObjectName(QLatin1String(name));
    picture->setGeometry(rect);
    picture->setScaledContents(true);
    // Decoded straight to the size shown, in the screen's own pixels: the full pictures would
    // take megabytes to hold, and a smaller one enlarged on a scaled screen looks soft.
    const qreal ratio = picture->devicePixelRatioF();
    const QSize wanted = rect.size() * ratio;
    // From the picture's smaller twin ("-small" before the extension) where that is large
    // enough: decoding the full logo took more than the rest of the main window together.
    const qsizetype dot = resource.lastIndexOf(QLatin1Char('.'));
    QImageReader reader(resource.left(dot) + QStringLiteral("-small") + resource.mid(dot));
    const QSize twin = reader.size(); // from its header alone
    if (!twin.isValid() || twin.width() < wanted.width() || twin.height() < wanted.height())
        reader.setFileName(resource);
    reader.setScaledSize(wanted);
    QPixmap pixmap = QPixmap::fromImage(reader.read());
    pixmap.setDevicePixelRatio(ratio);
    picture->setPixmap(pixmap);
    return picture;
}

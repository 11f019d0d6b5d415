#pragma once

#include <QColor>
#include <QFont>
#include <QRect>

class QLabel;
class QWidget;

// The windows are designed in twips: 1440 per inch, 15 per pixel at 96 dots per inch.
constexpr int TwipsToPixels(int twips)
{
    return (twips * 2 + 15) / 30; // rounded to the nearest pixel
}

inline QRect TwipsRect(int left, int top, int width, int height)
{
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                 TwipsToPixels(height));
}

inline const QColor kLightGrey(192, 192, 192);
inline const QColor kDarkGrey(64, 64, 64);

// Tahoma in the design's size (points at 96 dots per inch).
QFont Tahoma(double points, bool bold = false, bool italic = false);

// Places a window, at its current size, in the middle of the screen.
void CentreOnScreen(QWidget *window);

// Paints a widget's background in one colour.
void SetBackground(QWidget *widget, const QColor &color);

// A label placed and styled as designed. A transparent label draws only its text; an opaque
// one fills its rectangle first. Text is top-aligned as on the designed desktop.
struct LabelStyle
{
    LabelStyle(const QFont &font, const QColor &textColor, Qt::Alignment alignment = Qt::AlignLeft,
               bool wraps = false, const QColor &background = QColor())
        : font(font), textColor(textColor), alignment(alignment), wraps(wraps),
          background(background)
    {
    }

    QFont font;
    QColor textColor;
    Qt::Alignment alignment;
    bool wraps;
    QColor background; // invalid: transparent
};
QLabel *AddLabel(QWidget *parent, const char *name, const QString &text, const QRect &rect,
                 const LabelStyle &style);

// A picture stretched to its rectangle.
QLabel *AddPicture(QWidget *parent, const char *name, const QString &resource, const QRect &rect);

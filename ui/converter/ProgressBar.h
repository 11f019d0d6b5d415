#pragma once

#include <QImage>
#include <QProgressBar>
#include <QStyleOptionProgressBar>

// A progress bar that draws again only what a new value changes. Drawn in full, a maximized
// bar in Qt's Fusion style took most of the converter window's processor time while the
// conversion ran: its chunk is a long antialiased stroke, drawn anew every second.
class ProgressBar : public QProgressBar
{
public:
    using QProgressBar::QProgressBar;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The part of the bar that differs between two drawings that differ in value alone.
    QRegion changedPart(const QStyleOptionProgressBar &before,
                        const QStyleOptionProgressBar &now) const;
    void drawPart(const QStyleOptionProgressBar &option, const QRect &part);

    QImage drawn; // the bar as last drawn, on a transparent ground
    QStyleOptionProgressBar drawnOption;
    const QStyle *drawnStyle = nullptr;
};

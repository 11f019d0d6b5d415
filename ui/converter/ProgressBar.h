#pragma once

#include <QImage>
#include <QProgressBar>
#include <QStyleOptionProgressBar>

// A progress bar that draws again only what a new value changes. Drawn in full, a maximized
// bar in Qt's Fusion style took most of the converter window's processor time while the
// conversion ran: its chunk is a long antialiased stroke, drawn anew every second. In any
// other style, and while busy, it is drawn as Qt draws it.
class ProgressBar : public QProgressBar
{
public:
    explicit ProgressBar(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    enum class Layer { Track, Text }; // the groove with the chunk; the percent over them
    bool drawnInParts(const QStyleOptionProgressBar &option) const;
    // The band around the chunk's end, and that of the text, between two values.
    QRegion endBand(const QStyleOptionProgressBar &before,
                    const QStyleOptionProgressBar &now) const;
    QRegion textBand(const QStyleOptionProgressBar &before,
                     const QStyleOptionProgressBar &now) const;
    void drawLayer(QImage &into, Layer layer, const QStyleOptionProgressBar &option,
                   const QRect &part);

    QImage track; // the groove and the chunk as last drawn, on a transparent ground
    QImage drawn; // the same with the text
    QStyleOptionProgressBar drawnOption;
    const QStyle *drawnStyle = nullptr;
};

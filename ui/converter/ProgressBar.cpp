#include "ui/converter/ProgressBar.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <algorithm>
#include <cmath>

namespace {
// Fusion draws the chunk's end with a 9 pixel pen and a shadow line past it.
constexpr int kEdgeMargin = 8;

bool DifferInValueAlone(const QStyleOptionProgressBar &a, const QStyleOptionProgressBar &b)
{
    return a.rect == b.rect && a.state == b.state && a.direction == b.direction &&
           a.palette == b.palette && a.fontMetrics == b.fontMetrics && a.minimum == b.minimum &&
           a.maximum == b.maximum && a.textAlignment == b.textAlignment &&
           a.textVisible == b.textVisible && a.invertedAppearance == b.invertedAppearance &&
           a.bottomToTop == b.bottomToTop;
}
} // namespace

ProgressBar::ProgressBar(QWidget *parent) : QProgressBar(parent)
{
    // Qt skips the repaint of a value it believes painted already, and it only knows of
    // its own paints.
    connect(this, &QProgressBar::valueChanged, this, qOverload<>(&QWidget::update));
}

bool ProgressBar::drawnInParts(const QStyleOptionProgressBar &option) const
{
    // Only Fusion's drawing is known to keep every pixel away from the chunk's end and the
    // centred text, and to be its groove, chunk and text drawn in that order. A busy bar
    // moves all over; a piece must start on a whole device pixel to be drawn as the whole.
    const qreal ratio = devicePixelRatioF();
    return (option.state & QStyle::State_Horizontal) && !option.invertedAppearance &&
           option.direction == Qt::LeftToRight && option.maximum > option.minimum &&
           ratio == std::floor(ratio) &&
           style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0;
}

QRegion ProgressBar::endBand(const QStyleOptionProgressBar &before,
                             const QStyleOptionProgressBar &now) const
{
    const QRect contents = style()->subElementRect(QStyle::SE_ProgressBarContents, &now, this);
    const auto edge = [&](int value) {
        const qint64 done =
            std::clamp<qint64>(qint64(value) - now.minimum, 0, qint64(now.maximum) - now.minimum);
        return contents.left() + int(done * contents.width() / (qint64(now.maximum) - now.minimum));
    };
    const int from = std::min(edge(before.progress), edge(now.progress));
    const int to = std::max(edge(before.progress), edge(now.progress));
    return QRegion(QRect(from - kEdgeMargin, 0, to - from + 2 * kEdgeMargin, height())) & rect();
}

QRegion ProgressBar::textBand(const QStyleOptionProgressBar &before,
                              const QStyleOptionProgressBar &now) const
{
    if (!now.textVisible)
        return {};
    const int width = std::max(now.fontMetrics.horizontalAdvance(now.text),
                               now.fontMetrics.horizontalAdvance(before.text)) +
                      2 * kEdgeMargin;
    return QRegion(QRect((this->width() - width) / 2, 0, width, height())) & rect();
}

void ProgressBar::drawLayer(QImage &into, Layer layer, const QStyleOptionProgressBar &option,
                            const QRect &part)
{
    // The style sets clips of its own, which would undo one set here; drawn on a piece of
    // the part's size, it cannot touch anything else.
    const qreal ratio = into.devicePixelRatio();
    const QRect pixels(part.topLeft() * ratio, part.size() * ratio);
    QImage piece = layer == Layer::Track
                       ? QImage(pixels.size(), QImage::Format_ARGB32_Premultiplied)
                       : track.copy(pixels);
    piece.setDevicePixelRatio(ratio);
    if (layer == Layer::Track)
        piece.fill(Qt::transparent);
    {
        QPainter painter(&piece);
        // What a painter on the widget itself would start with.
        painter.setFont(font());
        painter.setPen(palette().color(foregroundRole()));
        painter.setBackground(palette().brush(backgroundRole()));
        painter.setLayoutDirection(layoutDirection());
        painter.translate(-part.topLeft());
        // As Qt's common style draws a whole bar, a layer at a time.
        QStyleOptionProgressBar sub = option;
        const auto draw = [&](QStyle::SubElement where, QStyle::ControlElement what) {
            sub.rect = style()->subElementRect(where, &option, this);
            style()->drawControl(what, &sub, &painter, this);
        };
        if (layer == Layer::Track) {
            draw(QStyle::SE_ProgressBarGroove, QStyle::CE_ProgressBarGroove);
            draw(QStyle::SE_ProgressBarContents, QStyle::CE_ProgressBarContents);
        } else if (option.textVisible) {
            draw(QStyle::SE_ProgressBarLabel, QStyle::CE_ProgressBarLabel);
        }
    }
    QPainter painter(&into);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(part.topLeft(), piece);
}

void ProgressBar::paintEvent(QPaintEvent *event)
{
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    if (!drawnInParts(option)) {
        drawn = track = QImage();
        QProgressBar::paintEvent(event);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (drawn.size() != pixels || !qFuzzyCompare(drawn.devicePixelRatio(), ratio) ||
        drawnStyle != style() || !DifferInValueAlone(option, drawnOption)) {
        for (QImage *image : {&track, &drawn}) {
            *image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
            image->setDevicePixelRatio(ratio);
        }
        drawLayer(track, Layer::Track, option, rect());
        drawLayer(drawn, Layer::Text, option, rect());
    } else if (option.progress != drawnOption.progress || option.text != drawnOption.text) {
        const QRegion end = endBand(drawnOption, option);
        for (const QRect &part : end)
            drawLayer(track, Layer::Track, option, part);
        for (const QRect &part : end + textBand(drawnOption, option))
            drawLayer(drawn, Layer::Text, option, part);
    }
    drawnOption = option;
    drawnStyle = style();

    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawImage(QPoint(0, 0), drawn);
}

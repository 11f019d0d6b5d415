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

QRegion ProgressBar::changedPart(const QStyleOptionProgressBar &before,
                                 const QStyleOptionProgressBar &now) const
{
    // Only Fusion's drawing is known to keep every pixel away from the chunk's end and the
    // centred text; a busy bar moves all over.
    const bool plain = (now.state & QStyle::State_Horizontal) && !now.invertedAppearance &&
                       now.direction == Qt::LeftToRight && now.maximum > now.minimum;
    if (!plain || style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
        return rect();
    const QRect contents = style()->subElementRect(QStyle::SE_ProgressBarContents, &now, this);
    const auto edge = [&](int value) {
        const qint64 done =
            std::clamp<qint64>(qint64(value) - now.minimum, 0, qint64(now.maximum) - now.minimum);
        return contents.left() + int(done * contents.width() / (qint64(now.maximum) - now.minimum));
    };
    const int from = std::min(edge(before.progress), edge(now.progress));
    const int to = std::max(edge(before.progress), edge(now.progress));
    QRegion part(QRect(from - kEdgeMargin, 0, to - from + 2 * kEdgeMargin, height()));
    if (now.textVisible || before.textVisible) {
        const int textWidth = std::max(now.fontMetrics.horizontalAdvance(now.text),
                                       now.fontMetrics.horizontalAdvance(before.text)) +
                              2 * kEdgeMargin;
        part += QRect((width() - textWidth) / 2, 0, textWidth, height());
    }
    return part & rect();
}

void ProgressBar::drawPart(const QStyleOptionProgressBar &option, const QRect &part)
{
    // The style sets clips of its own, which would undo one set here; drawn on a piece of
    // the part's size, it cannot touch anything else.
    const qreal ratio = drawn.devicePixelRatio();
    QImage piece((QSizeF(part.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    piece.setDevicePixelRatio(ratio);
    piece.fill(Qt::transparent);
    {
        QPainter painter(&piece);
        // What a painter on the widget itself would start with.
        painter.setFont(font());
        painter.setPen(palette().color(foregroundRole()));
        painter.setBackground(palette().brush(backgroundRole()));
        painter.setLayoutDirection(layoutDirection());
        painter.translate(-part.topLeft());
        style()->drawControl(QStyle::CE_ProgressBar, &option, &painter, this);
    }
    QPainter painter(&drawn);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(part.topLeft(), piece);
}

void ProgressBar::paintEvent(QPaintEvent *event)
{
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    const qreal ratio = devicePixelRatioF();
    QRegion redraw;
    // A piece must start on a whole device pixel to be drawn as the whole bar would be.
    if (drawn.size() != (QSizeF(size()) * ratio).toSize() ||
        !qFuzzyCompare(drawn.devicePixelRatio(), ratio) || ratio != std::floor(ratio) ||
        drawnStyle != style() || !DifferInValueAlone(option, drawnOption)) {
        drawn = QImage((QSizeF(size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
        drawn.setDevicePixelRatio(ratio);
        redraw = rect();
    } else if (option.progress != drawnOption.progress || option.text != drawnOption.text) {
        redraw = changedPart(drawnOption, option);
    }
    for (const QRect &part : redraw)
        drawPart(option, part);
    drawnOption = option;
    drawnStyle = style();

    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawImage(QPoint(0, 0), drawn);
}

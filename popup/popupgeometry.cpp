#include "popup/popupgeometry.h"

#include <QPainter>


#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numeric>

namespace orvenna::popup {

TTaskBarEdge TaskBarEdgeOf(const std::optional<QRect>& taskBar)
{
    if (!taskBar)
        return TTaskBarEdge::Bottom;
    const int left = taskBar->x();
    const int top = taskBar->y();
    const int right = left + taskBar->width();
    const int bottom = top + taskBar->height();
    if (left == top && bottom > right)
        return TTaskBarEdge::Left;
    if (left == top && bottom < right)
        return TTaskBarEdge::Top;
    if (left < top)
        return TTaskBarEdge::Bottom;
    return TTaskBarEdge::Right;
}

bool HasRoom(TTaskBarEdge edge, const QRect& workArea, int offset, int height, int startY)
{
    const int top = workArea.y();
    const int bottom = workArea.y() + workArea.height();
    // Both tests measure against the work area's own edges, not the screen's, so a panel at
    // the opposite edge cannot hide part of the last popup.
    if (edge == TTaskBarEdge::Top)
        return top + startY + offset + height <= bottom;
    return bottom - (startY + offset + height) >= top;
}

QPoint PopupPosition(TTaskBarEdge edge, const QRect& workArea, QSize size, int startX, int startY,
                     int offset)
{
    const int right = workArea.x() + workArea.width();
    const int bottom = workArea.y() + workArea.height();
    switch (edge) {
    case TTaskBarEdge::Left:
        return {startX + workArea.x(), bottom - startY - size.height() - offset};
    case TTaskBarEdge::Top:
        return {right - size.width() - startX, startY + workArea.y() + offset};
    case TTaskBarEdge::Right:
    case TTaskBarEdge::Bottom:
        break;
    }
    return {right - size.width() - startX, bottom - startY - size.height() - offset};
}

QRect Sliver(TTaskBarEdge edge, const QRect& full)
{
    // The sliver is the popup's last line or column on the task-bar side, so the edge that
    // stays put while sliding is where the full popup's edge will be.
    switch (edge) {
    case TTaskBarEdge::Left:
        return {full.x(), full.y(), 1, full.height()};
    case TTaskBarEdge::Top:
        return {full.x(), full.y(), full.width(), 1};
    case TTaskBarEdge::Right:
        return {full.x() + full.width() - 1, full.y(), 1, full.height()};
    case TTaskBarEdge::Bottom:
        break;
    }
    return {full.x(), full.y() + full.height() - 1, full.width(), 1};
}

TSlideStep SlideInStep(TTaskBarEdge edge, const QRect& current, QSize target, int speed,
                       const TSlideAnchor& anchor)
{
    QRect next = current;
    const bool horizontal = edge == TTaskBarEdge::Left || edge == TTaskBarEdge::Right;
    const int now = horizontal ? current.width() : current.height();
    const int full = horizontal ? target.width() : target.height();
    if (now + speed < full) {
        if (edge == TTaskBarEdge::Right)
            next.setLeft(current.left() - speed);
        else if (edge == TTaskBarEdge::Bottom)
            next.setTop(current.top() - speed);
        else if (horizontal)
            next.setWidth(now + speed);
        else
            next.setHeight(now + speed);
        return {next, false};
    }
    const int right = anchor.WorkArea.x() + anchor.WorkArea.width();
    const int bottom = anchor.WorkArea.y() + anchor.WorkArea.height();
    if (edge == TTaskBarEdge::Right)
        next = QRect(right - anchor.StartX - full, current.y(), full, current.height());
    else if (edge == TTaskBarEdge::Bottom)
        next = QRect(current.x(), bottom - anchor.StartY - full - anchor.StackOffset,
                     current.width(), full);
    else if (horizontal)
        next.setWidth(full);
    else
        next.setHeight(full);
    return {next, true};
}

TSlideStep SlideOutStep(TTaskBarEdge edge, const QRect& current, int speed)
{
    QRect next = current;
    const bool horizontal = edge == TTaskBarEdge::Left || edge == TTaskBarEdge::Right;
    const int now = horizontal ? current.width() : current.height();
    if (now - speed <= 0)
        return {current, true};
    if (edge == TTaskBarEdge::Right)
        next.setLeft(current.left() + speed);
    else if (edge == TTaskBarEdge::Bottom)
        next.setTop(current.top() + speed);
    else if (horizontal)
        next.setWidth(now - speed);
    else
        next.setHeight(now - speed);
    return {next, false};
}

QPoint CentredOffset(QSize outer, QSize inner)
{
    // lrint rounds in the default mode: to nearest, ties to even.
    return {int(std::lrint((outer.width() - inner.width()) / 2.0)),
            int(std::lrint((outer.height() - inner.height()) / 2.0))};
}

std::vector<int> ButtonRowWidths(const std::vector<int>& needed, int room)
{
    const int count = static_cast<int>(needed.size());
    std::vector<int> widths(needed.size(), count > 0 ? room / count : 0);
    if (count == 0)
        return widths;
    long long total = 0;
    for (const int width : needed)
        total += std::max(width, 1);
    const bool allFit = std::ranges::all_of(needed, [&](int width) { return width <= widths[0]; });
    if (!allFit) {
        long long before = 0;
        for (int i = 0; i < count; ++i) {
            // Running sums, so that rounding never loses or adds a pixel along the row.
            const long long after = before + std::max(needed[std::size_t(i)], 1);
            widths[std::size_t(i)] = int(after * room / total - before * room / total);
            before = after;
        }
    }
    widths.back() += room - std::accumulate(widths.begin(), widths.end(), 0);
    return widths;
}

QColor BlendColor(const QColor& c1, const QColor& c2, int position, int count)
{
    if (count < 2)
        return c1.toRgb();
    // The popup may not reach the store, so the scaling rule is applied here through lround,
    // which also rounds halves away from zero. count - 1 is at least 1 here, and a quotient of
    // two such small integers lands exactly on a half when it is one.
    auto channel = [position, count](int from, int to) {
        const double step = double(position - 1) * (to - from) / (count - 1);
        return int(from + std::lround(step)) & 0xFF;
    };
    return QColor(channel(c1.red(), c2.red()), channel(c1.green(), c2.green()),
                  channel(c1.blue(), c2.blue()));
}

QImage GradientImage(QSize size, const QColor& c1, const QColor& c2, TOrientation orientation)
{
    QImage image(size, QImage::Format_RGB32);
    const int w = size.width();
    const int h = size.height();
    if (orientation == TOrientation::mbVertical) {
        for (int y = 0; y < h; ++y) {
            const QRgb colour = BlendColor(c1, c2, y + 1, h + 1).rgb();
            std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)), w, colour);
        }
    } else {
        for (int x = 0; x < w; ++x) {
            const QRgb colour = BlendColor(c1, c2, x + 1, w + 1).rgb();
            for (int y = 0; y < h; ++y)
                reinterpret_cast<QRgb*>(image.scanLine(y))[x] = colour;
        }
    }
    return image;
}

QImage TransparentPicture(const QImage& picture)
{
    if (picture.isNull() || picture.hasAlphaChannel())
        return picture;
    QImage result = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = result.pixel(0, result.height() - 1);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        std::replace(line, line + result.width(), key, qRgba(0, 0, 0, 0));
    }
    return result;
}

void DrawPicture(QImage& canvas, const QImage& picture, TSlideImageDrawMethod method)
{
    if (picture.isNull() || canvas.isNull())
        return;
    const QImage see = TransparentPicture(picture);
    QPainter painter(&canvas);
    switch (method) {
    case TSlideImageDrawMethod::dmActualSize:
        painter.drawImage(0, 0, see);
        break;
    case TSlideImageDrawMethod::dmTile:
        for (int x = 0; x < canvas.width(); x += see.width())
            for (int y = 0; y < canvas.height(); y += see.height())
                painter.drawImage(x, y, see);
        break;
    case TSlideImageDrawMethod::dmFit:
        painter.drawImage(QRect(QPoint(0, 0), canvas.size()), see);
        break;
    }
}

}  // namespace orvenna::popup

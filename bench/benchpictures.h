#pragma once
// Generated pictures the benchmarks share.

#include <QImage>

namespace orvenna::bench {

// A photo-like picture: smooth gradients with fine texture, so a JPEG of it is neither trivial
// to decode nor all noise.
inline QImage PhotoLike(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int texture = ((x * 7919 + y * 104729) >> 3) & 31;
            line[x] = qRgb((x * 255 / width + texture) & 255, (y * 255 / height + texture / 2) & 255,
                           ((x + y) / 32 + texture) & 255);
        }
    }
    return image;
}

// A round 26 x 26 day-cell mask of the given colour on a white key, as the shipped one.
inline QImage CellMask(QRgb cell)
{
    QImage mask(26, 26, QImage::Format_RGB32);
    mask.fill(0xffffffff);
    for (int y = 0; y < 26; ++y)
        for (int x = 0; x < 26; ++x)
            if ((x - 12.5) * (x - 12.5) + (y - 12.5) * (y - 12.5) <= 13 * 13)
                mask.setPixel(x, y, cell);
    return mask;
}

}  // namespace orvenna::bench

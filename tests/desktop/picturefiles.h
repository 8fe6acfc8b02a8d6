#pragma once
// Writes generated pictures to files for the wallpaper tests.

#include <QColor>
#include <QImage>
#include <QString>

#include <vector>

namespace orvenna::tests {

// A picture whose every pixel tells where it lies: red = x mod 256, green = y mod 256,
// blue = 16 * (x div 256) + y div 256. Decodes any pixel back to its picture position.
QImage CoordinatePicture(int width, int height);
QPoint PositionOf(QRgb pixel);

// Writes image in a Qt format ("bmp", "png", "jpg"); false when that fails.
bool SavePicture(const QImage& image, const QString& path, const char* format, int quality = 90);

// One frame of a GIF file: indices into the palette, row by row.
struct TGifFrame {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    std::vector<unsigned char> Indices;
    int Transparent = -1;
    bool Interlaced = false;
};
// Writes a GIF with a logical screen of screenWidth x screenHeight, a global palette of up to
// 256 colours and the frames in order. False when giflib refuses.
bool SaveGif(const QString& path, int screenWidth, int screenHeight,
             const std::vector<QColor>& palette, const std::vector<TGifFrame>& frames);

// Writes a width x height JPEG of one CMYK colour (0 = no ink) the way Adobe programs store it.
bool SaveCmykJpeg(const QString& path, int width, int height, const unsigned char (&cmyk)[4]);

// The first bytes of a file (all when count passes its end) written to another file.
bool SaveTruncated(const QString& from, const QString& to, qint64 count);
bool SaveBytes(const QString& path, const QByteArray& bytes);

}  // namespace orvenna::tests

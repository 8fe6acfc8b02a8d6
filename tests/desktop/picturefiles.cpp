#include "tests/desktop/picturefiles.h"

#include <QFile>

#include <cstdio>

#include <gif_lib.h>
#include <jpeglib.h>

namespace orvenna::tests {

QImage CoordinatePicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb(x % 256, y % 256, 16 * (x / 256) + y / 256);
    }
    return image;
}

QPoint PositionOf(QRgb pixel)
{
    return {qRed(pixel) + 256 * (qBlue(pixel) / 16), qGreen(pixel) + 256 * (qBlue(pixel) % 16)};
}

bool SavePicture(const QImage& image, const QString& path, const char* format, int quality)
{
    return image.save(path, format, quality);
}

bool SaveGif(const QString& path, int screenWidth, int screenHeight,
             const std::vector<QColor>& palette, const std::vector<TGifFrame>& frames)
{
    int error = 0;
    GifFileType* gif = EGifOpenFileName(QFile::encodeName(path).constData(), false, &error);
    if (!gif)
        return false;
    std::vector<GifColorType> colours(256);
    for (std::size_t i = 0; i < palette.size() && i < colours.size(); ++i)
        colours[i] = {GifByteType(palette[i].red()), GifByteType(palette[i].green()), GifByteType(palette[i].blue())};
    ColorMapObject* map = GifMakeMapObject(256, colours.data());
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, screenWidth, screenHeight, 8, 0, map) == GIF_OK;
    for (const TGifFrame& frame : frames) {
        GraphicsControlBlock control{};
        control.TransparentColor = frame.Transparent;
        GifByteType extension[4];
        const auto length = EGifGCBToExtension(&control, extension);
        ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_OK;
        ok = ok && EGifPutImageDesc(gif, frame.Left, frame.Top, frame.Width, frame.Height,
                                    frame.Interlaced, nullptr) == GIF_OK;
        // giflib expects interlaced lines in file order; the caller gives them top to bottom.
        std::vector<int> order;
        const int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
        for (int pass = 0; pass < (frame.Interlaced ? 4 : 1); ++pass)
            for (int y = frame.Interlaced ? starts[pass] : 0; y < frame.Height; y += frame.Interlaced ? steps[pass] : 1)
                order.push_back(y);
        for (const int y : order) {
            auto* line = const_cast<GifPixelType*>(frame.Indices.data() + std::size_t(y) * frame.Width);
            ok = ok && EGifPutLine(gif, line, frame.Width) == GIF_OK;
        }
    }
    GifFreeMapObject(map);
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    return ok;
}

bool SaveCmykJpeg(const QString& path, int width, int height, const unsigned char (&cmyk)[4])
{
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);  // writes the Adobe marker for CMYK
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row;
    for (int x = 0; x < width; ++x)
        for (const unsigned char ink : cmyk)
            row.push_back(JSAMPLE(255 - ink));  // Adobe stores 255 for no ink
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&cinfo, &line, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0;
}

bool SaveBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool SaveTruncated(const QString& from, const QString& to, qint64 count)
{
    QFile file(from);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return SaveBytes(to, file.read(count));
}

}  // namespace orvenna::tests

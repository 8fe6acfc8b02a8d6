#include "desktop/picturereader.h"

#include "desktop/gifreader.h"
#include "desktop/jpegreader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace orvenna::desktop {

namespace {

// Hands the pixels to a QImage without copying them; the QImage frees them. JPEG pixels are
// all opaque, which Format_RGB32 tells the compositor.
QImage ToImage(TRawPicture&& raw, QImage::Format format)
{
    if (raw.Width <= 0 || raw.Height <= 0)
        return {};
    auto* pixels = new std::vector<std::uint32_t>(std::move(raw.Pixels));
    return QImage(reinterpret_cast<uchar*>(pixels->data()), raw.Width, raw.Height, raw.Width * 4, format,
                  [](void* owned) { delete static_cast<std::vector<std::uint32_t>*>(owned); },
                  pixels);
}

std::uint32_t LittleEndian(const QByteArray& bytes, int at, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}

// Qt's bitmap reader shows a file cut short as a picture with a blank part and no error; the
// header says how many bytes the pixels need.
void CheckBitmapComplete(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;  // the reader reports it
    const QByteArray head = file.read(34);
    if (head.size() < 26 || !head.startsWith("BM"))
        return;
    const bool core = LittleEndian(head, 14, 4) == 12;  // the old 12-byte header
    if (!core && head.size() < 34)
        return;
    const std::int64_t width = core ? LittleEndian(head, 18, 2) : std::int32_t(LittleEndian(head, 18, 4));
    const std::int64_t height = core ? LittleEndian(head, 20, 2) : std::int32_t(LittleEndian(head, 22, 4));
    const std::int64_t bits = LittleEndian(head, core ? 24 : 28, 2);
    const std::uint32_t compression = core ? 0 : LittleEndian(head, 30, 4);
    if (width <= 0 || (compression != 0 && compression != 3))
        return;  // run-length data has no fixed size; odd headers are the reader's to judge
    const std::int64_t stride = (width * bits + 31) / 32 * 4;
    const std::int64_t rows = std::abs(height);
    // No file holds more than INT64_MAX bytes: a header asking for that many is cut short too.
    const std::int64_t offset = LittleEndian(head, 10, 4);
    if (rows > 0 && stride > (std::numeric_limits<std::int64_t>::max() - offset) / rows)
        throw TPictureError("damaged picture: the bitmap file is cut short");
    if (file.size() < offset + stride * rows)
        throw TPictureError("damaged picture: the bitmap file is cut short");
}

// The 24-bit uncompressed bitmaps this program writes and ships, read here: Qt's reader first
// looks through the image plugins for one that would rather read the format, which costs more
// than reading such a file. A null image for any other layout, a file cut short or one larger
// than Qt's reader takes: those are left to Qt's reader, which tells them as before.
QImage ReadPlainBitmap(const QString& path)
{
    constexpr int HeaderSize = 14 + 40;
    constexpr std::int64_t MaxBytes = 256LL * 1024 * 1024;  // QImageReader's allocation limit
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (bytes.size() < HeaderSize || !bytes.startsWith("BM") || LittleEndian(bytes, 14, 4) != 40
        || LittleEndian(bytes, 26, 2) != 1 || LittleEndian(bytes, 28, 2) != 24
        || LittleEndian(bytes, 30, 4) != 0)
        return {};
    const std::int64_t width = std::int32_t(LittleEndian(bytes, 18, 4));
    const std::int64_t height = std::int32_t(LittleEndian(bytes, 22, 4));
    const std::int64_t offset = LittleEndian(bytes, 10, 4);
    const std::int64_t rows = std::abs(height);
    const std::int64_t stride = (width * 3 + 3) / 4 * 4;
    if (width <= 0 || rows == 0 || width > MaxBytes / 4 || rows > MaxBytes / 4
        || width * rows * 4 > MaxBytes || offset < HeaderSize
        || offset + stride * rows > bytes.size())
        return {};
    QImage image(int(width), int(rows), QImage::Format_RGB32);
    if (image.isNull())
        return {};
    const auto* pixels = reinterpret_cast<const std::uint8_t*>(bytes.constData()) + offset;
    for (int y = 0; y < rows; ++y) {
        // Bottom row first unless the height is negative.
        const std::uint8_t* in = pixels + stride * (height > 0 ? rows - 1 - y : y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x, in += 3)
            out[x] = qRgb(in[2], in[1], in[0]);
    }
    return image;
}

QImage ReadWithQt(const QString& path, const char* format)
{
    if (qstrcmp(format, "bmp") == 0) {
        // A plain bitmap that reads is whole; any other is checked before Qt's reader sees it.
        if (QImage plain = ReadPlainBitmap(path); !plain.isNull())
            return plain;
        CheckBitmapComplete(path);
    }
    QImageReader reader(path, format);
    reader.setDecideFormatFromContent(false);
    reader.setAutoDetectImageFormat(false);  // no other plugin is asked
    QImage image = reader.read();
    if (image.isNull())
        throw TPictureError("damaged picture: " + reader.errorString().toStdString());
    return image;
}

}  // namespace

TFileFormatsList::TFileFormatsList()
{
    Entries = {{QStringLiteral("wmf"), TPictureKind::Metafile},
               {QStringLiteral("emf"), TPictureKind::EnhancedMetafile},
               {QStringLiteral("ico"), TPictureKind::Icon},
               {QStringLiteral("bmp"), TPictureKind::Bitmap},
               {QStringLiteral("png"), TPictureKind::Png}};
}

// Asked once, and only of the one plugin that would read it: the list of every supported
// format would load each image plugin there is, with the libraries behind it, for nothing.
bool TFileFormatsList::WebPReadable()
{
    static const bool readable = [] {
        QByteArray header("RIFF\0\0\0\0WEBPVP8 ", 16);
        QBuffer bytes(&header);
        bytes.open(QIODevice::ReadOnly);
        QImageReader reader(&bytes, "webp");
        reader.setDecideFormatFromContent(false);
        return reader.canRead();
    }();
    return readable;
}

std::optional<TPictureKind> TFileFormatsList::FindExt(const QString& ext) const
{
    const QString wanted = ext.toLower();
    if (wanted == QLatin1String("webp"))
        return WebPReadable() ? std::optional(TPictureKind::WebP) : std::nullopt;
    for (auto entry = Entries.rbegin(); entry != Entries.rend(); ++entry) {
        if (entry->first == wanted)
            return entry->second;
    }
    return std::nullopt;
}

QString ExtensionOf(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QImage ReadImageFile(const QString& path, QString* failure)
{
    const QByteArray format = ExtensionOf(path).toLower().toLatin1();
    if (format == "bmp") {
        if (QImage plain = ReadPlainBitmap(path); !plain.isNull())
            return plain;
    }
    if (!format.isEmpty()) {
        QImageReader named(path, format);
        named.setAutoDetectImageFormat(false);
        QImage image = named.read();
        if (!image.isNull())
            return image;
    }
    QImageReader guessed(path);
    QImage image = guessed.read();
    if (image.isNull() && failure)
        *failure = guessed.errorString();
    return image;
}

namespace {

void PutLittleEndian(char* at, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        at[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

bool WriteBitmapFile(const QImage& picture, const QString& path)
{
    const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
    if (pixels.isNull())
        return false;
    constexpr int HeaderSize = 14 + 40;
    const int width = pixels.width();
    const int height = pixels.height();
    const int stride = (width * 3 + 3) / 4 * 4;
    QByteArray bytes(HeaderSize + qsizetype(stride) * height, '\0');
    char* head = bytes.data();
    head[0] = 'B';
    head[1] = 'M';
    PutLittleEndian(head + 2, std::uint32_t(bytes.size()), 4);
    PutLittleEndian(head + 10, HeaderSize, 4);
    PutLittleEndian(head + 14, 40, 4);
    PutLittleEndian(head + 18, std::uint32_t(width), 4);
    PutLittleEndian(head + 22, std::uint32_t(height), 4);
    PutLittleEndian(head + 26, 1, 2);   // planes
    PutLittleEndian(head + 28, 24, 2);  // bits per pixel; compression 0
    PutLittleEndian(head + 34, std::uint32_t(stride * height), 4);
    PutLittleEndian(head + 38, std::uint32_t(pixels.dotsPerMeterX()), 4);
    PutLittleEndian(head + 42, std::uint32_t(pixels.dotsPerMeterY()), 4);
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        char* out = bytes.data() + HeaderSize + qsizetype(stride) * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            *out++ = char(qBlue(line[x]));
            *out++ = char(qGreen(line[x]));
            *out++ = char(qRed(line[x]));
        }
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() &&
           file.flush();
}

std::optional<TPictureKind> KindOfExtension(const TFileFormatsList& formats, const QString& ext)
{
    if (const auto kind = formats.FindExt(ext))
        return kind;
    if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        return TPictureKind::Jpeg;
    if (ext == QLatin1String("gif"))
        return TPictureKind::Gif;
    return std::nullopt;
}

TPicturePart ReadPicturePart(const QString& path, TPictureKind kind, const TTargetSize& target,
                             const TNeededRows& rows)
{
    if (kind != TPictureKind::Jpeg || !rows) {
        TPicturePart whole{ReadPicture(path, kind, target)};
        whole.Whole = whole.Pixels.size();
        return whole;
    }
    if (!QFileInfo(path).isFile())
        throw TPictureError("the picture file does not exist");
    TRawPicture raw = ReadJpegFile(QFile::encodeName(path).toStdString(), target, DefaultMaxPixels, rows);
    TPicturePart part;
    part.FirstRow = raw.FirstRow;
    part.Whole = QSize(raw.Width, raw.WholeHeight ? raw.WholeHeight : raw.Height);
    part.Pixels = ToImage(std::move(raw), QImage::Format_RGB32);
    return part;
}

QImage DecodeJpeg(const QByteArray& bytes)
{
    try {
        return ToImage(ReadJpeg({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                 static_cast<std::size_t>(bytes.size())}),
                       QImage::Format_RGB32);
    } catch (const TPictureError&) {
        return {};
    }
}

QImage ReadPicture(const QString& path, TPictureKind kind, const TTargetSize& target)
{
    if (!QFileInfo(path).isFile())
        throw TPictureError("the picture file does not exist");
    const std::string localPath = QFile::encodeName(path).toStdString();
    switch (kind) {
    case TPictureKind::Metafile:
    case TPictureKind::EnhancedMetafile:
        throw TPictureError("metafile pictures cannot be shown on this system");
    case TPictureKind::Jpeg:
        return ToImage(ReadJpegFile(localPath, target), QImage::Format_RGB32);
    case TPictureKind::Gif:
        return ToImage(ReadGifFile(localPath), QImage::Format_ARGB32_Premultiplied);
    case TPictureKind::Icon:
        return ReadWithQt(path, "ico");
    case TPictureKind::Bitmap:
        return ReadWithQt(path, "bmp");
    case TPictureKind::Png:
        return ReadWithQt(path, "png");
    case TPictureKind::WebP:
        return ReadWithQt(path, "webp");
    }
    throw TPictureError("unknown picture kind");
}

}  // namespace orvenna::desktop

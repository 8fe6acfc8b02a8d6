#include "picturereader.h"

#include "gifreader.h"
#include "jpegreader.h"

#include <QFileInfo>
#include <QImageReader>

namespace orvenna::desktop {

namespace {

// Hands the pixels to a QImage without copying them; the QImage frees them.
QImage ToImage(TRawPicture&& raw)
{
    if (raw.Width <= 0 || raw.Height <= 0)
        return {};
    auto* pixels = new std::vector<std::uint32_t>(std::move(raw.Pixels));
    return QImage(reinterpret_cast<uchar*>(pixels->data()), raw.Width, raw.Height, raw.Width * 4,
                  QImage::Format_ARGB32_Premultiplied,
                  [](void* owned) { delete static_cast<std::vector<std::uint32_t>*>(owned); },
                  pixels);
}

QImage ReadWithQt(const QString& path, const char* format)
{
    QImageReader reader(path, format);
    reader.setDecideFormatFromContent(false);
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
    if (QImageReader::supportedImageFormats().contains("webp"))
        Entries.emplace_back(QStringLiteral("webp"), TPictureKind::WebP);
}

std::optional<TPictureKind> TFileFormatsList::FindExt(const QString& ext) const
{
    const QString wanted = ext.toLower();
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
        return ToImage(ReadJpegFile(localPath, target));
    case TPictureKind::Gif:
        return ToImage(ReadGifFile(localPath));
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

#pragma once
// Reads a wallpaper picture of any recognised kind into a QImage.

#include "desktop/rawpicture.h"

#include <QImage>
#include <QString>

#include <optional>

namespace orvenna::desktop {

enum class TPictureKind {
    Metafile,          // recognised, but no decoder on this system
    EnhancedMetafile,  // likewise
    Icon,
    Bitmap,
    Png,
    WebP,
    Jpeg,
    Gif,
};

// The picture kinds known by file extension. Extensions are kept in lower case; FindExt
// lower-cases what it is given and searches from the last entry to the first.
// JPEG and GIF are not in the list: KindOfExtension recognises them by exact lower-case text.
class TFileFormatsList final {
public:
    TFileFormatsList();  // wmf, emf, ico, bmp, png, then webp where an image plugin reads it
    std::optional<TPictureKind> FindExt(const QString& ext) const;

private:
    static bool WebPReadable();

    std::vector<std::pair<QString, TPictureKind>> Entries;
};

// Reads an image file as QImage's own loading does, asking only the reader of the format the
// file's extension names (Qt's own, or the one image plugin of that name): Qt's guess from the
// content asks every image plugin there is, loading each with the libraries behind it. Only a
// file that does not read as its extension says is guessed from its content. A null image when
// it cannot be read, with Qt's reason in failure (when given). The program's own 24-bit bitmaps
// are read without Qt's reader, pixel for pixel as it reads them.
QImage ReadImageFile(const QString& path, QString* failure = nullptr);

// A JPEG picture held in memory (a resource) through the program's own decoder, not Qt's image
// plugin; a null image when it does not decode.
QImage DecodeJpeg(const QByteArray& bytes);

// Writes the picture as a 24-bit Windows bitmap file (opaque pixels, bottom row first), as
// Qt's own writer does for an opaque picture; false when the file cannot be written. Written
// here because Qt's writer asks every image plugin whether it would rather write the format.
bool WriteBitmapFile(const QImage& picture, const QString& path);

// The extension of a path: the text after the last dot of the file name, without the dot;
// empty when the file name has no dot.
QString ExtensionOf(const QString& path);
// FindExt first, then exactly "jpg", "jpeg" (JPEG) or "gif" (GIF); nothing otherwise.
std::optional<TPictureKind> KindOfExtension(const TFileFormatsList& formats, const QString& ext);

// Reads the picture at path as kind. target as for ReadJpegFile: JPEG pictures come back at
// least that large, possibly smaller than their own size; other kinds come at their own size.
// Throws TPictureError with a message naming the reason (missing file, damaged data, a kind
// without a decoder).
QImage ReadPicture(const QString& path, TPictureKind kind, const TTargetSize& target = {});

// Some rows of a picture: Pixels are rows FirstRow on of a picture of size Whole.
struct TPicturePart {
    QImage Pixels;
    int FirstRow = 0;
    QSize Whole;
};
// ReadPicture, keeping only the rows the caller needs where the reader can (JPEG); other kinds
// come whole.
TPicturePart ReadPicturePart(const QString& path, TPictureKind kind, const TTargetSize& target,
                             const TNeededRows& rows);

}  // namespace orvenna::desktop

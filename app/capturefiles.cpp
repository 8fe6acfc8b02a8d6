#include "app/capturefiles.h"

#include "desktop/picturereader.h"

#include <QFile>
#include <QPainter>

namespace orvenna::app {
namespace {

constexpr const char* GridFile = "bk.bmp";
constexpr const char* TitleFile = "images/applebar.bmp";
// Beside "bk.bmp": the composition key of the last captures.
constexpr const char* KeyFile = "bk.key";

}  // namespace

TCaptureFiles::TCaptureFiles(QString programFolder)
    : Folder(std::move(programFolder)), KeptGrid{GridFile, {}}, KeptTitle{TitleFile, {}}
{
}

std::optional<TCaptureFiles::TLastCapture> TCaptureFiles::LastCapture() const
{
    QFile keyFile(Folder + QLatin1String(KeyFile));
    if (!keyFile.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString key = QString::fromUtf8(keyFile.readAll());
    const QImage title = Title();
    const QImage grid = Grid();
    if (title.isNull() || grid.isNull() || title.width() != grid.width())
        return std::nullopt;
    QImage window(title.width(), title.height() + grid.height(), QImage::Format_RGB32);
    QPainter painter(&window);
    painter.drawImage(0, 0, title);
    painter.drawImage(0, title.height(), grid);
    painter.end();
    return TLastCapture{window, key};
}

bool TCaptureFiles::Save(TKept& kept, const QImage& picture) const
{
    const bool saved = desktop::WriteBitmapFile(picture, Folder + QLatin1String(kept.Name));
    // A bitmap of 24 bits holds the picture's colours as they are: reading it back would give
    // the same pixels. After a failed write the file holds what it holds.
    if (saved)
        kept.Picture = picture.convertToFormat(QImage::Format_RGB32);
    else
        kept.Picture.reset();
    return saved;
}

QImage TCaptureFiles::Read(TKept& kept) const
{
    if (!kept.Picture)
        kept.Picture = desktop::ReadImageFile(Folder + QLatin1String(kept.Name));
    return *kept.Picture;
}

bool TCaptureFiles::SaveGrid(const QImage& picture) const
{
    return Save(KeptGrid, picture);
}

bool TCaptureFiles::SaveTitle(const QImage& picture) const
{
    return Save(KeptTitle, picture);
}

void TCaptureFiles::KeepAsWritten(const QImage& grid, const QImage& title) const
{
    KeptGrid.Picture = grid.convertToFormat(QImage::Format_RGB32);
    KeptTitle.Picture = title.convertToFormat(QImage::Format_RGB32);
}

void TCaptureFiles::SaveKey(const QString& key, bool picturesSaved) const
{
    QFile keyFile(Folder + QLatin1String(KeyFile));
    if (picturesSaved && !key.isEmpty() && keyFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        keyFile.write(key.toUtf8());
    else
        keyFile.remove();
}

QImage TCaptureFiles::Grid() const
{
    return Read(KeptGrid);
}

QImage TCaptureFiles::Title() const
{
    return Read(KeptTitle);
}

}  // namespace orvenna::app

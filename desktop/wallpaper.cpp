#include "desktop/wallpaper.h"

#include "desktop/desktoplog.h"

#include <QDateTime>
#include <QFileInfo>
#include <QPainter>

#include <cmath>
#include <cstring>

namespace orvenna::desktop {

using platform::TWallpaperPlacement;

namespace {

bool Scales(TWallpaperPlacement placement)
{
    return placement == TWallpaperPlacement::Stretched || placement == TWallpaperPlacement::Spanned ||
           placement == TWallpaperPlacement::Fill || placement == TWallpaperPlacement::Fit;
}

// The size the decoder must at least deliver so that scaling down afterwards loses nothing.
TTargetSize TargetFor(TWallpaperPlacement placement, const QRect& r)
{
    if (!Scales(placement))
        return {};
    return [placement, r](TPixelSize natural) {
        const QSize drawn = ScaledPlacement(placement, {natural.Width, natural.Height}, r).size();
        return TPixelSize{drawn.width(), drawn.height()};
    };
}

}  // namespace

QRect ScaledPlacement(TWallpaperPlacement placement, QSize picture, const QRect& r)
{
    if ((placement != TWallpaperPlacement::Fill && placement != TWallpaperPlacement::Fit) ||
        picture.isEmpty())
        return r;
    const double sx = double(r.width()) / picture.width();
    const double sy = double(r.height()) / picture.height();
    const double s = placement == TWallpaperPlacement::Fill ? std::max(sx, sy) : std::min(sx, sy);
    // The side that matches r gets r's exact length, so no rounding leaves a gap at an edge.
    const int w = sx == s ? r.width() : int(std::lround(picture.width() * s));
    const int h = sy == s ? r.height() : int(std::lround(picture.height() * s));
    return {r.left() + (r.width() - w) / 2, r.top() + (r.height() - h) / 2, w, h};
}

QPoint CentredPosition(QSize picture, const QRect& r)
{
    return {r.left() + (r.width() - picture.width()) / 2, r.top() + (r.height() - picture.height()) / 2};
}

TWallPaper::TWallPaper(platform::TPlatform& platform) : Platform(platform) {}

QString TWallPaper::GetWallpaperPath() const { return Platform.DesktopFacts().WallpaperPath; }

bool TWallPaper::IsTiled() const
{
    return Platform.DesktopFacts().Placement == TWallpaperPlacement::Tiled;
}

bool TWallPaper::IsStretched() const
{
    const auto placement = Platform.DesktopFacts().Placement;
    return placement == TWallpaperPlacement::Stretched || placement == TWallpaperPlacement::Spanned;
}

QColor TWallPaper::DesktopColor() const { return Platform.DesktopFacts().DesktopColor; }

bool TWallPaper::IsFormatSupported() const
{
    const TFileFormatsList formats;
    for (const platform::TScreenWallpaper& screen : Platform.ScreenWallpapers()) {
        const QString& path = screen.Facts.WallpaperPath;
        if (!path.isEmpty() && !KindOfExtension(formats, ExtensionOf(path)))
            return false;
    }
    return true;
}

QRect DeviceRect(const QRect& r, qreal ratio)
{
    if (ratio == 1.0)
        return r;
    return {qRound(r.x() * ratio), qRound(r.y() * ratio), qRound(r.width() * ratio),
            qRound(r.height() * ratio)};
}

void TWallPaper::SetKeptArea(const QRect& area, qreal ratio)
{
    KeptArea = area;
    Ratio = ratio > 0 ? ratio : 1.0;
}

bool TWallPaper::Covers(const QRect& area, qreal ratio) const
{
    return !Desk.isNull() && ratio == Ratio &&
           QRect(Origin, Desk.size()).contains(DeviceRect(area, ratio));
}

namespace {

QString RectText(const QRect& r)
{
    return QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

QString KeyOf(const QList<platform::TScreenWallpaper>& screens, const QRect& area, qreal ratio)
{
    QStringList parts;
    for (const platform::TScreenWallpaper& screen : screens) {
        const platform::TDesktopFacts& facts = screen.Facts;
        const QFileInfo file(facts.WallpaperPath);
        parts << RectText(screen.Geometry) << facts.WallpaperPath
              << QString::number(file.exists() ? file.size() : -1)
              << QString::number(file.exists() ? file.lastModified().toMSecsSinceEpoch() : 0)
              << QString::number(int(facts.Placement)) << facts.DesktopColor.name();
    }
    parts << RectText(area) << QString::number(ratio);
    return parts.join(QLatin1Char('|'));
}

}  // namespace

QString TWallPaper::CurrentKey() const
{
    return KeyOf(Platform.ScreenWallpapers(), KeptArea, Ratio);
}

bool TWallPaper::Adopt(const QImage& composed, const QString& key)
{
    const QRect rect = ComposedRect(Platform.ScreenWallpapers());
    if (key.isEmpty() || composed.size() != rect.size() || key != CurrentKey())
        return false;
    Desk = composed.convertToFormat(QImage::Format_RGB32);
    Desk.setDevicePixelRatio(1.0);
    Origin = rect.topLeft();
    Key = key;
    return true;
}

QRect TWallPaper::ComposedRect(const QList<platform::TScreenWallpaper>& screens) const
{
    if (!KeptArea.isEmpty())
        return DeviceRect(KeptArea, Ratio);
    QRect all;
    for (const platform::TScreenWallpaper& screen : screens)
        all = all.united(screen.Geometry);
    return DeviceRect(all, Ratio);
}

QList<TScreenLayer> ScreenLayers(const QList<platform::TScreenWallpaper>& screens, qreal ratio)
{
    QRect all;
    for (const platform::TScreenWallpaper& screen : screens)
        all = all.united(screen.Geometry);
    QList<TScreenLayer> layers;
    for (const platform::TScreenWallpaper& screen : screens) {
        const bool spanned = screen.Facts.Placement == TWallpaperPlacement::Spanned;
        layers.append({DeviceRect(screen.Geometry, ratio), DeviceRect(spanned ? all : screen.Geometry, ratio),
                       screen.Facts});
    }
    return layers;
}

QRect LayerBand(const TScreenLayer& layer, const QRect& area)
{
    const QRect rows = layer.Screen & area;
    if (rows.isEmpty())
        return {};
    return {layer.Screen.left(), rows.top(), layer.Screen.width(), rows.height()};
}

namespace {

// The picture rows that land in band, with two rows to spare on each side for the smoothing
// filter. Tiles repeat every row, so a tiled picture is needed whole; so is one for a whole
// screen.
TNeededRows RowsBehind(const TScreenLayer& layer, const QRect& band)
{
    const TWallpaperPlacement placement = layer.Facts.Placement;
    if (band.isEmpty() || band == layer.Screen || placement == TWallpaperPlacement::Tiled)
        return {};
    return [placement, r = layer.Placement, band](TPixelSize decoded) {
        const QSize size(decoded.Width, decoded.Height);
        if (!Scales(placement)) {
            const int top = CentredPosition(size, r).y();
            return TRowSpan{band.top() - top, band.bottom() + 1 - top};
        }
        const QRect target = ScaledPlacement(placement, size, r);
        if (target.height() <= 0)
            return TRowSpan{};
        const double rowsPerPixel = double(size.height()) / target.height();
        return TRowSpan{int(std::floor((band.top() - target.top()) * rowsPerPixel)) - 2,
                        int(std::ceil((band.bottom() + 1 - target.top()) * rowsPerPixel)) + 2};
    };
}

// Draws the picture, or its rows, with its whole at target (device screen pixels) into pixels,
// whose pixel (0, 0) lies at origin.
void Draw(QImage& pixels, QPoint origin, std::optional<QPainter>& painter, const TPicturePart& picture,
          const QRect& target)
{
    const QImage& rows = picture.Pixels;
    const QRect onPixels = target.translated(-origin);
    const QRect visible = onPixels & pixels.rect();
    if (visible.isEmpty() || rows.isNull())
        return;
    // Opaque and unscaled (the JPEG decoder delivers the screen's size when it can): plain row
    // copies, which need none of the painter's working memory.
    if (onPixels.size() == picture.Whole && rows.format() == QImage::Format_RGB32) {
        const qsizetype bytes = qsizetype(visible.width()) * 4;
        for (int y = visible.top(); y <= visible.bottom(); ++y) {
            const int row = y - onPixels.top() - picture.FirstRow;
            if (row < 0 || row >= rows.height())
                continue;
            std::memcpy(pixels.scanLine(y) + qsizetype(visible.left()) * 4,
                        rows.constScanLine(row) + qsizetype(visible.left() - onPixels.left()) * 4,
                        size_t(bytes));
        }
        return;
    }
    if (!painter) {
        painter.emplace(&pixels);
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
    }
    // Whole or some rows only, the picture goes through one mapping, so every pixel of the
    // desktop comes out the same whichever part of it is composed.
    painter->save();
    painter->translate(onPixels.topLeft());
    painter->scale(double(onPixels.width()) / picture.Whole.width(),
                   double(onPixels.height()) / picture.Whole.height());
    painter->drawImage(QPointF(0, picture.FirstRow), rows);
    painter->restore();
}

}  // namespace

TPicturePart ReadLayerPicture(const TScreenLayer& layer, const QRect& band)
{
    const QString& path = layer.Facts.WallpaperPath;
    const auto kind = path.isEmpty() ? std::nullopt : KindOfExtension(TFileFormatsList(), ExtensionOf(path));
    if (!kind)
        return {};
    try {
        return ReadPicturePart(path, *kind, TargetFor(layer.Facts.Placement, layer.Placement),
                               RowsBehind(layer, band));
    } catch (const TPictureError& error) {
        throw TPictureError("Cannot load the wallpaper \"" + path.toStdString() + "\": " + error.what());
    }
}

void ComposeLayer(QImage& pixels, const QRect& band, const TScreenLayer& layer, const TPicturePart& picture)
{
    // Filled first whatever the placement: transparent pixels show the desktop colour, and a
    // picture that does not cover the screen leaves no stale pixels of the last one.
    pixels.fill(layer.Facts.DesktopColor);
    const QSize whole = picture.Whole;
    if (whole.isEmpty())
        return;
    const QRect& r = layer.Placement;
    std::optional<QPainter> painter;
    switch (layer.Facts.Placement) {
    case TWallpaperPlacement::Tiled:
        for (int i = 0; i <= r.width() / whole.width(); ++i)
            for (int j = 0; j <= r.height() / whole.height(); ++j)
                Draw(pixels, band.topLeft(), painter, picture,
                     QRect(r.topLeft() + QPoint(i * whole.width(), j * whole.height()), whole));
        return;
    case TWallpaperPlacement::Stretched:
    case TWallpaperPlacement::Spanned:
    case TWallpaperPlacement::Fill:
    case TWallpaperPlacement::Fit:
        Draw(pixels, band.topLeft(), painter, picture, ScaledPlacement(layer.Facts.Placement, whole, r));
        return;
    case TWallpaperPlacement::Centred:
        Draw(pixels, band.topLeft(), painter, picture, QRect(CentredPosition(whole, r), whole));
        return;
    }
}

void TWallPaper::LoadWallpaper()
{
    // One reading of the screens for the whole load, so places and pictures belong together.
    const QList<platform::TScreenWallpaper> screens = Platform.ScreenWallpapers();
    const QString key = KeyOf(screens, KeptArea, Ratio);
    const QRect composed = ComposedRect(screens);
    // Every picture is read before anything is drawn, so that a failure keeps the last
    // composition. A whole screen's picture is read whole, a kept area's only behind it.
    std::vector<std::pair<TScreenLayer, TPicturePart>> layers;
    for (const TScreenLayer& layer : ScreenLayers(screens, Ratio)) {
        const QRect band = LayerBand(layer, composed);
        if (!band.isEmpty())
            layers.emplace_back(layer, ReadLayerPicture(layer, KeptArea.isEmpty() ? QRect() : band));
    }
    Compose(composed, layers);
    Key = key;
}

void TWallPaper::ComposeDesktop(const QImage& picture)
{
    const QList<platform::TScreenWallpaper> screens = Platform.ScreenWallpapers();
    const QRect composed = ComposedRect(screens);
    std::vector<std::pair<TScreenLayer, TPicturePart>> layers;
    for (const TScreenLayer& layer : ScreenLayers(screens, Ratio))
        layers.emplace_back(layer, TPicturePart{picture, 0, picture.size()});
    Compose(composed, layers);
    Key.clear();
}

void TWallPaper::Compose(const QRect& composed, const std::vector<std::pair<TScreenLayer, TPicturePart>>& layers)
{
    // Reused when the size stays, so a reload needs no second bitmap.
    if (Desk.size() != composed.size() || Desk.format() != QImage::Format_RGB32)
        Desk = QImage(composed.size(), QImage::Format_RGB32);
    Origin = composed.topLeft();
    if (Desk.isNull()) {
        if (!composed.isEmpty())
            qCWarning(lcDesktop) << "no memory for a desktop image of" << composed.size();
        return;
    }
    Desk.fill(Qt::black);  // what lies on no screen
    for (const auto& [layer, picture] : layers) {
        const QRect band = LayerBand(layer, composed);
        if (band.isEmpty())
            continue;
        if (composed.contains(band)) {
            // The band is a part of Desk: composed in place, through an image on Desk's rows.
            const QPoint at = band.topLeft() - Origin;
            QImage view(Desk.scanLine(at.y()) + qsizetype(at.x()) * 4, band.width(), band.height(),
                        Desk.bytesPerLine(), QImage::Format_RGB32);
            ComposeLayer(view, band, layer, picture);
            continue;
        }
        // Only these rows are ever held, and only while composing.
        QImage rows(band.size(), QImage::Format_RGB32);
        if (rows.isNull()) {
            qCWarning(lcDesktop) << "no memory for desktop rows of" << band.size();
            continue;
        }
        ComposeLayer(rows, band, layer, picture);
        const QRect kept = band & composed;
        QPainter painter(&Desk);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(kept.topLeft() - Origin, rows, kept.translated(-band.topLeft()));
    }
}

void TWallPaper::CopyDeskRect(QImage& dest, const QRect& destRect, const QRect& sourceRect) const
{
    const QRect from(DeviceRect(QRect(sourceRect.topLeft(), QSize()), Ratio).topLeft() - Origin,
                     DeviceRect(QRect(QPoint(), destRect.size()), Ratio).size());
    if (Desk.isNull()) {
        dest = QImage(from.size(), QImage::Format_RGB32);
        dest.fill(Qt::black);
    } else {
        dest = Desk.copy(from);
    }
    dest.setDevicePixelRatio(Ratio);
}

}  // namespace orvenna::desktop

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

TWallPaper::TOneReading::TOneReading(const TWallPaper& paper)
    : Paper(paper), Outermost(!std::exchange(paper.ReadingOnce, true))
{
}

TWallPaper::TOneReading::~TOneReading()
{
    if (!Outermost)
        return;
    Paper.ReadingOnce = false;
    Paper.Reading.reset();
}

QList<platform::TScreenWallpaper> TWallPaper::ScreenWallpapers() const
{
    if (!ReadingOnce)
        return Platform.ScreenWallpapers();
    if (!Reading)
        Reading = Platform.ScreenWallpapers();
    return *Reading;
}

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
    for (const platform::TScreenWallpaper& screen : ScreenWallpapers()) {
        const QString& path = screen.Facts.WallpaperPath;
        if (!path.isEmpty() && !KindOfExtension(formats, ExtensionOf(path)))
            return false;
    }
    return true;
}

QImage SharedPart(const QImage& picture, const QRect& part)
{
    if (part.isEmpty() || !picture.rect().contains(part) || picture.depth() % 8 != 0)
        return picture.copy(part);
    // A shallow copy holds the pixels; the part's read-only view frees it with its last copy.
    auto* holder = new QImage(picture);
    const uchar* first =
        holder->constScanLine(part.y()) + qsizetype(part.x()) * (holder->depth() / 8);
    QImage view(first, part.width(), part.height(), holder->bytesPerLine(), holder->format(),
                [](void* held) { delete static_cast<QImage*>(held); }, holder);
    view.setColorTable(picture.colorTable());
    view.setDevicePixelRatio(picture.devicePixelRatio());
    return view;
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

void TWallPaper::SetNeighbourhood(int margin)
{
    Margin = std::max(margin, 0);
}

QRect TWallPaper::NeighbourhoodArea() const
{
    return KeptArea.isEmpty() ? QRect() : KeptArea.adjusted(-Margin, -Margin, Margin, Margin);
}

bool TWallPaper::Covers(const QRect& area, qreal ratio) const
{
    return !Held.Desk.isNull() && ratio == Held.Ratio &&
           QRect(Held.Origin, Held.Desk.size()).contains(DeviceRect(area, ratio));
}

namespace {

QString RectText(const QRect& r)
{
    return QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// What the screens show: places and wallpapers.
QString ScreensKey(const QList<platform::TScreenWallpaper>& screens)
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
    return parts.join(QLatin1Char('|'));
}

QString KeyOf(const QString& screensKey, const QRect& area, qreal ratio)
{
    return screensKey + QLatin1Char('|') + RectText(area) + QLatin1Char('|') + QString::number(ratio);
}

QRect VirtualDesktop(const QList<platform::TScreenWallpaper>& screens)
{
    QRect all;
    for (const platform::TScreenWallpaper& screen : screens)
        all = all.united(screen.Geometry);
    return all;
}

}  // namespace

QString TWallPaper::CurrentKey() const
{
    return KeyOf(ScreensKey(ScreenWallpapers()), KeptArea, Ratio);
}

QString TWallPaper::ComposedKey() const
{
    const QList<platform::TScreenWallpaper> screens = ScreenWallpapers();
    const QRect area = KeptArea.isEmpty() ? VirtualDesktop(screens) : KeptArea;
    if (Held.SourceKey.isEmpty() || !Covers(area, Ratio))
        return {};
    return KeyOf(Held.SourceKey, KeptArea, Ratio);
}

bool TWallPaper::Adopt(const QImage& composed, const QString& key)
{
    const QList<platform::TScreenWallpaper> screens = ScreenWallpapers();
    const QRect rect = DeviceRect(KeptArea.isEmpty() ? VirtualDesktop(screens) : KeptArea, Ratio);
    const QString screensKey = ScreensKey(screens);
    if (key.isEmpty() || composed.size() != rect.size() || key != KeyOf(screensKey, KeptArea, Ratio))
        return false;
    Held.Desk = composed.convertToFormat(QImage::Format_RGB32);
    Held.Desk.setDevicePixelRatio(1.0);
    Held.Origin = rect.topLeft();
    Held.Ratio = Ratio;
    Held.SourceKey = screensKey;
    return true;
}

QRect TWallPaper::ComposedRect(const QList<platform::TScreenWallpaper>& screens) const
{
    return DeviceRect(KeptArea.isEmpty() ? VirtualDesktop(screens) : NeighbourhoodArea(), Ratio);
}

QList<TScreenLayer> ScreenLayers(const QList<platform::TScreenWallpaper>& screens, qreal ratio)
{
    const QRect all = VirtualDesktop(screens);
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

namespace {

using TLayers = std::vector<std::pair<TScreenLayer, TPicturePart>>;

// Every picture that composed reaches, read before anything is drawn so that a failure keeps
// the last composition: whole for a whole desktop (partial false), else only the rows behind.
TLayers ReadLayers(const QList<platform::TScreenWallpaper>& screens, const QRect& composed, qreal ratio,
                   bool partial)
{
    TLayers layers;
    for (const TScreenLayer& layer : ScreenLayers(screens, ratio)) {
        const QRect band = LayerBand(layer, composed);
        if (!band.isEmpty())
            layers.emplace_back(layer, ReadLayerPicture(layer, partial ? band : QRect()));
    }
    return layers;
}

// Rows of a layer composed at a time where the band reaches beyond the composed area: the
// working image stays this many screen rows, whatever the band's height.
constexpr int StripRows = 32;

// Composes band, which reaches beyond desk's part of the desktop, strip by strip and copies
// what lies inside desk (whose pixel (0, 0) is at origin).
void ComposeInStrips(QImage& desk, QPoint origin, const QRect& band, const TScreenLayer& layer,
                     const TPicturePart& picture)
{
    QImage rows(band.width(), std::min(StripRows, band.height()), QImage::Format_RGB32);
    if (rows.isNull()) {
        qCWarning(lcDesktop) << "no memory for desktop rows of" << rows.size();
        return;
    }
    const QRect composed(origin, desk.size());
    for (int top = band.top(); top <= band.bottom(); top += StripRows) {
        const QRect strip(band.left(), top, band.width(), std::min(StripRows, band.bottom() + 1 - top));
        QImage view(rows.bits(), strip.width(), strip.height(), rows.bytesPerLine(), QImage::Format_RGB32);
        ComposeLayer(view, strip, layer, picture);
        const QRect kept = strip & composed;
        for (int y = kept.top(); y <= kept.bottom(); ++y)
            std::memcpy(desk.scanLine(y - origin.y()) + qsizetype(kept.left() - origin.x()) * 4,
                        view.constScanLine(y - strip.top()) + qsizetype(kept.left() - strip.left()) * 4,
                        size_t(kept.width()) * 4);
    }
}

// Composes the layers over composed into desk, reusing its pixels when the size fits.
void Compose(QImage& desk, const QRect& composed, const TLayers& layers)
{
    // Pixels that parts of the last composition still show are left to them: writing into
    // them would first copy them all.
    if (desk.size() != composed.size() || desk.format() != QImage::Format_RGB32 ||
        !desk.isDetached())
        desk = QImage(composed.size(), QImage::Format_RGB32);
    if (desk.isNull()) {
        if (!composed.isEmpty())
            qCWarning(lcDesktop) << "no memory for a desktop image of" << composed.size();
        return;
    }
    desk.setDevicePixelRatio(1.0);
    desk.fill(Qt::black);  // what lies on no screen
    for (const auto& [layer, picture] : layers) {
        const QRect band = LayerBand(layer, composed);
        if (band.isEmpty())
            continue;
        if (!composed.contains(band)) {
            ComposeInStrips(desk, composed.topLeft(), band, layer, picture);
            continue;
        }
        // The band is a part of desk: composed in place, through an image on desk's rows.
        const QPoint at = band.topLeft() - composed.topLeft();
        QImage view(desk.scanLine(at.y()) + qsizetype(at.x()) * 4, band.width(), band.height(), desk.bytesPerLine(),
                    QImage::Format_RGB32);
        ComposeLayer(view, band, layer, picture);
    }
}

}  // namespace

void TWallPaper::LoadWallpaper()
{
    // One reading of the screens for the whole load, so places and pictures belong together.
    const QList<platform::TScreenWallpaper> screens = ScreenWallpapers();
    const QRect composed = ComposedRect(screens);
    const TLayers layers = ReadLayers(screens, composed, Ratio, !KeptArea.isEmpty());
    // Drawn over the last composition's pixels when the size stays: no second bitmap.
    Compose(Held.Desk, composed, layers);
    Held.Origin = composed.topLeft();
    Held.Ratio = Ratio;
    Held.SourceKey = ScreensKey(screens);
}

TWallPaper::TLoadJob TWallPaper::LoadJob() const
{
    const QList<platform::TScreenWallpaper> screens = ScreenWallpapers();
    return [screens, composed = ComposedRect(screens), ratio = Ratio, partial = !KeptArea.isEmpty(),
            key = ScreensKey(screens)] {
        const TLayers layers = ReadLayers(screens, composed, ratio, partial);
        TComposition made{QImage(), composed.topLeft(), ratio, key};
        Compose(made.Desk, composed, layers);
        return made;
    };
}

bool TWallPaper::Take(TComposition composition)
{
    if (composition.Ratio != Ratio || composition.SourceKey != ScreensKey(ScreenWallpapers()))
        return false;
    Held = std::move(composition);
    return true;
}

void TWallPaper::ComposeDesktop(const QImage& picture)
{
    const QList<platform::TScreenWallpaper> screens = ScreenWallpapers();
    const QRect composed = ComposedRect(screens);
    TLayers layers;
    for (const TScreenLayer& layer : ScreenLayers(screens, Ratio))
        layers.emplace_back(layer, TPicturePart{picture, 0, picture.size()});
    Compose(Held.Desk, composed, layers);
    Held.Origin = composed.topLeft();
    Held.Ratio = Ratio;
    Held.SourceKey.clear();
}

void TWallPaper::CopyDeskRect(QImage& dest, const QRect& destRect, const QRect& sourceRect) const
{
    const QRect from(DeviceRect(QRect(sourceRect.topLeft(), QSize()), Ratio).topLeft() - Held.Origin,
                     DeviceRect(QRect(QPoint(), destRect.size()), Ratio).size());
    if (Held.Desk.isNull()) {
        dest = QImage(from.size(), QImage::Format_RGB32);
        dest.fill(Qt::black);
    } else {
        dest = SharedPart(Held.Desk, from);
    }
    dest.setDevicePixelRatio(Ratio);
}

}  // namespace orvenna::desktop

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
    const int right = r.left() + r.width();
    const int bottom = r.top() + r.height();
    return {(right - picture.width()) / 2, (bottom - picture.height()) / 2};
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
    const QString path = GetWallpaperPath();
    return path.isEmpty() || KindOfExtension(TFileFormatsList(), ExtensionOf(path)).has_value();
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

QString KeyOf(const platform::TDesktopFacts& facts, const QRect& primary, const QRect& all,
              const QRect& area, qreal ratio)
{
    const QFileInfo file(facts.WallpaperPath);
    return QStringList{facts.WallpaperPath,
                       QString::number(file.exists() ? file.size() : -1),
                       QString::number(file.exists() ? file.lastModified().toMSecsSinceEpoch() : 0),
                       QString::number(int(facts.Placement)),
                       facts.DesktopColor.name(),
                       RectText(primary),
                       RectText(all),
                       RectText(area),
                       QString::number(ratio)}
        .join(QLatin1Char('|'));
}

}  // namespace

QString TWallPaper::CurrentKey() const
{
    return KeyOf(Platform.DesktopFacts(), Platform.PrimaryScreen(), Platform.VirtualDesktop(), KeptArea,
                 Ratio);
}

bool TWallPaper::Adopt(const QImage& composed, const QString& key)
{
    const QRect rect = ComposedRect();
    if (key.isEmpty() || composed.size() != rect.size() || key != CurrentKey())
        return false;
    Desk = composed.convertToFormat(QImage::Format_RGB32);
    Desk.setDevicePixelRatio(1.0);
    Origin = rect.topLeft();
    Key = key;
    return true;
}

QRect TWallPaper::ComposedRect() const
{
    return DeviceRect(KeptArea.isEmpty() ? Platform.PrimaryScreen() : KeptArea, Ratio);
}

// The picture rows that land in the composed rectangle, with two rows to spare on each side for
// the smoothing filter. Tiles repeat every row, so a tiled picture is needed whole.
TNeededRows TWallPaper::RowsBehind(TWallpaperPlacement placement, const QRect& r) const
{
    if (KeptArea.isEmpty() || placement == TWallpaperPlacement::Tiled)
        return {};
    return [placement, r, kept = ComposedRect()](TPixelSize decoded) {
        const QSize size(decoded.Width, decoded.Height);
        if (!Scales(placement)) {
            const int top = CentredPosition(size, r).y();
            return TRowSpan{kept.top() - top, kept.bottom() + 1 - top};
        }
        const QRect target = ScaledPlacement(placement, size, r);
        if (target.height() <= 0)
            return TRowSpan{};
        const double rowsPerPixel = double(size.height()) / target.height();
        return TRowSpan{int(std::floor((kept.top() - target.top()) * rowsPerPixel)) - 2,
                        int(std::ceil((kept.bottom() + 1 - target.top()) * rowsPerPixel)) + 2};
    };
}

void TWallPaper::LoadWallpaper()
{
    // One reading of the facts for the whole load, so path and placement belong together.
    const platform::TDesktopFacts facts = Platform.DesktopFacts();
    const auto kind = facts.WallpaperPath.isEmpty()
                          ? std::nullopt
                          : KindOfExtension(TFileFormatsList(), ExtensionOf(facts.WallpaperPath));
    const QString key = KeyOf(facts, Platform.PrimaryScreen(), Platform.VirtualDesktop(), KeptArea, Ratio);
    if (!kind) {
        Compose({}, facts);
        Key = key;
        return;
    }
    const QRect r = DeviceRect(Platform.VirtualDesktop(), Ratio);
    TPicturePart picture;
    try {
        picture = ReadPicturePart(facts.WallpaperPath, *kind, TargetFor(facts.Placement, r),
                                  RowsBehind(facts.Placement, r));
    } catch (const TPictureError& error) {
        throw TPictureError("Cannot load the wallpaper \"" + facts.WallpaperPath.toStdString() +
                            "\": " + error.what());
    }
    Compose(picture, facts);
    Key = key;
}

void TWallPaper::ComposeDesktop(const QImage& picture)
{
    Compose({picture, 0, picture.size()}, Platform.DesktopFacts());
    Key.clear();
}

void TWallPaper::Compose(const TPicturePart& picture, const platform::TDesktopFacts& facts)
{
    const QRect composed = ComposedRect();
    const QRect primary = DeviceRect(Platform.PrimaryScreen(), Ratio);
    // A kept area is composed in whole rows of the primary screen and then cut out: the
    // smoothing filter walks each row from the screen's edge, as in a whole-screen composition,
    // so every pixel comes out the same. Only those rows are ever held, and only while composing.
    const QRect rows = KeptArea.isEmpty() ? primary
                                          : QRect(primary.left(), composed.top(), primary.width(), composed.height());
    // Reused when the size stays, so a reload needs no second bitmap.
    if (Desk.size() != rows.size() || Desk.format() != QImage::Format_RGB32)
        Desk = QImage(rows.size(), QImage::Format_RGB32);
    Origin = rows.topLeft();
    if (Desk.isNull()) {
        if (!rows.isEmpty())
            qCWarning(lcDesktop) << "no memory for a desktop image of" << rows.size();
        return;
    }
    // Filled first whatever the placement: transparent pixels show the desktop colour, and a
    // picture that does not cover the screen leaves no stale pixels of the last one.
    Desk.fill(facts.DesktopColor);
    if (!picture.Whole.isEmpty())
        Place(picture, facts.Placement, DeviceRect(Platform.VirtualDesktop(), Ratio));
    if (rows != composed) {
        Desk = Desk.copy(composed.translated(-Origin));  // beyond the screen: black, as ever
        Origin = composed.topLeft();
    }
}

void TWallPaper::Place(const TPicturePart& picture, TWallpaperPlacement placement, const QRect& r)
{
    std::optional<QPainter> painter;
    const QSize whole = picture.Whole;
    switch (placement) {
    case TWallpaperPlacement::Tiled:
        for (int i = 0; i <= r.width() / whole.width(); ++i)
            for (int j = 0; j <= r.height() / whole.height(); ++j)
                Draw(painter, picture, QRect(QPoint(i * whole.width(), j * whole.height()), whole));
        return;
    case TWallpaperPlacement::Stretched:
    case TWallpaperPlacement::Spanned:
    case TWallpaperPlacement::Fill:
    case TWallpaperPlacement::Fit:
        Draw(painter, picture, ScaledPlacement(placement, whole, r));
        return;
    case TWallpaperPlacement::Centred:
        Draw(painter, picture, QRect(CentredPosition(whole, r), whole));
        return;
    }
}

// target: where the whole picture goes, in device screen pixels.
void TWallPaper::Draw(std::optional<QPainter>& painter, const TPicturePart& picture, const QRect& target)
{
    const QImage& pixels = picture.Pixels;
    const QRect onDesk = target.translated(-Origin);
    const QRect visible = onDesk & Desk.rect();
    if (visible.isEmpty() || pixels.isNull())
        return;
    // Opaque and unscaled (the JPEG decoder delivers the screen's size when it can): plain row
    // copies, which need none of the painter's working memory.
    if (onDesk.size() == picture.Whole && pixels.format() == QImage::Format_RGB32) {
        const qsizetype bytes = qsizetype(visible.width()) * 4;
        for (int y = visible.top(); y <= visible.bottom(); ++y) {
            const int row = y - onDesk.top() - picture.FirstRow;
            if (row < 0 || row >= pixels.height())
                continue;
            std::memcpy(Desk.scanLine(y) + qsizetype(visible.left()) * 4,
                        pixels.constScanLine(row) + qsizetype(visible.left() - onDesk.left()) * 4,
                        size_t(bytes));
        }
        return;
    }
    if (!painter) {
        painter.emplace(&Desk);
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
    }
    // Whole or some rows only, the picture goes through one mapping, so every pixel of the
    // desktop comes out the same whichever part of it is composed.
    painter->save();
    painter->translate(onDesk.topLeft());
    painter->scale(double(onDesk.width()) / picture.Whole.width(),
                   double(onDesk.height()) / picture.Whole.height());
    painter->drawImage(QPointF(0, picture.FirstRow), pixels);
    painter->restore();
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

#include "desktop/wallpaper.h"

#include "desktop/desktoplog.h"

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

void TWallPaper::LoadWallpaper()
{
    // One reading of the facts for the whole load, so path and placement belong together.
    const platform::TDesktopFacts facts = Platform.DesktopFacts();
    const auto kind = facts.WallpaperPath.isEmpty()
                          ? std::nullopt
                          : KindOfExtension(TFileFormatsList(), ExtensionOf(facts.WallpaperPath));
    if (!kind) {
        Compose(QImage(), facts);
        return;
    }
    QImage picture;
    try {
        picture = ReadPicture(facts.WallpaperPath, *kind,
                              TargetFor(facts.Placement, Platform.VirtualDesktop()));
    } catch (const TPictureError& error) {
        throw TPictureError("Cannot load the wallpaper \"" + facts.WallpaperPath.toStdString() +
                            "\": " + error.what());
    }
    Compose(picture, facts);
}

void TWallPaper::ComposeDesktop(const QImage& picture) { Compose(picture, Platform.DesktopFacts()); }

void TWallPaper::Compose(const QImage& picture, const platform::TDesktopFacts& facts)
{
    const QRect primary = Platform.PrimaryScreen();
    // Reused when the size stays, so a reload needs no second screen bitmap.
    if (Desk.size() != primary.size() || Desk.format() != QImage::Format_RGB32)
        Desk = QImage(primary.size(), QImage::Format_RGB32);
    DeskOrigin = primary.topLeft();
    if (Desk.isNull()) {
        if (!primary.isEmpty())
            qCWarning(lcDesktop) << "no memory for a desktop image of" << primary.size();
        return;
    }
    // Filled first whatever the placement: transparent pixels show the desktop colour, and a
    // picture that does not cover the screen leaves no stale pixels of the last one.
    Desk.fill(facts.DesktopColor);
    if (!picture.isNull())
        Place(picture, facts.Placement, Platform.VirtualDesktop());
}

void TWallPaper::Place(const QImage& picture, TWallpaperPlacement placement, const QRect& r)
{
    std::optional<QPainter> painter;
    const int w = picture.width();
    const int h = picture.height();
    switch (placement) {
    case TWallpaperPlacement::Tiled:
        for (int i = 0; i <= r.width() / w; ++i)
            for (int j = 0; j <= r.height() / h; ++j)
                Draw(painter, picture, QRect(i * w, j * h, w, h));
        return;
    case TWallpaperPlacement::Stretched:
    case TWallpaperPlacement::Spanned:
    case TWallpaperPlacement::Fill:
    case TWallpaperPlacement::Fit:
        Draw(painter, picture, ScaledPlacement(placement, picture.size(), r));
        return;
    case TWallpaperPlacement::Centred:
        Draw(painter, picture, QRect(CentredPosition(picture.size(), r), picture.size()));
        return;
    }
}

void TWallPaper::Draw(std::optional<QPainter>& painter, const QImage& picture, const QRect& target)
{
    const QRect onDesk = target.translated(-DeskOrigin);
    const QRect visible = onDesk & Desk.rect();
    if (visible.isEmpty())
        return;
    // Opaque and unscaled (the JPEG decoder delivers the screen's size when it can): plain row
    // copies, which need none of the painter's working memory.
    if (onDesk.size() == picture.size() && picture.format() == QImage::Format_RGB32) {
        const qsizetype bytes = qsizetype(visible.width()) * 4;
        for (int y = visible.top(); y <= visible.bottom(); ++y)
            std::memcpy(Desk.scanLine(y) + qsizetype(visible.left()) * 4,
                        picture.constScanLine(y - onDesk.top()) + qsizetype(visible.left() - onDesk.left()) * 4,
                        size_t(bytes));
        return;
    }
    if (!painter) {
        painter.emplace(&Desk);
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
    }
    painter->drawImage(onDesk, picture);
}

void TWallPaper::CopyDeskRect(QImage& dest, const QRect& destRect, const QRect& sourceRect) const
{
    const QRect from(sourceRect.topLeft() - DeskOrigin, destRect.size());
    if (Desk.isNull()) {
        dest = QImage(from.size(), QImage::Format_RGB32);
        dest.fill(Qt::black);
        return;
    }
    dest = Desk.copy(from);
}

}  // namespace orvenna::desktop

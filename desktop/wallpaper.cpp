#include "wallpaper.h"

#include <QPainter>

#include <cmath>

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
    if (Desk.isNull())
        return;
    DeskOrigin = primary.topLeft();
    QPainter painter(&Desk);
    painter.translate(-primary.topLeft());
    const QRect r = Platform.VirtualDesktop();
    // Filled first whatever the placement: transparent pixels show the desktop colour, and a
    // picture that does not cover the screen leaves no stale pixels of the last one.
    painter.fillRect(r, facts.DesktopColor);
    if (!picture.isNull())
        Place(painter, picture, facts, r);
}

void TWallPaper::Place(QPainter& painter, const QImage& picture,
                       const platform::TDesktopFacts& facts, const QRect& r) const
{
    const int w = picture.width();
    const int h = picture.height();
    switch (facts.Placement) {
    case TWallpaperPlacement::Tiled:
        for (int i = 0; i <= r.width() / w; ++i)
            for (int j = 0; j <= r.height() / h; ++j)
                painter.drawImage(QPoint(i * w, j * h), picture);
        return;
    case TWallpaperPlacement::Stretched:
    case TWallpaperPlacement::Spanned:
    case TWallpaperPlacement::Fill:
    case TWallpaperPlacement::Fit: {
        const QRect target = ScaledPlacement(facts.Placement, picture.size(), r);
        if (target.size() == picture.size()) {
            painter.drawImage(target.topLeft(), picture);
            return;
        }
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, picture);
        return;
    }
    case TWallpaperPlacement::Centred:
        painter.drawImage(CentredPosition(picture.size(), r), picture);
        return;
    }
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

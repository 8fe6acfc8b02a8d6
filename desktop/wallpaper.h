#pragma once
// TWallPaper: the desktop background as the desktop draws it, in a bitmap of the primary
// screen's size, and copies of its rectangles for windows that want to look painted on it.

#include "desktop/picturereader.h"
#include "desktop/rawpicture.h"

#include "platform/platform.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include <optional>

namespace orvenna::desktop {

class TWallPaper final {
public:
    // platform must outlive the object; facts are asked of it on every query.
    explicit TWallPaper(platform::TPlatform& platform);

    // Full path of the wallpaper file; empty when the desktop shows none.
    QString GetWallpaperPath() const;
    bool IsTiled() const;
    // True for a picture scaled to the whole desktop (stretched or spanned).
    bool IsStretched() const;
    QColor DesktopColor() const;

    // Reads the wallpaper and composes DeskBitmap from it. No wallpaper, an unrecognised
    // extension or a picture without pixels give a plain fill of the desktop colour.
    // A picture that cannot be read throws TPictureError ("Cannot load the wallpaper ...");
    // DeskBitmap then keeps its previous composition.
    void LoadWallpaper();
    // Renders picture (null: none) into DeskBitmap, sized to the primary screen, placed on the
    // virtual desktop as the desktop's placement says.
    void ComposeDesktop(const QImage& picture);
    // Makes dest destRect.size() and copies into it the DeskBitmap pixels from
    // sourceRect.topLeft() (screen coordinates) on. Only that corner of sourceRect counts;
    // pixels beyond DeskBitmap come out black.
    void CopyDeskRect(QImage& dest, const QRect& destRect, const QRect& sourceRect) const;
    // False only for a wallpaper whose extension names no picture kind we know.
    bool IsFormatSupported() const;

    // The composed desktop; null before the first LoadWallpaper. Pixel (x, y) is the desktop
    // pixel at screen position primary.topLeft() + (x, y).
    const QImage& DeskBitmap() const { return Desk; }

private:
    void Compose(const QImage& picture, const platform::TDesktopFacts& facts);
    void Place(const QImage& picture, platform::TWallpaperPlacement placement, const QRect& r);
    void Draw(std::optional<QPainter>& painter, const QImage& picture, const QRect& target);

    platform::TPlatform& Platform;
    QImage Desk;
    QPoint DeskOrigin;  // the screen position of Desk's pixel (0, 0)
};

// A rectangle given by its edges, Right and Bottom exclusive, as a QRect.
constexpr QRect RectFromEdges(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

// Where a picture of size picture is drawn inside r, and how large, for the placements that
// scale it: Fill covers r (the overflow is cut), Fit fits inside r; both keep the aspect
// ratio and centre on r. Other placements: r itself.
QRect ScaledPlacement(platform::TWallpaperPlacement placement, QSize picture, const QRect& r);
// The position of a centred, unscaled picture: ((Right - W) div 2, (Bottom - H) div 2), with r's
// Right and Bottom exclusive and the divisions truncating toward zero.
QPoint CentredPosition(QSize picture, const QRect& r);

}  // namespace orvenna::desktop

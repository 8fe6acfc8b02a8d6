#pragma once
// TWallPaper: the desktop background as the desktop draws it, in a bitmap of the primary
// screen's size (or only of the part a window needs), and copies of its rectangles for windows
// that want to look painted on it.

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
    // Renders picture (null: none) into DeskBitmap, sized to the primary screen (or to the kept
    // area), placed on the virtual desktop as the desktop's placement says.
    void ComposeDesktop(const QImage& picture);
    // Makes dest destRect.size() and copies into it the DeskBitmap pixels from
    // sourceRect.topLeft() (screen coordinates) on. Only that corner of sourceRect counts;
    // pixels beyond DeskBitmap come out black. At a ratio other than 1, dest holds device pixels
    // and carries that device pixel ratio, so it paints 1:1 over a rectangle of destRect's size.
    void CopyDeskRect(QImage& dest, const QRect& destRect, const QRect& sourceRect) const;

    // From the next composition on, only area (screen coordinates) is composed, at ratio device
    // pixels per screen coordinate, and only the picture rows behind it are decoded where the
    // format allows: a window that shows a small part of the desktop holds no screen-sized
    // bitmap. An empty area: the whole primary screen (the default).
    void SetKeptArea(const QRect& area, qreal ratio = 1.0);
    // True when the last composition holds area at ratio, so copies from it need no new load.
    bool Covers(const QRect& area, qreal ratio = 1.0) const;

    // A text naming everything a composition of the kept area depends on: the wallpaper file
    // (path, size, time of change), its placement, the desktop colour, the screens, the area
    // and the ratio. Equal texts, equal pixels.
    QString CurrentKey() const;
    // The key of the composition held now; empty when it came from ComposeDesktop or a failure.
    const QString& ComposedKey() const { return Key; }
    // Takes composed, saved from an earlier composition of the kept area (device pixels), as
    // the composition, so that a start with an unchanged desktop decodes nothing. Only when key
    // is CurrentKey() and the size fits; false and nothing changed otherwise.
    bool Adopt(const QImage& composed, const QString& key);
    // False only for a wallpaper whose extension names no picture kind we know.
    bool IsFormatSupported() const;

    // The composed desktop; null before the first LoadWallpaper. Pixel (x, y) is the desktop
    // pixel at (device) screen position DeskOrigin() + (x, y): the primary screen's corner, or
    // the kept area's.
    const QImage& DeskBitmap() const { return Desk; }
    QPoint DeskOrigin() const { return Origin; }

private:
    QRect ComposedRect() const;  // device pixels
    TNeededRows RowsBehind(platform::TWallpaperPlacement placement, const QRect& r) const;
    void Compose(const TPicturePart& picture, const platform::TDesktopFacts& facts);
    void Place(const TPicturePart& picture, platform::TWallpaperPlacement placement, const QRect& r);
    void Draw(std::optional<QPainter>& painter, const TPicturePart& picture, const QRect& target);

    platform::TPlatform& Platform;
    QImage Desk;
    QPoint Origin;  // the device screen position of Desk's pixel (0, 0)
    QRect KeptArea;
    qreal Ratio = 1.0;
    QString Key;
};

// r in device pixels at ratio device pixels per screen coordinate.
QRect DeviceRect(const QRect& r, qreal ratio);

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

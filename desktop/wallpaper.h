#pragma once
// TWallPaper: the desktop background as the desktop draws it, in a bitmap of the whole virtual
// desktop (or only of the part a window needs), and copies of its rectangles for windows that
// want to look painted on it. Every screen shows its own wallpaper (TScreenWallpaper), placed by
// that screen's size, or its part of one spanned over all screens.

#include "desktop/picturereader.h"
#include "desktop/rawpicture.h"

#include "platform/platform.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace orvenna::desktop {

// ---- composing one screen ------------------------------------------------------------------
// The steps of a composition, for callers that keep decoded pictures and compose again from
// them (all rectangles in device pixels).
//
// One screen's part of the desktop: the picture of Facts placed in Placement (the screen
// itself, or for a Spanned picture the bounding box of all screens) over a fill of Facts'
// desktop colour, and cut to Screen.
struct TScreenLayer {
    QRect Screen;
    QRect Placement;
    platform::TDesktopFacts Facts;
};
// The layers of the screens at ratio device pixels per screen coordinate, in their order.
QList<TScreenLayer> ScreenLayers(const QList<platform::TScreenWallpaper>& screens, qreal ratio);
// The rows of layer's screen that reach into area: the screen's full width, area's rows.
// Layers are always composed in whole rows of their screen: the smoothing filter walks each
// row from the screen's edge, so every pixel comes out the same whichever rows are composed.
QRect LayerBand(const TScreenLayer& layer, const QRect& area);
// Reads the picture of the layer, only the rows that land in band where the format allows
// (all of them with band empty); an empty part for a colour fill (no wallpaper, an extension
// we do not know). Throws TPictureError "Cannot load the wallpaper "<path>": <reason>".
TPicturePart ReadLayerPicture(const TScreenLayer& layer, const QRect& band);
// Composes band (a QImage of LayerBand's size, whose pixel (0, 0) is band.topLeft() of the
// screen) from the layer and its picture as ReadLayerPicture gave it.
void ComposeLayer(QImage& pixels, const QRect& band, const TScreenLayer& layer, const TPicturePart& picture);

// A composed part of the desktop: Desk's pixel (x, y) is the desktop pixel at device screen
// position Origin + (x, y), at Ratio device pixels per screen coordinate. SourceKey names what
// the screens showed (their places and wallpapers); empty when it is not known.
struct TComposition {
    QImage Desk;
    QPoint Origin;
    qreal Ratio = 1.0;
    QString SourceKey;
};

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

    // Reads every screen's wallpaper that the composed area (the kept area and its
    // neighbourhood) reaches and composes DeskBitmap from them. No wallpaper, an unrecognised extension or a picture without pixels give a
    // plain fill of that screen's desktop colour; what lies on no screen is black.
    // A picture that cannot be read throws TPictureError ("Cannot load the wallpaper ...");
    // DeskBitmap then keeps its previous composition.
    void LoadWallpaper();
    // Renders picture (null: none) on every screen into DeskBitmap, sized to the virtual desktop
    // (or to the kept area), with each screen's placement and colour.
    void ComposeDesktop(const QImage& picture);
    // Makes dest destRect.size() and copies into it the DeskBitmap pixels from
    // sourceRect.topLeft() (screen coordinates) on. Only that corner of sourceRect counts;
    // pixels beyond DeskBitmap come out black. At a ratio other than 1, dest holds device pixels
    // and carries that device pixel ratio, so it paints 1:1 over a rectangle of destRect's size.
    void CopyDeskRect(QImage& dest, const QRect& destRect, const QRect& sourceRect) const;

    // From the next composition on, only area (screen coordinates) is composed, at ratio device
    // pixels per screen coordinate, and only the picture rows behind it are decoded where the
    // format allows: a window that shows a small part of the desktop holds no screen-sized
    // bitmap. An empty area: the whole virtual desktop (the default).
    // Moving the kept area keeps the composition: a copy of a part it covers needs no new load.
    void SetKeptArea(const QRect& area, qreal ratio = 1.0);
    // A composition read from the pictures (LoadWallpaper, LoadJob) also holds margin screen
    // coordinates around the kept area on every side, so that a window moved by up to margin
    // finds its pixels composed. 0 (the default): the kept area alone. No effect without a
    // kept area.
    void SetNeighbourhood(int margin);
    // The kept area with its neighbourhood; empty for the whole desktop.
    QRect NeighbourhoodArea() const;
    // True when the last composition holds area at ratio, so copies from it need no new load.
    bool Covers(const QRect& area, qreal ratio = 1.0) const;

    // LoadWallpaper's reading and composing, made to run in another thread: the job holds
    // copies of everything it needs (the screens as the platform reports them now, the area,
    // the ratio) and touches nothing of this object. Throws as LoadWallpaper.
    using TLoadJob = std::function<TComposition()>;
    TLoadJob LoadJob() const;
    // Takes a composition a job made as the one held, when the screens still show what it was
    // made from and it is at the kept ratio; false and nothing changed otherwise.
    bool Take(TComposition composition);

    // A text naming everything a composition of the kept area depends on: for every screen its
    // place and its wallpaper (path, file size, time of change, placement, desktop colour), the
    // area and the ratio. Equal texts, equal pixels.
    QString CurrentKey() const;
    // The key of the kept area as the composition held now shows it: what it was composed from,
    // with the kept area and ratio; empty when it came from ComposeDesktop or a failure, or when
    // it does not hold the kept area.
    QString ComposedKey() const;
    // Takes composed, saved from an earlier composition of the kept area (device pixels), as
    // the composition, so that a start with an unchanged desktop decodes nothing. Only when key
    // is CurrentKey() and the size fits; false and nothing changed otherwise.
    bool Adopt(const QImage& composed, const QString& key);
    // False only when a screen's wallpaper has an extension that names no picture kind we know.
    bool IsFormatSupported() const;

    // While one lives, the screens and their wallpapers are asked of the platform once, at
    // the first query that needs them, and the queries share that answer: for a step of the
    // caller (a start, a refresh) in which the desktop cannot be seen to change, since its
    // changes are told through the event loop. On X11 each asking costs round trips to the
    // window manager. They nest; the outermost one ends the reading.
    class TOneReading final {
    public:
        explicit TOneReading(const TWallPaper& paper);
        ~TOneReading();
        TOneReading(const TOneReading&) = delete;
        TOneReading& operator=(const TOneReading&) = delete;

    private:
        const TWallPaper& Paper;
        bool Outermost;
    };

    // The composed desktop; null before the first LoadWallpaper. Pixel (x, y) is the desktop
    // pixel at (device) screen position DeskOrigin() + (x, y): the virtual desktop's corner, or
    // the kept area's.
    const QImage& DeskBitmap() const { return Held.Desk; }
    QPoint DeskOrigin() const { return Held.Origin; }

private:
    // The device pixels a composition from the pictures holds: the kept area with its
    // neighbourhood, or the bounding box of the screens.
    QRect ComposedRect(const QList<platform::TScreenWallpaper>& screens) const;
    // The platform's ScreenWallpapers(), or the reading a TOneReading holds.
    QList<platform::TScreenWallpaper> ScreenWallpapers() const;

    platform::TPlatform& Platform;
    mutable bool ReadingOnce = false;  // a TOneReading lives
    mutable std::optional<QList<platform::TScreenWallpaper>> Reading;
    TComposition Held;
    QRect KeptArea;
    qreal Ratio = 1.0;
    int Margin = 0;
};

// r in device pixels at ratio device pixels per screen coordinate.
QRect DeviceRect(const QRect& r, qreal ratio);

// The part of picture inside part, as a picture that shares picture's pixels instead of copying
// them; it keeps them alive for as long as it lives, and a painter that writes into it writes
// into a copy of its own. Where part does not lie wholly inside picture (or the pixels are not
// whole bytes), as picture.copy(part): a copy, black beyond picture's edges.
QImage SharedPart(const QImage& picture, const QRect& part);

// A rectangle given by its edges, Right and Bottom exclusive, as a QRect.
constexpr QRect RectFromEdges(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

// Where a picture of size picture is drawn inside r, and how large, for the placements that
// scale it: Fill covers r (the overflow is cut), Fit fits inside r; both keep the aspect
// ratio and centre on r. Other placements: r itself.
QRect ScaledPlacement(platform::TWallpaperPlacement placement, QSize picture, const QRect& r);
// The position of a centred, unscaled picture: (Left + (Width - W) div 2, Top + (Height - H) div 2),
// the divisions truncating toward zero. For r at the origin that is ((Right - W) div 2,
// (Bottom - H) div 2) with r's Right and Bottom exclusive.
QPoint CentredPosition(QSize picture, const QRect& r);

}  // namespace orvenna::desktop

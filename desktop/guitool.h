#pragma once
// Small services several windows share: the program folder, the log-on entry, the note
// editor's bitmap skin with smooth text drawn over it, and the weekday captions of the title
// row. The drawing operations are class-level and keep nothing between calls.
//
// What the program traces goes to the log category "orvenna.trace" (desktop/desktoplog.h),
// off in normal running: QT_LOGGING_RULES="orvenna.trace.debug=true" shows it.

#include "platform/platform.h"

#include <QString>

#include <cstdint>

class QFont;
class QPainter;

namespace orvenna::desktop {

// The weekday captions of the calendar's title row, Sunday first.
inline constexpr const char* WeekdayLabels[7] = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};

// A rectangle given by its edges, Right and Bottom exclusive (a cell 30 wide from Left 10
// has Right 40).
struct TEdgeRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
};

class TGUITools final {
public:
    // The platform must outlive the object.
    explicit TGUITools(platform::TPlatform& platform);

    // The running executable's folder with one trailing '/'.
    QString GetAppPath() const;
    // Adds or removes the entry that starts the program at log-on; silent when not allowed.
    void SetAutoRun(bool enabled);

    // The drawing operations load their images from programFolder + "images/" on every call.
    // They run inside paint events, so they never throw: when an image cannot be used
    // (missing, unreadable, or too narrow for its tiling step) they draw nothing, return
    // false and, given failure, put there a message that names the file. They draw whole
    // images and never clip; the painter's own clip (the paint box) cuts them.

    // Header strip: images/leftcornor.bmp at (0, 0), then copies of images/bk.bmp at
    // x = Wc + i * (Wb - 2), i = 0..n, with n = (paintBoxWidth - Wc) / (Wb - 2) truncated
    // toward zero and no copy when n < 0. bk.bmp must be at least 3 pixels wide.
    static bool DrawHeaderBar(const QString& programFolder, int paintBoxWidth, QPainter& painter,
                              QString* failure = nullptr);
    // Grid-cell background: copies of images/grdbk.bmp at (rect.Left + i * Wg, rect.Top),
    // i = 0..n, with n = (rect.Right - rect.Left) / Wg truncated toward zero and no copy when
    // n < 0. The rectangle's height is not used.
    static bool TileGridBack(const QString& programFolder, const TEdgeRect& rect, QPainter& painter,
                             QString* failure = nullptr);
    // Text in the font's face, size and style, antialiased, in the painter's current pen
    // colour, on a transparent background, with its top-left corner at (x, y). The
    // antialiased font and the transparent mode stay set on the painter afterwards.
    static void DrawSmoothText(QPainter& painter, const QString& text, const QFont& font, int x,
                               int y);

private:
    platform::TPlatform& Platform;
};

}  // namespace orvenna::desktop

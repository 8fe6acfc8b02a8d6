#pragma once
// The arithmetic of the sliding popup, kept apart from the widgets: placement at the task-bar
// edge, the room test of a stack, one slide step, text centring and the gradient colours.
// Rectangles are screen pixels; a work area's right and bottom are x + width and y + height.

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>
#include <vector>

namespace orvenna::popup {

// Direction of the background gradient: mbVertical changes colour from top to bottom.
enum class TOrientation { mbHorizontal, mbVertical };
// How a background picture covers the popup: in its own size at the top-left corner,
// repeated from the top-left corner, or stretched to the whole area.
enum class TSlideImageDrawMethod { dmActualSize, dmTile, dmFit };

// The screen edge the task bar sits at; the popups grow out of the corner next to it
// (left: bottom-left corner, top: top-right, right and bottom: bottom-right).
enum class TTaskBarEdge { Left = 0, Top = 1, Right = 2, Bottom = 3 };

// The edge of a task-bar rectangle. A screen without any task bar is treated as one with a
// bottom task bar, so popups still animate and leave.
TTaskBarEdge TaskBarEdgeOf(const std::optional<QRect>& taskBar);

// True when a popup of the given height, stacked at offset pixels from the base position,
// still lies wholly inside the work area.
bool HasRoom(TTaskBarEdge edge, const QRect& workArea, int offset, int height, int startY);

// Top-left corner of a full-size popup: startX from the side edge, startY from the top or
// bottom edge of the work area, offset pixels further away from the task bar.
QPoint PopupPosition(TTaskBarEdge edge, const QRect& workArea, QSize size, int startX, int startY,
                     int offset);

// The 1-pixel sliver a sliding popup starts from, on the task-bar side of its full geometry.
QRect Sliver(TTaskBarEdge edge, const QRect& full);

struct TSlideStep {
    QRect Geometry;
    bool Finished = false;  // slide-in: full size reached; slide-out: the popup is to close
};

// Where the base of a sliding popup lies; the slide-in's last step snaps to it.
struct TSlideAnchor {
    QRect WorkArea;
    int StartX = 0;
    int StartY = 0;
    int StackOffset = 0;
};

// One 25 ms step of the slide-in: speed pixels more of the popup, or the full target size.
TSlideStep SlideInStep(TTaskBarEdge edge, const QRect& current, QSize target, int speed,
                       const TSlideAnchor& anchor);
// One step of the slide-out: speed pixels less, or finished when nothing would remain.
TSlideStep SlideOutStep(TTaskBarEdge edge, const QRect& current, int speed);

// Offset of an item of size inner centred in outer: each half rounded to nearest, ties to
// even (a 15-pixel margin splits 8 + 7).
QPoint CentredOffset(QSize outer, QSize inner);

// The widths of a row of buttons sharing room pixels (the gaps already taken out), given the
// width each caption needs. Equal shares while every caption fits in one, so that the designed
// row keeps its look; otherwise each button gets a share in proportion to its need, so that a
// long caption (a translation) takes room from the short ones. The widths add up to room.
std::vector<int> ButtonRowWidths(const std::vector<int>& needed, int room);

// The colour at 1-based position of count steps from c1 to c2 (position 1: c1, count: c2),
// each channel reduced modulo 256. A count below 2 has a single step: c1. Each channel moves by
// (position - 1) x (to - from) / (count - 1) rounded with halves away from zero: the program's
// scaling rule (store::MulDiv).
QColor BlendColor(const QColor& c1, const QColor& c2, int position, int count);


// A two-colour gradient of the given size, drawn line by line: vertical runs from c1 at the
// top to c2 at the bottom, horizontal from left to right. The steps are counted one past the
// last line, so the far edge stops one step short of c2.
QImage GradientImage(QSize size, const QColor& c1, const QColor& c2, TOrientation orientation);

// A picture whose colour at the bottom-left pixel becomes see-through, the way the popup's
// icon and background pictures are drawn. A picture with its own alpha channel keeps it.
QImage TransparentPicture(const QImage& picture);

// Draws picture (made transparent as above) onto canvas by the given method. Tiles start at
// the top-left corner and repeat while they begin inside the canvas.
void DrawPicture(QImage& canvas, const QImage& picture, TSlideImageDrawMethod method);

}  // namespace orvenna::popup

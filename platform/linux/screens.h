#pragma once
// The pure part of the screen service: finding the panel from what it reserves.

#include <QRect>

#include <optional>

namespace orvenna::platform {

// The panel (task bar) of a screen, worked out from the area the panels leave free.
// A panel reserves a strip at one edge; the result spans that whole edge of the screen and is
// as deep as the widest reservation (when panels sit at several edges, the deepest one wins;
// ties go bottom, top, left, right, in that order). None when nothing is reserved, or when
// the work area does not lie on the screen at all.
std::optional<QRect> PanelFromWorkArea(const QRect& screen, const QRect& workArea);

}  // namespace orvenna::platform

// The work area of the primary screen as the window manager reports it.
#include "platform/linux/linuxplatform.h"
#include "platform/linux/xcbtools.h"

#include <QGuiApplication>
#include <QScreen>

#include <cstdint>
#include <vector>

namespace orvenna::platform {

namespace {

// _NET_WORKAREA of the current desktop, as the window manager computes it from the panels'
// struts. None without X11, without a window manager that publishes it, or on a bad reply.
std::optional<QRect> NetWorkArea()
{
    xcb_connection_t* connection = TLinuxPlatform::IsX11() ? XcbConnection() : nullptr;
    if (!connection)
        return std::nullopt;
    const xcb_window_t root = DefaultRoot(connection);
    const std::vector<std::uint32_t> current = ReadProperty32(
        connection, root, InternAtom(connection, "_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL, 1);
    const std::uint32_t desktop = current.empty() ? 0 : current.front();
    // One rectangle (x, y, width, height) per desktop; a sane desktop count is far below this.
    const std::vector<std::uint32_t> areas = ReadProperty32(
        connection, root, InternAtom(connection, "_NET_WORKAREA"), XCB_ATOM_CARDINAL, 4 * 64);
    if (areas.size() < 4 * (std::size_t(desktop) + 1))
        return std::nullopt;
    const std::uint32_t* area = areas.data() + 4 * desktop;
    const QRect rect{int(area[0]), int(area[1]), int(area[2]), int(area[3])};
    return rect.isValid() ? std::optional(rect) : std::nullopt;
}

}  // namespace

QRect TLinuxPlatform::WorkArea() const
{
    const QScreen* screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    if (!screen)
        return {};
    // The window manager's own figure is read fresh; Qt's copy may lag behind a panel that
    // has just appeared. It spans all screens, so keep the primary screen's part of it.
    if (const std::optional<QRect> net = NetWorkArea()) {
        const QRect onPrimary = net->intersected(screen->geometry());
        if (!onPrimary.isEmpty())
            return onPrimary;
    }
    return TQtPlatform::WorkArea();
}

}  // namespace orvenna::platform

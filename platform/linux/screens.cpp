#include "platform/linux/screens.h"

#include "platform/linux/linuxplatform.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace orvenna::platform {

std::optional<QRect> PanelFromWorkArea(const QRect& screen, const QRect& workArea)
{
    const QRect work = workArea.intersected(screen);
    if (work.isEmpty() || work == screen)
        return std::nullopt;
    const int bottom = screen.bottom() - work.bottom();
    const int top = work.top() - screen.top();
    const int left = work.left() - screen.left();
    const int right = screen.right() - work.right();
    const int deepest = std::max({bottom, top, left, right});
    if (bottom == deepest)
        return QRect(screen.left(), screen.bottom() - bottom + 1, screen.width(), bottom);
    if (top == deepest)
        return QRect(screen.left(), screen.top(), screen.width(), top);
    if (left == deepest)
        return QRect(screen.left(), screen.top(), left, screen.height());
    return QRect(screen.right() - right + 1, screen.top(), right, screen.height());
}

namespace {

// _NET_WORKAREA of the current desktop, as the window manager computes it from the panels'
// struts. None without X11, without a window manager that publishes it, or on a bad reply.
std::optional<QRect> NetWorkArea()
{
    if (!TLinuxPlatform::IsX11())
        return std::nullopt;
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return std::nullopt;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;

    auto atom = [connection](const char* name) -> xcb_atom_t {
        auto cookie = xcb_intern_atom(connection, 1, std::strlen(name), name);
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return result;
    };
    auto cardinals = [connection, root](xcb_atom_t property, std::uint32_t count) {
        std::vector<std::uint32_t> values;
        if (property == XCB_ATOM_NONE)
            return values;
        auto cookie = xcb_get_property(connection, 0, root, property, XCB_ATOM_CARDINAL, 0, count);
        xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
        if (reply && reply->format == 32) {
            const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
            values.assign(data, data + xcb_get_property_value_length(reply) / 4);
        }
        std::free(reply);
        return values;
    };

    const std::vector<std::uint32_t> current = cardinals(atom("_NET_CURRENT_DESKTOP"), 1);
    const std::uint32_t desktop = current.empty() ? 0 : current.front();
    // One rectangle (x, y, width, height) per desktop; a sane desktop count is far below this.
    const std::vector<std::uint32_t> areas = cardinals(atom("_NET_WORKAREA"), 4 * 64);
    if (areas.size() < 4 * (std::size_t(desktop) + 1))
        return std::nullopt;
    const std::uint32_t* area = areas.data() + 4 * desktop;
    const QRect rect{int(area[0]), int(area[1]), int(area[2]), int(area[3])};
    return rect.isValid() ? std::optional(rect) : std::nullopt;
}

}  // namespace

QRect TLinuxPlatform::PrimaryScreen() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

QRect TLinuxPlatform::VirtualDesktop() const
{
    QRect all;
    for (const QScreen* screen : QGuiApplication::screens())
        all = all.united(screen->geometry());
    return all;
}

QRect TLinuxPlatform::WorkArea() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    // The window manager's own figure is read fresh; Qt's copy may lag behind a panel that
    // has just appeared. It spans all screens, so keep the primary screen's part of it.
    if (const std::optional<QRect> net = NetWorkArea()) {
        const QRect onPrimary = net->intersected(screen->geometry());
        if (!onPrimary.isEmpty())
            return onPrimary;
    }
    return screen->availableGeometry();
}

std::optional<QRect> TLinuxPlatform::TaskBarRect() const
{
    return PanelFromWorkArea(PrimaryScreen(), WorkArea());
}

}  // namespace orvenna::platform

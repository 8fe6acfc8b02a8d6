#include "platform/linux/xcbtools.h"

#include <QGuiApplication>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace orvenna::platform {

xcb_connection_t* XcbConnection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name)
{
    // An atom names the same thing for as long as the server runs: each is asked for once per
    // connection, as restyling a window asks for the same handful again and again.
    static std::mutex lock;
    static std::map<std::pair<xcb_connection_t*, std::string>, xcb_atom_t> known;
    std::pair<xcb_connection_t*, std::string> key{connection, name};
    {
        const std::lock_guard<std::mutex> guard(lock);
        if (const auto found = known.find(key); found != known.end())
            return found->second;
    }
    const auto cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    if (atom != XCB_ATOM_NONE) {
        const std::lock_guard<std::mutex> guard(lock);
        known.emplace(std::move(key), atom);
    }
    return atom;
}

xcb_window_t DefaultRoot(xcb_connection_t* connection)
{
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    return screens.rem > 0 ? screens.data->root : xcb_window_t(XCB_WINDOW_NONE);
}

xcb_window_t RootOf(xcb_connection_t* connection, xcb_window_t window)
{
    xcb_query_tree_reply_t* reply =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    const xcb_window_t root = reply ? reply->root : xcb_window_t(XCB_WINDOW_NONE);
    std::free(reply);
    return root;
}

std::vector<std::uint32_t> ReadProperty32(xcb_connection_t* connection, xcb_window_t window,
                                          xcb_atom_t property, xcb_atom_t type,
                                          std::uint32_t maxCount)
{
    std::vector<std::uint32_t> values;
    if (property == XCB_ATOM_NONE)
        return values;
    const auto cookie = xcb_get_property(connection, 0, window, property, type, 0, maxCount);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
    if (reply && reply->format == 32 && reply->type == type) {
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

void WriteProperty32(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                     xcb_atom_t type, const std::vector<std::uint32_t>& values)
{
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, type, 32,
                        static_cast<std::uint32_t>(values.size()), values.data());
}

}  // namespace orvenna::platform

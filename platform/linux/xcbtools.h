#pragma once
// The few xcb requests the adapter's X11 services share: the connection, atoms, the root
// window and 32-bit properties. Every call but a known atom is a round trip; all return "nothing"
// on failure.

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

namespace orvenna::platform {

// The application's own X connection; null without X11 (offscreen, Wayland) or before the
// application object exists.
xcb_connection_t* XcbConnection();

// The atom of that name, created when the server does not know it yet; XCB_ATOM_NONE when the
// server does not answer.
xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name);

// The root window of the default screen, and the root window above a window.
xcb_window_t DefaultRoot(xcb_connection_t* connection);
xcb_window_t RootOf(xcb_connection_t* connection, xcb_window_t window);

// The values of a 32-bit property of the given type (at most maxCount of them); empty when the
// property is absent, of another type or format, or property is XCB_ATOM_NONE.
std::vector<std::uint32_t> ReadProperty32(xcb_connection_t* connection, xcb_window_t window,
                                          xcb_atom_t property, xcb_atom_t type,
                                          std::uint32_t maxCount);

// Replaces a 32-bit property with values (sent, not flushed).
void WriteProperty32(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                     xcb_atom_t type, const std::vector<std::uint32_t>& values);

}  // namespace orvenna::platform

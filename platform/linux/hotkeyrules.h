#pragma once
// How a portable hot key becomes an X11 key grab: pure rules, testable without a display.

#include "platform/platform.h"

#include <cstdint>
#include <optional>

namespace orvenna::platform {

// The X key and modifier mask of a hot key.
struct TX11KeyGrab {
    std::uint32_t KeySym = 0;
    std::uint16_t Modifiers = 0;  // Shift, Control, Mod1 (Alt), Mod4 (Super)
};

// None when the key has no X key sym here (modifier keys alone, keypad keys, unknown keys),
// when a modifier other than Shift, Control, Alt and Meta is asked for, or when a key of the
// main block would be grabbed with no modifier but Shift: that would take ordinary typing away
// from every program.
std::optional<TX11KeyGrab> X11KeyGrabOf(const THotKey& key);

}  // namespace orvenna::platform

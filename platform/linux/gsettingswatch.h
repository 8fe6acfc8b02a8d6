#pragma once
// Calls a handler whenever a wallpaper key of an installed GNOME, Cinnamon or MATE schema
// changes. GIO delivers the change on the thread's main context, which Qt's GLib event
// dispatcher runs: the handler is called on the window thread from the event loop. Making one
// loads GIO; without GIO it watches nothing.

#include <functional>
#include <memory>

namespace orvenna::platform {

class TGSettingsWatch final {
public:
    explicit TGSettingsWatch(std::function<void()> onChange);
    ~TGSettingsWatch();
    TGSettingsWatch(const TGSettingsWatch&) = delete;
    TGSettingsWatch& operator=(const TGSettingsWatch&) = delete;

private:
    struct TImpl;
    std::unique_ptr<TImpl> Impl;
};

}  // namespace orvenna::platform

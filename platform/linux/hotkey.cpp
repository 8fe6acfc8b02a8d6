// The global hot key on X11.
#include "platform/linux/hotkeyrules.h"
#include "platform/linux/linuxplatform.h"
#include "platform/linux/linuxstate.h"
#include "platform/platformlog.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include <xcb/xcb.h>
// Xlib last: its macros (None, Bool, Status, ...) would clash with Qt's headers.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace orvenna::platform {

std::optional<TX11KeyGrab> X11KeyGrabOf(const THotKey& key)
{
    constexpr Qt::KeyboardModifiers Known =
        Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (key.Modifiers & ~Known)
        return std::nullopt;
    std::uint32_t sym = 0;
    const int code = key.Key;
    const bool mainBlock = code >= Qt::Key_Space && code <= Qt::Key_AsciiTilde;
    if (code >= Qt::Key_A && code <= Qt::Key_Z)
        sym = XK_a + (code - Qt::Key_A);  // X names letters by their small form
    else if (mainBlock)
        sym = static_cast<std::uint32_t>(code);  // Latin-1 key syms are the character codes
    else if (code >= Qt::Key_F1 && code <= Qt::Key_F35)
        sym = XK_F1 + (code - Qt::Key_F1);
    else {
        static constexpr std::pair<Qt::Key, std::uint32_t> Named[] = {
            {Qt::Key_Escape, XK_Escape}, {Qt::Key_Tab, XK_Tab},
            {Qt::Key_Backspace, XK_BackSpace}, {Qt::Key_Return, XK_Return},
            {Qt::Key_Insert, XK_Insert}, {Qt::Key_Delete, XK_Delete},
            {Qt::Key_Pause, XK_Pause}, {Qt::Key_Print, XK_Print},
            {Qt::Key_Home, XK_Home}, {Qt::Key_End, XK_End},
            {Qt::Key_Left, XK_Left}, {Qt::Key_Up, XK_Up},
            {Qt::Key_Right, XK_Right}, {Qt::Key_Down, XK_Down},
            {Qt::Key_PageUp, XK_Prior}, {Qt::Key_PageDown, XK_Next},
        };
        for (const auto& [qtKey, xSym] : Named)
            if (qtKey == key.Key)
                sym = xSym;
    }
    if (sym == 0)
        return std::nullopt;
    if (mainBlock && !(key.Modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return std::nullopt;
    std::uint16_t mask = 0;
    if (key.Modifiers & Qt::ShiftModifier)
        mask |= XCB_MOD_MASK_SHIFT;
    if (key.Modifiers & Qt::ControlModifier)
        mask |= XCB_MOD_MASK_CONTROL;
    if (key.Modifiers & Qt::AltModifier)
        mask |= XCB_MOD_MASK_1;
    if (key.Modifiers & Qt::MetaModifier)
        mask |= XCB_MOD_MASK_4;
    return TX11KeyGrab{sym, mask};
}

// A passive grab of the hot key on the root window, with the Caps Lock and Num Lock variants
// so that the key works whatever the lock lights say. The presses arrive through Qt's own
// connection and are picked out of its event stream here; they are always reported on the
// root window (no owner events), also while one of our own windows has the focus.
class THotKeyGrab final : public QAbstractNativeEventFilter {
public:
    THotKeyGrab(xcb_connection_t* connection, xcb_window_t root, xcb_keycode_t key,
                uint16_t modifiers, uint16_t numLockMask, QObject* receiver,
                std::function<void()> onPressed)
        : Connection(connection), Root(root), Key(key), Wanted(modifiers), Receiver(receiver),
          OnPressed(std::move(onPressed))
    {
        for (const uint16_t locks : {uint16_t(0), uint16_t(XCB_MOD_MASK_LOCK), numLockMask,
                                     uint16_t(XCB_MOD_MASK_LOCK | numLockMask)})
            if (std::find(Modifiers.begin(), Modifiers.end(), Wanted | locks) == Modifiers.end())
                Modifiers.push_back(Wanted | locks);
        IgnoredMask = XCB_MOD_MASK_LOCK | numLockMask;
    }
    ~THotKeyGrab() override
    {
        if (Grabbed) {
            QCoreApplication::instance()->removeNativeEventFilter(this);
            Ungrab(Modifiers.size());
        }
    }
    THotKeyGrab(const THotKeyGrab&) = delete;
    THotKeyGrab& operator=(const THotKeyGrab&) = delete;

    // False when any variant is taken by another client (BadAccess); nothing stays grabbed.
    bool Grab()
    {
        for (std::size_t i = 0; i < Modifiers.size(); ++i) {
            const auto cookie = xcb_grab_key_checked(Connection, 0, Root, Modifiers[i], Key,
                                                     XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            if (xcb_generic_error_t* error = xcb_request_check(Connection, cookie)) {
                std::free(error);
                Ungrab(i);
                return false;
            }
        }
        Grabbed = true;
        QCoreApplication::instance()->installNativeEventFilter(this);
        return true;
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
            return false;
        const auto* press = static_cast<const xcb_key_press_event_t*>(message);
        constexpr uint16_t KeyModifiers = 0xff;
        if (press->event != Root || press->detail != Key
            || (press->state & KeyModifiers & ~IgnoredMask) != Wanted)
            return false;
        // Queued: the listeners may open windows and run event loops of their own. Dropped
        // when the receiver is gone by then.
        QMetaObject::invokeMethod(Receiver, OnPressed, Qt::QueuedConnection);
        return true;
    }

private:
    void Ungrab(std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i)
            xcb_ungrab_key(Connection, Key, Root, Modifiers[i]);
        xcb_flush(Connection);
    }

    xcb_connection_t* Connection;
    xcb_window_t Root;
    xcb_keycode_t Key;
    uint16_t Wanted;
    QObject* Receiver;
    std::function<void()> OnPressed;
    std::vector<uint16_t> Modifiers;
    uint16_t IgnoredMask = XCB_MOD_MASK_LOCK;
    bool Grabbed = false;
};

namespace {

// The modifier bit Num Lock sits on in the current keyboard map (usually Mod2); 0 if none.
uint16_t NumLockMask(Display* display)
{
    const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    XModifierKeymap* map = XGetModifierMapping(display);
    uint16_t mask = 0;
    if (map && numLock != 0) {
        for (int modifier = 0; modifier < 8 && mask == 0; ++modifier)
            for (int k = 0; k < map->max_keypermod; ++k)
                if (map->modifiermap[modifier * map->max_keypermod + k] == numLock)
                    mask = static_cast<uint16_t>(1u << modifier);
    }
    if (map)
        XFreeModifiermap(map);
    return mask;
}

}  // namespace

THotKey TLinuxPlatform::DefaultHotKey() const
{
    return {Qt::Key_Space, Qt::MetaModifier};
}

bool TLinuxPlatform::RegisterHotKey(const THotKey& key)
{
    UnregisterHotKey();
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!IsX11() || !x11 || !x11->display())
        return false;
    const std::optional<TX11KeyGrab> wanted = X11KeyGrabOf(key);
    if (!wanted) {
        qCWarning(lcPlatform) << "the hot key" << key.Text() << "cannot be grabbed";
        return false;
    }
    Display* display = x11->display();
    const KeyCode code = XKeysymToKeycode(display, wanted->KeySym);
    if (code == 0)
        return false;
    auto grab = std::make_shared<THotKeyGrab>(x11->connection(), DefaultRootWindow(display), code,
                                              wanted->Modifiers, NumLockMask(display), this,
                                              [this] { emit HotKeyPressed(); });
    if (!grab->Grab()) {
        qCInfo(lcPlatform) << "the hot key" << key.Text() << "is taken by another program";
        return false;
    }
    State->HotKey = std::move(grab);
    return true;
}

void TLinuxPlatform::UnregisterHotKey()
{
    State->HotKey.reset();
}

}  // namespace orvenna::platform

// Desktop attachment, task-bar presence and the global hot key on X11.
//
// How the calendar lives on the desktop. Two wishes pull apart: task bars (tint2 and the
// libwnck-based panels among them) list no window of type DESKTOP or DOCK whatever its states
// say, while "show desktop" (openbox, and the common window managers with it) leaves only
// windows of such types on screen. So the window type follows the task-bar presence:
//   - no task-bar entry (the default): _NET_WM_WINDOW_TYPE_DESKTOP with the states BELOW,
//     STICKY, SKIP_TASKBAR and SKIP_PAGER. It stays under every other window, on every
//     workspace, and on screen when the desktop is shown.
//   - a task-bar entry: _NET_WM_WINDOW_TYPE_NORMAL with BELOW, STICKY and SKIP_PAGER. It still
//     stays below ordinary windows on every workspace, but "show desktop" hides it with the
//     others; its task-bar entry brings it back.
// Both also ask for every workspace through _NET_WM_DESKTOP 0xFFFFFFFF: some window managers
// (openbox among them) keep "sticky" there instead of in the states. Without X11 the window
// stays a plain frameless one.
#include "platform/linux/linuxplatform.h"
#include "platform/linux/linuxstate.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include <xcb/xcb.h>
// Xlib last: its macros (None, Bool, Status, ...) would clash with Qt's headers.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace orvenna::platform {

namespace {

// Remembered on the widget so that attachment and presence can be set in either order.
constexpr char TaskBarEntryProperty[] = "orvennaTaskBarEntry";
constexpr char AttachedProperty[] = "orvennaDesktopAttached";
constexpr quint32 AllDesktops = 0xFFFFFFFF;

xcb_connection_t* Connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name)
{
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

xcb_window_t RootOf(xcb_connection_t* connection, xcb_window_t window)
{
    xcb_query_tree_reply_t* reply =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    const xcb_window_t root = reply ? reply->root : xcb_window_t(XCB_WINDOW_NONE);
    std::free(reply);
    return root;
}

std::vector<xcb_atom_t> ReadAtoms(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property)
{
    const auto cookie = xcb_get_property(connection, 0, window, property, XCB_ATOM_ATOM, 0, 1024);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
    std::vector<xcb_atom_t> atoms;
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        atoms.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return atoms;
}

void WriteCardinals(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                    xcb_atom_t type, const std::vector<quint32>& values)
{
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, type, 32,
                        static_cast<uint32_t>(values.size()), values.data());
}

// A client message to the window manager about one of our windows (EWMH: once a window is
// mapped, its state and desktop are changed by asking, not by writing the properties).
void AskWindowManager(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t type,
                      std::initializer_list<quint32> data)
{
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    int i = 0;
    for (const quint32 value : data)
        event.data.data32[i++] = value;
    xcb_send_event(connection, 0, RootOf(connection, window),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

bool IsMapped(xcb_connection_t* connection, xcb_window_t window)
{
    xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr);
    const bool mapped = reply && reply->map_state != XCB_MAP_STATE_UNMAPPED;
    std::free(reply);
    return mapped;
}

struct TWindowStyle {
    bool Attached = false;
    bool TaskBarEntry = false;
};

TWindowStyle StyleOf(const QWidget* window)
{
    return {window->property(AttachedProperty).toBool(),
            window->property(TaskBarEntryProperty).toBool()};
}

xcb_atom_t WindowTypeOf(xcb_connection_t* connection, TWindowStyle style)
{
    return Atom(connection, style.TaskBarEntry ? "_NET_WM_WINDOW_TYPE_NORMAL"
                                               : "_NET_WM_WINDOW_TYPE_DESKTOP");
}

// What restyling a window works on: its connection, id and wishes, and the atoms of its states.
struct TStylePlan {
    xcb_connection_t* Connection;
    xcb_window_t Id;
    TWindowStyle Style;
    xcb_atom_t State, Desktop, SkipTaskBar;
    std::vector<xcb_atom_t> Wanted;  // the states besides SKIP_TASKBAR
};

// Writes the window type of the choice above and gathers the states that go with it (an
// ordinary window that was not attached gets only its SKIP_TASKBAR state). Nothing without X11.
std::optional<TStylePlan> PrepareStyle(QWidget* window)
{
    xcb_connection_t* connection = Connection();
    if (!connection)
        return std::nullopt;
    const TWindowStyle style = StyleOf(window);
    const auto id = static_cast<xcb_window_t>(window->winId());
    TStylePlan plan {connection, id, style, Atom(connection, "_NET_WM_STATE"),
                     Atom(connection, "_NET_WM_DESKTOP"),
                     Atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"), {}};
    if (style.Attached) {
        WriteCardinals(connection, id, Atom(connection, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM,
                       {WindowTypeOf(connection, style)});
        plan.Wanted = {Atom(connection, "_NET_WM_STATE_BELOW"),
                       Atom(connection, "_NET_WM_STATE_STICKY"),
                       Atom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    }
    return plan;
}

// Before mapping: the properties themselves, read by the window manager when it maps the window.
void WriteStyle(QWidget* window)
{
    const std::optional<TStylePlan> plan = PrepareStyle(window);
    if (!plan)
        return;
    const auto& [connection, id, style, state, desktop, skipTaskBar, wanted] = *plan;
    std::vector<xcb_atom_t> states = ReadAtoms(connection, id, state);
    std::erase(states, skipTaskBar);
    for (const xcb_atom_t atom : wanted)
        if (std::find(states.begin(), states.end(), atom) == states.end())
            states.push_back(atom);
    if (!style.TaskBarEntry)
        states.push_back(skipTaskBar);
    WriteCardinals(connection, id, state, XCB_ATOM_ATOM, states);
    if (style.Attached)
        WriteCardinals(connection, id, desktop, XCB_ATOM_CARDINAL, {AllDesktops});
    xcb_flush(connection);
}

// Once mapped: the window manager owns the states and is asked to change them. Its type is
// read only when the window is mapped, so a new type waits for the next show.
void AskForStyle(QWidget* window)
{
    const std::optional<TStylePlan> plan = PrepareStyle(window);
    if (!plan)
        return;
    const auto& [connection, id, style, state, desktop, skipTaskBar, wanted] = *plan;
    constexpr quint32 Remove = 0, Add = 1, FromApplication = 1;
    for (const xcb_atom_t atom : wanted)
        AskWindowManager(connection, id, state, {Add, atom, 0, FromApplication});
    AskWindowManager(connection, id, state,
                     {style.TaskBarEntry ? Remove : Add, skipTaskBar, 0, FromApplication});
    if (style.Attached)
        AskWindowManager(connection, id, desktop, {AllDesktops, FromApplication});
    xcb_flush(connection);
}

void ApplyStyle(QWidget* window)
{
    xcb_connection_t* connection = Connection();
    if (connection && IsMapped(connection, static_cast<xcb_window_t>(window->winId())))
        AskForStyle(window);
    else
        WriteStyle(window);
}

// Window managers drop a window's states when it is hidden (withdrawn), and one that has not
// yet handled an earlier hide may drop them after they were written again. So at every show
// the properties are written (Qt sends the show event just before it maps the window), and
// once the map request is out the window manager is asked as well: it handles that request
// after the map, whatever it still had to do before.
class TStyleKeeper final : public QObject {
public:
    explicit TStyleKeeper(QWidget* window) : QObject(window)
    {
        setObjectName(QString::fromLatin1(KeeperName));
        window->installEventFilter(this);
    }
    static constexpr char KeeperName[] = "orvennaWindowStyleKeeper";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched == parent()) {
            auto* window = static_cast<QWidget*>(watched);
            WriteStyle(window);
            QMetaObject::invokeMethod(this, [window] { AskForStyle(window); }, Qt::QueuedConnection);
        }
        return false;
    }
};

void KeepStyle(QWidget* window)
{
    if (!window->findChild<QObject*>(QString::fromLatin1(TStyleKeeper::KeeperName),
                                     Qt::FindDirectChildrenOnly))
        new TStyleKeeper(window);
}

}  // namespace

void TLinuxPlatform::AttachToDesktop(QWidget* window)
{
    if (!window)
        return;
    // Flags first: changing them rewrites the window type, so ours must come after.
    constexpr Qt::WindowFlags Wanted = Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint;
    if ((window->windowFlags() & Wanted) != Wanted)
        window->setWindowFlags(window->windowFlags() | Wanted);
    window->winId();
    window->setProperty(AttachedProperty, true);
    if (!IsX11())
        return;
    KeepStyle(window);
    ApplyStyle(window);
}

void TLinuxPlatform::SetTaskBarPresence(QWidget* window, bool visible)
{
    if (!window)
        return;
    window->setProperty(TaskBarEntryProperty, visible);
    if (!IsX11() || !window->testAttribute(Qt::WA_WState_Created))
        return;  // applied when the window is attached or shown
    KeepStyle(window);
    xcb_connection_t* connection = Connection();
    const auto id = static_cast<xcb_window_t>(window->winId());
    const TWindowStyle style = StyleOf(window);
    const std::vector<xcb_atom_t> type =
        ReadAtoms(connection, id, Atom(connection, "_NET_WM_WINDOW_TYPE"));
    if (style.Attached && IsMapped(connection, id)
        && (type.empty() || type.front() != WindowTypeOf(connection, style))) {
        // The type changes with the presence and is read only at mapping: map it anew.
        window->hide();
        window->show();
        return;
    }
    ApplyStyle(window);
}

// A passive grab of Super+Space on the root window, with the Caps Lock and Num Lock variants
// so that the key works whatever the lock lights say. The presses arrive through Qt's own
// connection and are picked out of its event stream here; they are always reported on the
// root window (no owner events), also while one of our own windows has the focus.
class THotKeyGrab final : public QAbstractNativeEventFilter {
public:
    THotKeyGrab(xcb_connection_t* connection, xcb_window_t root, xcb_keycode_t key,
                uint16_t numLockMask, std::function<void()> onPressed)
        : Connection(connection), Root(root), Key(key), OnPressed(std::move(onPressed))
    {
        for (const uint16_t locks : {uint16_t(0), uint16_t(XCB_MOD_MASK_LOCK), numLockMask,
                                     uint16_t(XCB_MOD_MASK_LOCK | numLockMask)})
            if (std::find(Modifiers.begin(), Modifiers.end(), Super | locks) == Modifiers.end())
                Modifiers.push_back(Super | locks);
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
            || (press->state & KeyModifiers & ~IgnoredMask) != Super)
            return false;
        // Queued: the handler may open windows and run event loops of its own.
        QMetaObject::invokeMethod(qApp, OnPressed, Qt::QueuedConnection);
        return true;
    }

private:
    static constexpr uint16_t Super = XCB_MOD_MASK_4;

    void Ungrab(std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i)
            xcb_ungrab_key(Connection, Key, Root, Modifiers[i]);
        xcb_flush(Connection);
    }

    xcb_connection_t* Connection;
    xcb_window_t Root;
    xcb_keycode_t Key;
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

bool TLinuxPlatform::RegisterHotKey(std::function<void()> onPressed)
{
    UnregisterHotKey();
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!IsX11() || !x11 || !x11->display() || !onPressed)
        return false;
    Display* display = x11->display();
    const KeyCode key = XKeysymToKeycode(display, XK_space);
    if (key == 0)
        return false;
    auto grab = std::make_shared<THotKeyGrab>(x11->connection(), DefaultRootWindow(display), key,
                                              NumLockMask(display), std::move(onPressed));
    if (!grab->Grab())
        return false;
    State->HotKey = std::move(grab);
    return true;
}

void TLinuxPlatform::UnregisterHotKey()
{
    State->HotKey.reset();
}

}  // namespace orvenna::platform

// Desktop attachment and task-bar presence on X11.
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
#include "platform/linux/xcbtools.h"

#include <QEvent>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

namespace orvenna::platform {

namespace {

// Remembered on the widget so that attachment and presence can be set in either order.
constexpr char TaskBarEntryProperty[] = "orvennaTaskBarEntry";
constexpr char AttachedProperty[] = "orvennaDesktopAttached";
constexpr quint32 AllDesktops = 0xFFFFFFFF;

std::vector<xcb_atom_t> ReadAtoms(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property)
{
    return ReadProperty32(connection, window, property, XCB_ATOM_ATOM, 1024);
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
    return InternAtom(connection, style.TaskBarEntry ? "_NET_WM_WINDOW_TYPE_NORMAL"
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
    xcb_connection_t* connection = XcbConnection();
    if (!connection)
        return std::nullopt;
    const TWindowStyle style = StyleOf(window);
    const auto id = static_cast<xcb_window_t>(window->winId());
    TStylePlan plan {connection, id, style, InternAtom(connection, "_NET_WM_STATE"),
                     InternAtom(connection, "_NET_WM_DESKTOP"),
                     InternAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"), {}};
    if (style.Attached) {
        WriteProperty32(connection, id, InternAtom(connection, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM,
                       {WindowTypeOf(connection, style)});
        plan.Wanted = {InternAtom(connection, "_NET_WM_STATE_BELOW"),
                       InternAtom(connection, "_NET_WM_STATE_STICKY"),
                       InternAtom(connection, "_NET_WM_STATE_SKIP_PAGER")};
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
    WriteProperty32(connection, id, state, XCB_ATOM_ATOM, states);
    if (style.Attached)
        WriteProperty32(connection, id, desktop, XCB_ATOM_CARDINAL, {AllDesktops});
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
    xcb_connection_t* connection = XcbConnection();
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
    xcb_connection_t* connection = XcbConnection();
    const auto id = static_cast<xcb_window_t>(window->winId());
    const TWindowStyle style = StyleOf(window);
    const std::vector<xcb_atom_t> type =
        ReadAtoms(connection, id, InternAtom(connection, "_NET_WM_WINDOW_TYPE"));
    if (style.Attached && IsMapped(connection, id)
        && (type.empty() || type.front() != WindowTypeOf(connection, style))) {
        // The type changes with the presence and is read only at mapping: map it anew.
        window->hide();
        window->show();
        return;
    }
    ApplyStyle(window);
}

}  // namespace orvenna::platform

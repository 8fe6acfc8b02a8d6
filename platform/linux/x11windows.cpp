// Desktop attachment and task-bar presence on X11.
//
// How the calendar lives on the desktop. Task bars (tint2 and the libwnck-based panels among
// them) list no window of type DESKTOP or DOCK, while "show desktop" (openbox, and the common
// window managers with it) leaves only windows of such types on screen. So the two jobs go to
// two windows:
//   - the attached window is always _NET_WM_WINDOW_TYPE_DESKTOP with the states BELOW, STICKY,
//     SKIP_TASKBAR and SKIP_PAGER, and asks for every workspace through _NET_WM_DESKTOP
//     0xFFFFFFFF (openbox keeps "sticky" there instead of in the states). It stays under every
//     other window, on every workspace, and on screen when the desktop is shown;
//   - the task-bar entry, when the program wants one, is a separate small top-level window of
//     the program, with the attached window's title and icon, kept minimised. Task bars list
//     it; activating it brings the program's other open windows to the front and lets it go
//     back to its minimised state at once. With no other window open nothing else changes.
// Qt makes a new native window whenever the window flags change, so nothing here keeps a
// window id: the properties go to the id the window has when it is about to be mapped.
// Without X11 the window stays a plain frameless one.
#include "platform/linux/linuxplatform.h"
#include "platform/linux/xcbtools.h"

#include <xcb/shape.h>

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QPlatformSurfaceEvent>
#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <QWindow>

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
// How long a shown window's task-bar entry waits for the window's first paint.
constexpr int EntryWaitMs = 1000;

std::vector<xcb_atom_t> ReadAtoms(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property)
{
    return ReadProperty32(connection, window, property, XCB_ATOM_ATOM, 1024);
}

// A client message to the window manager about one of our windows (EWMH: once a window is
// mapped, its state and desktop are changed by asking, not by writing the properties), sent to
// the root window above it.
void AskWindowManager(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window,
                      xcb_atom_t type, std::initializer_list<quint32> data)
{
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    int i = 0;
    for (const quint32 value : data)
        event.data.data32[i++] = value;
    xcb_send_event(connection, 0, root,
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

// The id of the native window the widget has now; none while it has none. QWidget::winId()
// can still name a native window that Qt has replaced, QWindow's is the current one.
std::optional<xcb_window_t> NativeId(const QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    if (!handle || !handle->handle())
        return std::nullopt;
    return static_cast<xcb_window_t>(handle->winId());
}

bool IsAttached(const QWidget* window) { return window->property(AttachedProperty).toBool(); }

// An attached window is never listed itself; an ordinary one follows its presence wish.
bool SkipsTaskBar(const QWidget* window)
{
    return IsAttached(window) || !window->property(TaskBarEntryProperty).toBool();
}

// What restyling a window works on: its connection, its current id, and the atoms of its states.
struct TStylePlan {
    xcb_connection_t* Connection;
    xcb_window_t Id;
    bool Attached, SkipTaskBar;
    xcb_atom_t State, Desktop, SkipTaskBarAtom;
    std::vector<xcb_atom_t> Wanted;  // the states besides SKIP_TASKBAR
};

// Writes the desktop window type on an attached window and gathers the states that go with it
// (an ordinary window gets only its SKIP_TASKBAR state). Nothing without X11 or before the
// window has a native window: the id is read anew on every call.
std::optional<TStylePlan> PrepareStyle(QWidget* window)
{
    xcb_connection_t* connection = XcbConnection();
    const std::optional<xcb_window_t> native = NativeId(window);
    if (!connection || !native)
        return std::nullopt;
    const xcb_window_t id = *native;
    TStylePlan plan {connection, id, IsAttached(window), SkipsTaskBar(window),
                     InternAtom(connection, "_NET_WM_STATE"),
                     InternAtom(connection, "_NET_WM_DESKTOP"),
                     InternAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"), {}};
    if (plan.Attached) {
        // Qt's xcb backend writes the window type again whenever it updates the flags, from
        // this property of the QWindow when there is one (0x2: desktop).
        window->windowHandle()->setProperty("_q_xcb_wm_window_type", 0x000002);
        WriteProperty32(connection, id, InternAtom(connection, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM,
                        {InternAtom(connection, "_NET_WM_WINDOW_TYPE_DESKTOP")});
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
    const auto& [connection, id, attached, skip, state, desktop, skipTaskBar, wanted] = *plan;
    std::vector<xcb_atom_t> states = ReadAtoms(connection, id, state);
    std::erase(states, skipTaskBar);
    for (const xcb_atom_t atom : wanted)
        if (std::find(states.begin(), states.end(), atom) == states.end())
            states.push_back(atom);
    if (skip)
        states.push_back(skipTaskBar);
    WriteProperty32(connection, id, state, XCB_ATOM_ATOM, states);
    if (attached)
        WriteProperty32(connection, id, desktop, XCB_ATOM_CARDINAL, {AllDesktops});
    xcb_flush(connection);
}

// Once mapped: the window manager owns the states and is asked to change them.
void AskForStyle(QWidget* window)
{
    const std::optional<TStylePlan> plan = PrepareStyle(window);
    if (!plan)
        return;
    const auto& [connection, id, attached, skip, state, desktop, skipTaskBar, wanted] = *plan;
    constexpr quint32 Remove = 0, Add = 1, FromApplication = 1;
    const xcb_window_t root = RootOf(connection, id);
    for (const xcb_atom_t atom : wanted)
        AskWindowManager(connection, root, id, state, {Add, atom, 0, FromApplication});
    AskWindowManager(connection, root, id, state, {skip ? Add : Remove, skipTaskBar, 0, FromApplication});
    if (attached)
        AskWindowManager(connection, root, id, desktop, {AllDesktops, FromApplication});
    xcb_flush(connection);
}

void ApplyStyle(QWidget* window)
{
    xcb_connection_t* connection = XcbConnection();
    const std::optional<xcb_window_t> id = NativeId(window);
    if (!connection || !id)
        return;  // written when the native window is made
    if (IsMapped(connection, *id))
        AskForStyle(window);
    else
        WriteStyle(window);
}

// The program's task-bar entry (see the top of this file). Its own window type is the ordinary
// one Qt gives; it is shown minimised and goes back to that state whenever it is restored.
class TTaskBarEntry final : public QWidget {
public:
    explicit TTaskBarEntry(const QWidget& owner)
    {
        setAttribute(Qt::WA_QuitOnClose, false);
        setWindowTitle(owner.windowTitle().isEmpty() ? QApplication::applicationDisplayName()
                                                     : owner.windowTitle());
        setWindowIcon(owner.windowIcon());
        resize(160, 40);
    }

protected:
    void changeEvent(QEvent* event) override
    {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::WindowStateChange && isVisible() && !isMinimized())
            QMetaObject::invokeMethod(this, [this] { Activated(); }, Qt::QueuedConnection);
    }
    // The entry ends with the window it stands for, not through the task bar's close.
    void closeEvent(QCloseEvent* event) override { event->ignore(); }

private:
    void Activated()
    {
        if (!isVisible() || isMinimized())
            return;
        showMinimized();
        BringOthersForward();
    }

    // The program's open windows, the active modal one last so that it ends up on top.
    void BringOthersForward()
    {
        constexpr Qt::WindowFlags Unlisted = Qt::X11BypassWindowManagerHint | Qt::WindowStaysOnBottomHint;
        std::vector<QWidget*> windows;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            const Qt::WindowType type = window->windowType();
            if (window == this || !window->isVisible() || IsAttached(window) || (window->windowFlags() & Unlisted)
                || type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen
                || type == Qt::Desktop)
                continue;
            windows.push_back(window);
        }
        if (QWidget* modal = QApplication::activeModalWidget()) {
            std::erase(windows, modal);
            windows.push_back(modal);
        }
        for (QWidget* window : windows) {
            if (window->isMinimized())
                window->showNormal();
            window->raise();
        }
        if (!windows.empty())
            windows.back()->activateWindow();
    }
};

// Keeps an attached or restyled window's properties on whatever native window it has, and
// owns its task-bar entry. Window managers drop a window's states when it is hidden
// (withdrawn), and Qt makes a new native window when the flags change, so at every show the
// properties are written on the current id (Qt sends the show event after it made the native
// window and just before it maps it), and once the map request is out the window manager is
// asked as well: it handles that request after the map, whatever it still had to do before.
class TStyleKeeper final : public QObject {
public:
    explicit TStyleKeeper(QWidget* window) : QObject(window), Window(window)
    {
        setObjectName(QString::fromLatin1(KeeperName));
        EntryWait.setSingleShot(true);
        EntryWait.setInterval(EntryWaitMs);
        connect(&EntryWait, &QTimer::timeout, this, [this] { UpdateEntry(); });
        window->installEventFilter(this);
        WatchHandle();
    }
    ~TStyleKeeper() override { delete Entry; }
    static constexpr char KeeperName[] = "orvennaWindowStyleKeeper";

    static TStyleKeeper& Of(QWidget* window)
    {
        auto* keeper = window->findChild<TStyleKeeper*>(QString::fromLatin1(KeeperName),
                                                        Qt::FindDirectChildrenOnly);
        return keeper ? *keeper : *new TStyleKeeper(window);
    }

    // An attached window that wants a task-bar entry has one, shown while the window is.
    void UpdateEntry()
    {
        const bool wanted = IsAttached(Window) && Window->property(TaskBarEntryProperty).toBool();
        if (!wanted) {
            delete Entry;
            return;
        }
        if (!Entry)
            Entry = new TTaskBarEntry(*Window);
        if (Window->isVisible() && !Entry->isVisible())
            Entry->showMinimized();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == Window->windowHandle()) {
            // A new native window, not mapped yet: it starts with our properties.
            if (event->type() == QEvent::PlatformSurface
                && static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType()
                       == QPlatformSurfaceEvent::SurfaceCreated)
                WriteStyle(Window);
            return false;
        }
        if (watched != Window)
            return false;
        if (event->type() == QEvent::WinIdChange || event->type() == QEvent::Show)
            WatchHandle();
        if (event->type() == QEvent::Show) {
            WriteStyle(Window);
            QMetaObject::invokeMethod(this, [this] { AskForStyle(Window); }, Qt::QueuedConnection);
            // The entry, a window of its own, is made and mapped after the window's first
            // paint, so that it does not delay it; a window that gets no paint (covered) still
            // gets its entry, after a wait.
            EntryWait.start();
        } else if (event->type() == QEvent::Paint && EntryWait.isActive()) {
            EntryWait.stop();
            QMetaObject::invokeMethod(this, [this] { UpdateEntry(); }, Qt::QueuedConnection);
        } else if (event->type() == QEvent::Hide) {
            EntryWait.stop();
            if (Entry)
                Entry->hide();
        }
        return false;
    }

private:
    void WatchHandle()
    {
        QWindow* handle = Window->windowHandle();
        if (handle && handle != Watched) {
            handle->installEventFilter(this);
            Watched = handle;
        }
    }

    QWidget* Window;
    QPointer<QWindow> Watched;
    QPointer<TTaskBarEntry> Entry;
    QTimer EntryWait;  // from a show to the window's first paint
};

}  // namespace

void TLinuxPlatform::AttachToDesktop(QWidget* window)
{
    if (!window)
        return;
    constexpr Qt::WindowFlags Wanted = Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint;
    if ((window->windowFlags() & Wanted) != Wanted)
        window->setWindowFlags(window->windowFlags() | Wanted);
    window->setProperty(AttachedProperty, true);
    if (!IsX11())
        return;
    TStyleKeeper& keeper = TStyleKeeper::Of(window);
    ApplyStyle(window);
    keeper.UpdateEntry();
}

void TLinuxPlatform::SetTaskBarPresence(QWidget* window, bool visible)
{
    if (!window)
        return;
    window->setProperty(TaskBarEntryProperty, visible);
    if (!IsX11())
        return;
    TStyleKeeper& keeper = TStyleKeeper::Of(window);
    ApplyStyle(window);
    keeper.UpdateEntry();
}

bool TLinuxPlatform::SetDeviceShape(QWidget* window, const QRegion& devicePixels)
{
    xcb_connection_t* connection = IsX11() ? XcbConnection() : nullptr;
    if (!connection)
        return false;
    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(connection, &xcb_shape_id);
    if (!shape || !shape->present)
        return false;
    const std::optional<xcb_window_t> id = NativeId(window);
    if (!id)
        return true;
    // The bounding shape alone: the input shape follows it while it has none of its own.
    if (devicePixels.isEmpty()) {
        xcb_shape_mask(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, *id, 0, 0, XCB_NONE);
    } else {
        std::vector<xcb_rectangle_t> rects;
        rects.reserve(std::size_t(devicePixels.rectCount()));
        for (const QRect& r : devicePixels)
            rects.push_back({qint16(r.x()), qint16(r.y()), quint16(r.width()), quint16(r.height())});
        xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED,
                             *id, 0, 0, quint32(rects.size()), rects.data());
    }
    xcb_flush(connection);
    return true;
}

}  // namespace orvenna::platform

// A dialog of fixed size asks for a title and a close button only: its size hints give the
// same least and greatest size, and its MWM hints no minimise and no maximise button. Most
// window managers honour that. openbox draws the buttons of its theme whatever the window asks
// (its own allowed actions for such a window list no maximise, so that button does nothing);
// it leaves them out only for toolbar and menu windows, which it titles, focuses and moves
// like any other. So under openbox a fixed-size dialog names the toolbar type first and the
// dialog type after it. Every other window manager sees the plain dialog type.
//
// The type must be on the window before it is mapped: the watch sees a window's show event,
// which comes after its native window is made and before the window is mapped. The running
// window manager is read at every such show, since the user may replace it.
#include "platform/linux/dialogframes.h"
#include "platform/linux/xcbtools.h"

#include <QApplication>
#include <QEvent>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#include <cstdlib>
#include <string>

namespace orvenna::platform {

namespace {

constexpr char WatchName[] = "orvennaFixedDialogFrames";
// The window types Qt's xcb backend writes ahead of the ones it derives from the window flags,
// read from this property of the QWindow (0x8: toolbar).
constexpr char QtWindowTypes[] = "_q_xcb_wm_window_type";
constexpr int QtToolbarType = 0x000008;

std::string PropertyText(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                         xcb_atom_t type)
{
    std::string text;
    if (property == XCB_ATOM_NONE || type == XCB_ATOM_NONE)
        return text;
    const auto cookie = xcb_get_property(connection, 0, window, property, type, 0, 64);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
    if (reply && reply->format == 8 && reply->type == type)
        text.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                    static_cast<std::size_t>(xcb_get_property_value_length(reply)));
    std::free(reply);
    return text;
}

// The name the running EWMH window manager gives itself; empty when none runs.
std::string WindowManagerName(xcb_connection_t* connection)
{
    const xcb_window_t root = DefaultRoot(connection);
    const std::vector<std::uint32_t> check = ReadProperty32(
        connection, root, InternAtom(connection, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 1);
    if (check.empty())
        return {};
    return PropertyText(connection, check[0], InternAtom(connection, "_NET_WM_NAME"),
                        InternAtom(connection, "UTF8_STRING"));
}

bool IsFixedDialog(const QWidget& window)
{
    return window.isWindow() && window.windowType() == Qt::Dialog &&
           !window.windowFlags().testFlag(Qt::FramelessWindowHint) &&
           window.minimumSize() == window.maximumSize();
}

void NameToolbarFirst(QWidget& dialog)
{
    xcb_connection_t* connection = XcbConnection();
    QWindow* handle = dialog.windowHandle();
    if (!connection || !handle || !handle->handle() || WindowManagerName(connection) != "Openbox")
        return;
    // Kept for Qt's own later writes of the type (a change of flags makes the window anew).
    handle->setProperty(QtWindowTypes, QtToolbarType);
    WriteProperty32(connection, static_cast<xcb_window_t>(handle->winId()),
                    InternAtom(connection, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM,
                    {InternAtom(connection, "_NET_WM_WINDOW_TYPE_TOOLBAR"),
                     InternAtom(connection, "_NET_WM_WINDOW_TYPE_DIALOG")});
    xcb_flush(connection);
}

class TFixedDialogWatch final : public QObject {
public:
    explicit TFixedDialogWatch(QObject* application) : QObject(application)
    {
        setObjectName(QLatin1String(WatchName));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* window = static_cast<QWidget*>(watched);
            if (IsFixedDialog(*window))
                NameToolbarFirst(*window);
        }
        return false;
    }
};

void Watch()
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application || application->findChild<TFixedDialogWatch*>(QLatin1String(WatchName),
                                                                    Qt::FindDirectChildrenOnly))
        return;
    application->installEventFilter(new TFixedDialogWatch(application));
}

}  // namespace

void WatchFixedDialogFrames()
{
    // Run from every application object's constructor, and at once when one exists already.
    static const bool added = (qAddPreRoutine(&Watch), true);
    (void)added;
}

}  // namespace orvenna::platform

#pragma once
// Reading windows back as task bars and pagers see them, with the X tools (xprop, xwininfo),
// for tests that run inside scripts/xsession.sh.

#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace orvenna::test {

constexpr int XDeadline = 5000;  // ms for anything the window manager has to do

// The standard output of a tool; empty when it does not end in time.
inline QString Run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(XDeadline))
        return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

inline QString Hex(quint64 id) { return QStringLiteral("0x%1").arg(id, 0, 16); }
inline QString XProperty(quint64 id, const QString& name) { return Run("xprop", {"-id", Hex(id), name}); }
inline bool XViewable(quint64 id) { return Run("xwininfo", {"-id", Hex(id)}).contains("IsViewable"); }

// The managed clients that task bars list: of normal type (or none) and without SKIP_TASKBAR.
inline QList<quint64> ListedWindows()
{
    QList<quint64> listed;
    static const QRegularExpression hex("0x[0-9a-f]+");
    const QString clients = Run("xprop", {"-root", "_NET_CLIENT_LIST"}).section('#', 1);
    for (const auto& match : hex.globalMatch(clients)) {
        const quint64 id = match.captured().toULongLong(nullptr, 16);
        const QString type = XProperty(id, "_NET_WM_WINDOW_TYPE");
        if ((type.contains("not found") || type.contains("_NET_WM_WINDOW_TYPE_NORMAL"))
            && !XProperty(id, "_NET_WM_STATE").contains("SKIP_TASKBAR"))
            listed << id;
    }
    return listed;
}

}  // namespace orvenna::test

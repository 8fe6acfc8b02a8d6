#include "app/monitormemory.h"

#include "app/applog.h"
#include "app/startup.h"

#include <filesystem>
#include <system_error>

namespace orvenna::app {

namespace {

QPoint ToPoint(store::TPoint point) { return {point.X, point.Y}; }
store::TPoint FromPoint(QPoint point) { return {point.x(), point.y()}; }

qint64 Area(const QRect& rect)
{
    return rect.isEmpty() ? 0 : qint64(rect.width()) * rect.height();
}

QList<TScreenArea> Areas(const QList<platform::TScreen>& screens)
{
    QList<TScreenArea> areas;
    for (const platform::TScreen& screen : screens)
        areas.append({screen.Geometry, screen.WorkArea});
    return areas;
}

}  // namespace

std::optional<platform::TScreen> MonitorOf(const QRect& window, const QList<platform::TScreen>& screens)
{
    std::optional<platform::TScreen> best;
    qint64 bestOverlap = 0;
    for (const platform::TScreen& screen : screens) {
        const qint64 overlap = Area(window & screen.Geometry);
        if (!screen.Name.isEmpty() && overlap > bestOverlap) {
            best = screen;
            bestOverlap = overlap;
        }
    }
    return best;
}

std::optional<QPoint> RememberedPlace(const store::TMonitorPlace& record, QSize window,
                                      const QList<platform::TScreen>& screens)
{
    const QString output = QString::fromStdString(record.Output);
    for (const platform::TScreen& screen : screens) {
        if (screen.Name != output)
            continue;
        const QPoint place = ToPoint(record.Place) - ToPoint(record.Screen) + screen.Geometry.topLeft();
        if (KeptOnScreen(QRect(place, window), Areas(screens)) == place)
            return place;
        return std::nullopt;
    }
    return std::nullopt;
}

TMonitorMemory::TMonitorMemory(std::string fileName)
    : FileName(std::move(fileName)), Record(store::LoadMonitorPlace(FileName))
{
}

void TMonitorMemory::UserPlaced(const QRect& window, const QList<platform::TScreen>& screens)
{
    LastScreens = screens;
    const std::optional<platform::TScreen> monitor = MonitorOf(window, screens);
    if (!monitor) {
        Forget();  // on no named screen: there is nothing to go back to
        return;
    }
    const store::TMonitorPlace record{monitor->Name.toStdString(), FromPoint(monitor->Geometry.topLeft()),
                                      FromPoint(window.topLeft()), std::nullopt};
    if (Record == record)
        return;
    Record = record;
    Save();
}

std::optional<QPoint> TMonitorMemory::ReturnFrom(QPoint at, QSize window, const QList<platform::TScreen>& screens)
{
    if (!Record || !Record->Away || ToPoint(*Record->Away) != at)
        return std::nullopt;
    const std::optional<QPoint> back = RememberedPlace(*Record, window, screens);
    if (back) {
        Record->Away.reset();
        Save();
    }
    return back;
}

QPoint TMonitorMemory::StartPlace(QPoint stored, QPoint initial, QSize window,
                                  const QList<platform::TScreen>& screens)
{
    LastScreens = screens;
    if (!Record)
        return initial;
    if (const std::optional<QPoint> back = ReturnFrom(stored, window, screens))
        return *back;
    const bool away = Record->Away && ToPoint(*Record->Away) == stored;
    if (!away && ToPoint(Record->Place) != stored) {
        // "Setting.cfg" holds a place this record knows nothing of (written by an older
        // version, or after a crash that lost the last drag): the record no longer applies.
        Forget();
        return initial;
    }
    if (initial != stored) {
        // The monitor of the stored place is not there at this start.
        Record->Away = FromPoint(initial);
        Save();
    }
    return initial;
}

QPoint TMonitorMemory::AfterScreensChanged(const QRect& window, const QList<platform::TScreen>& screens)
{
    const QPoint at = window.topLeft();
    if (const std::optional<QPoint> back = ReturnFrom(at, window.size(), screens)) {
        LastScreens = screens;
        return *back;
    }
    const QPoint kept = KeptOnScreen(window, Areas(screens));
    if (kept != at) {
        const bool away = Record && Record->Away && ToPoint(*Record->Away) == at;
        if (!away) {
            // The place the window leaves was the user's, on the monitor it lay on before.
            if (const std::optional<platform::TScreen> monitor = MonitorOf(window, LastScreens))
                Record = store::TMonitorPlace{monitor->Name.toStdString(), FromPoint(monitor->Geometry.topLeft()),
                                              FromPoint(at), std::nullopt};
            else if (!Record || ToPoint(Record->Place) != at)
                Record.reset();
        }
        LastScreens = screens;
        if (!Record) {
            Forget();
            return kept;
        }
        // A monitor that moved, or came back elsewhere at once, takes the window along.
        const std::optional<QPoint> there = RememberedPlace(*Record, window.size(), screens);
        Record->Away = there ? std::nullopt : std::optional(FromPoint(kept));
        Save();
        return there.value_or(kept);
    }
    LastScreens = screens;
    return kept;
}

void TMonitorMemory::Save()
{
    if (!Record)
        return;
    try {
        store::SaveMonitorPlace(FileName, *Record);
    } catch (const std::exception& error) {
        qCWarning(lcApp) << "monitor memory:" << error.what();
    }
}

void TMonitorMemory::Forget()
{
    Record.reset();
    std::error_code error;
    std::filesystem::remove(FileName, error);
}

}  // namespace orvenna::app

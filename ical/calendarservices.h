#pragma once
// The iCalendar conversions and the calendar server's side of the syncs, as the windows use
// them. They live in a module of their own ("orvenna-calendar.so", built from
// calendarmodule.cpp) that is loaded on the first call, so that libical, Qt Network and what
// that brings with it (TLS, Kerberos, proxy lookups) stay out of a program that never syncs,
// subscribes, imports or exports. The command-line companion links the conversions directly.
//
// The module is looked for beside the executable (a portable copy, a test's folder) and in
// ../lib/orvenna from it (an installation, the build tree). It is loaded once per process;
// any thread may ask.

#include "ical/davtypes.h"
#include "ical/icalendar.h"
#include "ical/syncengine.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orvenna::ical {

class TCalendarServices {
public:
    virtual ~TCalendarServices() = default;
    // One sync of the notes with the account's calendar (TDavClient and SyncNotes).
    virtual TSyncResult Sync(const TDavAccount& account, const TSyncOptions& options) const = 0;
    // A conditional GET (TDavClient::Get); throws ESyncError when the server cannot be
    // reached.
    virtual THttpReply Get(const TDavAccount& account, const QUrl& url, const QByteArray& etag,
                           const QByteArray& lastModified) const = 0;
    // ImportCalendar and ExportCalendar in the local zone (and their exceptions).
    virtual TImportSummary Import(std::string_view text, store::TDayPaperList& notes) const = 0;
    virtual std::string Export(store::TDayPaperList& notes, std::optional<store::TDate> from,
                               std::optional<store::TDate> to) const = 0;
};

// Raised by the module's entry point and checked by the loader: a module of another build is
// not used.
inline constexpr int CalendarServicesVersion = 1;
// The module's file name and its one exported function,
// const TCalendarServices* orvenna_calendar_services(int version).
inline constexpr const char* CalendarModuleName = "orvenna-calendar.so";
inline constexpr const char* CalendarModuleEntry = "orvenna_calendar_services";

// The module cannot be found or loaded; what() says which file and why.
class ECalendarModuleMissing final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The module's services, loaded on the first call from the running executable's folder.
// Throws ECalendarModuleMissing (at every call) when it cannot be loaded.
const TCalendarServices& CalendarServices();

// One attempt to load the module for an executable in executableFolder; Services is null and
// Failure says why when there is no usable module.
struct TCalendarModule {
    const TCalendarServices* Services = nullptr;
    std::string Failure;
};
TCalendarModule LoadCalendarModule(const QString& executableFolder);

}  // namespace orvenna::ical

// The module behind calendarservices.h: the conversions through libical and the syncs through
// Qt Network, loaded by the program when it first needs them.
#include "ical/calendarservices.h"
#include "ical/davclient.h"

#include <QtGlobal>

namespace orvenna::ical {
namespace {

class TModuleServices final : public TCalendarServices {
public:
    TSyncResult Sync(const TDavAccount& account, const TSyncOptions& options) const override
    {
        TDavClient client(account);
        return SyncNotes(client, options);
    }

    THttpReply Get(const TDavAccount& account, const QUrl& url, const QByteArray& etag,
                   const QByteArray& lastModified) const override
    {
        TDavClient client(account);
        return client.Get(url, etag, lastModified);
    }

    TImportSummary Import(std::string_view text, store::TDayPaperList& notes) const override
    {
        return ImportCalendar(text, notes);
    }

    std::string Export(store::TDayPaperList& notes, std::optional<store::TDate> from,
                       std::optional<store::TDate> to) const override
    {
        return ExportCalendar(notes, {.From = from, .To = to});
    }
};

}  // namespace
}  // namespace orvenna::ical

extern "C" Q_DECL_EXPORT const orvenna::ical::TCalendarServices* orvenna_calendar_services(
    int version)
{
    static const orvenna::ical::TModuleServices services;
    return version == orvenna::ical::CalendarServicesVersion ? &services : nullptr;
}

// libFuzzer target of the iCalendar import: any bytes import without a crash, and what an
// import added exports and imports again into the same number of reminders and note days.

#include "ical/icalendar.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using orvenna::store::TDayPaperList;

// Reminders, and papers with note lines.
std::pair<int, int> Counts(TDayPaperList& notes)
{
    int reminders = 0, noted = 0;
    for (int i = 0; i < notes.Count(); ++i) {
        reminders += notes.GetDayPaper(i).ReminderList.ReminderCount();
        noted += notes.GetDayPaper(i).Note.empty() ? 0 : 1;
    }
    return {reminders, noted};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Local time is UTC: the export then needs no VTIMEZONE, which keeps the runs fast.
    setenv("TZ", "UTC", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TDayPaperList first([] { return 46088.0; });
    try {
        orvenna::ical::ImportCalendar(std::string_view(reinterpret_cast<const char*>(data), size),
                                      first, "UTC");
    } catch (const orvenna::ical::ENotICalendar&) {
        return 0;
    }
    const std::string exported =
        orvenna::ical::ExportCalendar(first, {.ZoneName = "UTC", .Stamp = 0});
    TDayPaperList second([] { return 46088.0; });
    orvenna::ical::ImportCalendar(exported, second, "UTC");
    if (Counts(first) != Counts(second))
        std::abort();
    return 0;
}

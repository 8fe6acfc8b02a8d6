#pragma once
// iCalendar (RFC 5545) export and import of the notes store, through libical. Standard library,
// store and libical only, so the command-line companion and the windows share one conversion.
//
// Export: a day's note becomes an all-day VEVENT (SUMMARY its first non-empty line, DESCRIPTION
// all lines); a reminder a VEVENT at its local When with the local zone's TZID and VTIMEZONE,
// a DISPLAY VALARM for its lead time and an RRULE for its recurrence. UIDs come from the
// content, so exporting the same file twice gives the same UIDs.
//
// Import: timed VEVENTs and VTODOs with a due time become reminders on their local date, all-day
// ones note lines; an item equal in date, time and subject to one already in the store is
// skipped, so importing the same file twice adds nothing the second time.

#include "store/daypaperlist.h"

#include <ctime>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvenna::ical {

// The zone the local time of this process follows, as a zone name known to libical
// ("Europe/Berlin"): from TZ, else /etc/timezone, else the link /etc/localtime. Empty when
// there is no such name (a TZ rule such as "CET-1CEST", or no zone information at all).
std::string SystemZoneName();

struct TExportOptions {
    std::optional<store::TDate> From;  // first day exported, inclusive; none: no lower bound
    std::optional<store::TDate> To;    // last day exported, inclusive; none: no upper bound
    // The local zone's name. Reminders carry it as TZID with its VTIMEZONE; when it is empty or
    // unknown to libical they are written in UTC instead.
    std::string ZoneName = SystemZoneName();
    std::time_t Stamp = std::time(nullptr);  // the DTSTAMP of every item
};

// The iCalendar text (CR LF line ends, folded lines) of the papers whose Day lies in the range,
// in store order. Papers with neither note text nor reminders give nothing; items after the
// year 3000, which libical cannot write, are left out (and an import skips them as undated).
std::string ExportCalendar(store::TDayPaperList& notes, const TExportOptions& options = {});

// The input is not an iCalendar file; the store was not touched.
class ENotICalendar final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TImportSummary {
    int RemindersAdded = 0;
    int NotesAdded = 0;  // all-day items added as note lines
    // Skipped, by reason.
    int AlreadyThere = 0;
    int Cancelled = 0;
    int Undated = 0;             // an event without a start, a to-do without a due date
    int Empty = 0;               // an all-day item without any text
    int ChangedOccurrences = 0;  // single changed occurrences of a repeating item
    int Unsupported = 0;         // journal entries, free/busy blocks and other components
    // Added, with a remark.
    int FirstOccurrenceOnly = 0;  // a repeat rule that is not every day, week, month or year
    int RepeatingNotes = 0;       // a repeating all-day item: noted on its first day only
    int FirstDayOnly = 0;         // an item over several days of a file with too many such lines
    // A TZID with no VTIMEZONE and no known zone, or a zone that takes too long to work out:
    // read as local.
    int UnknownZone = 0;

    int Added() const { return RemindersAdded + NotesAdded; }
    int Skipped() const
    {
        return AlreadyThere + Cancelled + Undated + Empty + ChangedOccurrences + Unsupported;
    }
    // One line: "Added 2 reminders and 1 note; skipped 1: 1 already there." and the remarks.
    std::string Text() const;
};

// One item of a calendar as the notes store holds it: a run of note lines on one or more days
// (an all-day event) or one reminder (a timed event or a to-do with a due time).
struct TCalendarItem {
    std::string Uid;                 // as the calendar names it (may be empty on import)
    bool IsNote = false;
    store::TDate Day = 0;            // notes: the first day
    int Days = 1;                    // notes: the days covered
    std::vector<std::string> Lines;  // notes: the lines
    store::TDateTime When = 0;       // reminders
    std::string Subject;
    std::string Category;
    std::vector<std::string> Desc;
    std::int32_t Before = store::ltImmediately;
    std::int32_t Recurrency = store::rcNone;
    bool FirstOnly = false;    // a repeat rule that could not be kept
    bool UnknownZone = false;  // a zone nobody defines, or too costly: the time read as local
};

// The items of an iCalendar text as the import reads them, in file order; what is skipped is
// counted in summary's skip reasons (its added counts stay 0). Throws ENotICalendar when the
// text holds no VCALENDAR.
std::vector<TCalendarItem> ReadCalendarItems(std::string_view text, TImportSummary& summary,
                                             const std::string& zoneName = SystemZoneName());

// One VCALENDAR holding the items with their own UIDs (which must not be empty), written as
// ExportCalendar writes notes and reminders; a note's all-day event spans its Days.
std::string ExportItems(const std::vector<TCalendarItem>& items,
                        const TExportOptions& options = {});

// The UID export-ics gives the item when no other item of its file shares it; empty for an item
// that gives no event (a note without text, a date past LastYear).
std::string ExportUid(const TCalendarItem& item);

// The reminder or the note lines of a paper as an item (Uid left empty).
TCalendarItem ReminderItem(const store::TReminder& reminder);
TCalendarItem NoteItem(store::TDate day, std::vector<std::string> lines);

// Adds the items of the iCalendar text to the store (papers are found or added by day; nothing
// is saved). Local times follow the process's local zone; zoneName is its name as
// SystemZoneName() gives it, used to keep wall times of that zone exactly as written. Throws
// ENotICalendar when the text holds no VCALENDAR, having changed nothing.
TImportSummary ImportCalendar(std::string_view text, store::TDayPaperList& notes,
                              const std::string& zoneName = SystemZoneName());

}  // namespace orvenna::ical

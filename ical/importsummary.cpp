// The import summary's words, for the notes tool and the windows alike. Standard library only.
#include "ical/icalendar.h"

namespace orvenna::ical {
namespace {

std::string Counted(int count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string TImportSummary::Text() const
{
    std::string text = "Added " + Counted(RemindersAdded, "reminder", "reminders") + " and " +
                       Counted(NotesAdded, "note", "notes");
    if (Skipped() > 0) {
        std::string reasons;
        const auto reason = [&](int count, const char* why) {
            if (count > 0)
                reasons += (reasons.empty() ? "" : ", ") + std::to_string(count) + " " + why;
        };
        reason(AlreadyThere, "already there");
        reason(Cancelled, "cancelled");
        reason(Undated, "without a date");
        reason(Empty, "without any text");
        reason(ChangedOccurrences, "changed occurrences of repeating items");
        reason(Unsupported, "neither events nor to-dos");
        text += "; skipped " + std::to_string(Skipped()) + ": " + reasons;
    }
    text += ".";
    if (FirstOccurrenceOnly > 0)
        text += " " + Counted(FirstOccurrenceOnly, "item repeats", "items repeat") +
                " by a rule other than every day, week, month or year: imported as the first "
                "occurrence only.";
    if (RepeatingNotes > 0)
        text += " " + Counted(RepeatingNotes, "repeating all-day item", "repeating all-day items") +
                " noted on the first day only.";
    if (FirstDayOnly > 0)
        text += " " + Counted(FirstDayOnly, "all-day item", "all-day items") +
                " over several days noted on the first day only: the file has too many lines "
                "to copy to every day.";
    if (UnknownZone > 0)
        text += " " + Counted(UnknownZone, "time", "times") +
                " in an unknown time zone read as local time.";
    return text;
}

}  // namespace orvenna::ical

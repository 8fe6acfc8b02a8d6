#include "ical/icalendar.h"
#include "ical/icalsupport.h"
#include "ical/icalzones.h"

#include "store/textcodec.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <map>
#include <set>
#include <unordered_map>
#include <vector>

namespace orvenna::ical {
namespace {

using store::TDate;
using store::TDateTime;

constexpr int MaxNoteDays = 366;  // an all-day item longer than a year is noted on its first year
// The note lines an import copies to the days after the first of items over several days:
// a year-long item of three lines takes about a thousand. Past it, items are noted on their
// first day only, so that a small file cannot fill the store with millions of lines.
constexpr double MaxSpreadLines = 100000;

// The steps and changes (ZoneWorkUpTo) libical may spend working out the zones of one import:
// a zone of yearly rules from 1601 takes under a thousand up to now, one of hourly rules
// millions. A zone past what is left is not used: its times read as local.
constexpr double MaxZoneWork = 200000;

using TItem = TCalendarItem;

std::string TextOf(const char* text)
{
    return text == nullptr ? std::string() : store::ValidUtf8(text);
}

std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    if (text.empty())
        return lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        if (end == std::string::npos)
            return lines;
        start = end + 1;
    }
}

std::optional<TDateTime> LocalOfUtc(std::time_t moment)
{
    std::tm local{};
    if (localtime_r(&moment, &local) == nullptr)
        return std::nullopt;
    icaltimetype wall = icaltime_null_time();
    wall.year = local.tm_year + 1900;
    wall.month = local.tm_mon + 1;
    wall.day = local.tm_mday;
    wall.hour = local.tm_hour;
    wall.minute = local.tm_min;
    wall.second = local.tm_sec;
    return FromWallTime(wall);
}

std::time_t UtcOfLocal(TDateTime value)
{
    const auto wall = WallTime(value, false);
    if (!wall)
        return 0;
    std::tm local{};
    local.tm_year = wall->year - 1900;
    local.tm_mon = wall->month - 1;
    local.tm_mday = wall->day;
    local.tm_hour = wall->hour;
    local.tm_min = wall->minute;
    local.tm_sec = wall->second;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

// The lead-time step that alerts nearest at or before an alarm leadSeconds ahead of the start.
std::int32_t LeadStep(long leadSeconds)
{
    for (std::int32_t step = store::ltImmediately; step < store::lt1Day; ++step)
        if (60L * store::LeadTimeMinutes(step) >= leadSeconds)
            return step;
    return store::lt1Day;
}

bool IsEnd(const short* values, std::size_t size, std::size_t index)
{
    return index >= size || values[index] == ICAL_RECURRENCE_ARRAY_MAX;
}

// A BY list that is empty or holds just the one given value.
template <std::size_t N> bool NoneOrOnly(const short (&values)[N], int only)
{
    return IsEnd(values, N, 0) || (values[0] == only && IsEnd(values, N, 1));
}
template <std::size_t N> bool None(const short (&values)[N]) { return IsEnd(values, N, 0); }

// The recurrence a rule amounts to, given its first occurrence in its own zone; none when the
// store cannot repeat it that way.
std::optional<std::int32_t> PlainRecurrence(const icalrecurrencetype& rule,
                                            const icaltimetype& start)
{
    if (rule.interval > 1 || rule.count != 0 || !icaltime_is_null_time(rule.until) ||
        !None(rule.by_second) || !None(rule.by_minute) || !None(rule.by_hour) ||
        !None(rule.by_year_day) || !None(rule.by_week_no) || !None(rule.by_set_pos))
        return std::nullopt;
    // Calendar programs spell the start's own weekday, day or month out; that changes nothing.
    const int weekday = icaltime_day_of_week(start);  // 1 = Sunday, as libical's weekdays
    const bool sameWeekday =
        IsEnd(rule.by_day, ICAL_BY_DAY_SIZE, 0) ||
        (IsEnd(rule.by_day, ICAL_BY_DAY_SIZE, 1) &&
         icalrecurrencetype_day_position(rule.by_day[0]) == 0 &&
         static_cast<int>(icalrecurrencetype_day_day_of_week(rule.by_day[0])) == weekday);
    const bool sameDay = NoneOrOnly(rule.by_month_day, start.day);
    const bool sameMonth = NoneOrOnly(rule.by_month, start.month);
    switch (rule.freq) {
    case ICAL_DAILY_RECURRENCE:
        if (None(rule.by_day) && None(rule.by_month_day) && None(rule.by_month))
            return store::rcDaily;
        break;
    case ICAL_WEEKLY_RECURRENCE:
        if (sameWeekday && None(rule.by_month_day) && None(rule.by_month))
            return store::rcWeekly;
        break;
    case ICAL_MONTHLY_RECURRENCE:
        if (None(rule.by_day) && sameDay && None(rule.by_month))
            return store::rcMonthly;
        break;
    case ICAL_YEARLY_RECURRENCE:
        if (None(rule.by_day) && sameDay && sameMonth)
            return store::rcYearly;
        break;
    default: break;
    }
    return std::nullopt;
}

// libical looks a TZID that the calendar does not define up as a file below the zone folder, so
// a name climbing out of it ("../../../dev/tty") would have it read any file, or wait on a
// terminal. Such names are replaced by one no file has; the times read as local.
void NeutraliseZonePaths(icalcomponent* calendar)
{
    std::vector<icalcomponent*> pending{calendar};
    while (!pending.empty()) {
        icalcomponent* component = pending.back();
        pending.pop_back();
        for (icalproperty* property = icalcomponent_get_first_property(component, ICAL_ANY_PROPERTY);
             property != nullptr;
             property = icalcomponent_get_next_property(component, ICAL_ANY_PROPERTY))
            for (icalparameter* tzid = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
                 tzid != nullptr;
                 tzid = icalproperty_get_next_parameter(property, ICAL_TZID_PARAMETER)) {
                const char* name = icalparameter_get_tzid(tzid);
                if (name != nullptr && std::string_view(name).find("..") != std::string_view::npos &&
                    icalcomponent_get_timezone(calendar, name) == nullptr)
                    icalparameter_set_tzid(tzid, "unsafe zone name");
            }
        for (icalcomponent* child = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT);
             child != nullptr;
             child = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT))
            pending.push_back(child);
    }
}

// The properties the import reads; libical need not parse the others.
bool IsReadProperty(std::string_view name)
{
    static constexpr std::string_view Read[] = {
        "CATEGORIES", "DESCRIPTION", "DTEND", "DTSTART", "DUE", "DURATION", "RDATE",
        "RECURRENCE-ID", "RRULE", "STATUS", "SUMMARY", "TRIGGER", "UID"};
    return std::find(std::begin(Read), std::end(Read), name) != std::end(Read);
}

int CurrentYear()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

class TReader final {
public:
    // Zones are worked out once, up to lastYear, the last year any item of the file needs.
    TReader(const std::string& zoneName, int lastYear, TImportSummary& summary)
        : ZoneName(zoneName), Summary(summary), LastYear(std::max(lastYear, CurrentYear()))
    {
    }

    void ReadCalendar(icalcomponent* calendar)
    {
        NeutraliseZonePaths(calendar);
        for (icalcomponent* item = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT);
             item != nullptr;
             item = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
            const icalcomponent_kind kind = icalcomponent_isa(item);
            if (kind == ICAL_VEVENT_COMPONENT || kind == ICAL_VTODO_COMPONENT)
                ReadItem(item, kind == ICAL_VTODO_COMPONENT);
            else if (kind != ICAL_VTIMEZONE_COMPONENT)
                ++Summary.Unsupported;
        }
    }

    std::vector<TItem> Items;

private:
    void ReadItem(icalcomponent* item, bool todo)
    {
        if (icalcomponent_get_status(item) == ICAL_STATUS_CANCELLED) {
            ++Summary.Cancelled;
            return;
        }
        if (icalcomponent_get_first_property(item, ICAL_RECURRENCEID_PROPERTY) != nullptr) {
            ++Summary.ChangedOccurrences;
            return;
        }
        icalproperty* startProperty = icalcomponent_get_first_property(
            item, todo ? ICAL_DUE_PROPERTY : ICAL_DTSTART_PROPERTY);
        const icaltimetype start =
            todo ? icalcomponent_get_due(item) : icalcomponent_get_dtstart(item);
        TItem read;
        read.Uid = TextOf(icalcomponent_get_uid(item));
        const auto local = LocalTime(start, startProperty, read.UnknownZone);
        if (startProperty == nullptr || icaltime_is_null_time(start) || !InRange(start) ||
            !local) {
            ++Summary.Undated;
            return;
        }
        const std::string summary = TextOf(icalcomponent_get_summary(item));
        const std::vector<std::string> description =
            LinesOf(TextOf(icalcomponent_get_description(item)));
        const std::optional<std::int32_t> recurrence = Recurrence(item, start);
        if (start.is_date) {
            read.IsNote = true;
            read.Day = *local;
            read.Days = NoteDays(item, start, todo);
            read.Lines = NoteLines(summary, description);
            read.FirstOnly = recurrence.has_value();
            if (read.Lines.empty()) {
                ++Summary.Empty;
                return;
            }
        } else {
            read.When = *local;
            read.Subject = summary;
            read.Desc = description;
            read.Category = Categories(item);
            read.Before = LeadStep(LeadSeconds(item, read.When, todo));
            read.FirstOnly = recurrence == std::int32_t{-1};
            read.Recurrency = read.FirstOnly ? store::rcNone : recurrence.value_or(store::rcNone);
        }
        Items.push_back(std::move(read));
    }

    // Whether a start or due time names a real moment the conversions can reach: no 13th
    // month, 31 February or hour 25 (the parser takes them as written and the arithmetic
    // would roll them into another day), and a time of day no earlier than 1902, where
    // conversions through the system clock give -1, which reads as the last second of 1969.
    static bool InRange(const icaltimetype& time)
    {
        if (time.year < 1 || time.year > 9999 || time.month < 1 || time.month > 12 ||
            time.day < 1 || time.day > icaltime_days_in_month(time.month, time.year))
            return false;
        return time.is_date || (time.year >= 1902 && time.hour >= 0 && time.hour <= 23 &&
                                time.minute >= 0 && time.minute <= 59 && time.second >= 0 &&
                                time.second <= 60);
    }

    // The local date-time of a start or due time; none when it cannot be read.
    std::optional<TDateTime> LocalTime(const icaltimetype& time, icalproperty* property,
                                       bool& unknownZone)
    {
        if (time.is_date)
            return FromWallTime(time);
        if (icaltime_is_utc(time))
            return LocalOfUtc(icaltime_as_timet(time));
        const char* tzid =
            property ? icalproperty_get_parameter_as_string(property, "TZID") : nullptr;
        if (tzid == nullptr)  // a floating time is local wherever it is read
            return FromWallTime(time);
        if (time.zone == nullptr || !ZoneUsable(time.zone)) {
            unknownZone = true;
            return FromWallTime(time);
        }
        // The local zone's own wall times stay as written, even in the hour a change skips.
        if (IsLocalZone(tzid, static_cast<const icaltimezone*>(time.zone)))
            return FromWallTime(time);
        return LocalOfUtc(icaltime_as_timet_with_zone(time, time.zone));
    }

    bool IsLocalZone(const std::string& tzid, const icaltimezone* zone) const
    {
        if (ZoneName.empty())
            return false;
        const char* location = icaltimezone_get_location(const_cast<icaltimezone*>(zone));
        const std::string suffix = "/" + ZoneName;
        return tzid == ZoneName || (location != nullptr && location == ZoneName) ||
               (tzid.size() > suffix.size() &&
                tzid.compare(tzid.size() - suffix.size(), suffix.size(), suffix) == 0);
    }

    // The recurrence of the item: none without a rule, -1 for a rule the store cannot keep.
    std::optional<std::int32_t> Recurrence(icalcomponent* item, const icaltimetype& start) const
    {
        icalproperty* rule = icalcomponent_get_first_property(item, ICAL_RRULE_PROPERTY);
        if (rule == nullptr)
            return icalcomponent_get_first_property(item, ICAL_RDATE_PROPERTY) ? std::optional(-1)
                                                                               : std::nullopt;
        if (icalcomponent_get_next_property(item, ICAL_RRULE_PROPERTY) != nullptr ||
            icalcomponent_get_first_property(item, ICAL_RDATE_PROPERTY) != nullptr)
            return -1;
        return PlainRecurrence(icalproperty_get_rrule(rule), start).value_or(-1);
    }

    // Whether times may be converted through the zone: its working out fits in what is left
    // of MaxZoneWork. The first use of a zone works it out up to LastYear, so that no later
    // time of the calendar has libical work it out again from the start.
    bool ZoneUsable(const icaltimezone* zone)
    {
        auto* known = const_cast<icaltimezone*>(zone);
        const auto [found, added] = Zones.try_emplace(known, false);
        if (!added)
            return found->second;
        icalcomponent* definition = icaltimezone_get_component(known);
        const double work =
            definition ? ZoneWorkUpTo(definition, LastYear + ZoneCoverageYears) : 0;
        if (ZoneWork + work > MaxZoneWork)
            return false;
        ZoneWork += work;
        icaltimetype last = icaltime_null_time();
        last.year = LastYear;
        last.month = 12;
        last.day = 31;
        int daylight = 0;
        icaltimezone_get_utc_offset(known, &last, &daylight);
        return found->second = true;
    }

    // How far ahead of the start the earliest alarm rings, in seconds; 0 without alarms.
    static long LeadSeconds(icalcomponent* item, TDateTime when, bool todo)
    {
        long lead = 0;
        for (icalcomponent* alarm = icalcomponent_get_first_component(item, ICAL_VALARM_COMPONENT);
             alarm != nullptr;
             alarm = icalcomponent_get_next_component(item, ICAL_VALARM_COMPONENT)) {
            icalproperty* property = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
            if (property == nullptr)
                continue;
            const icaltriggertype trigger = icalproperty_get_trigger(property);
            long ahead;
            if (!icaltime_is_null_time(trigger.time)) {
                ahead = static_cast<long>(
                    UtcOfLocal(when) -
                    icaltime_as_timet_with_zone(trigger.time, icaltimezone_get_utc_timezone()));
            } else {
                ahead = -icaldurationtype_as_int(trigger.duration);
                icalparameter* related =
                    icalproperty_get_first_parameter(property, ICAL_RELATED_PARAMETER);
                // A to-do's time is its due time already, the end an alarm can be related to.
                if (!todo && related != nullptr &&
                    icalparameter_get_related(related) == ICAL_RELATED_END)
                    ahead -= icaldurationtype_as_int(icalcomponent_get_duration(item));
            }
            lead = std::max(lead, ahead);
        }
        return lead;
    }

    static std::string Categories(icalcomponent* item)
    {
        std::string joined;
        for (icalproperty* property =
                 icalcomponent_get_first_property(item, ICAL_CATEGORIES_PROPERTY);
             property != nullptr;
             property = icalcomponent_get_next_property(item, ICAL_CATEGORIES_PROPERTY)) {
            const std::string category = TextOf(icalproperty_get_categories(property));
            if (!category.empty())
                joined += (joined.empty() ? "" : ", ") + category;
        }
        return joined;
    }

    // The description lines, headed by the summary unless the description starts with it.
    static std::vector<std::string> NoteLines(const std::string& summary,
                                              std::vector<std::string> lines)
    {
        const auto first = FirstTextLine(lines);
        if (!summary.empty() && (first == lines.end() || *first != summary))
            lines.insert(lines.begin(), summary);
        return lines;
    }

    // The days an all-day item covers: from its start to the day before its end.
    static int NoteDays(icalcomponent* item, const icaltimetype& start, bool todo)
    {
        if (todo)
            return 1;
        // A length is counted here, in whole days as libical adds them to a date: libical
        // would add a length of years to the start month by month.
        if (icalproperty* length = icalcomponent_get_first_property(item, ICAL_DURATION_PROPERTY);
            length != nullptr &&
            icalcomponent_get_first_property(item, ICAL_DTEND_PROPERTY) == nullptr) {
            const icaldurationtype d = icalproperty_get_duration(length);
            const double days = d.is_neg ? 0 : 7.0 * d.weeks + d.days;
            return static_cast<int>(std::clamp(days, 1.0, double{MaxNoteDays}));
        }
        const icaltimetype end = icalcomponent_get_dtend(item);
        const auto first = FromWallTime(start);
        const auto last = end.is_date ? FromWallTime(end) : std::nullopt;
        if (!first || !last || *last <= *first)
            return 1;
        return static_cast<int>(std::min<double>(*last - *first, MaxNoteDays));
    }

    const std::string& ZoneName;
    TImportSummary& Summary;
    const int LastYear;
    std::map<icaltimezone*, bool> Zones;  // usable or not, for each zone met
    double ZoneWork = 0;
};

// Adds items to the store, finding the paper of a day and what it already holds without a walk
// over the store or over the paper: imports take time in proportion to their size.
class TMerger final {
public:
    explicit TMerger(store::TDayPaperList& notes) : Papers(notes) {}

    // Whether the lines of an item over several days may go to each of its days: the import
    // copies at most MaxSpreadLines lines to days after an item's first.
    bool MaySpread(const TItem& item)
    {
        const double copies = static_cast<double>(item.Days - 1) * item.Lines.size();
        if (SpreadLines + copies > MaxSpreadLines)
            return false;
        SpreadLines += copies;
        return true;
    }

    // Adds the item's lines to each of the first `days` days it covers whose note does not hold
    // them already, one after the other; false when every day held them.
    bool AddNote(const TItem& item, int days)
    {
        bool added = false;
        for (int offset = 0; offset < days; ++offset) {
            const TDate day = item.Day + offset;
            store::TDayPaper* existing = Papers.Find(day);
            if (existing != nullptr && HoldsRun(*existing, item.Lines))
                continue;
            store::TDayPaper& paper = existing ? *existing : Papers.FindOrAdd(day);
            TNoteLines& lines = LinesOf(paper);
            for (const std::string& line : item.Lines) {
                lines[line].push_back(paper.Note.size());
                paper.Note.push_back(line);
            }
            added = true;
        }
        return added;
    }

    // Adds the reminder to the paper of its date unless that paper holds one of the same
    // subject at the same second; false then.
    bool AddReminder(const TItem& item)
    {
        const TDate day = store::DateOf(item.When);
        store::TDayPaper& paper = Papers.FindOrAdd(day);
        if (!RemindersOf(paper).emplace(Second(item.When), item.Subject).second)
            return false;
        store::TReminder& reminder = paper.ReminderList.AddReminder();
        reminder.When = item.When;
        reminder.Subject = item.Subject;
        reminder.Desc = item.Desc;
        reminder.category = item.Category;
        reminder.Before = item.Before;
        reminder.Recurrency = item.Recurrency;
        return true;
    }

private:
    using TNoteLines = std::unordered_map<std::string, std::vector<std::size_t>>;  // line: where
    using TReminderKeys = std::set<std::pair<long long, std::string>>;  // second, subject

    static long long Second(TDateTime value) { return std::llround(value * 86400.0); }

    // Where each line of the paper's note stands, gathered when the paper is first met.
    TNoteLines& LinesOf(const store::TDayPaper& paper)
    {
        const auto [found, added] = NoteLines.try_emplace(&paper);
        if (added)
            for (std::size_t i = 0; i < paper.Note.size(); ++i)
                found->second[paper.Note[i]].push_back(i);
        return found->second;
    }

    TReminderKeys& RemindersOf(const store::TDayPaper& paper)
    {
        const auto [found, added] = Reminders.try_emplace(&paper);
        if (added)
            for (int i = 0; i < paper.ReminderList.ReminderCount(); ++i) {
                const store::TReminder& reminder = paper.ReminderList.GetReminder(i);
                found->second.emplace(Second(reminder.When), reminder.Subject);
            }
        return found->second;
    }

    // Whether the note holds the lines one after the other, looked for only where the one of
    // them the note holds least often stands.
    bool HoldsRun(const store::TDayPaper& paper, const std::vector<std::string>& run)
    {
        const TNoteLines& lines = LinesOf(paper);
        const std::vector<std::size_t>* rarest = nullptr;
        std::size_t offset = 0;  // of the rarest line in the run
        for (std::size_t k = 0; k < run.size(); ++k) {
            const auto found = lines.find(run[k]);
            if (found == lines.end())
                return false;
            if (rarest == nullptr || found->second.size() < rarest->size()) {
                rarest = &found->second;
                offset = k;
            }
        }
        const std::vector<std::string>& note = paper.Note;
        return std::any_of(rarest->begin(), rarest->end(), [&](std::size_t at) {
            return at >= offset && note.size() - (at - offset) >= run.size() &&
                   std::equal(run.begin(), run.end(), note.begin() + static_cast<long>(at - offset));
        });
    }

    store::TDayPaperIndex Papers;
    double SpreadLines = 0;
    std::unordered_map<const store::TDayPaper*, TNoteLines> NoteLines;
    std::unordered_map<const store::TDayPaper*, TReminderKeys> Reminders;
};

}  // namespace

std::vector<TCalendarItem> ReadCalendarItems(std::string_view text, TImportSummary& summary,
                                             const std::string& zoneName)
{
    QuietLibical();
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<TComponentPtr> components;
    int nesting = 0;
    if (text.find('\0') == std::string_view::npos)
        components = ParseComponents(text, nesting, IsReadProperty);
    if (nesting > 0)
        throw ENotICalendar("components nested more than " + std::to_string(MaxNesting) +
                            " deep; not read");
    std::vector<icalcomponent*> calendars;
    for (const TComponentPtr& component : components)
        if (icalcomponent_isa(component.get()) == ICAL_VCALENDAR_COMPONENT)
            calendars.push_back(component.get());
    if (calendars.empty())
        throw ENotICalendar("not an iCalendar file (no VCALENDAR found)");

    int lastYear = 0;
    for (icalcomponent* calendar : calendars)
        lastYear = std::max(lastYear, LastYearIn(calendar));
    TReader reader(zoneName, lastYear, summary);
    for (icalcomponent* calendar : calendars)
        reader.ReadCalendar(calendar);
    return std::move(reader.Items);
}

TCalendarItem ReminderItem(const store::TReminder& reminder)
{
    TCalendarItem item;
    item.When = reminder.When;
    item.Subject = reminder.Subject;
    item.Category = reminder.category;
    item.Desc = reminder.Desc;
    item.Before = reminder.Before;
    item.Recurrency = reminder.Recurrency;
    return item;
}

TCalendarItem NoteItem(store::TDate day, std::vector<std::string> lines)
{
    TCalendarItem item;
    item.IsNote = true;
    item.Day = day;
    item.Lines = std::move(lines);
    return item;
}

TImportSummary ImportCalendar(std::string_view text, store::TDayPaperList& notes,
                              const std::string& zoneName)
{
    TImportSummary summary;
    const std::vector<TItem> items = ReadCalendarItems(text, summary, zoneName);
    TMerger merger(notes);
    for (const TItem& item : items) {
        const bool spread = !item.IsNote || item.Days == 1 || merger.MaySpread(item);
        if (!(item.IsNote ? merger.AddNote(item, spread ? item.Days : 1)
                          : merger.AddReminder(item))) {
            ++summary.AlreadyThere;
            continue;
        }
        ++(item.IsNote ? summary.NotesAdded : summary.RemindersAdded);
        summary.FirstOccurrenceOnly += !item.IsNote && item.FirstOnly;
        summary.RepeatingNotes += item.IsNote && item.FirstOnly;
        summary.FirstDayOnly += !spread;
        summary.UnknownZone += item.UnknownZone;
    }
    return summary;
}

}  // namespace orvenna::ical

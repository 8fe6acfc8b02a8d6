#include "ical/icalendar.h"
#include "ical/icalsupport.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <vector>

namespace orvenna::ical {
namespace {

using store::TDayPaper;

constexpr const char* ProductId = "-//Orvenna//Orvenna notes//EN";
constexpr const char* UidDomain = "@orvenna";

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i > 0 ? "\n" : "") + lines[i];
    return text;
}

// 64-bit FNV-1a: the same on every machine and every run, unlike std::hash.
std::uint64_t Fingerprint(const std::string& text)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const unsigned char c : text)
        hash = (hash ^ c) * 1099511628211ull;
    return hash;
}

std::string IcalText(const icaltimetype& time)
{
    char* text = icaltime_as_ical_string_r(time);
    std::string copy = text;
    std::free(text);
    return copy;
}

class TExporter final {
public:
    // withZone: reminders follow, so the calendar needs the local zone's VTIMEZONE (it goes
    // before the items that name it).
    TExporter(const TExportOptions& options, bool withZone)
        : Calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT)), ZoneName(options.ZoneName),
          Zone(ZoneByName(options.ZoneName)),
          Stamp(icaltime_from_timet_with_zone(options.Stamp, 0, icaltimezone_get_utc_timezone()))
    {
        icalcomponent_add_property(Calendar.get(), icalproperty_new_version("2.0"));
        icalcomponent_add_property(Calendar.get(), icalproperty_new_prodid(ProductId));
        icalcomponent_add_property(Calendar.get(), icalproperty_new_calscale("GREGORIAN"));
        if (withZone && Zone != nullptr && Zone != icaltimezone_get_utc_timezone())
            AddZone();
    }

    // The note lines or the reminder of an item under the given UID; an item the calendar
    // cannot hold (no text in a note, a date past LastYear) gives nothing.
    void AddItem(const TCalendarItem& item, const std::string& uid)
    {
        if (item.IsNote)
            AddNote(item, uid);
        else
            AddReminder(item, uid);
    }

    // Under the UID export-ics gives it, made unique within this calendar.
    void AddItem(const TCalendarItem& item)
    {
        if (const auto base = UidBase(item)) {
            const int seen = Uids[*base]++;
            AddItem(item, *base + (seen > 0 ? "-" + std::to_string(seen) : "") + UidDomain);
        }
    }

    // The UID of an item before the domain; none for an item that gives no event.
    static std::optional<std::string> UidBase(const TCalendarItem& item)
    {
        const auto start = WallTime(item.IsNote ? item.Day : item.When, item.IsNote);
        if (!start || (item.IsNote && FirstTextLine(item.Lines) == item.Lines.end()))
            return std::nullopt;
        return IcalText(*start) + (item.IsNote ? "-note" : "-" + HexFingerprint(item.Subject));
    }

    std::string Text()
    {
        char* text = icalcomponent_as_ical_string_r(Calendar.get());
        std::string copy = text;
        std::free(text);
        return copy;
    }

private:
    void AddNote(const TCalendarItem& note, const std::string& uid)
    {
        // A note of blanks alone is no event.
        const auto first = FirstTextLine(note.Lines);
        const auto start = WallTime(note.Day, true);
        const auto end = WallTime(note.Day + std::max(note.Days, 1), true);
        if (first == note.Lines.end() || !start || !end)
            return;
        icalcomponent* event = NewEvent(uid, *first);
        icalcomponent_add_property(event, icalproperty_new_dtstart(*start));
        icalcomponent_add_property(event, icalproperty_new_dtend(*end));
        icalcomponent_add_property(event, icalproperty_new_description(Joined(note.Lines).c_str()));
    }

    void AddReminder(const TCalendarItem& reminder, const std::string& uid)
    {
        const auto wall = WallTime(reminder.When, false);
        if (!wall)
            return;
        icalcomponent* event = NewEvent(uid, reminder.Subject);
        icalcomponent_add_property(event, Start(*wall));
        if (!reminder.Desc.empty())
            icalcomponent_add_property(event,
                                       icalproperty_new_description(Joined(reminder.Desc).c_str()));
        if (!reminder.Category.empty())
            icalcomponent_add_property(event,
                                       icalproperty_new_categories(reminder.Category.c_str()));
        if (const auto frequency = Frequency(reminder.Recurrency)) {
            icalrecurrencetype rule;
            icalrecurrencetype_clear(&rule);
            rule.freq = *frequency;
            icalcomponent_add_property(event, icalproperty_new_rrule(rule));
        }
        icalcomponent_add_component(event, Alarm(reminder));
    }

    static std::string HexFingerprint(const std::string& text)
    {
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx",
                      static_cast<unsigned long long>(Fingerprint(text)));
        return hex;
    }

    static std::optional<icalrecurrencetype_frequency> Frequency(std::int32_t recurrency)
    {
        switch (recurrency) {
        case store::rcDaily: return ICAL_DAILY_RECURRENCE;
        case store::rcWeekly: return ICAL_WEEKLY_RECURRENCE;
        case store::rcMonthly: return ICAL_MONTHLY_RECURRENCE;
        case store::rcYearly: return ICAL_YEARLY_RECURRENCE;
        default: return std::nullopt;
        }
    }

    // A VEVENT with the UID, DTSTAMP and SUMMARY, owned by the calendar.
    icalcomponent* NewEvent(const std::string& uid, const std::string& summary)
    {
        icalcomponent* event = icalcomponent_new(ICAL_VEVENT_COMPONENT);
        icalcomponent_add_property(event, icalproperty_new_uid(uid.c_str()));
        icalcomponent_add_property(event, icalproperty_new_dtstamp(Stamp));
        icalcomponent_add_property(event, icalproperty_new_summary(summary.c_str()));
        icalcomponent_add_component(Calendar.get(), event);
        return event;
    }

    // DTSTART of a local wall time: with the local zone's TZID, or in UTC when the zone has no
    // name libical knows.
    icalproperty* Start(icaltimetype wall)
    {
        if (Zone == icaltimezone_get_utc_timezone())
            return icalproperty_new_dtstart(icaltime_set_timezone(&wall, Zone));
        if (Zone == nullptr) {
            std::tm local{};
            local.tm_year = wall.year - 1900;
            local.tm_mon = wall.month - 1;
            local.tm_mday = wall.day;
            local.tm_hour = wall.hour;
            local.tm_min = wall.minute;
            local.tm_sec = wall.second;
            local.tm_isdst = -1;
            return icalproperty_new_dtstart(icaltime_from_timet_with_zone(
                std::mktime(&local), 0, icaltimezone_get_utc_timezone()));
        }
        icalproperty* start = icalproperty_new_dtstart(wall);
        icalproperty_add_parameter(start, icalparameter_new_tzid(ZoneName.c_str()));
        return start;
    }

    // The zone's VTIMEZONE under the plain zone name, which other programs recognise (libical
    // names its own zones with a prefix of its project).
    void AddZone()
    {
        icalcomponent* zone = icalcomponent_new_clone(icaltimezone_get_component(Zone));
        icalproperty_set_tzid(icalcomponent_get_first_property(zone, ICAL_TZID_PROPERTY),
                              ZoneName.c_str());
        icalcomponent_add_component(Calendar.get(), zone);
    }

    static icalcomponent* Alarm(const TCalendarItem& reminder)
    {
        icalcomponent* alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
        icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
        icaltriggertype trigger =
            icaltriggertype_from_int(-60 * store::LeadTimeMinutes(reminder.Before));
        icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
        const std::string text = reminder.Subject.empty() ? "Reminder" : reminder.Subject;
        icalcomponent_add_property(alarm, icalproperty_new_description(text.c_str()));
        return alarm;
    }

    TComponentPtr Calendar;
    std::string ZoneName;
    icaltimezone* Zone;
    icaltimetype Stamp;
    std::map<std::string, int> Uids;
};

}  // namespace

std::string ExportCalendar(store::TDayPaperList& notes, const TExportOptions& options)
{
    QuietLibical();
    std::vector<const TDayPaper*> papers;
    bool anyReminder = false;
    for (int i = 0; i < notes.Count(); ++i) {
        const TDayPaper& paper = notes.GetDayPaper(i);
        if ((options.From && paper.Day < *options.From) || (options.To && paper.Day > *options.To))
            continue;
        papers.push_back(&paper);
        anyReminder = anyReminder || paper.ReminderList.ReminderCount() > 0;
    }
    TExporter exporter(options, anyReminder);
    for (const TDayPaper* paper : papers) {
        exporter.AddItem(NoteItem(paper->Day, paper->Note));
        for (int r = 0; r < paper->ReminderList.ReminderCount(); ++r)
            exporter.AddItem(ReminderItem(paper->ReminderList.GetReminder(r)));
    }
    return exporter.Text();
}

std::string ExportItems(const std::vector<TCalendarItem>& items, const TExportOptions& options)
{
    QuietLibical();
    const bool anyReminder =
        std::any_of(items.begin(), items.end(), [](const auto& item) { return !item.IsNote; });
    TExporter exporter(options, anyReminder);
    for (const TCalendarItem& item : items)
        exporter.AddItem(item, item.Uid);
    return exporter.Text();
}

std::string ExportUid(const TCalendarItem& item)
{
    const auto base = TExporter::UidBase(item);
    return base ? *base + UidDomain : std::string();
}

}  // namespace orvenna::ical

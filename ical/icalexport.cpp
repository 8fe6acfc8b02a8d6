#include "ical/icalendar.h"
#include "ical/icalsupport.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <vector>

namespace orvenna::ical {
namespace {

using store::TDayPaper;
using store::TReminder;

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

    void AddNote(const TDayPaper& paper)
    {
        // A note of blanks alone is no event.
        const auto first = FirstTextLine(paper.Note);
        const std::string summary = first == paper.Note.end() ? std::string() : *first;
        const auto start = WallTime(paper.Day, true);
        const auto end = WallTime(paper.Day + 1, true);
        if (summary.empty() || !start || !end)
            return;
        icalcomponent* event = NewEvent(IcalText(*start) + "-note", summary);
        icalcomponent_add_property(event, icalproperty_new_dtstart(*start));
        icalcomponent_add_property(event, icalproperty_new_dtend(*end));
        icalcomponent_add_property(event, icalproperty_new_description(Joined(paper.Note).c_str()));
    }

    void AddReminder(const TReminder& reminder)
    {
        const auto wall = WallTime(reminder.When, false);
        if (!wall)
            return;
        const std::string uid = IcalText(*wall) + "-" + HexFingerprint(reminder.Subject);
        icalcomponent* event = NewEvent(uid, reminder.Subject);
        icalcomponent_add_property(event, Start(*wall));
        if (!reminder.Desc.empty())
            icalcomponent_add_property(event,
                                       icalproperty_new_description(Joined(reminder.Desc).c_str()));
        if (!reminder.category.empty())
            icalcomponent_add_property(event,
                                       icalproperty_new_categories(reminder.category.c_str()));
        if (const auto frequency = Frequency(reminder.Recurrency)) {
            icalrecurrencetype rule;
            icalrecurrencetype_clear(&rule);
            rule.freq = *frequency;
            icalcomponent_add_property(event, icalproperty_new_rrule(rule));
        }
        icalcomponent_add_component(event, Alarm(reminder));
    }

    std::string Text()
    {
        char* text = icalcomponent_as_ical_string_r(Calendar.get());
        std::string copy = text;
        std::free(text);
        return copy;
    }

private:
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

    // A VEVENT with a UID unique in this calendar, DTSTAMP and SUMMARY, owned by the calendar.
    icalcomponent* NewEvent(const std::string& uidBase, const std::string& summary)
    {
        const int seen = Uids[uidBase]++;
        const std::string uid = uidBase + (seen > 0 ? "-" + std::to_string(seen) : "") + UidDomain;
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

    static icalcomponent* Alarm(const TReminder& reminder)
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
        exporter.AddNote(*paper);
        for (int r = 0; r < paper->ReminderList.ReminderCount(); ++r)
            exporter.AddReminder(paper->ReminderList.GetReminder(r));
    }
    return exporter.Text();
}

}  // namespace orvenna::ical

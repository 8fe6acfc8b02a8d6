#include "ical/icalzones.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace orvenna::ical {
namespace {

template <std::size_t N> double Listed(const short (&values)[N])
{
    std::size_t n = 0;
    while (n < N && values[n] != ICAL_RECURRENCE_ARRAY_MAX)
        ++n;
    return static_cast<double>(n);
}

// The steps libical's iterator takes in a year at the rule's frequency.
double StepsPerYear(const icalrecurrencetype& rule)
{
    double steps = 0;
    switch (rule.freq) {
    case ICAL_SECONDLY_RECURRENCE: steps = 366.0 * 86400; break;
    case ICAL_MINUTELY_RECURRENCE: steps = 366.0 * 1440; break;
    case ICAL_HOURLY_RECURRENCE: steps = 366.0 * 24; break;
    case ICAL_DAILY_RECURRENCE: steps = 366; break;
    case ICAL_WEEKLY_RECURRENCE: steps = 53; break;
    case ICAL_MONTHLY_RECURRENCE: steps = 12; break;
    case ICAL_YEARLY_RECURRENCE: steps = 1; break;
    default: return 0;
    }
    return std::max(1.0, steps / std::max<short>(rule.interval, 1));
}

// An upper bound of the occurrences the rule has in a year.
double OccurrencesPerYear(const icalrecurrencetype& rule)
{
    const double byMonth = Listed(rule.by_month);
    const double months = byMonth > 0 ? byMonth : 12;
    const bool monthsOrYears =
        rule.freq == ICAL_MONTHLY_RECURRENCE || rule.freq == ICAL_YEARLY_RECURRENCE;
    // Each day rule alone bounds the days; together they only narrow them further.
    double days = 366;
    bool dayRule = false;
    if (Listed(rule.by_day) > 0) {
        // A numbered weekday ("-1SU") is one day of each month, or of the year without
        // BYMONTH; a plain one is up to five days of a month, 53 of a year.
        const bool ofYear = rule.freq == ICAL_YEARLY_RECURRENCE && byMonth == 0;
        double perPeriod = 0;
        for (std::size_t i = 0; i < std::size(rule.by_day) && rule.by_day[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) {
            const bool numbered = monthsOrYears && icalrecurrencetype_day_position(rule.by_day[i]) != 0;
            perPeriod += numbered ? 1 : (ofYear ? 53 : 5);
        }
        days = std::min(days, ofYear ? perPeriod : perPeriod * months);
        dayRule = true;
    }
    if (Listed(rule.by_month_day) > 0) {
        days = std::min(days, Listed(rule.by_month_day) * months);
        dayRule = true;
    }
    if (Listed(rule.by_year_day) > 0) {
        days = std::min(days, Listed(rule.by_year_day));
        dayRule = true;
    }
    if (Listed(rule.by_week_no) > 0) {
        days = std::min(days, Listed(rule.by_week_no) * 7);
        dayRule = true;
    }
    if (!dayRule) {
        switch (rule.freq) {
        case ICAL_WEEKLY_RECURRENCE: days = std::min(53.0, months * 5); break;
        case ICAL_MONTHLY_RECURRENCE: days = months; break;
        case ICAL_YEARLY_RECURRENCE: days = byMonth > 0 ? months : 1; break;
        default: days = std::min(366.0, months * 31); break;
        }
    }
    const auto finer = [&](double listed, icalrecurrencetype_frequency every, double all) {
        return listed > 0 ? listed : (rule.freq <= every ? all : 1);
    };
    return days * finer(Listed(rule.by_hour), ICAL_HOURLY_RECURRENCE, 24) *
           finer(Listed(rule.by_minute), ICAL_MINUTELY_RECURRENCE, 60) *
           finer(Listed(rule.by_second), ICAL_SECONDLY_RECURRENCE, 60);
}

double ObservanceWork(icalcomponent* observance, int endYear)
{
    double work = 1;
    const icaltimetype start = icalcomponent_get_dtstart(observance);
    for (icalproperty* property = icalcomponent_get_first_property(observance, ICAL_ANY_PROPERTY);
         property != nullptr;
         property = icalcomponent_get_next_property(observance, ICAL_ANY_PROPERTY)) {
        const icalproperty_kind kind = icalproperty_isa(property);
        if (kind == ICAL_RDATE_PROPERTY)
            work += 1;
        if (kind != ICAL_RRULE_PROPERTY)
            continue;
        const icalrecurrencetype rule = icalproperty_get_rrule(property);
        const int lastYear = icaltime_is_null_time(rule.until) ? endYear
                                                               : std::min(endYear, rule.until.year);
        const double years = std::max(0, lastYear - start.year + 1);
        work += years * std::max(StepsPerYear(rule), OccurrencesPerYear(rule));
    }
    return work;
}

}  // namespace

double ZoneWorkUpTo(icalcomponent* zone, int endYear)
{
    double work = 0;
    for (icalcomponent* observance = icalcomponent_get_first_component(zone, ICAL_ANY_COMPONENT);
         observance != nullptr;
         observance = icalcomponent_get_next_component(zone, ICAL_ANY_COMPONENT)) {
        const icalcomponent_kind kind = icalcomponent_isa(observance);
        if (kind == ICAL_XSTANDARD_COMPONENT || kind == ICAL_XDAYLIGHT_COMPONENT)
            work += ObservanceWork(observance, endYear);
    }
    return work;
}

int LastYearIn(icalcomponent* component)
{
    int last = 0;
    std::vector<icalcomponent*> pending{component};
    while (!pending.empty()) {
        icalcomponent* current = pending.back();
        pending.pop_back();
        for (icalproperty* property = icalcomponent_get_first_property(current, ICAL_ANY_PROPERTY);
             property != nullptr;
             property = icalcomponent_get_next_property(current, ICAL_ANY_PROPERTY)) {
            const icalvalue* value = icalproperty_get_value(property);
            const icalvalue_kind kind = value ? icalvalue_isa(value) : ICAL_NO_VALUE;
            if (kind == ICAL_DATETIME_VALUE)
                last = std::max(last, icalvalue_get_datetime(value).year);
            else if (kind == ICAL_DATE_VALUE)
                last = std::max(last, icalvalue_get_date(value).year);
        }
        for (icalcomponent* child = icalcomponent_get_first_component(current, ICAL_ANY_COMPONENT);
             child != nullptr;
             child = icalcomponent_get_next_component(current, ICAL_ANY_COMPONENT))
            if (icalcomponent_isa(child) != ICAL_VTIMEZONE_COMPONENT)
                pending.push_back(child);
    }
    return last;
}

}  // namespace orvenna::ical

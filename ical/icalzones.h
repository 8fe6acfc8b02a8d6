#pragma once
// How much work a time zone definition makes libical do. To convert a time through a zone,
// libical works out every change of the zone from the start of each of its observances up to
// five years past the year asked for (and at least five years past the current one), stepping
// through each repeat rule at the rule's own frequency. A definition of a few hundred bytes can
// ask for millions of steps (an hourly rule from 1601), so the import weighs a definition
// before it lets libical use it.

#include <libical/ical.h>

namespace orvenna::ical {

// The years past the one asked for that libical works a zone out to.
inline constexpr int ZoneCoverageYears = 5;

// An upper bound of the steps and changes libical's working out of the zone definition
// (a VTIMEZONE component) takes up to the end of endYear: per repeat rule, the steps its
// frequency takes through the years or the changes its BY parts allow a year, whichever is
// more, times the years from the observance's start; plus one per start and per RDATE.
double ZoneWorkUpTo(icalcomponent* zone, int endYear);

// The latest year of any date or date-time value of the component and the components below
// it, zone definitions left out; 0 when there is none.
int LastYearIn(icalcomponent* component);

}  // namespace orvenna::ical

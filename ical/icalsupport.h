#pragma once
// Pieces the export and the import share: owning handles of libical objects and the conversion
// between the store's local date-time numbers and libical's time values.

#include "store/datetime.h"

#include <libical/ical.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvenna::ical {

struct TComponentFree {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using TComponentPtr = std::unique_ptr<icalcomponent, TComponentFree>;

// Keeps libical from aborting on a bad value, whatever its build chose.
void QuietLibical();

// Components may nest this deep: a calendar, a zone and its observance, or an event and its
// alarm need three levels; libical walks nested components recursively.
inline constexpr int MaxNesting = 32;

// Whether a property is wanted, by its name in capitals ("DTSTART").
using TWantedProperty = bool (*)(std::string_view name);

// The outermost components of iCalendar text, in their order, each complete up to its END
// line; an unfinished one is dropped. Lines are unfolded here in one pass, however long, and
// handed to libical one at a time, with the line end and trailing blanks taken off as its own
// line reader does. With `wanted` given, properties outside zone definitions that it does not
// want are left out unparsed. Returns none when nesting goes deeper than MaxNesting, having
// parsed no further; nesting is set to the depth reached then, else to 0.
std::vector<TComponentPtr> ParseComponents(std::string_view text, int& nesting,
                                           TWantedProperty wanted = nullptr);

// A libical zone by its name ("Europe/Berlin"); none for an empty or unknown name.
icaltimezone* ZoneByName(const std::string& name);

// libical writes no later year (a later one comes out as zeros), so nothing later goes in or out.
inline constexpr int LastYear = 3000;

// The wall time of a local date-time number as a floating (zone-less) time, to the second; a
// date only when asDate. None outside the years 1 to LastYear.
std::optional<icaltimetype> WallTime(store::TDateTime value, bool asDate);
// The date-time number of a wall time (its zone ignored); none outside the years 1 to LastYear.
std::optional<store::TDateTime> FromWallTime(const icaltimetype& time);

// The first line with more than blanks, which heads a note as its summary; none when there is
// no such line.
std::vector<std::string>::const_iterator FirstTextLine(const std::vector<std::string>& lines);

}  // namespace orvenna::ical

#pragma once
// The calendar's regional choices and their side file "Regional.dat" in the program folder:
// the first day of the week, the form of reminder times and the week-number column. Neither
// "Setting.cfg" nor the notes file holds them, so both keep their formats; stored times never
// change with the form they are shown in.
//
// The file is a side file (store/sidefile.h):
//
//     Orvenna regional 1
//     FirstDay=sunday            sunday | monday | locale
//     TimeFormat=ampm            ampm | 24h | locale
//     WeekNumbers=0
//     End
//
// Keys of a later version are skipped; a value that does not read damages the whole file.

#include "store/localformat.h"

#include <string>
#include <string_view>

namespace orvenna::store {

inline constexpr const char* RegionalFileName = "Regional.dat";
inline constexpr int RegionalVersion = 1;

enum class TWeekStart { Sunday, Monday, Locale };
// AmPm: "hh:mm AM/PM", the designed form. TwentyFour: "HH:mm". Locale: the locale's own.
enum class TTimeFormat { AmPm, TwentyFour, Locale };

struct TRegionalChoices {
    TWeekStart WeekStart = TWeekStart::Sunday;
    TTimeFormat TimeFormat = TTimeFormat::AmPm;
    bool WeekNumbers = false;  // ISO 8601 weeks in a column left of the first weekday
    bool operator==(const TRegionalChoices&) const = default;
};

std::string RegionalToText(const TRegionalChoices& choices);
// Reads the text into choices; returns what is wrong and leaves choices as they were, or
// empty on success.
std::string RegionalFromText(std::string_view text, TRegionalChoices& choices);
// Writes the file crash-safely; throws as SaveFileAtomically does.
void SaveRegional(const std::string& fileName, const TRegionalChoices& choices);
// A missing file leaves choices as they are and returns empty; a damaged or unreadable one
// returns the reason and leaves them as they were.
std::string LoadRegional(const std::string& fileName, TRegionalChoices& choices);

// The locale's conventions with the choices applied: FirstWeekday becomes Sunday or Monday
// unless the locale's is chosen; the reminder time pattern becomes the designed one (empty),
// "HH<sep>mm" with the locale's separator, or the locale's short time format without its
// seconds; with 24-hour times the long time format (the browser's) turns 24-hour as well.
TLocalFormat WithChoices(TLocalFormat locale, const TRegionalChoices& choices);

}  // namespace orvenna::store

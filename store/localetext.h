#pragma once
// Dates and times as text in the user's locale: formatting with the patterns of TLocalFormat,
// and the readers that turn what the user typed back into values.
//
// A text a reader cannot take fails with EConvertError carrying the message the windows show:
//   "'<text>' is not a valid time"
//   "'<text>' is not a valid date"
//   "'<text>' is not a valid date and time"
//   "'<text>' is not a valid integer value"
//
// Times are read leniently: blanks may stand around every number and separator ("3 :00 PM",
// "9:00  PM"); the separator is the locale's or ':'; minutes and seconds are optional. With AM
// or PM (the locale's texts or the Latin letters, in any case, before or after the numbers)
// the hour is 1 to 12, 12 AM being 00:00 and 12 PM 12:00; without them it is 0 to 23.

#include "store/datetime.h"
#include "store/localformat.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace orvenna::store {

// The value formatted with a pattern in the notation of TLocalFormat: d dd ddd dddd, M MM MMM
// MMMM, yy yyyy, h hh (12-hour when the pattern has AP), H HH, m mm, s ss, z zzz, AP ap A a,
// 'quoted' literal text ('' for a quote). The time-zone letter t is left out with the blank
// before it. Every other character stands for itself. A value outside the years 1 to 9999
// gives an empty text.
std::string FormatDateTime(const TLocalFormat& format, std::string_view pattern, TDateTime value);
// The date in the short date format ("12/7/26").
std::string FormatShortDate(const TLocalFormat& format, TDateTime value);
// The time of day in the long time format ("2:05:09 PM").
std::string FormatLongTime(const TLocalFormat& format, TDateTime value);
// The time of day as "hh:mm AM" or "hh:mm PM": two-digit hour 01..12, the locale's time
// separator, two-digit minute, one blank, then always the Latin "AM" or "PM" (lists and the
// note editor take the last two characters as the half of the day). 00:15 is "12:15 AM".
std::string FormatAmPmTime(const TLocalFormat& format, TDateTime value);

// A reminder's time as the reminder grid, the reminder dialog and the alerts show it: the
// designed FormatAmPmTime, or the pattern of ReminderTimeFormat.
std::string FormatReminderTime(const TLocalFormat& format, TDateTime value);
// True when reminder times carry AM or PM (the designed form, or a 12-hour pattern).
bool ReminderTimeIsTwelveHour(const TLocalFormat& format);
// The reminder time without its AM or PM ("02:05", "2:05", "14:05"), for the dialog's start
// box beside its AM/PM list.
std::string FormatReminderClock(const TLocalFormat& format, TDateTime value);
// The pattern without the fields of the given letters, each taken with the literal text that
// joins it to the field before it (or, for a leading field, to the one after it):
// "h:mm:ss AP" without "s" is "h:mm AP"; quoted text stays.
std::string WithoutFields(std::string_view pattern, std::string_view letters);

// The label of a weekday (0 = Sunday .. 6) over the month's columns: the first two characters
// of the locale's short day name, without dots, the first letter a capital where it is an
// ASCII one ("Sun" "Su", "So." "So", "dim." "Di").
std::string WeekdayLabel(const TLocalFormat& format, int weekday);

// The separators the short formats use; ':' and '/' when a pattern shows none.
char TimeSeparator(const TLocalFormat& format);
char DateSeparator(const TLocalFormat& format);

// A time of day as a fraction of a day (0 <= result < 1). Throws EConvertError
// "'<text>' is not a valid time".
TDateTime ReadTime(const TLocalFormat& format, std::string_view text);
// A date written in the order of the short date format with its separator: day, month and
// year, or day and month of the current year. A year of one or two digits is placed within
// the 50 years before and the 49 after the current year. currentYear 0 takes the year of
// today's local date. Throws EConvertError "'<text>' is not a valid date".
TDate ReadDate(const TLocalFormat& format, std::string_view text, int currentYear = 0);
// A date, optionally followed by a time of day as ReadTime takes it. Throws EConvertError
// "'<text>' is not a valid date and time".
TDateTime ReadDateTime(const TLocalFormat& format, std::string_view text, int currentYear = 0);
// The time typed for a known day, as the day's short-date text, one blank and the time text
// would read, but without reading the date back (a two-digit year cannot name a day outside
// the century window). Throws EConvertError "'<short date> <time text>' is not a valid date
// and time".
TDateTime ReadTimeOnDay(const TLocalFormat& format, TDate day, std::string_view timeText);

// A 32-bit integer: optional blanks around, an optional sign and decimal digits, or hex digits
// after "$" or "0x". Throws EConvertError "'<text>' is not a valid integer value".
std::int32_t ReadInteger(std::string_view text);

}  // namespace orvenna::store

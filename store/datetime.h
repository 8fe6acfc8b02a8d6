#pragma once
// Dates and times as the files keep them: a 64-bit float counting days from 30 December 1899,
// the fraction being the time of day. Negative values count backwards; their fraction is still
// the time of day (-1.25 is 29 December 1899, 06:00). Calendar computations use the proleptic
// Gregorian calendar for the years 1 to 9999.

#include <optional>

namespace orvenna::store {

using TDateTime = double;
using TDate = double;

struct TDateParts {
    int Year = 0;
    int Month = 0;  // 1..12
    int Day = 0;    // 1..31
};

struct TTimeParts {
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int MilliSecond = 0;
};

inline constexpr double MSecsPerDay = 86400000.0;
// The day origin: day 0 is 30 December 1899, so 1 January 1970 is this day.
inline constexpr int UnixEpochDay = 25569;

// The whole-day part, truncated toward zero.
TDateTime DateOf(TDateTime value);

// None when the arguments name no day of the years 1 to 9999.
std::optional<TDate> TryEncodeDate(int year, int month, int day);
// Throws EConvertError "Invalid argument to date encode" on a bad date.
TDate EncodeDate(int year, int month, int day);
// Hours 0..23, minutes and seconds 0..59, milliseconds 0..999; throws EConvertError otherwise.
TDateTime EncodeTime(int hour, int minute, int second, int milliSecond);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second = 0,
                         int milliSecond = 0);

// The value is first rounded to whole milliseconds, as the class library does. None for a value
// outside the years 1 to 9999 (including NaN and infinities).
std::optional<TDateParts> DecodeDate(TDateTime value);
std::optional<TTimeParts> DecodeTime(TDateTime value);

// 1 = Sunday ... 7 = Saturday; 0 for a value outside the years 1 to 9999.
int DayOfWeek(TDateTime value);

// Today's local calendar date at 00:00.
TDate LocalToday();

}  // namespace orvenna::store

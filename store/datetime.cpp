#include "store/datetime.h"

#include "store/errors.h"

#include <cmath>
#include <cstdint>
#include <ctime>

namespace orvenna::store {
namespace {

// Day numbers relative to 1 January 1970 (days_from_civil / civil_from_days of the
// well-known era algorithm), shifted to the day origin.
constexpr std::int64_t EpochShift = UnixEpochDay;
constexpr std::int64_t FirstDay = -693593;  // 1 January 0001
constexpr std::int64_t LastDay = 2958465;   // 31 December 9999

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month)
{
    static constexpr int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : Days[month - 1];
}

std::int64_t DaysFromCivil(std::int64_t y, int m, int d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

TDateParts CivilFromDays(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {static_cast<int>(yoe + era * 400 + (m <= 2)), m, d};
}

// The value as whole milliseconds, rounded in extended precision like the class library's
// time stamps. None outside the supported years, so no conversion can overflow.
std::optional<std::int64_t> ToMilliSeconds(TDateTime value)
{
    if (!(value > static_cast<double>(FirstDay - 1) && value < static_cast<double>(LastDay + 1)))
        return std::nullopt;
    return std::llrint(static_cast<long double>(value) * static_cast<long double>(MSecsPerDay));
}

// Day number (origin 30 December 1899) of a value, after millisecond rounding.
std::optional<std::int64_t> DayNumber(TDateTime value)
{
    const auto ms = ToMilliSeconds(value);
    if (!ms)
        return std::nullopt;
    const std::int64_t day = *ms / static_cast<std::int64_t>(MSecsPerDay);
    if (day < FirstDay || day > LastDay)
        return std::nullopt;
    return day;
}

}  // namespace

TDateTime DateOf(TDateTime value)
{
    return std::trunc(value);
}

std::optional<TDate> TryEncodeDate(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month))
        return std::nullopt;
    return static_cast<TDate>(DaysFromCivil(year, month, day) + EpochShift);
}

TDate EncodeDate(int year, int month, int day)
{
    const auto date = TryEncodeDate(year, month, day);
    if (!date)
        throw EConvertError("Invalid argument to date encode");
    return *date;
}

TDateTime EncodeTime(int hour, int minute, int second, int milliSecond)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        milliSecond < 0 || milliSecond > 999)
        throw EConvertError("Invalid argument to time encode");
    const long double ms = hour * 3600000.0L + minute * 60000.0L + second * 1000.0L + milliSecond;
    return static_cast<double>(ms / static_cast<long double>(MSecsPerDay));
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int milliSecond)
{
    const TDate date = EncodeDate(year, month, day);
    const TDateTime time = EncodeTime(hour, minute, second, milliSecond);
    // Before the origin the fraction still counts forward within the day.
    return date >= 0 ? date + time : date - time;
}

std::optional<TDateParts> DecodeDate(TDateTime value)
{
    const auto day = DayNumber(value);
    if (!day)
        return std::nullopt;
    return CivilFromDays(*day - EpochShift);
}

std::optional<TTimeParts> DecodeTime(TDateTime value)
{
    const auto ms = ToMilliSeconds(value);
    if (!ms)
        return std::nullopt;
    std::int64_t rest = std::llabs(*ms) % static_cast<std::int64_t>(MSecsPerDay);
    TTimeParts parts;
    parts.MilliSecond = static_cast<int>(rest % 1000);
    rest /= 1000;
    parts.Second = static_cast<int>(rest % 60);
    rest /= 60;
    parts.Minute = static_cast<int>(rest % 60);
    parts.Hour = static_cast<int>(rest / 60);
    return parts;
}

int DayOfWeek(TDateTime value)
{
    const auto day = DayNumber(value);
    if (!day)
        return 0;
    // Day 0, 30 December 1899, was a Saturday.
    return static_cast<int>(((*day + 6) % 7 + 7) % 7) + 1;
}

TDate LocalToday()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

}  // namespace orvenna::store

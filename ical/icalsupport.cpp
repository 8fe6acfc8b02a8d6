#include "ical/icalsupport.h"

#include "ical/icalendar.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace orvenna::ical {
namespace {

// The zone name inside a path of the zone database ("/usr/share/zoneinfo/Europe/Berlin").
std::string AfterZoneInfo(const std::string& path)
{
    const std::string marker = "zoneinfo/";
    const std::size_t at = path.rfind(marker);
    return at == std::string::npos ? path : path.substr(at + marker.size());
}

std::string KnownZone(const std::string& name)
{
    return ZoneByName(name) != nullptr ? name : std::string();
}

}  // namespace

void QuietLibical() { icalerror_set_errors_are_fatal(0); }

icaltimezone* ZoneByName(const std::string& name)
{
    if (name.empty())
        return nullptr;
    if (name == "UTC")
        return icaltimezone_get_utc_timezone();
    return icaltimezone_get_builtin_timezone(name.c_str());
}

std::string SystemZoneName()
{
    QuietLibical();
    // TZ decides for the C library when it is set; a rule that names no zone stays unknown.
    if (const char* tz = std::getenv("TZ")) {
        std::string name = tz;
        if (name.empty())
            return "UTC";
        if (name.front() == ':')
            name.erase(0, 1);
        return KnownZone(AfterZoneInfo(name));
    }
    std::ifstream timezoneFile("/etc/timezone");
    std::string line;
    if (std::getline(timezoneFile, line) && !KnownZone(line).empty())
        return line;
    std::error_code error;
    const auto target = std::filesystem::read_symlink("/etc/localtime", error);
    return error ? std::string() : KnownZone(AfterZoneInfo(target.string()));
}

std::optional<icaltimetype> WallTime(store::TDateTime value, bool asDate)
{
    // Whole seconds: a time typed in the dialog is whole minutes, but its number may lie a
    // hair below them.
    const double seconds = std::round(value * 86400.0);
    const auto date = store::DecodeDate(seconds / 86400.0);
    const auto time = store::DecodeTime(seconds / 86400.0);
    if (!date || !time || date->Year > LastYear)
        return std::nullopt;
    icaltimetype wall = asDate ? icaltime_null_date() : icaltime_null_time();
    wall.year = date->Year;
    wall.month = date->Month;
    wall.day = date->Day;
    if (!asDate) {
        wall.hour = time->Hour;
        wall.minute = time->Minute;
        wall.second = time->Second;
    }
    return wall;
}

std::optional<store::TDateTime> FromWallTime(const icaltimetype& time)
{
    const auto day = store::TryEncodeDate(time.year, time.month, time.day);
    if (!day || time.year > LastYear)
        return std::nullopt;
    if (time.is_date)
        return *day;
    if (time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59 || time.second < 0)
        return std::nullopt;
    const int second = std::min(time.second, 59);  // a leap second reads as :59
    return store::EncodeDateTime(time.year, time.month, time.day, time.hour, time.minute, second);
}

std::vector<std::string>::const_iterator FirstTextLine(const std::vector<std::string>& lines)
{
    return std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find_first_not_of(" \t") != std::string::npos;
    });
}

}  // namespace orvenna::ical

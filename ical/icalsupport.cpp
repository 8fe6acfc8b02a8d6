#include "ical/icalsupport.h"

#include "ical/icalendar.h"

#include <algorithm>
#include <cctype>
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

struct TParserFree {
    void operator()(icalparser* parser) const { icalparser_free(parser); }
};

// The property or component name that heads a content line, as libical takes it.
std::string_view NameOf(std::string_view line)
{
    return line.substr(0, line.find_first_of(";:"));
}

bool SameLetters(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == y;
           });
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

}  // namespace

void QuietLibical() { icalerror_set_errors_are_fatal(0); }

std::vector<TComponentPtr> ParseComponents(std::string_view text, int& nesting,
                                           TWantedProperty wanted)
{
    std::unique_ptr<icalparser, TParserFree> parser(icalparser_new());
    std::vector<TComponentPtr> components;
    nesting = 0;
    int depth = 0;
    int zoneDepth = 0;  // the depth of the zone definition the lines are in; 0: none
    std::string name;
    // Hands one unfolded line to the parser; false when it nests too deep.
    const auto add = [&](std::string& line) {
        while (!line.empty() && IsBlank(line.back()))
            line.pop_back();
        if (line.empty())
            return true;
        name.assign(NameOf(line));
        for (char& c : name)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (name == "BEGIN") {
            if (++depth > MaxNesting) {
                nesting = depth;
                return false;
            }
            const std::size_t colon = line.find(':', name.size());
            if (zoneDepth == 0 && colon != std::string::npos &&
                SameLetters(std::string_view(line).substr(colon + 1), "VTIMEZONE"))
                zoneDepth = depth;
        } else if (name == "END") {
            if (depth == zoneDepth)
                zoneDepth = 0;
            depth = std::max(depth - 1, 0);
        } else if (wanted != nullptr && zoneDepth == 0 && !wanted(name)) {
            return true;
        }
        if (icalcomponent* done = icalparser_add_line(parser.get(), line.data()))
            components.emplace_back(done);
        return true;
    };
    std::string line;
    bool started = false;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        std::string_view physical = text.substr(pos, end - pos);
        pos = end + 1;
        if (!physical.empty() && physical.back() == '\r')
            physical.remove_suffix(1);
        // A line that starts with a blank continues the one before.
        if (started && !physical.empty() && (physical[0] == ' ' || physical[0] == '\t')) {
            line.append(physical.substr(1));
            continue;
        }
        if (started && !add(line))
            return {};
        line.assign(physical);
        started = true;
    }
    if (started && !add(line))
        return {};
    return components;
}

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

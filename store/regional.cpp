#include "store/regional.h"

#include "store/filesave.h"
#include "store/localetext.h"
#include "store/sidefile.h"

#include <array>
#include <optional>
#include <utility>

namespace orvenna::store {
namespace {

constexpr std::string_view Kind = "regional";

constexpr std::array<std::pair<TWeekStart, std::string_view>, 3> WeekStartNames{{
    {TWeekStart::Sunday, "sunday"}, {TWeekStart::Monday, "monday"}, {TWeekStart::Locale, "locale"}}};
constexpr std::array<std::pair<TTimeFormat, std::string_view>, 3> TimeFormatNames{{
    {TTimeFormat::AmPm, "ampm"}, {TTimeFormat::TwentyFour, "24h"}, {TTimeFormat::Locale, "locale"}}};

template <typename T, std::size_t N>
std::string_view NameOf(const std::array<std::pair<T, std::string_view>, N>& names, T value)
{
    for (const auto& [v, name] : names)
        if (v == value)
            return name;
    return names[0].second;
}

template <typename T, std::size_t N>
std::optional<T> ValueOf(const std::array<std::pair<T, std::string_view>, N>& names,
                         std::string_view name)
{
    for (const auto& [v, n] : names)
        if (n == name)
            return v;
    return std::nullopt;
}

bool ReadLine(std::string_view key, std::string_view value, TRegionalChoices& choices)
{
    if (key == "FirstDay") {
        const auto start = ValueOf(WeekStartNames, value);
        if (!start)
            return false;
        choices.WeekStart = *start;
    } else if (key == "TimeFormat") {
        const auto format = ValueOf(TimeFormatNames, value);
        if (!format)
            return false;
        choices.TimeFormat = *format;
    } else if (key == "WeekNumbers") {
        if (value != "0" && value != "1")
            return false;
        choices.WeekNumbers = value == "1";
    }
    // Keys of a later version are skipped.
    return true;
}

}  // namespace

std::string RegionalToText(const TRegionalChoices& choices)
{
    return SideFileHeader(Kind, RegionalVersion) + '\n' +
           "FirstDay=" + std::string(NameOf(WeekStartNames, choices.WeekStart)) + '\n' +
           "TimeFormat=" + std::string(NameOf(TimeFormatNames, choices.TimeFormat)) + '\n' +
           "WeekNumbers=" + (choices.WeekNumbers ? "1" : "0") + '\n' + "End\n";
}

std::string RegionalFromText(std::string_view text, TRegionalChoices& choices)
{
    TRegionalChoices read;
    std::string failure = ReadSideFile(text, Kind, RegionalVersion,
                                       [&](std::string_view key, std::string_view value) {
                                           return ReadLine(key, value, read);
                                       });
    if (failure.empty())
        choices = read;
    return failure;
}

void SaveRegional(const std::string& fileName, const TRegionalChoices& choices)
{
    SaveFileAtomically(fileName, RegionalToText(choices));
}

std::string LoadRegional(const std::string& fileName, TRegionalChoices& choices)
{
    return LoadSideFile(fileName, [&](std::string_view text) { return RegionalFromText(text, choices); });
}

TLocalFormat WithChoices(TLocalFormat locale, const TRegionalChoices& choices)
{
    if (choices.WeekStart == TWeekStart::Sunday)
        locale.FirstWeekday = 0;
    else if (choices.WeekStart == TWeekStart::Monday)
        locale.FirstWeekday = 1;
    const std::string separator(1, TimeSeparator(locale));
    switch (choices.TimeFormat) {
    case TTimeFormat::AmPm:
        locale.ReminderTimeFormat.clear();
        break;
    case TTimeFormat::TwentyFour:
        locale.ReminderTimeFormat = "HH" + separator + "mm";
        locale.LongTimeFormat = "HH" + separator + "mm" + separator + "ss";
        break;
    case TTimeFormat::Locale:
        // Reminders are kept to the minute: the locale's seconds, fractions and zone go.
        locale.ReminderTimeFormat = WithoutFields(locale.ShortTimeFormat, "szt");
        break;
    }
    return locale;
}

}  // namespace orvenna::store

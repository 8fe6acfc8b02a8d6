// The regional choices: their side file, and the times and week start they give.
#include "store/localetext.h"
#include "store/regional.h"
#include "tests/support/tempfolder.h"

#include <gtest/gtest.h>

namespace orvenna::store {
namespace {

TLocalFormat UnitedStates()  // the locale's own form is 12-hour, without a leading zero
{
    TLocalFormat format;
    format.ShortTimeFormat = "h:mm AP";
    format.LongTimeFormat = "h:mm:ss AP t";
    return format;
}

TLocalFormat Finnish()  // Monday first, '.' between hours and minutes, seconds in the short form
{
    TLocalFormat format;
    format.FirstWeekday = 1;
    format.ShortTimeFormat = "H.mm.ss";
    format.LongTimeFormat = "H.mm.ss t";
    format.TimeAMString = "ap.";
    format.TimePMString = "ip.";
    return format;
}

TEST(RegionalFile, RoundTripsAndReadsEveryChoice)
{
    const TRegionalChoices choices[] = {
        {},
        {TWeekStart::Monday, TTimeFormat::TwentyFour, true},
        {TWeekStart::Locale, TTimeFormat::Locale, false},
    };
    for (const TRegionalChoices& written : choices) {
        TRegionalChoices read{TWeekStart::Locale, TTimeFormat::Locale, true};
        EXPECT_EQ(RegionalFromText(RegionalToText(written), read), "");
        EXPECT_EQ(read, written);
    }
}

TEST(RegionalFile, DamagedTextChangesNothing)
{
    const std::string head = "Orvenna regional 1\n";
    const struct {
        const char* Case;
        std::string Text;
        std::string Failure;
    } cases[] = {
        {"empty", "", "not a regional file"},
        {"the alerts file", "Orvenna alerts 1\nEnd\n", "not a regional file"},
        {"a later version", "Orvenna regional 2\nEnd\n", "unknown version \"2\""},
        {"cut short", head + "FirstDay=monday\n", "the file ends early"},
        {"unknown day", head + "FirstDay=friday\nEnd\n", "line 2 does not read: FirstDay=friday"},
        {"unknown form", head + "TimeFormat=12h\nEnd\n", "line 2 does not read: TimeFormat=12h"},
        {"not a switch", head + "WeekNumbers=yes\nEnd\n", "line 2 does not read: WeekNumbers=yes"},
    };
    const TRegionalChoices before{TWeekStart::Monday, TTimeFormat::Locale, true};
    for (const auto& c : cases) {
        TRegionalChoices choices = before;
        EXPECT_EQ(RegionalFromText(c.Text, choices), c.Failure) << c.Case;
        EXPECT_EQ(choices, before) << c.Case;
    }
    // A later version's key and CR LF ends still read.
    TRegionalChoices choices;
    EXPECT_EQ(RegionalFromText(head + "Holidays=de\r\nWeekNumbers=1\r\nEnd\r\n", choices), "");
    EXPECT_TRUE(choices.WeekNumbers);
}

TEST(RegionalFile, SavedFileLoadsBackAndAMissingOneKeepsTheDefaults)
{
    test::TTempFolder folder;
    const std::string file = folder.File(RegionalFileName);
    TRegionalChoices choices;
    EXPECT_EQ(LoadRegional(file, choices), "");
    EXPECT_EQ(choices, TRegionalChoices{});
    const TRegionalChoices saved{TWeekStart::Monday, TTimeFormat::TwentyFour, true};
    SaveRegional(file, saved);
    EXPECT_EQ(LoadRegional(file, choices), "");
    EXPECT_EQ(choices, saved);
}

TEST(RegionalChoices, GiveTheWeekStartAndTheTimesOfEachForm)
{
    const TDateTime afternoon = EncodeDateTime(2026, 3, 2, 14, 5, 9);
    const TDateTime morning = EncodeDateTime(2026, 3, 2, 0, 7);
    const struct {
        const char* Case;
        TLocalFormat Locale;
        TRegionalChoices Choices;
        int FirstWeekday;
        std::string Afternoon, Morning, Clock, Browser;
    } cases[] = {
        {"designed, US", UnitedStates(), {}, 0, "02:05 PM", "12:07 AM", "02:05", "2:05:09 PM"},
        {"designed, Finnish", Finnish(), {}, 0, "02.05 PM", "12.07 AM", "02.05", "14.05.09"},
        {"24-hour, US", UnitedStates(), {TWeekStart::Monday, TTimeFormat::TwentyFour}, 1,
         "14:05", "00:07", "14:05", "14:05:09"},
        {"24-hour, Finnish", Finnish(), {TWeekStart::Sunday, TTimeFormat::TwentyFour}, 0,
         "14.05", "00.07", "14.05", "14.05.09"},
        {"locale, US", UnitedStates(), {TWeekStart::Locale, TTimeFormat::Locale}, 0, "2:05 PM",
         "12:07 AM", "2:05", "2:05:09 PM"},
        {"locale, Finnish", Finnish(), {TWeekStart::Locale, TTimeFormat::Locale}, 1, "14.05",
         "0.07", "14.05", "14.05.09"},
    };
    for (const auto& c : cases) {
        const TLocalFormat format = WithChoices(c.Locale, c.Choices);
        EXPECT_EQ(format.FirstWeekday, c.FirstWeekday) << c.Case;
        EXPECT_EQ(FormatReminderTime(format, afternoon), c.Afternoon) << c.Case;
        EXPECT_EQ(FormatReminderTime(format, morning), c.Morning) << c.Case;
        EXPECT_EQ(FormatReminderClock(format, afternoon), c.Clock) << c.Case;
        EXPECT_EQ(FormatLongTime(format, afternoon), c.Browser) << c.Case;
        EXPECT_EQ(ReminderTimeIsTwelveHour(format), c.Afternoon.ends_with("M")) << c.Case;
        // Whatever is shown reads back to the same minute, and so does the other form.
        for (const TDateTime value : {afternoon, morning}) {
            const TDateTime minute = EncodeTime(DecodeTime(value)->Hour, DecodeTime(value)->Minute, 0, 0);
            EXPECT_DOUBLE_EQ(ReadTime(format, FormatReminderTime(format, value)), minute) << c.Case;
            EXPECT_DOUBLE_EQ(ReadTime(format, FormatAmPmTime(format, value)), minute) << c.Case;
        }
    }
}

TEST(RegionalChoices, PatternsLoseTheirSecondsWithTheirSeparator)
{
    const struct {
        std::string_view Pattern, Letters, Expected;
    } cases[] = {
        {"h:mm:ss AP", "s", "h:mm AP"},
        {"HH:mm:ss", "szt", "HH:mm"},
        {"HH:mm:ss t", "szt", "HH:mm"},
        {"AP h:mm", "Aa", "h:mm"},
        {"h:mm ap", "Aa", "h:mm"},
        {"HH 'h' mm", "s", "HH 'h' mm"},
        {"HH'h'mm:ss", "s", "HH'h'mm"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WithoutFields(c.Pattern, c.Letters), c.Expected) << c.Pattern;
}

TEST(RegionalChoices, WeekdayLabelsAreTwoCharactersOfTheLocalesShortNames)
{
    TLocalFormat format;
    const struct {
        std::string Short, Label;
    } cases[] = {
        {"Sun", "Su"}, {"Thu", "Th"}, {"So.", "So"}, {"dim.", "Di"}, {"S\xC3\xB8n", "S\xC3\xB8"},
        {"\xCE\x9A\xCF\x85\xCF\x81", "\xCE\x9A\xCF\x85"}, {"\xE6\x97\xA5", "\xE6\x97\xA5"},
    };
    for (const auto& c : cases) {
        format.ShortDayNames[3] = c.Short;
        EXPECT_EQ(WeekdayLabel(format, 3), c.Label) << c.Short;
    }
    EXPECT_EQ(WeekdayLabel(TLocalFormat{}, 7), "Su");
}

}  // namespace
}  // namespace orvenna::store

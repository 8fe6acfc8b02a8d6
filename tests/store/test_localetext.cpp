#include "store/errors.h"
#include "store/localetext.h"

#include <gtest/gtest.h>

#include <cmath>

namespace orvenna::store {
namespace {

TLocalFormat German()
{
    TLocalFormat format;
    format.ShortDateFormat = "dd.MM.yy";
    format.LongDateFormat = "dddd, d. MMMM yyyy";
    format.ShortTimeFormat = "HH:mm";
    format.LongTimeFormat = "HH:mm:ss t";
    format.LongDayNames[1] = "Montag";
    return format;
}

TLocalFormat Swedish()
{
    TLocalFormat format;
    format.ShortDateFormat = "yyyy-MM-dd";
    format.ShortTimeFormat = "HH.mm";
    format.LongTimeFormat = "'kl'. HH.mm.ss";
    return format;
}

// Minutes since midnight of a time of day, so that cases compare whole numbers.
int Minutes(TDateTime value)
{
    return static_cast<int>(std::lround((value - std::floor(value)) * 1440));
}

std::string MessageOf(const std::function<void()>& read)
{
    try {
        read();
    } catch (const EConvertError& error) {
        return error.what();
    }
    return "(accepted)";
}

TEST(LocaleText, FormatsWithTheLocalePatterns)
{
    const TLocalFormat us;
    const TDateTime monday = EncodeDateTime(2026, 12, 7, 14, 5, 9);
    const TDateTime morning = EncodeDateTime(2007, 3, 15, 0, 15);
    const TDateTime noon = EncodeDateTime(2007, 3, 15, 12, 5);
    struct TCase {
        TLocalFormat Format;
        std::string Pattern;
        TDateTime Value;
        std::string Expected;
    } const cases[] = {
        {us, us.ShortDateFormat, monday, "12/7/26"},
        {us, us.LongDateFormat, monday, "Monday, December 7, 2026"},
        {us, us.LongTimeFormat, monday, "2:05:09 PM"},
        {us, us.LongTimeFormat, morning, "12:15:00 AM"},
        {us, "h:mm:ss AP t", monday, "2:05:09 PM"},
        {us, "h:mm AP", noon, "12:05 PM"},
        {us, "hh:mm ap", morning, "12:15 am"},
        {us, "hh 'o''clock' ap, ddd MMM d", monday, "02 o'clock pm, Mon Dec 7"},
        {us, "''yy zzz", morning, "'07 000"},
        {German(), German().ShortDateFormat, morning, "15.03.07"},
        {German(), German().LongDateFormat, monday, "Montag, 7. December 2026"},
        {German(), German().LongTimeFormat, monday, "14:05:09"},
        {Swedish(), Swedish().ShortDateFormat, morning, "2007-03-15"},
        {Swedish(), Swedish().LongTimeFormat, monday, "kl. 14.05.09"},
        {us, us.ShortDateFormat, 1e9, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Pattern);
        EXPECT_EQ(FormatDateTime(c.Format, c.Pattern, c.Value), c.Expected);
    }
    EXPECT_EQ(FormatShortDate(us, monday), "12/7/26");
    EXPECT_EQ(FormatLongTime(German(), monday), "14:05:09");
}

TEST(LocaleText, AmPmTimeHasTwoDigitsAndTheLatinHalf)
{
    const TLocalFormat us;
    struct TCase {
        int Hour, Minute;
        std::string Us, Swedish;
    } const cases[] = {
        {0, 0, "12:00 AM", "12.00 AM"},   {0, 15, "12:15 AM", "12.15 AM"},
        {9, 30, "09:30 AM", "09.30 AM"},  {12, 0, "12:00 PM", "12.00 PM"},
        {21, 5, "09:05 PM", "09.05 PM"},  {23, 59, "11:59 PM", "11.59 PM"},
    };
    for (const auto& c : cases) {
        const TDateTime value = EncodeDateTime(2026, 12, 7, c.Hour, c.Minute);
        EXPECT_EQ(FormatAmPmTime(us, value), c.Us);
        EXPECT_EQ(FormatAmPmTime(Swedish(), value), c.Swedish);
    }
    TLocalFormat german = German();
    german.TimeAMString = "vorm.";
    EXPECT_EQ(FormatAmPmTime(german, EncodeTime(13, 0, 0, 0)), "01:00 PM");
}

TEST(LocaleText, ReadsTimesLeniently)
{
    const TLocalFormat us;
    struct TCase {
        std::string Text;
        int Minutes;  // -1: refused
    } const cases[] = {
        {"3 :00 PM", 15 * 60},     {"9:00  PM", 21 * 60},    {"9:00  AM", 9 * 60},
        {"12 :00 AM", 0},          {"12 :00 PM", 12 * 60},   {"12:15 AM", 15},
        {"7:45 PM", 19 * 60 + 45}, {"7:45 pm", 19 * 60 + 45}, {"pm 7:45", 19 * 60 + 45},
        {"19:45", 19 * 60 + 45},   {"0:00", 0},              {" 23 : 59 ", 23 * 60 + 59},
        {"8", 8 * 60},             {"8 PM", 20 * 60},        {"10:30:59", 10 * 60 + 31},
        {"19:45 PM", -1},          {"0:30 AM", -1},          {"13:00 AM", -1},
        {"24:00", -1},             {"9:60", -1},             {"9:", -1},
        {"", -1},                  {"   ", -1},               {"PM", -1},
        {"9:00 XM", -1},           {"9.00", -1},             {"9:00 PM PM", -1},
        {"-1:00", -1},             {"99999999999:00", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        if (c.Minutes < 0) {
            EXPECT_EQ(MessageOf([&] { ReadTime(us, c.Text); }),
                      "'" + c.Text + "' is not a valid time");
        } else {
            const TDateTime value = ReadTime(us, c.Text);
            EXPECT_EQ(Minutes(value), c.Minutes);
            EXPECT_GE(value, 0);
            EXPECT_LT(value, 1);
        }
    }
    // The locale's separator and the locale's half-day texts are read besides ':' and AM/PM.
    TLocalFormat swedish = Swedish();
    swedish.TimePMString = "em";
    EXPECT_EQ(Minutes(ReadTime(swedish, "9.05")), 9 * 60 + 5);
    EXPECT_EQ(Minutes(ReadTime(swedish, "9:05 em")), 21 * 60 + 5);
    EXPECT_EQ(Minutes(ReadTime(swedish, "9.05 PM")), 21 * 60 + 5);
}

TEST(LocaleText, EveryAmPmTextReadsBackToItsMinute)
{
    const TLocalFormat formats[] = {TLocalFormat{}, Swedish()};
    for (const auto& format : formats) {
        for (int minute = 0; minute < 1440; minute += 7) {
            const TDateTime value = EncodeTime(minute / 60, minute % 60, 0, 0);
            ASSERT_EQ(Minutes(ReadTime(format, FormatAmPmTime(format, value))), minute);
        }
    }
}

TEST(LocaleText, ReadsDatesInTheOrderOfTheShortFormat)
{
    struct TCase {
        TLocalFormat Format;
        std::string Text;
        TDate Expected;  // 0: refused
    } const cases[] = {
        {TLocalFormat{}, "12/7/26", EncodeDate(2026, 12, 7)},
        {TLocalFormat{}, "12/7/2026", EncodeDate(2026, 12, 7)},
        {TLocalFormat{}, " 3 / 15 / 07 ", EncodeDate(2007, 3, 15)},
        {TLocalFormat{}, "3/15/80", EncodeDate(1980, 3, 15)},
        {TLocalFormat{}, "3/15/74", EncodeDate(1974, 3, 15)},
        {TLocalFormat{}, "3/15/73", EncodeDate(2073, 3, 15)},
        {TLocalFormat{}, "3/15/0075", EncodeDate(75, 3, 15)},
        {TLocalFormat{}, "2/29", EncodeDate(2024, 2, 29)},
        {German(), "15.03.07", EncodeDate(2007, 3, 15)},
        {German(), "7.12.", 0},
        {German(), "7.12", EncodeDate(2024, 12, 7)},
        {Swedish(), "2007-03-15", EncodeDate(2007, 3, 15)},
        {TLocalFormat{}, "2/30/24", 0},
        {TLocalFormat{}, "13/1/24", 0},
        {TLocalFormat{}, "12", 0},
        {TLocalFormat{}, "12-7-26", 0},
        {TLocalFormat{}, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        if (c.Expected == 0)
            EXPECT_EQ(MessageOf([&] { ReadDate(c.Format, c.Text, 2024); }),
                      "'" + c.Text + "' is not a valid date");
        else
            EXPECT_EQ(ReadDate(c.Format, c.Text, 2024), c.Expected);
    }
}

TEST(LocaleText, ReadsDatesWithTimes)
{
    const TLocalFormat us;
    struct TCase {
        std::string Text;
        TDateTime Expected;  // 0: refused
    } const cases[] = {
        {"12/7/26 9:00  PM", EncodeDateTime(2026, 12, 7, 21, 0)},
        {"12/7/26 12 :00 AM", EncodeDate(2026, 12, 7)},
        {"12/7/26", EncodeDate(2026, 12, 7)},
        {"12/7/26 7:45 PM", EncodeDateTime(2026, 12, 7, 19, 45)},
        {"1/2/1850 6:00 AM", EncodeDateTime(1850, 1, 2, 6, 0)},
        {"12/7/26 19:45 PM", 0},
        {"12/7/26 noon", 0},
        {"9:00 PM", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        if (c.Expected == 0)
            EXPECT_EQ(MessageOf([&] { ReadDateTime(us, c.Text, 2026); }),
                      "'" + c.Text + "' is not a valid date and time");
        else
            EXPECT_DOUBLE_EQ(ReadDateTime(us, c.Text, 2026), c.Expected);
    }
}

TEST(LocaleText, TimeOnAKnownDayKeepsTheDayWhateverTheCentury)
{
    const TLocalFormat us;
    struct TCase {
        TDate Day;
        std::string Text;
        TDateTime Expected;  // 0: refused, with the day's short date in the message
        std::string Message = {};
    } const cases[] = {
        {EncodeDate(1950, 6, 1), "3 :00 PM", EncodeDateTime(1950, 6, 1, 15, 0)},
        {EncodeDate(2026, 12, 7), "12 :00 AM", EncodeDate(2026, 12, 7)},
        // Before the day origin the day count falls while the time of day still rises.
        {EncodeDate(1850, 1, 2), "6:00 AM", EncodeDateTime(1850, 1, 2, 6, 0)},
        {EncodeDate(1899, 12, 29), "11:30 PM", EncodeDateTime(1899, 12, 29, 23, 30)},
        {EncodeDate(1950, 6, 1), "25:00", 0, "'6/1/50 25:00' is not a valid date and time"},
        {EncodeDate(1950, 6, 1), "", 0, "'6/1/50 ' is not a valid date and time"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        if (c.Expected == 0) {
            EXPECT_EQ(MessageOf([&] { ReadTimeOnDay(us, c.Day, c.Text); }), c.Message);
            continue;
        }
        EXPECT_DOUBLE_EQ(ReadTimeOnDay(us, c.Day, c.Text), c.Expected);
    }
}

TEST(LocaleText, ReadsIntegers)
{
    struct TCase {
        std::string Text;
        std::int32_t Expected;
        bool Valid;
    } const cases[] = {
        {"0", 0, true},           {"42", 42, true},
        {" -17 ", -17, true},     {"+8", 8, true},
        {"$FF", 255, true},       {"0x7fffffff", 2147483647, true},
        {"2147483647", 2147483647, true},
        {"-2147483648", -2147483647 - 1, true},
        {"2147483648", 0, false}, {"99999999999999999999", 0, false},
        {"", 0, false},           {"-", 0, false},
        {"12a", 0, false},        {"1 2", 0, false},
        {"$", 0, false},          {"1.5", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        if (c.Valid)
            EXPECT_EQ(ReadInteger(c.Text), c.Expected);
        else
            EXPECT_EQ(MessageOf([&] { ReadInteger(c.Text); }),
                      "'" + c.Text + "' is not a valid integer value");
    }
}

TEST(LocaleText, SeparatorsComeFromTheShortFormats)
{
    EXPECT_EQ(TimeSeparator(TLocalFormat{}), ':');
    EXPECT_EQ(DateSeparator(TLocalFormat{}), '/');
    EXPECT_EQ(TimeSeparator(Swedish()), '.');
    EXPECT_EQ(DateSeparator(Swedish()), '-');
    EXPECT_EQ(DateSeparator(German()), '.');
    TLocalFormat bare;
    bare.ShortTimeFormat = "HH'h'mm";
    bare.ShortDateFormat = "yyyyMMdd";
    EXPECT_EQ(TimeSeparator(bare), ':');
    EXPECT_EQ(DateSeparator(bare), '/');
}

}  // namespace
}  // namespace orvenna::store

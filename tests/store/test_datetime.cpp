#include "store/datetime.h"
#include "store/errors.h"

#include <gtest/gtest.h>

namespace orvenna::store {
namespace {

struct TDateCase {
    int Year, Month, Day;
    double Value;
};

TEST(DateTime, EncodesAndDecodesKnownDays)
{
    const TDateCase cases[] = {
        {1899, 12, 30, 0},       {1899, 12, 31, 1},     {1900, 1, 1, 2},
        {2007, 3, 15, 39156},    {2000, 2, 29, 36585},  {1, 1, 1, -693593},
        {9999, 12, 31, 2958465}, {1600, 3, 1, -109511}, {1970, 1, 1, 25569},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Year << "-" << c.Month << "-" << c.Day);
        EXPECT_EQ(EncodeDate(c.Year, c.Month, c.Day), c.Value);
        const auto parts = DecodeDate(c.Value);
        ASSERT_TRUE(parts);
        EXPECT_EQ(parts->Year, c.Year);
        EXPECT_EQ(parts->Month, c.Month);
        EXPECT_EQ(parts->Day, c.Day);
    }
}

TEST(DateTime, EveryDayRoundTripsThroughTheCalendar)
{
    for (double day = -693593; day <= 2958465; day += 97) {
        const auto parts = DecodeDate(day);
        ASSERT_TRUE(parts);
        ASSERT_EQ(EncodeDate(parts->Year, parts->Month, parts->Day), day);
    }
}

TEST(DateTime, RejectsDaysOutsideTheCalendar)
{
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29));
    EXPECT_FALSE(TryEncodeDate(2023, 4, 31));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1));
    EXPECT_FALSE(TryEncodeDate(10000, 1, 1));
    EXPECT_TRUE(TryEncodeDate(2400, 2, 29));
    EXPECT_THROW(EncodeDate(2023, 13, 1), EConvertError);
    EXPECT_FALSE(DecodeDate(-693594));
    EXPECT_FALSE(DecodeDate(2958466));
    EXPECT_FALSE(DecodeDate(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(DecodeDate(std::numeric_limits<double>::infinity()));
    EXPECT_EQ(DayOfWeek(1e300), 0);
}

TEST(DateTime, TimeOfDayIsTheFractionAlsoBeforeTheOrigin)
{
    const TDateTime morning = EncodeDateTime(1899, 12, 29, 6, 0);
    EXPECT_EQ(morning, -1.25);
    EXPECT_EQ(DecodeDate(morning)->Day, 29);
    EXPECT_EQ(DecodeTime(morning)->Hour, 6);
    EXPECT_EQ(DateOf(morning), -1);

    const TDateTime dentist = EncodeDateTime(2007, 3, 15, 9, 30);
    EXPECT_EQ(dentist, 39156.395833333336);
    const auto time = DecodeTime(dentist);
    EXPECT_EQ(time->Hour, 9);
    EXPECT_EQ(time->Minute, 30);
    EXPECT_EQ(time->Second, 0);
}

TEST(DateTime, DecodingRoundsToWholeMilliseconds)
{
    // A moment a hair before midnight is the next day once rounded to milliseconds.
    const TDateTime almost = 39156.0 + (MSecsPerDay - 0.1) / MSecsPerDay;
    EXPECT_EQ(DecodeDate(almost)->Day, 16);
}

TEST(DateTime, DayOfWeekStartsOnSunday)
{
    EXPECT_EQ(DayOfWeek(0), 7);                          // Saturday 30 December 1899
    EXPECT_EQ(DayOfWeek(EncodeDate(2007, 3, 15)), 5);    // a Thursday
    EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 6)), 1);    // a Sunday
    EXPECT_EQ(DayOfWeek(EncodeDate(1, 1, 1)), 2);        // a Monday
    EXPECT_EQ(DayOfWeek(EncodeDateTime(1899, 12, 29, 23, 0)), 6);
}

TEST(DateTime, TodayIsAWholeDayInTheCalendar)
{
    const TDate today = LocalToday();
    EXPECT_EQ(today, DateOf(today));
    EXPECT_GT(today, EncodeDate(2020, 1, 1));
}

}  // namespace
}  // namespace orvenna::store

#include "store/daypapers.h"
#include "store/errors.h"

#include <gtest/gtest.h>

#include <cstring>

namespace orvenna::store {
namespace {

std::uint64_t Bits(double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

TReminder& FilledReminder(TReminderList& list)
{
    TReminder& r = list.AddReminder();
    r.Desc = {"Bring the card", "and the letter"};
    r.When = EncodeDateTime(2007, 3, 15, 9, 30);
    r.SomeData = 7;
    r.State = 1;
    r.category = "Calls";
    r.Subject = "Dentist";
    r.Before = lt10Minutes;
    r.Recurrency = rcWeekly;
    return r;
}

void ExpectSameButSomeData(const TReminder& a, const TReminder& b)
{
    EXPECT_EQ(a.Desc, b.Desc);
    EXPECT_EQ(a.When, b.When);
    EXPECT_EQ(a.State, b.State);
    EXPECT_EQ(a.category, b.category);
    EXPECT_EQ(a.Subject, b.Subject);
    EXPECT_EQ(a.Before, b.Before);
    EXPECT_EQ(a.Recurrency, b.Recurrency);
}

TEST(Reminder, CopyKeepsTheTargetsSomeData)
{
    TReminderList source;
    const TReminder& from = FilledReminder(source);

    TReminderList target;
    TReminder& fresh = target.AddReminder();
    fresh.CopyFrom(from);
    ExpectSameButSomeData(fresh, from);
    EXPECT_EQ(fresh.SomeData, 43);

    TReminder existing;
    existing.SomeData = 99;
    existing.CopyFrom(from);
    EXPECT_EQ(existing.SomeData, 99);
}

TEST(Reminder, CopiedDescriptionIsIndependentOfTheSource)
{
    TReminder copy;
    {
        TReminderList source;
        TReminder& from = FilledReminder(source);
        copy.CopyFrom(from);
        from.Desc[0] = "changed";
    }
    EXPECT_EQ(copy.Desc, (std::vector<std::string>{"Bring the card", "and the letter"}));
}

TEST(Reminder, CopyFromAnotherClassFailsWithBothClassNames)
{
    TReminder reminder;
    TDayPaper paper;
    TReminderList list;
    const auto message = [](auto&& assign) {
        try {
            assign();
        } catch (const EConvertError& error) {
            return error.Text();
        }
        return std::string("no failure");
    };
    EXPECT_EQ(message([&] { reminder.CopyFrom(paper); }), "Cannot assign a TDayPaper to a TReminder");
    EXPECT_EQ(message([&] { paper.CopyFrom(reminder); }), "Cannot assign a TReminder to a TDayPaper");
    EXPECT_EQ(message([&] { list.CopyFrom(paper); }), "Cannot assign a TDayPaper to a TReminderList");
}

TEST(Reminder, ReminderTimeSubtractsTheLeadTime)
{
    struct TCase {
        int Before;
        int Day, Hour, Minute;
    };
    const TCase cases[] = {
        {lt5Minutes, 14, 23, 58},  // across midnight onto the previous day
        {lt10Minutes, 14, 23, 53}, {lt15Minutes, 14, 23, 48}, {lt20Minutes, 14, 23, 43},
        {lt1Hour, 14, 23, 3},      {lt1Day, 14, 0, 3},
    };
    TReminder reminder;
    reminder.When = EncodeDateTime(2007, 3, 15, 0, 3);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Before);
        reminder.Before = c.Before;
        EXPECT_EQ(reminder.ReminderTime(), EncodeDateTime(2007, 3, c.Day, c.Hour, c.Minute));
    }
    reminder.When = EncodeDateTime(2007, 3, 15, 9, 30);
    reminder.Before = lt1Day;
    EXPECT_EQ(reminder.ReminderTime(), EncodeDateTime(2007, 3, 14, 9, 30));
}

TEST(Reminder, ReminderTimeIsComputedInExtendedPrecision)
{
    // At 00:07 on day 0 the double formula When + (-5 / 1440) misses 00:02 by one bit; the
    // extended formula hits it exactly.
    TReminder reminder;
    reminder.When = EncodeTime(0, 7, 0, 0);
    reminder.Before = lt5Minutes;
    EXPECT_EQ(Bits(reminder.ReminderTime()), Bits(EncodeTime(0, 2, 0, 0)));
    EXPECT_NE(Bits(reminder.When + -5 / 1440.0), Bits(EncodeTime(0, 2, 0, 0)));
}

TEST(Reminder, NoLeadTimeAndUnknownLeadTimesKeepWhenBitForBit)
{
    TReminder reminder;
    reminder.When = 39156.395833333336;
    for (int before : {0, -1, 7, 1000}) {
        reminder.Before = before;
        EXPECT_EQ(Bits(reminder.ReminderTime()), Bits(reminder.When)) << before;
    }
}

TEST(ReminderList, DisplayTextIsTheIndexInTheList)
{
    TReminderList list;
    list.AddReminder();
    list.AddReminder();
    const TReminder& third = list.AddReminder();
    EXPECT_EQ(third.DisplayText(), "Item 2");
    list.DeleteReminder(0);
    EXPECT_EQ(third.DisplayText(), "Item 1");
}

TEST(ReminderList, CopyMakesFreshItemsInSourceOrder)
{
    TReminderList source;
    FilledReminder(source).Subject = "first";
    FilledReminder(source).Subject = "second";
    TReminderList target;
    target.AddReminder().Subject = "old";
    target.CopyFrom(source);
    ASSERT_EQ(target.ReminderCount(), 2);
    EXPECT_EQ(target.GetReminder(0).Subject, "first");
    EXPECT_EQ(target.GetReminder(1).Subject, "second");
    EXPECT_EQ(target.GetReminder(1).SomeData, 43);
    EXPECT_EQ(target.GetReminder(1).Collection(), &target);
}

TEST(ReminderList, CopyOntoItselfKeepsTheItems)
{
    TReminderList list;
    FilledReminder(list);
    list.CopyFrom(list);
    EXPECT_EQ(list.ReminderCount(), 1);
}

TEST(ReminderList, IndexOutsideTheListFails)
{
    TReminderList list;
    list.AddReminder();
    for (int index : {-1, 1}) {
        try {
            list.GetReminder(index);
            ADD_FAILURE() << index;
        } catch (const EListError& error) {
            EXPECT_EQ(error.Text(), "List index out of bounds (" + std::to_string(index) + ")");
        }
    }
}

TEST(DayPaper, CopyTakesDayNoteAndReminders)
{
    TDayPaper source;
    source.Day = EncodeDate(2007, 3, 15);
    source.Note = {"Dentist at 9:30"};
    FilledReminder(source.ReminderList);
    source.Tag = 5;

    TDayPaper copy;
    copy.CopyFrom(source);
    EXPECT_EQ(copy.Day, source.Day);
    EXPECT_EQ(copy.Note, source.Note);
    ASSERT_EQ(copy.ReminderList.ReminderCount(), 1);
    ExpectSameButSomeData(copy.ReminderList.GetReminder(0), source.ReminderList.GetReminder(0));
    EXPECT_EQ(copy.ReminderList.GetReminder(0).SomeData, 43);
    EXPECT_EQ(copy.Tag, 0);

    source.ReminderList.ClearReminders();
    EXPECT_EQ(copy.ReminderList.ReminderCount(), 1);
}

}  // namespace
}  // namespace orvenna::store

#pragma once
// The model of one day: its note lines and its timed reminders.
//
// The published properties of the three classes, in stream order, are part of the notes file
// format: TDayPaper: ReminderList, Day, Note (after the component's Tag); TReminder: Desc, When,
// SomeData, State, category, Subject, Before, Recurrency, ReminderTime (read-only, never written).
// The member initialisers are the creation values.

#include "store/datetime.h"
#include "store/properties.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvenna::store {

class TReminderList;

// "List index out of bounds (<index>)".
[[noreturn]] void ListIndexError(int index);

// Lead-time values of Before, as positions in the reminder dialog's list.
enum TLeadTime : std::int32_t {
    ltImmediately = 0,
    lt5Minutes,
    lt10Minutes,
    lt15Minutes,
    lt20Minutes,
    lt1Hour,
    lt1Day,
};

// Minutes of lead time of a Before value; values outside 0..6 (the dialog's empty entry, -1)
// mean none.
constexpr int LeadTimeMinutes(std::int32_t before)
{
    constexpr int Minutes[] = {0, 5, 10, 15, 20, 60, 1440};
    return before >= ltImmediately && before <= lt1Day ? Minutes[before] : 0;
}

// Recurrence values of Recurrency.
enum TRecurrence : std::int32_t {
    rcNone = 0,
    rcDaily,
    rcWeekly,
    rcMonthly,
    rcYearly,
};

// One timed reminder; an item of a TReminderList, or free-standing.
class TReminder final : public TPersistent {
public:
    TReminder() = default;
    TReminder(const TReminder&) = delete;
    TReminder& operator=(const TReminder&) = delete;

    const TClassInfo& ClassInfo() const override;

    // Copies everything but SomeData from another TReminder. Any other source fails with
    // EConvertError "Cannot assign a <source class> to a TReminder".
    void CopyFrom(const TPersistent& source);

    // When minus the lead time of Before, computed in 80-bit extended precision and rounded once
    // to a double. Before values outside 0..6 (the dialog's empty entry, -1) mean no lead time.
    TDateTime ReminderTime() const;

    // "Item <index>" with the 0-based index in the owning list ("Item -1" when free-standing).
    std::string DisplayText() const;

    // The list holding this reminder, or none.
    TReminderList* Collection() const { return Owner; }

    // The fields BuildTodayList looks at come first, so that they share a cache line; the
    // stream order is the property table's, not this one.
    TDateTime When = 0;
    std::int32_t Before = ltImmediately;
    std::int32_t Recurrency = rcNone;
    std::int32_t SomeData = 43;  // stored and read back, not copied
    std::int32_t State = 0;      // 0 not yet alerted, 1 alerted
    std::vector<std::string> Desc;
    std::string category;  // the published name starts with a lower-case c
    std::string Subject;

private:
    friend class TReminderList;
    TReminderList* Owner = nullptr;
};

// The reminders of a day, in the order they were added; owns them.
class TReminderList final : public TCollection {
public:
    TReminderList() = default;
    TReminderList(const TReminderList&) = delete;
    TReminderList& operator=(const TReminderList&) = delete;

    const TClassInfo& ClassInfo() const override;

    // Appends a reminder with the creation values.
    TReminder& AddReminder();
    // Throws EListError "List index out of bounds (<index>)".
    TReminder& GetReminder(int index)
    {
        if (index < 0 || index >= ReminderCount())
            ListIndexError(index);
        return *Items[static_cast<std::size_t>(index)];
    }
    const TReminder& GetReminder(int index) const
    {
        return const_cast<TReminderList*>(this)->GetReminder(index);
    }
    int ReminderCount() const { return static_cast<int>(Items.size()); }
    void ClearReminders();
    // Destroys the reminder at that index; throws EListError like GetReminder.
    void DeleteReminder(int index);
    // Position of a reminder of this list, or -1.
    int IndexOf(const TReminder& reminder) const;

    // Replaces all items by copies of the source's items (each copy has SomeData 43). A source
    // that is not a TReminderList fails with EConvertError.
    void CopyFrom(const TPersistent& source);

    int Count() const override { return ReminderCount(); }
    TPersistent& Item(int index) override { return GetReminder(index); }
    const TPersistent& Item(int index) const override { return GetReminder(index); }
    TPersistent& Add() override { return AddReminder(); }
    void Clear() override { ClearReminders(); }

private:
    std::vector<std::unique_ptr<TReminder>> Items;
};

// One day's note and reminders; owns both.
class TDayPaper final : public TComponent {
public:
    TDayPaper() = default;
    TDayPaper(const TDayPaper&) = delete;
    TDayPaper& operator=(const TDayPaper&) = delete;

    const TClassInfo& ClassInfo() const override;

    // Copies Day, the note lines and the reminders from another TDayPaper. Any other source
    // fails with EConvertError.
    void CopyFrom(const TPersistent& source);

    // Copies the given reminders into this paper's own list.
    void SetReminderList(const TReminderList& reminders) { ReminderList.CopyFrom(reminders); }

    TReminderList ReminderList;
    TDate Day = 0;  // a whole day number
    std::vector<std::string> Note;
};

// "Cannot assign a <source> to a <target>".
[[noreturn]] void AssignError(const TPersistent& source, const TPersistent& target);
// The source of a CopyFrom as the target's own class; AssignError for any other class.
template <class T>
const T& AssignSource(const TPersistent& source, const T& target)
{
    const auto* other = dynamic_cast<const T*>(&source);
    if (other == nullptr)
        AssignError(source, target);
    return *other;
}

}  // namespace orvenna::store

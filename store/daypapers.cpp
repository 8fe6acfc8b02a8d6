#include "store/daypapers.h"

#include "store/errors.h"

namespace orvenna::store {
namespace {

using namespace props;

constexpr TPropInfo ReminderProps[] = {
    Strings<&TReminder::Desc>("Desc"),
    Float<&TReminder::When>("When"),
    Integer<&TReminder::SomeData>("SomeData"),
    Integer<&TReminder::State>("State"),
    Text<&TReminder::category>("category"),
    Text<&TReminder::Subject>("Subject"),
    Integer<&TReminder::Before>("Before"),
    Integer<&TReminder::Recurrency>("Recurrency"),
    TPropInfo{.Name = "ReminderTime",
              .Kind = TPropKind::Float,
              .GetFloat = [](const TPersistent& o) {
                  return static_cast<const TReminder&>(o).ReminderTime();
              }},
};

constexpr TPropInfo DayPaperProps[] = {
    Collection<&TDayPaper::ReminderList>("ReminderList"),
    Float<&TDayPaper::Day>("Day"),
    Strings<&TDayPaper::Note>("Note"),
};

const TClassInfo ReminderInfo{"TReminder", nullptr, ReminderProps};
const TClassInfo ReminderListInfo{"TReminderList", nullptr, {}};
const TClassInfo DayPaperInfo{"TDayPaper", &ComponentClassInfo, DayPaperProps};

}  // namespace

void AssignError(const TPersistent& source, const TPersistent& target)
{
    std::string text = "Cannot assign a ";
    text.append(source.ClassName()).append(" to a ").append(target.ClassName());
    throw EConvertError(std::move(text));
}

void ListIndexError(int index)
{
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

// ---------------------------------------------------------------------------------------------

const TClassInfo& TReminder::ClassInfo() const
{
    return ReminderInfo;
}

void TReminder::CopyFrom(const TPersistent& source)
{
    const TReminder& other = AssignSource(source, *this);
    if (&other == this)
        return;
    Desc = other.Desc;
    When = other.When;
    Subject = other.Subject;
    category = other.category;
    State = other.State;
    Before = other.Before;
    Recurrency = other.Recurrency;
}

TDateTime TReminder::ReminderTime() const
{
    // For Before 1..5 the formula's intermediate results stay in 80-bit extended precision,
    // which decides the last bit of the result.
    const long double when = When;
    if (Before >= lt5Minutes && Before <= lt1Hour)
        return static_cast<double>((when * 1440.0L - LeadTimeMinutes(Before)) / 1440.0L);
    if (Before == lt1Day)
        return static_cast<double>(when + -1.0L);
    return When;
}

std::string TReminder::DisplayText() const
{
    const int index = Owner ? Owner->IndexOf(*this) : -1;
    return "Item " + std::to_string(index);
}

// ---------------------------------------------------------------------------------------------

const TClassInfo& TReminderList::ClassInfo() const
{
    return ReminderListInfo;
}

TReminder& TReminderList::AddReminder()
{
    Items.push_back(std::make_unique<TReminder>());
    Items.back()->Owner = this;
    return *Items.back();
}

void TReminderList::ClearReminders()
{
    Items.clear();
}

void TReminderList::DeleteReminder(int index)
{
    GetReminder(index);
    Items.erase(Items.begin() + index);
}

int TReminderList::IndexOf(const TReminder& reminder) const
{
    for (std::size_t i = 0; i < Items.size(); ++i)
        if (Items[i].get() == &reminder)
            return static_cast<int>(i);
    return -1;
}

void TReminderList::CopyFrom(const TPersistent& source)
{
    const TReminderList& other = AssignSource(source, *this);
    // Copying a list onto itself would clear the source first and lose every item.
    if (&other == this)
        return;
    ClearReminders();
    for (const auto& item : other.Items)
        AddReminder().CopyFrom(*item);
}

// ---------------------------------------------------------------------------------------------

const TClassInfo& TDayPaper::ClassInfo() const
{
    return DayPaperInfo;
}

void TDayPaper::CopyFrom(const TPersistent& source)
{
    const TDayPaper& other = AssignSource(source, *this);
    if (&other == this)
        return;
    Day = other.Day;
    Note = other.Note;
    ReminderList.CopyFrom(other.ReminderList);
}

}  // namespace orvenna::store

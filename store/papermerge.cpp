#include "store/papermerge.h"

#include <algorithm>
#include <cstddef>

namespace orvenna::store {
namespace {

// Notes longer than this product of line counts are matched line for line instead.
constexpr std::size_t MaxTableCells = 1 << 20;

// For each line of base, the index of the line of theirs it stayed as, or -1 when theirs dropped
// it: a longest common subsequence of the two.
std::vector<int> KeptAs(const std::vector<std::string>& base, const std::vector<std::string>& theirs)
{
    const std::size_t n = base.size();
    const std::size_t m = theirs.size();
    std::vector<int> kept(n, -1);
    if ((n + 1) * (m + 1) > MaxTableCells) {
        for (std::size_t i = 0; i < std::min(n, m); ++i)
            if (base[i] == theirs[i])
                kept[i] = static_cast<int>(i);
        return kept;
    }
    // common[i][j]: length of the longest common subsequence of base[i..] and theirs[j..].
    std::vector<std::vector<int>> common(n + 1, std::vector<int>(m + 1, 0));
    for (std::size_t i = n; i-- > 0;)
        for (std::size_t j = m; j-- > 0;)
            common[i][j] = base[i] == theirs[j] ? common[i + 1][j + 1] + 1
                                                : std::max(common[i + 1][j], common[i][j + 1]);
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < n && j < m) {
        if (base[i] == theirs[j])
            kept[i++] = static_cast<int>(j++);
        else if (common[i + 1][j] >= common[i][j + 1])
            ++i;
        else
            ++j;
    }
    return kept;
}

// Index of the first reminder of list with that content not yet taken, or -1.
int FindSame(const TReminderList& list, const TReminder& wanted, const std::vector<bool>& taken)
{
    for (int i = 0; i < list.ReminderCount(); ++i)
        if (!taken[static_cast<std::size_t>(i)] && SameReminder(list.GetReminder(i), wanted))
            return i;
    return -1;
}

}  // namespace

std::vector<std::string> MergeNoteLines(const std::vector<std::string>& base,
                                        const std::vector<std::string>& mine,
                                        const std::vector<std::string>& theirs)
{
    if (theirs == base)
        return mine;
    const auto mineAt = [&mine](std::size_t i) { return i < mine.size() ? mine[i] : std::string(); };
    const std::vector<int> kept = KeptAs(base, theirs);
    std::vector<std::string> merged;
    std::size_t next = 0;  // the first line of theirs not yet in merged
    for (std::size_t i = 0; i < base.size(); ++i) {
        const bool changed = mineAt(i) != base[i];
        if (kept[i] < 0) {
            if (changed)
                merged.push_back(mineAt(i));
            continue;
        }
        // Lines theirs added before this one come first.
        const auto at = static_cast<std::size_t>(kept[i]);
        merged.insert(merged.end(), theirs.begin() + static_cast<std::ptrdiff_t>(next),
                      theirs.begin() + static_cast<std::ptrdiff_t>(at));
        merged.push_back(changed ? mineAt(i) : theirs[at]);
        next = at + 1;
    }
    merged.insert(merged.end(), theirs.begin() + static_cast<std::ptrdiff_t>(next), theirs.end());
    std::size_t end = mine.size();
    while (end > base.size() && mine[end - 1].empty())
        --end;
    for (std::size_t i = base.size(); i < end; ++i)
        merged.push_back(mine[i]);
    return merged;
}

bool SameReminder(const TReminder& a, const TReminder& b)
{
    return a.When == b.When && a.Before == b.Before && a.Recurrency == b.Recurrency &&
           a.State == b.State && a.Desc == b.Desc && a.category == b.category &&
           a.Subject == b.Subject;
}

void MergeReminders(const std::vector<TReminderChange>& changes, TReminderList& theirs)
{
    std::vector<bool> taken(static_cast<std::size_t>(theirs.ReminderCount()), false);
    std::vector<int> removed;
    std::vector<const TReminder*> added;
    for (const TReminderChange& change : changes) {
        if (change.Before == nullptr) {
            if (change.After != nullptr)
                added.push_back(change.After);
            continue;
        }
        if (change.After != nullptr && SameReminder(*change.After, *change.Before))
            continue;
        const int at = FindSame(theirs, *change.Before, taken);
        if (at >= 0) {
            taken[static_cast<std::size_t>(at)] = true;
            if (change.After != nullptr)
                theirs.GetReminder(at).CopyFrom(*change.After);
            else
                removed.push_back(at);
        } else if (change.After != nullptr) {
            added.push_back(change.After);
        }
    }
    std::sort(removed.rbegin(), removed.rend());
    for (int at : removed)
        theirs.DeleteReminder(at);
    for (const TReminder* reminder : added)
        theirs.AddReminder().CopyFrom(*reminder);
}

bool SamePaper(const TDayPaper& a, const TDayPaper& b)
{
    const TReminderList& x = a.ReminderList;
    const TReminderList& y = b.ReminderList;
    if (a.Note != b.Note || x.ReminderCount() != y.ReminderCount())
        return false;
    for (int i = 0; i < x.ReminderCount(); ++i)
        if (!SameReminder(x.GetReminder(i), y.GetReminder(i)))
            return false;
    return true;
}

}  // namespace orvenna::store

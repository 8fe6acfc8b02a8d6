#include "store/papermerge.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <map>
#include <utility>

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

using TLines = std::vector<std::string>;

// The lines side added around the lines of base it kept (kept as KeptAs gives it): entry i holds
// those before base line i, the last entry those after the last kept line.
std::vector<TLines> AddedAround(const std::vector<int>& kept, const TLines& side)
{
    std::vector<TLines> added(kept.size() + 1);
    std::size_t next = 0;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (kept[i] < 0)
            continue;
        const auto at = static_cast<std::size_t>(kept[i]);
        added[i].assign(side.begin() + static_cast<std::ptrdiff_t>(next),
                        side.begin() + static_cast<std::ptrdiff_t>(at));
        next = at + 1;
    }
    added.back().assign(side.begin() + static_cast<std::ptrdiff_t>(next), side.end());
    return added;
}

// A paper's place across stores: its day (0 and -0 as one) and which paper of that day it is.
using TPaperKey = std::pair<std::uint64_t, int>;

std::map<TPaperKey, TDayPaper*> PapersByKey(TDayPaperList& papers)
{
    std::map<TPaperKey, TDayPaper*> byKey;
    std::map<std::uint64_t, int> seen;
    for (int i = 0; i < papers.Count(); ++i) {
        TDayPaper& paper = papers.GetDayPaper(i);
        const auto day = std::bit_cast<std::uint64_t>(paper.Day == 0 ? 0.0 : paper.Day);
        byKey.emplace(TPaperKey{day, seen[day]++}, &paper);
    }
    return byKey;
}

TDayPaper* Find(const std::map<TPaperKey, TDayPaper*>& byKey, const TPaperKey& key)
{
    const auto found = byKey.find(key);
    return found == byKey.end() ? nullptr : found->second;
}

bool IsEmptyPaper(const TDayPaper& paper)
{
    return paper.ReminderList.ReminderCount() == 0 &&
           std::ranges::all_of(paper.Note, [](const std::string& line) { return line.empty(); });
}

}  // namespace

std::vector<std::string> MergeLineEdits(const std::vector<std::string>& base,
                                        const std::vector<std::string>& mine,
                                        const std::vector<std::string>& theirs)
{
    if (mine == base)
        return theirs;
    if (theirs == base || theirs == mine)
        return mine;
    const std::vector<int> keptMine = KeptAs(base, mine);
    const std::vector<int> keptTheirs = KeptAs(base, theirs);
    const std::vector<TLines> addedMine = AddedAround(keptMine, mine);
    const std::vector<TLines> addedTheirs = AddedAround(keptTheirs, theirs);
    TLines merged;
    for (std::size_t i = 0; i <= base.size(); ++i) {
        merged.insert(merged.end(), addedTheirs[i].begin(), addedTheirs[i].end());
        if (addedMine[i] != addedTheirs[i])
            merged.insert(merged.end(), addedMine[i].begin(), addedMine[i].end());
        if (i < base.size() && keptMine[i] >= 0 && keptTheirs[i] >= 0)
            merged.push_back(base[i]);
    }
    return merged;
}

void MergePaperEdits(const TDayPaper& base, const TDayPaper& mine, TDayPaper& theirs)
{
    theirs.Note = MergeLineEdits(base.Note, mine.Note, theirs.Note);
    const TReminderList& was = base.ReminderList;
    const TReminderList& now = mine.ReminderList;
    std::vector<TReminderChange> changes;
    // Reminders of the same content in base and mine were left alone; the rest of base's were
    // removed (a changed one is removed and added anew).
    std::vector<bool> stayed(static_cast<std::size_t>(now.ReminderCount()), false);
    std::vector<bool> theirsFromBase(static_cast<std::size_t>(theirs.ReminderList.ReminderCount()), false);
    for (int i = 0; i < was.ReminderCount(); ++i) {
        const TReminder& reminder = was.GetReminder(i);
        const int at = FindSame(now, reminder, stayed);
        if (at >= 0)
            stayed[static_cast<std::size_t>(at)] = true;
        else
            changes.push_back({&reminder, nullptr});
        const int inTheirs = FindSame(theirs.ReminderList, reminder, theirsFromBase);
        if (inTheirs >= 0)
            theirsFromBase[static_cast<std::size_t>(inTheirs)] = true;
    }
    for (int i = 0; i < now.ReminderCount(); ++i) {
        if (stayed[static_cast<std::size_t>(i)])
            continue;
        // One that theirs added too is there already.
        const int inTheirs = FindSame(theirs.ReminderList, now.GetReminder(i), theirsFromBase);
        if (inTheirs >= 0)
            theirsFromBase[static_cast<std::size_t>(inTheirs)] = true;
        else
            changes.push_back({nullptr, &now.GetReminder(i)});
    }
    MergeReminders(changes, theirs.ReminderList);
}

void MergeChangedDays(TDayPaperList& base, TDayPaperList& mine, TDayPaperList& theirs,
                      bool theirsWhole)
{
    const std::map<TPaperKey, TDayPaper*> inBase = PapersByKey(base);
    const std::map<TPaperKey, TDayPaper*> inMine = PapersByKey(mine);
    const std::map<TPaperKey, TDayPaper*> inTheirs = PapersByKey(theirs);
    const TDayPaper none;
    for (const auto& [key, paper] : inMine) {
        const TDayPaper* was = Find(inBase, key);
        TDayPaper* their = Find(inTheirs, key);
        if (their == nullptr && !theirsWhole) {
            // A paper theirs lacks may be one that could not be read: mine stays as it is.
            if (!IsEmptyPaper(*paper))
                theirs.AddDayPaper().CopyFrom(*paper);
            continue;
        }
        if (was ? SamePaper(*was, *paper) : IsEmptyPaper(*paper))
            continue;
        if (their != nullptr) {
            MergePaperEdits(was ? *was : none, *paper, *their);
            continue;
        }
        // Theirs has no such paper (any more): what mine changed stands alone.
        TDayPaper alone;
        alone.Day = paper->Day;
        MergePaperEdits(was ? *was : none, *paper, alone);
        if (!IsEmptyPaper(alone))
            theirs.AddDayPaper().CopyFrom(alone);
    }
}

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

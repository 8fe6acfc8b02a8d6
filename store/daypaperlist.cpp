#include "store/daypaperlist.h"
#include "store/papermerge.h"
#include "store/papersearch.h"

#include "store/blockfile.h"
#include "store/bytecursor.h"
#include "store/errors.h"
#include "store/filesave.h"
#include "store/stream.h"

#include <algorithm>
#include <cstring>
#include <cmath>
#include <filesystem>

namespace orvenna::store {
namespace {

constexpr std::string_view ResourceName = "TDayPaper";

// The fewest bytes a paper takes in a file: a header with an empty name, "TPF0", two empty
// names and two end bytes. A count from a file reserves no more papers than its bytes can hold.
constexpr std::size_t SmallestPaper = 10 + 4 + 2 + 2;

// SaveToFile hands the file this many bytes at a time, or a paper more.
constexpr std::size_t WriteBlockSize = 256 * 1024;

bool IsDue(const TReminder& reminder, TDate today, const std::optional<TDateParts>& todayParts)
{
    const bool recurring = reminder.Recurrency >= rcDaily && reminder.Recurrency <= rcYearly;
    // The due moment lies at most a day before When, and only a moment of today's own date is
    // due without a recurrence: a When more than three days away needs no closer look.
    if (!recurring && std::fabs(reminder.When - today) > 3)
        return false;
    if (reminder.Recurrency == rcDaily)
        return true;
    const TDateTime due = reminder.ReminderTime();
    if (std::trunc(due) == today)
        return true;
    switch (reminder.Recurrency) {
    case rcDaily:
        return true;
    case rcWeekly:
        // The time of day of the due moment counts: 09:00 on day D matches D + 7k + 1 after it.
        return std::fmod(std::trunc(std::fabs(today - due)), 7.0) == 0;
    case rcMonthly:
    case rcYearly: {
        const auto parts = DecodeDate(due);
        if (!parts || !todayParts || parts->Day != todayParts->Day)
            return false;
        return reminder.Recurrency == rcMonthly || parts->Month == todayParts->Month;
    }
    default:
        return false;
    }
}

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code errorA;
    std::error_code errorB;
    const auto canonicalA = std::filesystem::weakly_canonical(a, errorA);
    const auto canonicalB = std::filesystem::weakly_canonical(b, errorB);
    if (errorA || errorB)
        return a == b;
    return canonicalA == canonicalB;
}

}  // namespace

// The bytes of a notes file: all of them, or one block of a file at a time.
class TNotesInput final {
public:
    explicit TNotesInput(std::string_view bytes) : Total(bytes.size()), Window(bytes) {}
    TNotesInput(TBlockFile& file, std::size_t blockSize)
        : File(&file), BlockSize(std::max<std::size_t>(blockSize, 1)), Total(file.Size()),
          Final(false)
    {
    }

    // Runs step on a reader standing at the current position and moves past what it read.
    // When the step runs short of a block that is not the end of the file, more of the file is
    // read and the step runs again from the same position; the data it sees are the same, so
    // only its last run counts.
    template <class TStep>
    void Read(TStep&& step)
    {
        for (;;) {
            TByteReader in(Window.substr(Pos), !Final);
            try {
                step(in);
                Pos += in.Position();
                return;
            } catch (const TNeedMoreBytes&) {
                ReadMore();
            }
        }
    }

    bool AtEnd()
    {
        while (Pos == Window.size() && !Final)
            ReadMore();
        return Pos == Window.size();
    }

    std::size_t Size() const { return Total; }
    // Bytes read so far by the steps that succeeded.
    std::size_t Consumed() const { return Dropped + Pos; }

private:
    // Keeps the bytes from the position on and fills the rest of a block at least twice their
    // size, so that an object longer than a block is read whole in the end.
    void ReadMore()
    {
        const std::size_t kept = Window.size() - Pos;
        const std::size_t size = std::max(BlockSize, 2 * kept);
        if (Buffer.size() < size) {
            // The window may lie in the old buffer: copy out of it before letting it go.
            std::string bigger(size, '\0');
            if (kept > 0)
                std::memcpy(bigger.data(), Window.data() + Pos, kept);
            Buffer.swap(bigger);
        } else if (kept > 0) {
            std::memmove(Buffer.data(), Window.data() + Pos, kept);
        }
        const std::size_t want = size - kept;
        const std::size_t got = File->Read(Buffer.data() + kept, want);
        Final = got < want;
        Window = std::string_view(Buffer.data(), kept + got);
        Dropped += Pos;
        Pos = 0;
    }

    TBlockFile* File = nullptr;
    std::size_t BlockSize = 0;
    std::size_t Total;
    std::string Buffer;
    std::string_view Window;
    std::size_t Pos = 0;
    std::size_t Dropped = 0;  // bytes of the file before the window
    bool Final = true;
};

bool IsDueOn(const TReminder& reminder, TDate day)
{
    return IsDue(reminder, day, DecodeDate(day));
}

TDayPaperList::TDayPaperList(TTodaySource today)
    : TodayHolder(std::make_unique<TDayPaper>()), Today(std::move(today))
{
}

TDayPaper& TDayPaperList::AddDayPaper()
{
    Papers.push_back(std::make_unique<TDayPaper>());
    return *Papers.back();
}

TDayPaper& TDayPaperList::GetDayPaper(int index)
{
    if (index < 0 || index >= Count())
        ListIndexError(index);
    return *Papers[static_cast<std::size_t>(index)];
}

TDayPaper* TDayPaperList::FindDayPaper(TDate day)
{
    for (const auto& paper : Papers)
        if (paper->Day == day)
            return paper.get();
    return nullptr;
}

TDayPaper* TDayPaperList::FindNextByText(const std::string& text)
{
    const TNoteMatcher holds(text);
    const int hit = Search.Next(text, Count(), [&](int i) { return holds(*Papers[static_cast<std::size_t>(i)]); });
    return hit < 0 ? nullptr : Papers[static_cast<std::size_t>(hit)].get();
}

TReminderList& TDayPaperList::BuildTodayList()
{
    return BuildTodayList(Today());
}

void TDayPaperList::DropTaken(TReminderList& list, const TReminderList& left,
                              const TReminderList& dueBefore)
{
    std::vector<bool> leftUsed(static_cast<std::size_t>(left.ReminderCount()), false);
    std::vector<bool> dueUsed(static_cast<std::size_t>(dueBefore.ReminderCount()), false);
    const auto take = [](const TReminderList& from, std::vector<bool>& used, const TReminder& r) {
        for (int i = 0; i < from.ReminderCount(); ++i) {
            if (!used[static_cast<std::size_t>(i)] && SameReminder(from.GetReminder(i), r)) {
                used[static_cast<std::size_t>(i)] = true;
                return true;
            }
        }
        return false;
    };
    int i = 0;
    while (i < list.ReminderCount()) {
        const TReminder& r = list.GetReminder(i);
        // Still waiting before, or new: it stays. Due before but no longer waiting: taken.
        if (!take(left, leftUsed, r) && take(dueBefore, dueUsed, r))
            list.DeleteReminder(i);
        else
            ++i;
    }
}

TReminderList& TDayPaperList::TodayList()
{
    if (TodayStale)
        BuildTodayList();
    return TodayHolder->ReminderList;
}

TReminderList& TDayPaperList::BuildTodayList(TDate today)
{
    ListDay = today;
    TodayStale = false;
    TDueCollector due(today);
    for (const auto& paper : Papers)
        due.Add(*paper);
    TodayHolder = due.Take();
    return TodayList();
}

TDayPaperList::TDueCollector::TDueCollector(TDate today)
    : Holder(std::make_unique<TDayPaper>()), Today(today), TodayParts(DecodeDate(today))
{
}

void TDayPaperList::TDueCollector::Add(const TDayPaper& paper)
{
    const TReminderList& reminders = paper.ReminderList;
    for (int i = 0; i < reminders.ReminderCount(); ++i) {
        const TReminder& reminder = reminders.GetReminder(i);
        if (IsDue(reminder, Today, TodayParts))
            Holder->ReminderList.AddReminder().CopyFrom(reminder);
    }
}

int TDayPaperList::CompareDays(TDate a, TDate b)
{
    const double dayA = std::trunc(a);
    const double dayB = std::trunc(b);
    if (dayA == dayB)
        return 0;
    // A day that is not a number (only hostile files have one) sorts last, so that the order
    // stays total and the sort stays within bounds.
    const bool nanA = std::isnan(dayA);
    const bool nanB = std::isnan(dayB);
    if (nanA || nanB)
        return nanA == nanB ? 0 : (nanA ? 1 : -1);
    return dayA < dayB ? -1 : 1;
}

template <class TFlush>
void TDayPaperList::WritePapers(std::string& bytes, TFlush&& flush) const
{
    TByteWriter out(bytes);
    out.WriteI32(static_cast<std::int32_t>(Papers.size()));
    for (const auto& paper : Papers) {
        WriteStreamObject(out, ResourceName, *paper);
        flush(bytes, *paper);
    }
}

std::string TDayPaperList::SaveToBytes() const
{
    std::string bytes;
    WritePapers(bytes, [](std::string&, const TDayPaper&) {});
    return bytes;
}

std::string TDayPaperList::LoadFromBytes(std::string_view bytes)
{
    TNotesInput input(bytes);
    LoadPapers(input);
    Unread = bytes.size() - std::min(bytes.size(), input.Consumed());
    return LastLoadError;
}

void TDayPaperList::LoadFromFileBytes(std::string_view bytes, const std::string& fileName)
{
    LoadFromBytes(bytes);
    if (LastLoadError.empty() && Unread == 0) {
        DamagedFileName.clear();
        DamagedBytes.clear();
    } else {
        DamagedFileName = fileName;
        DamagedBytes.assign(bytes);
    }
}

namespace {

// Reads the count and the papers after it, handing each paper to keep in file order; reserve
// hears the count first. A failure inside the bytes throws out of it.
template <class TReserve, class TKeep>
void ReadPapers(TNotesInput& input, TReserve&& reserve, TKeep&& keep)
{
    if (input.AtEnd())
        return;
    std::int32_t count = 0;
    input.Read([&](TByteReader& in) { count = in.ReadI32(); });
    if (count > 0)
        reserve(std::min<std::size_t>(static_cast<std::size_t>(count), input.Size() / SmallestPaper));
    for (std::int32_t i = 0; i < count; ++i) {
        std::unique_ptr<TDayPaper> paper;
        input.Read([&](TByteReader& in) {
            // A read that ran short of the block starts again with a fresh paper.
            paper = std::make_unique<TDayPaper>();
            ReadStreamObject(in, *paper);
        });
        keep(std::move(paper));
    }
}

// The message of the failure read threw; empty when it threw none.
template <class TRead>
std::string FailureOf(TRead&& read)
{
    try {
        read();
        return {};
    } catch (const EStoreError& error) {
        return error.Text();
    } catch (const std::exception& error) {
        return error.what();
    }
}

}  // namespace

void TDayPaperList::LoadPapers(TNotesInput& input)
{
    Papers.clear();
    const auto before = [](const auto& a, const auto& b) { return CompareDayPapers(*a, *b) < 0; };
    // Files this store wrote after a load are mostly in order already; the order is checked
    // while each paper is at hand.
    bool sorted = true;
    LastLoadError = FailureOf([&] {
        ReadPapers(
            input, [&](std::size_t count) { Papers.reserve(count); },
            [&](std::unique_ptr<TDayPaper> paper) {
                if (sorted && !Papers.empty() && before(paper, Papers.back()))
                    sorted = false;
                Papers.push_back(std::move(paper));
            });
    });
    if (!LastLoadError.empty())
        return;  // the papers read before the failure stay in file order
    if (!sorted)
        std::stable_sort(Papers.begin(), Papers.end(), before);
    TodayStale = true;
}

TDayPaperList::TScanResult TDayPaperList::ScanFile(const std::string& fileName,
                                                   const std::function<void(TDayPaper&)>& visit,
                                                   std::size_t blockSize)
{
    TBlockFile file(fileName);
    TNotesInput input(file, blockSize);
    TScanResult result;
    result.Error = FailureOf([&] {
        ReadPapers(
            input, [](std::size_t) {},
            [&](std::unique_ptr<TDayPaper> paper) {
                visit(*paper);
                ++result.Count;
            });
    });
    if (!result.Error.empty() || !input.AtEnd()) {
        const std::size_t size = file.ReadAll().size();
        result.Unread = size > input.Consumed() ? size - input.Consumed() : 0;
    }
    return result;
}

void TDayPaperList::LoadFromFile(const std::string& fileName)
{
    TBlockFile file(fileName);
    TNotesInput input(file, ReadBlockSize);
    LoadPapers(input);
    if (LastLoadError.empty() && input.AtEnd()) {
        Unread = 0;
        DamagedFileName.clear();
        DamagedBytes.clear();
    } else {
        // Bytes past the last counted paper are unread as well: a wrong count would lose them.
        DamagedFileName = fileName;
        DamagedBytes = file.ReadAll();
        const std::size_t read = input.Consumed();
        Unread = DamagedBytes.size() > read ? DamagedBytes.size() - read : 0;
    }
}

std::string TDayPaperList::ReloadFromBytes(std::string_view bytes, const std::string& fileName)
{
    TDayPaperList fresh(Today);
    TNotesInput input(bytes);
    fresh.LoadPapers(input);
    const bool whole = input.AtEnd();
    if (fresh.LastLoadError.empty()) {
        // What the alert check has taken from today's list stays taken: a reminder alerted a
        // moment ago must not alert again because another program rewrote the file.
        const TDate today = Today();
        TReminderList left;
        left.CopyFrom(TodayList());
        const bool sameDay = ListDay == today;
        TReminderList dueBefore;
        dueBefore.CopyFrom(BuildTodayList(today));
        Papers = std::move(fresh.Papers);
        BuildTodayList(today);
        if (sameDay)
            DropTaken(TodayList(), left, dueBefore);
    }
    if (fresh.LastLoadError.empty() && whole) {
        Unread = 0;
        DamagedFileName.clear();
        DamagedBytes.clear();
    } else {
        DamagedFileName = fileName;
        DamagedBytes.assign(bytes);
        Unread = bytes.size() - std::min(bytes.size(), input.Consumed());
    }
    return fresh.LastLoadError;
}

void TDayPaperList::SaveToFile(const std::string& fileName,
                               const std::function<void(std::string_view)>& written)
{
    if (!DamagedFileName.empty() && SameFile(fileName, DamagedFileName))
        KeepDamagedCopy();
    // The papers go to the file a block at a time, through one buffer.
    SaveFileAtomically(fileName, [this, &written](const TWriteBytes& fileWrite) {
        const TWriteBytes write = !written ? fileWrite : TWriteBytes([&](std::string_view bytes) {
            fileWrite(bytes);
            written(bytes);
        });
        std::string block;
        block.reserve(WriteBlockSize + 4096);
        // The today list is rebuilt on the way, each paper looked at while it is at hand.
        const TDate today = Today();
        TDueCollector due(today);
        WritePapers(block, [&](std::string& bytes, const TDayPaper& paper) {
            due.Add(paper);
            if (bytes.size() >= WriteBlockSize) {
                write(bytes);
                bytes.clear();
            }
        });
        write(block);
        ListDay = today;
        TodayStale = false;
        TodayHolder = due.Take();
    });
}

std::string TDayPaperList::KeepDamagedCopy()
{
    if (DamagedFileName.empty())
        return {};
    DamagedCopyName = SaveDamagedCopy(DamagedFileName, DamagedBytes);
    DamagedFileName.clear();
    DamagedBytes.clear();
    return DamagedCopyName;
}

TDayPaperIndex::TDayPaperIndex(TDayPaperList& papers) : Papers(papers)
{
    ByDay.reserve(static_cast<std::size_t>(papers.Count()));
    for (int i = 0; i < papers.Count(); ++i) {
        TDayPaper& paper = papers.GetDayPaper(i);
        // The first of a day stays; a day that is no number is never found.
        if (!std::isnan(paper.Day))
            ByDay.try_emplace(paper.Day, &paper);
    }
}

TDayPaper* TDayPaperIndex::Find(TDate day) const
{
    const auto found = ByDay.find(day);
    return found == ByDay.end() ? nullptr : found->second;
}

TDayPaper& TDayPaperIndex::FindOrAdd(TDate day)
{
    if (TDayPaper* paper = Find(day))
        return *paper;
    TDayPaper& paper = Papers.AddDayPaper();
    paper.Day = day;
    if (!std::isnan(day))
        ByDay.emplace(day, &paper);
    return paper;
}

}  // namespace orvenna::store

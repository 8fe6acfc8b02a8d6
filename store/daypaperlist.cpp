#include "store/daypaperlist.h"

#include "store/bytecursor.h"
#include "store/errors.h"
#include "store/filesave.h"
#include "store/stream.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>

namespace orvenna::store {
namespace {

constexpr std::string_view ResourceName = "TDayPaper";

bool IsDue(const TReminder& reminder, TDate today, const std::optional<TDateParts>& todayParts)
{
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

// The note as one text, each line followed by CR LF. A text without CR or LF cannot cross a
// line end, so the lines are searched one by one without joining them.
bool NoteContains(const TDayPaper& paper, const std::string& text)
{
    if (text.find_first_of("\r\n") == std::string::npos) {
        return std::any_of(paper.Note.begin(), paper.Note.end(), [&](const std::string& line) {
            return line.find(text) != std::string::npos;
        });
    }
    std::string joined;
    for (const std::string& line : paper.Note)
        joined.append(line).append("\r\n");
    return joined.find(text) != std::string::npos;
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

std::string LocalTimeStamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

}  // namespace

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
    if (text != LastSearchText) {
        SearchIndex = 0;
        LastSearchText = text;
    } else {
        ++SearchIndex;
    }
    if (text.empty())
        return nullptr;
    for (int i = SearchIndex; i < Count(); ++i) {
        if (NoteContains(*Papers[static_cast<std::size_t>(i)], text)) {
            SearchIndex = i;
            return Papers[static_cast<std::size_t>(i)].get();
        }
    }
    return nullptr;
}

TReminderList& TDayPaperList::BuildTodayList()
{
    return BuildTodayList(Today());
}

TReminderList& TDayPaperList::BuildTodayList(TDate today)
{
    auto holder = std::make_unique<TDayPaper>();
    const auto todayParts = DecodeDate(today);
    for (const auto& paper : Papers) {
        const TReminderList& reminders = paper->ReminderList;
        for (int i = 0; i < reminders.ReminderCount(); ++i) {
            const TReminder& reminder = reminders.GetReminder(i);
            if (IsDue(reminder, today, todayParts))
                holder->ReminderList.AddReminder().CopyFrom(reminder);
        }
    }
    TodayHolder = std::move(holder);
    return TodayList();
}

int TDayPaperList::CompareDayPapers(const TDayPaper& a, const TDayPaper& b)
{
    const double dayA = std::trunc(a.Day);
    const double dayB = std::trunc(b.Day);
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

std::string TDayPaperList::SaveToBytes() const
{
    std::string bytes;
    TByteWriter out(bytes);
    out.WriteI32(static_cast<std::int32_t>(Papers.size()));
    for (const auto& paper : Papers)
        WriteStreamObject(out, ResourceName, *paper);
    return bytes;
}

std::string TDayPaperList::LoadFromBytes(std::string_view bytes)
{
    Papers.clear();
    LastLoadError.clear();
    TByteReader in(bytes);
    try {
        if (in.AtEnd())
            return {};
        const std::int32_t count = in.ReadI32();
        for (std::int32_t i = 0; i < count; ++i) {
            auto paper = std::make_unique<TDayPaper>();
            ReadStreamObject(in, *paper);
            Papers.push_back(std::move(paper));
        }
        const auto before = [](const auto& a, const auto& b) { return CompareDayPapers(*a, *b) < 0; };
        // Files this store wrote after a load are mostly in order already.
        if (!std::is_sorted(Papers.begin(), Papers.end(), before))
            std::stable_sort(Papers.begin(), Papers.end(), before);
        BuildTodayList();
    } catch (const EStoreError& error) {
        LastLoadError = error.Text();
    } catch (const std::exception& error) {
        LastLoadError = error.what();
    }
    LoadedBytes = in.Position();
    return LastLoadError;
}

void TDayPaperList::LoadFromFile(const std::string& fileName)
{
    std::string bytes = ReadWholeFile(fileName);
    const std::string error = LoadFromBytes(bytes);
    Unread = bytes.size() - LoadedBytes;
    // Bytes past the last counted paper are unread as well: a wrong count would lose them.
    if (error.empty() && Unread == 0) {
        DamagedFileName.clear();
        DamagedBytes.clear();
    } else {
        DamagedFileName = fileName;
        DamagedBytes = std::move(bytes);
    }
}

void TDayPaperList::SaveToFile(const std::string& fileName)
{
    const std::string bytes = SaveToBytes();
    if (!DamagedFileName.empty() && SameFile(fileName, DamagedFileName))
        KeepDamagedCopy(fileName);
    SaveFileAtomically(fileName, bytes);
    BuildTodayList();
}

void TDayPaperList::KeepDamagedCopy(const std::string& fileName)
{
    DamagedCopyName =
        SaveNewFile(fileName + ".damaged-" + LocalTimeStamp(), DamagedBytes, fileName);
    DamagedFileName.clear();
    DamagedBytes.clear();
}

}  // namespace orvenna::store

#include "store/alertstate.h"

#include "store/daypaperlist.h"
#include "store/errors.h"
#include "store/filesave.h"
#include "store/sidefile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <optional>
#include <system_error>

namespace orvenna::store {
namespace {

constexpr std::string_view Kind = "alerts";

std::string NumberText(double value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::general, 17);
    return std::string(buffer, result.ptr);
}

std::optional<double> ReadNumber(std::string_view text)
{
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::int32_t> ReadInteger(std::string_view text)
{
    std::int32_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::vector<std::string_view> Split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

std::optional<TSnooze> ReadSnooze(std::string_view value)
{
    const std::vector<std::string_view> fields = Split(value, '\t');
    if (fields.size() != 7)
        return std::nullopt;
    const auto until = ReadNumber(fields[0]);
    const auto moment = ReadNumber(fields[1]);
    const auto paperDay = ReadNumber(fields[2]);
    const auto when = ReadNumber(fields[3]);
    const auto before = ReadInteger(fields[4]);
    const auto recurrency = ReadInteger(fields[5]);
    auto subject = UnescapedField(fields[6]);
    if (!until || !moment || !paperDay || !when || !before || !recurrency || !subject)
        return std::nullopt;
    return TSnooze{*until, {*moment, *paperDay, *when, *before, *recurrency, std::move(*subject)}};
}

// Reads one "key=value" line into state; false when the value does not read.
bool ReadLine(std::string_view key, std::string_view value, TAlertState& state)
{
    if (key == "StayUntilDismissed") {
        if (value != "0" && value != "1")
            return false;
        state.StayUntilDismissed = value == "1";
    } else if (key == "SnoozeMinutes") {
        const auto minutes = ReadInteger(value);
        if (!minutes || !IsSnoozeLength(*minutes))
            return false;
        state.SnoozeMinutes = *minutes;
    } else if (key == "LastCheck") {
        const auto moment = ReadNumber(value);
        if (!moment)
            return false;
        state.LastCheck = *moment;
    } else if (key == "Snooze") {
        auto snooze = ReadSnooze(value);
        if (!snooze)
            return false;
        state.Snoozes.push_back(std::move(*snooze));
    }
    // Keys of a later version are skipped.
    return true;
}

}  // namespace

bool IsSnoozeLength(int minutes)
{
    return std::ranges::find(SnoozeLengths, minutes) != std::end(SnoozeLengths);
}

std::string SnoozeLengthText(int minutes)
{
    if (minutes % 60 == 0)
        return minutes == 60 ? "1 hour" : std::to_string(minutes / 60) + " hours";
    return minutes == 1 ? "1 minute" : std::to_string(minutes) + " minutes";
}

std::string AlertStateToText(const TAlertState& state)
{
    std::string text = SideFileHeader(Kind, AlertStateVersion) + '\n';
    text += "StayUntilDismissed=" + std::string(state.StayUntilDismissed ? "1" : "0") + '\n';
    text += "SnoozeMinutes=" + std::to_string(state.SnoozeMinutes) + '\n';
    text += "LastCheck=" + NumberText(state.LastCheck) + '\n';
    for (const TSnooze& s : state.Snoozes) {
        const TAlertItem& a = s.Alert;
        text += "Snooze=" + NumberText(s.Until) + '\t' + NumberText(a.Moment) + '\t' +
                NumberText(a.PaperDay) + '\t' + NumberText(a.When) + '\t' +
                std::to_string(a.Before) + '\t' + std::to_string(a.Recurrency) + '\t' +
                EscapedField(a.Subject) + '\n';
    }
    return text + "End\n";
}

namespace {

// Reads the "key=value" line into state; false when it does not read.
bool ReadKeyLine(std::string_view line, TAlertState& state)
{
    if (line.empty())
        return true;
    const std::size_t equals = line.find('=');
    return equals != std::string_view::npos &&
           ReadLine(line.substr(0, equals), line.substr(equals + 1), state);
}

}  // namespace

std::string AlertStateFromText(std::string_view text, TAlertState& state)
{
    TAlertState read;
    std::string failure = ReadSideFile(text, Kind, AlertStateVersion,
                                       [&](std::string_view key, std::string_view value) {
                                           return ReadLine(key, value, read);
                                       });
    if (failure.empty())
        state = std::move(read);
    return failure;
}

namespace {

// True when the file holds exactly these bytes; false when it differs or cannot be read.
bool FileHolds(const std::string& fileName, std::string_view bytes)
{
    std::error_code failed;
    if (std::filesystem::file_size(fileName, failed) != bytes.size() || failed)
        return false;
    try {
        return ReadWholeFile(fileName) == bytes;
    } catch (const EStoreError&) {
        return false;
    }
}

}  // namespace

void SaveAlertState(const std::string& fileName, const TAlertState& state)
{
    const std::string text = AlertStateToText(state);
    // Each write costs two flushes to the disk; a file that holds the text already stays.
    if (!FileHolds(fileName, text))
        SaveFileAtomically(fileName, text);
}

std::string LoadAlertState(const std::string& fileName, TAlertState& state)
{
    return LoadSideFile(fileName, [&](std::string_view text) { return AlertStateFromText(text, state); });
}

TDamagedLoad LoadAlertStateFile(const std::string& fileName, TAlertState& state)
{
    std::error_code missing;
    if (!std::filesystem::exists(fileName, missing) && !missing)
        return {};
    const std::string text = ReadWholeFile(fileName);
    std::string error = AlertStateFromText(text, state);
    if (error.empty())
        return {};
    // What a file of this version still holds: every line that reads, up to its end or the
    // point where it was cut; a line cut in two may read, but not as it was written.
    std::vector<std::string_view> lines = SideFileLines(text);
    if (!text.ends_with('\n') && !lines.empty())
        lines.pop_back();
    if (!lines.empty() && lines[0] == SideFileHeader(Kind, AlertStateVersion)) {
        TAlertState read = state;
        for (std::size_t i = 1; i < lines.size() && lines[i] != "End"; ++i)
            ReadKeyLine(lines[i], read);
        state = std::move(read);
    }
    return KeepDamaged(fileName, text, std::move(error));
}

TDateTime AlertMomentOn(const TReminder& reminder, TDate day)
{
    const auto time = DecodeTime(reminder.ReminderTime());
    if (!time)
        return day;
    const double ms = ((time->Hour * 60.0 + time->Minute) * 60 + time->Second) * 1000 + time->MilliSecond;
    return day + ms / MSecsPerDay;
}

TDateTime StartOf(const TAlertItem& alert)
{
    return alert.Moment + LeadTimeMinutes(alert.Before) / 1440.0;
}

TDayPaper* FindPaperOf(TDayPaperList& papers, const TAlertItem& alert)
{
    for (int p = 0; p < papers.Count(); ++p) {
        TDayPaper& paper = papers.GetDayPaper(p);
        const TReminderList& reminders = paper.ReminderList;
        for (int i = 0; i < reminders.ReminderCount(); ++i) {
            const TReminder& r = reminders.GetReminder(i);
            if (r.When == alert.When && r.Before == alert.Before &&
                r.Recurrency == alert.Recurrency && r.Subject == alert.Subject)
                return &paper;
        }
    }
    return nullptr;
}

std::vector<TAlertItem> AlertsBetween(TDayPaperList& papers, TDateTime from, TDateTime to)
{
    std::vector<TAlertItem> alerts;
    if (!(from <= to))
        return alerts;
    for (TDate day = std::floor(from); day <= std::floor(to); ++day) {
        for (int p = 0; p < papers.Count(); ++p) {
            const TDayPaper& paper = papers.GetDayPaper(p);
            for (int i = 0; i < paper.ReminderList.ReminderCount(); ++i) {
                const TReminder& r = paper.ReminderList.GetReminder(i);
                if (r.State != 0 || !IsDueOn(r, day))
                    continue;
                const TDateTime moment = AlertMomentOn(r, day);
                if (moment >= from && moment <= to)
                    alerts.push_back({moment, paper.Day, r.When, r.Before, r.Recurrency, r.Subject});
            }
        }
    }
    std::ranges::stable_sort(alerts, {}, &TAlertItem::Moment);
    return alerts;
}

std::vector<TAlertItem> MissedAlerts(TDayPaperList& papers, TDateTime lastCheck, TDateTime now)
{
    // Milliseconds from one moment to a later one of the same date; none across dates.
    const auto sameDateMs = [](TDateTime earlier, TDateTime later) -> std::optional<long long> {
        if (std::floor(earlier) != std::floor(later))
            return std::nullopt;
        return std::llround((later - earlier) * MSecsPerDay);
    };
    std::vector<TAlertItem> alerts =
        AlertsBetween(papers, std::max(lastCheck, now - CatchUpDays), now);
    std::erase_if(alerts, [&](const TAlertItem& alert) {
        // A check exactly a minute ahead of a moment may have shown it already: a timer armed
        // for that minute fires at it.
        const auto afterCheck = sameDateMs(lastCheck, alert.Moment);
        const auto beforeNow = sameDateMs(alert.Moment, now);
        return alert.Moment <= lastCheck || (afterCheck && *afterCheck <= 60000) ||
               (beforeNow && *beforeNow < 60000);
    });
    return alerts;
}

}  // namespace orvenna::store

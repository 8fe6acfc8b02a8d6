#include "notes/browserows.h"

#include "store/datetime.h"
#include "store/daypaperlist.h"
#include "store/daypapers.h"
#include "store/localetext.h"

#include <QCoreApplication>

#include <algorithm>

namespace orvenna::notes {

namespace {

constexpr std::string_view LineBreak = "\r\n";

bool InMonth(const store::TDayPaper& paper, int year, int month)
{
    const auto parts = store::DecodeDate(paper.Day);
    return parts && parts->Year == year && parts->Month == month;
}

bool NoteIsBlank(const store::TDayPaper& paper)
{
    for (const std::string& line : paper.Note)
        if (!TrimBlanks(line).empty())
            return false;
    return true;
}

// A month without rows keeps the grid's spare row: the header and one empty row.
void KeepSpareRow(TGridRows& rows, std::size_t columns)
{
    if (rows.size() < 2)
        rows.push_back({std::vector<std::string>(columns), nullptr});
}

// The headers of the lists and the export's captions, in the user's language where used.
const char* const DateCaption = QT_TRANSLATE_NOOP("orvenna::notes::TBrowseForm", "Date");
const char* const NoteCaption = QT_TRANSLATE_NOOP("orvenna::notes::TBrowseForm", "Note");
const char* const YearCaption = QT_TRANSLATE_NOOP("orvenna::notes::TBrowseForm", "Year:");
const char* const MonthCaption = QT_TRANSLATE_NOOP("orvenna::notes::TBrowseForm", "Month:");

std::string Caption(const char* text)
{
    return QCoreApplication::translate("orvenna::notes::TBrowseForm", text).toStdString();
}

}  // namespace

TGridRows BuildNoteRows(store::TDayPaperList& papers, int year, int month,
                        const store::TLocalFormat& format)
{
    TGridRows rows{{{Caption(DateCaption), Caption(NoteCaption)}, nullptr}};
    for (int i = 0; i < papers.Count(); ++i) {
        store::TDayPaper& paper = papers.GetDayPaper(i);
        if (!InMonth(paper, year, month) || NoteIsBlank(paper))
            continue;
        rows.push_back({{store::FormatShortDate(format, paper.Day), {}}, &paper});
        for (const std::string& line : paper.Note)
            if (!line.empty())
                rows.push_back({{{}, line}, &paper});
    }
    KeepSpareRow(rows, 2);
    return rows;
}

TGridRows BuildReminderRows(store::TDayPaperList& papers, int year, int month,
                            const store::TLocalFormat& format)
{
    TGridRows rows{{{Caption(DateCaption), Caption(NoteCaption), ""}, nullptr}};
    for (int i = 0; i < papers.Count(); ++i) {
        store::TDayPaper& paper = papers.GetDayPaper(i);
        const store::TReminderList& reminders = paper.ReminderList;
        if (!InMonth(paper, year, month) || reminders.ReminderCount() == 0)
            continue;
        rows.push_back({{store::FormatShortDate(format, paper.Day), {}, {}}, &paper});
        for (int r = 0; r < reminders.ReminderCount(); ++r) {
            const store::TReminder& reminder = reminders.GetReminder(r);
            rows.push_back({{{}, store::FormatLongTime(format, reminder.When), reminder.Subject}, nullptr});
        }
    }
    KeepSpareRow(rows, 3);
    return rows;
}

void AppendSubscribedRows(TGridRows& rows, const TGridRows& subscribed)
{
    const auto empty = [](const TGridRows& list) {
        return list.size() == 2 && std::ranges::all_of(list[1].Cells, &std::string::empty);
    };
    if (empty(subscribed))
        return;
    if (empty(rows))
        rows.pop_back();
    for (std::size_t r = 1; r < subscribed.size(); ++r) {
        TGridRow row{subscribed[r].Cells, nullptr};
        if (!row.Cells.front().empty())  // a date row
            row.Cells.front() += " (subscribed)";
        rows.push_back(std::move(row));
    }
}

int NoteLineIndex(const TGridRows& rows, int row)
{
    const auto lineRow = [&rows](int r) { return rows[r].Cells.size() > 1 && !rows[r].Cells[1].empty(); };
    if (row <= 0 || row >= static_cast<int>(rows.size()) || !lineRow(row) ||
        rows[row].Paper == nullptr)
        return -1;
    int dateRow = row;
    while (dateRow > 0 && lineRow(dateRow))
        --dateRow;
    const int wanted = row - dateRow;  // 1 for the first line under the date
    const std::vector<std::string>& note = rows[row].Paper->Note;
    int counted = 0;
    for (int i = 0; i < static_cast<int>(note.size()); ++i) {
        if (note[i].empty() || ++counted < wanted)
            continue;
        return note[i] == rows[row].Cells[1] ? i : -1;
    }
    return -1;
}

std::string TrimBlanks(std::string_view text)
{
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && blank(text[first]))
        ++first;
    while (last > first && blank(text[last - 1]))
        --last;
    return std::string(text.substr(first, last - first));
}

std::string RowText(const TGridRow& row)
{
    std::string text;
    for (const std::string& cell : row.Cells) {
        text += cell;
        text += LineBreak;
    }
    return text;
}

std::string ExportText(std::string_view yearText, std::string_view monthText,
                       const TGridRows& rows)
{
    std::string text = Caption(YearCaption);
    text += yearText;
    text += LineBreak;
    text += Caption(MonthCaption);
    text += monthText;
    text += LineBreak;
    for (const TGridRow& row : rows) {
        text += TrimBlanks(RowText(row));
        text += LineBreak;
    }
    return text;
}

}  // namespace orvenna::notes

#include "notes/notemerge.h"

#include "store/localetext.h"
#include "store/papermerge.h"

namespace orvenna::notes {

store::TDayPaper& FindOrAddPaper(store::TDayPaperList& papers, store::TDate day)
{
    if (store::TDayPaper* paper = papers.FindDayPaper(day))
        return *paper;
    store::TDayPaper& paper = papers.AddDayPaper();
    paper.Day = day;
    return paper;
}

std::vector<std::string> MergeSheet(const std::vector<std::string>& base,
                                    std::vector<std::string> sheet,
                                    const std::vector<std::string>& theirs)
{
    for (std::size_t i = sheet.size(); i < base.size(); ++i)
        sheet.push_back(base[i]);
    return store::MergeNoteLines(base, sheet, theirs);
}

TRowReminders MergeReminderRows(const std::vector<TEditedRow>& rows, const TRowReminders& objects,
                                const TRowReminders& base, const store::TLocalFormat& format,
                                store::TDayPaper& paper)
{
    // What each row holds now; rows without a time hold no reminder.
    TRowReminders now;
    for (const TEditedRow& row : rows) {
        const auto index = static_cast<std::size_t>(row.Row);
        auto& r = now[index] = std::make_unique<store::TReminder>();
        if (const store::TReminder* object = objects[index].get())
            r->CopyFrom(*object);
        r->Subject = row.Subject.toStdString();
        r->When = row.When;
        // A time shown as it was read keeps its exact value (seconds from another program).
        const store::TReminder* was = base[index].get();
        if (was && QString::fromStdString(store::FormatReminderTime(format, was->When)) == row.Time)
            r->When = was->When;
    }
    std::vector<store::TReminderChange> changes;
    for (std::size_t row = 1; row <= EditorReminderRows; ++row)
        changes.push_back({base[row].get(), now[row].get()});
    store::MergeReminders(changes, paper.ReminderList);
    return now;
}

}  // namespace orvenna::notes

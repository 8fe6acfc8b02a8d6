#include "tools/notesjson.h"

#include <memory>
#include <vector>

namespace orvenna::tools {
namespace {

using store::TDayPaper;
using store::TReminder;

TJson Lines(const std::vector<std::string>& lines)
{
    TJson array = TJson::array();
    for (const std::string& line : lines)
        array.push_back(line);
    return array;
}

void ReadReminder(const TJson& json, TReminder& reminder, const std::string& where)
{
    CheckKeys(json, where,
              {"Desc", "When", "SomeData", "State", "category", "Subject", "Before", "Recurrency",
               "ReminderTime"});
    const auto field = [&](const char* key) { return where + "." + key; };
    if (json.contains("Desc"))
        reminder.Desc = TextLines(json["Desc"], field("Desc"));
    if (json.contains("When"))
        reminder.When = Number(json["When"], field("When"));
    if (json.contains("SomeData"))
        reminder.SomeData = Int32(json["SomeData"], field("SomeData"));
    if (json.contains("State"))
        reminder.State = Int32(json["State"], field("State"));
    if (json.contains("category"))
        reminder.category = Text(json["category"], field("category"));
    if (json.contains("Subject"))
        reminder.Subject = Text(json["Subject"], field("Subject"));
    if (json.contains("Before"))
        reminder.Before = Int32(json["Before"], field("Before"));
    if (json.contains("Recurrency"))
        reminder.Recurrency = Int32(json["Recurrency"], field("Recurrency"));
}

void ReadPaper(const TJson& json, TDayPaper& paper, const std::string& where)
{
    CheckKeys(json, where, {"Day", "Note", "ReminderList"});
    if (json.contains("Day"))
        paper.Day = Number(json["Day"], where + ".Day");
    if (json.contains("Note"))
        paper.Note = TextLines(json["Note"], where + ".Note");
    if (!json.contains("ReminderList"))
        return;
    const TJson& reminders = json["ReminderList"];
    if (!reminders.is_array())
        Fail(where + ".ReminderList", "expected an array");
    for (std::size_t i = 0; i < reminders.size(); ++i)
        ReadReminder(reminders[i], paper.ReminderList.AddReminder(),
                     where + ".ReminderList[" + std::to_string(i) + "]");
}

}  // namespace

TJson ReminderToJson(const TReminder& reminder)
{
    TJson json;
    json["Desc"] = Lines(reminder.Desc);
    json["When"] = reminder.When;
    json["SomeData"] = reminder.SomeData;
    json["State"] = reminder.State;
    json["category"] = reminder.category;
    json["Subject"] = reminder.Subject;
    json["Before"] = reminder.Before;
    json["Recurrency"] = reminder.Recurrency;
    json["ReminderTime"] = reminder.ReminderTime();
    return json;
}

TJson RemindersToJson(const store::TReminderList& reminders)
{
    TJson array = TJson::array();
    for (int i = 0; i < reminders.ReminderCount(); ++i)
        array.push_back(ReminderToJson(reminders.GetReminder(i)));
    return array;
}

TJson StoreToJson(store::TDayPaperList& store, const std::string& error)
{
    TJson papers = TJson::array();
    for (int i = 0; i < store.Count(); ++i) {
        const TDayPaper& paper = store.GetDayPaper(i);
        TJson json;
        json["Day"] = paper.Day;
        json["Note"] = Lines(paper.Note);
        json["ReminderList"] = RemindersToJson(paper.ReminderList);
        papers.push_back(std::move(json));
    }
    TJson document;
    document["papers"] = std::move(papers);
    document["error"] = error.empty() ? TJson(nullptr) : TJson(error);
    return document;
}

void JsonToStore(const TJson& document, store::TDayPaperList& store)
{
    CheckKeys(document, "notes", {"papers", "error"});
    if (!document.contains("papers"))
        return;
    const TJson& papers = document["papers"];
    if (!papers.is_array())
        Fail("papers", "expected an array");
    // Everything is checked on scratch papers first, so a bad input adds nothing.
    std::vector<std::unique_ptr<TDayPaper>> read;
    for (std::size_t i = 0; i < papers.size(); ++i) {
        read.push_back(std::make_unique<TDayPaper>());
        ReadPaper(papers[i], *read.back(), "papers[" + std::to_string(i) + "]");
    }
    for (const auto& paper : read) {
        TDayPaper& added = store.AddDayPaper();
        added.CopyFrom(*paper);
        // CopyFrom leaves SomeData at its creation value; the JSON's value is the stored one.
        for (int r = 0; r < paper->ReminderList.ReminderCount(); ++r)
            added.ReminderList.GetReminder(r).SomeData = paper->ReminderList.GetReminder(r).SomeData;
    }
}

}  // namespace orvenna::tools

// orvenna-notes export-ics and import-ics, run as a process with a fixed TZ; exported files are
// read back with an independent reader (the python icalendar package).

#include "tests/support/scopedzone.h"
#include "tests/support/toolrunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace {

using nlohmann::json;
using orvenna::test::ReadBytes;
using orvenna::test::RunTool;
using orvenna::test::ShellQuote;
using orvenna::test::TScopedZone;
using orvenna::test::TTempFolder;
using orvenna::test::TToolResult;
using orvenna::test::WriteBytes;

const std::string Data = ORVENNA_TEST_DATA;

// 7 March 2026 is day 46088; 46088.020833333336 is 00:30 of it.
const std::string Papers = R"({"papers": [
    {"Day": 46088, "Note": ["Birthday, Anna", "", "cake; candles \\ plates"], "ReminderList": [
        {"When": 46088.020833333336, "Subject": "Late call", "Before": 0, "category": "Calls",
         "Desc": ["line 1", "line 2, with a comma"]},
        {"When": 46088.375, "Subject": "Daily", "Before": 1, "Recurrency": 1},
        {"When": 46088.5, "Subject": "Weekly", "Before": 2, "Recurrency": 2},
        {"When": 46088.5, "Subject": "Monthly", "Before": 3, "Recurrency": 3},
        {"When": 46088.75, "Subject": "Yearly", "Before": 4, "Recurrency": 4}]},
    {"Day": 46089, "ReminderList": [
        {"When": 46089.5, "Subject": "Hour", "Before": 5},
        {"When": 46089.5, "Subject": "Day", "Before": 6, "category": "Clients"}]}
]})";

class IcalCommands : public testing::Test {
protected:
    TToolResult Run(const std::vector<std::string>& args, const std::string& input = {})
    {
        return RunTool(Folder, "orvenna-notes", args, input);
    }

    std::string Dump(const std::string& file)
    {
        const TToolResult result = Run({"dump", file});
        EXPECT_EQ(result.Exit, 0) << result.Err;
        return result.Out;
    }

    // The exported file, written to a file of the folder.
    std::string Export(const std::vector<std::string>& range = {})
    {
        std::vector<std::string> args{"export-ics", Source};
        args.insert(args.end(), range.begin(), range.end());
        const TToolResult result = Run(args);
        EXPECT_EQ(result.Exit, 0) << result.Err;
        WriteBytes(Ics, result.Out);
        return result.Out;
    }

    json ReadWithPython(const std::string& file)
    {
        const std::string out = Folder.File("python.json");
        const std::string command = "/usr/bin/python3 " +
                                    ShellQuote(ORVENNA_SOURCE_DIR "/tests/tools/read_ics.py") +
                                    " " + ShellQuote(file) + " > " + ShellQuote(out);
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return json::parse(ReadBytes(out));
    }

    // The reminders of a dump as "YYYY-MM-DD HH:MM subject Before Recurrency category".
    std::vector<std::string> Reminders(const std::string& dump)
    {
        std::vector<std::string> found;
        const json document = json::parse(dump);
        for (const json& paper : document["papers"])
            for (const json& reminder : paper["ReminderList"]) {
                const double when = reminder["When"];
                const long minutes = std::lround(when * 1440) - 46088L * 1440;
                found.push_back(Clock(minutes) + " " + reminder["Subject"].get<std::string>() +
                                " " + std::to_string(reminder["Before"].get<int>()) + " " +
                                std::to_string(reminder["Recurrency"].get<int>()) + " " +
                                reminder["category"].get<std::string>());
                EXPECT_EQ(paper["Day"].get<double>(), std::floor(when));
            }
        return found;
    }

    // Minutes from 7 March 2026 00:00 as "03-07 00:30" (March and April 2026 only).
    static std::string Clock(long minutes)
    {
        const long days = static_cast<long>(std::floor(minutes / 1440.0));
        const long inDay = minutes - days * 1440;
        const int month = 7 + days > 31 ? 4 : 3;
        char text[64];
        std::snprintf(text, sizeof text, "%02d-%02ld %02ld:%02ld", month,
                      7 + days - (month == 4 ? 31 : 0), inDay / 60, inDay % 60);
        return text;
    }

    TScopedZone Zone{"Europe/Berlin"};
    TTempFolder Folder;
    const std::string Source = Folder.File("source.cal");
    const std::string Target = Folder.File("2004.cal");
    const std::string Ics = Folder.File("export.ics");
};

TEST_F(IcalCommands, PapersSurviveTheRoundTripAndASecondImportAddsNothing)
{
    ASSERT_EQ(Run({"build", Source}, Papers).Exit, 0);
    Export();
    const TToolResult first = Run({"import-ics", Target, Ics});
    ASSERT_EQ(first.Exit, 0) << first.Err;
    EXPECT_EQ(first.Out, "Added 7 reminders and 1 note.\n");
    EXPECT_EQ(Dump(Target), Dump(Source));

    const std::string saved = ReadBytes(Target);
    const TToolResult second = Run({"import-ics", Target, Ics});
    EXPECT_EQ(second.Out, "Added 0 reminders and 0 notes; skipped 8: 8 already there.\n");
    EXPECT_EQ(ReadBytes(Target), saved);

    // The same file exported again gives the same items with the same UIDs.
    const std::string again = Export();
    const auto uids = [](const json& calendar) {
        std::vector<std::string> found;
        for (const json& event : calendar["events"])
            found.push_back(event["uid"]);
        return found;
    };
    const json firstRead = ReadWithPython(Ics);
    WriteBytes(Ics, again);
    EXPECT_EQ(uids(ReadWithPython(Ics)), uids(firstRead));
}

TEST_F(IcalCommands, AnIndependentReaderSeesTheItemsTheirZoneAlarmsAndRules)
{
    ASSERT_EQ(Run({"build", Source}, Papers).Exit, 0);
    Export();
    const json calendar = ReadWithPython(Ics);
    EXPECT_EQ(calendar["prodid"], "-//Orvenna//Orvenna notes//EN");
    EXPECT_EQ(calendar["zones"], json({"Europe/Berlin"}));
    const json& events = calendar["events"];
    ASSERT_EQ(events.size(), 8u);

    EXPECT_EQ(events[0]["all_day"], true);
    EXPECT_EQ(events[0]["start"], "2026-03-07");
    EXPECT_EQ(events[0]["summary"], "Birthday, Anna");
    EXPECT_EQ(events[0]["description"], "Birthday, Anna\n\ncake; candles \\ plates");

    // 00:30 local is the evening before in UTC, and stays on its day in its zone.
    EXPECT_EQ(events[1]["start"], "2026-03-07T00:30:00+01:00");
    EXPECT_EQ(events[1]["utc"], "2026-03-06T23:30:00+00:00");
    EXPECT_EQ(events[1]["tzid"], "Europe/Berlin");
    EXPECT_EQ(events[1]["description"], "line 1\nline 2, with a comma");
    EXPECT_EQ(events[1]["categories"], json({"Calls"}));

    const json rules = {nullptr, "DAILY", "WEEKLY", "MONTHLY", "YEARLY", nullptr, nullptr};
    const double leads[] = {0, 5, 10, 15, 20, 60, 1440};
    for (int i = 0; i < 7; ++i) {
        const json& event = events[1 + i];
        EXPECT_EQ(event["rrule"], rules[i]) << i;
        EXPECT_EQ(event["triggers"], json({-60 * leads[i]})) << i;
    }
    // A summer-time day: Berlin is two hours ahead of UTC from 29 March.
    EXPECT_EQ(Run({"build", Source}, R"({"papers": [{"Day": 46110, "ReminderList":
        [{"When": 46110.375, "Subject": "Summer"}]}]})")
                  .Exit,
              0);
    Export();
    EXPECT_EQ(ReadWithPython(Ics)["events"][0]["utc"], "2026-03-29T07:00:00+00:00");
}

TEST_F(IcalCommands, ImportedTimesFollowTheLocalZone)
{
    ASSERT_EQ(Run({"build", Source}, Papers).Exit, 0);
    Export();
    // In New York the 00:30 reminder of Berlin falls on the previous day.
    TScopedZone::Set("America/New_York");
    ASSERT_EQ(Run({"import-ics", Target, Ics}).Exit, 0);
    const std::vector<std::string> reminders = Reminders(Dump(Target));
    ASSERT_EQ(reminders.size(), 7u);
    EXPECT_EQ(reminders[0], "03-06 18:30 Late call 0 0 Calls");
}

TEST_F(IcalCommands, FilesOfOtherCalendarProgramsImport)
{
    const struct {
        std::string File;
        std::string Summary;
        std::vector<std::string> Reminders;
        std::vector<std::pair<std::string, std::vector<std::string>>> Notes;  // day, lines
    } cases[] = {
        {"mail_client_meetings.ics",
         "Added 2 reminders and 1 note.",
         {"03-10 09:30 Team meeting, weekly 3 2 ", "03-12 14:00 Call with the New York office "
                                                   "about the quarterly figures 5 0 "},
         {{"04-02", {"Trade fair, Hall 3"}}, {"04-03", {"Trade fair, Hall 3"}}}},
        {"web_calendar_family.ics",
         "Added 3 reminders and 1 note; skipped 2: 1 cancelled, 1 changed occurrences of repeating "
         "items. 1 repeating all-day item noted on the first day only.",
         {"03-20 18:00 Swimming 5 3 ", "03-24 11:00 Piano lesson 0 2 ",
          "03-24 23:30 Video call with Kenji 0 0 "},
         {{"03-15", {"Anna's birthday"}}}},
        {"desktop_calendar_tasks.ics",
         "Added 2 reminders and 0 notes; skipped 2: 1 without a date, 1 neither events nor to-dos. "
         "1 item repeats by a rule other than every day, week, month or year: imported as the "
         "first occurrence only.",
         {"04-01 23:00 Renew passport 5 0 Personal, Travel", "04-02 02:00 Evening pill 0 0 Health"},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File);
        std::filesystem::remove(Target);
        const TToolResult result = Run({"import-ics", Target, Data + "/" + c.File});
        ASSERT_EQ(result.Exit, 0) << result.Err;
        EXPECT_EQ(result.Out, c.Summary + "\n");
        const std::string dump = Dump(Target);
        std::vector<std::string> reminders = Reminders(dump);
        std::sort(reminders.begin(), reminders.end());
        EXPECT_EQ(reminders, c.Reminders);
        std::vector<std::pair<std::string, std::vector<std::string>>> notes;
        const json document = json::parse(dump);
        for (const json& paper : document["papers"])
            if (!paper["Note"].empty())
                notes.emplace_back(
                    Clock(std::lround((paper["Day"].get<double>() - 46088) * 1440)).substr(0, 5),
                    paper["Note"]);
        EXPECT_EQ(notes, c.Notes);
    }
    // The descriptions: unescaped, unfolded, one line per line.
    std::filesystem::remove(Target);
    Run({"import-ics", Target, Data + "/mail_client_meetings.ics"});
    const json papers = json::parse(Dump(Target))["papers"];
    EXPECT_EQ(papers[0]["ReminderList"][0]["Desc"],
              json({"Agenda: budget, hiring, travel.", "Room 4.12, second floor"}));
    EXPECT_EQ(papers[1]["ReminderList"][0]["Desc"],
              json({"Quarterly figures first; then the travel plans for April and the visit of "
                    "the board in May."}));
}

TEST_F(IcalCommands, BadInputWritesNothing)
{
    ASSERT_EQ(Run({"build", Target}, Papers).Exit, 0);
    const std::string saved = ReadBytes(Target);
    WriteBytes(Folder.File("notes.txt"), "Dentist on Tuesday\n");
    const TToolResult text = Run({"import-ics", Target, Folder.File("notes.txt")});
    EXPECT_EQ(text.Exit, 1);
    EXPECT_EQ(text.Err, "orvenna-notes: " + Folder.File("notes.txt") +
                            ": not an iCalendar file (no VCALENDAR found); nothing imported\n");
    EXPECT_EQ(text.Out, "");
    const TToolResult binary = Run({"import-ics", Target, Data + "/one_paper_dentist.cal"});
    EXPECT_EQ(binary.Exit, 1);
    const TToolResult missing = Run({"import-ics", Target, Folder.File("none.ics")});
    EXPECT_EQ(missing.Exit, 2);
    EXPECT_NE(missing.Err.find("Cannot open file"), std::string::npos);
    EXPECT_EQ(ReadBytes(Target), saved);

    // A damaged notes file is left as it is.
    const std::string damaged = Folder.File("damaged.cal");
    WriteBytes(damaged, ReadBytes(Data + "/unknown_property_in_reminder.cal"));
    const TToolResult onDamaged = Run({"import-ics", damaged, Data + "/mail_client_meetings.ics"});
    EXPECT_EQ(onDamaged.Exit, 1);
    EXPECT_NE(onDamaged.Err.find("nothing imported"), std::string::npos);
    EXPECT_EQ(ReadBytes(damaged), ReadBytes(Data + "/unknown_property_in_reminder.cal"));
    // Only the files written here and the two notes files' locks: no temporary or damaged
    // copies were left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder.Path()), {}), 8);

    for (const auto& args : std::vector<std::vector<std::string>>{
             {"export-ics", Target, "2026-13-01"},
             {"export-ics", Target, "2026-03-08", "2026-03-07"},
             {"export-ics", Target, "2026-03-07", "2026-03-08", "x"},
             {"import-ics"},
             {"import-ics", Target, Data + "/mail_client_meetings.ics", "x"}}) {
        EXPECT_EQ(Run(args).Exit, 64) << args.back();
    }
}

TEST_F(IcalCommands, ExportKeepsToTheGivenDays)
{
    ASSERT_EQ(Run({"build", Source}, Papers).Exit, 0);
    EXPECT_EQ(ReadWithPython((Export({"2026-03-08"}), Ics))["events"].size(), 2u);
    EXPECT_EQ(ReadWithPython((Export({"2026-03-01", "2026-03-07"}), Ics))["events"].size(), 6u);
    EXPECT_EQ(ReadWithPython((Export({"2026-03-09", "2026-12-31"}), Ics))["events"].size(), 0u);
}

}  // namespace

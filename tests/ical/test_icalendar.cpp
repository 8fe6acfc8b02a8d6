// iCalendar export and import of the notes store, in this process with a fixed local zone.

#include "ical/icalendar.h"
#include "tests/support/scopedzone.h"
#include "tests/support/tempfolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>

namespace {

using orvenna::ical::ExportCalendar;
using orvenna::ical::ImportCalendar;
using orvenna::ical::TExportOptions;
using orvenna::ical::TImportSummary;
using orvenna::store::EncodeDate;
using orvenna::store::EncodeDateTime;
using orvenna::store::TDateTime;
using orvenna::store::TDayPaper;
using orvenna::store::TDayPaperList;
using orvenna::store::TReminder;
using orvenna::test::TScopedZone;

std::string Calendar(const std::string& body)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//Test//EN\r\n" + body +
           "END:VCALENDAR\r\n";
}

std::string Event(const std::string& lines, const std::string& kind = "VEVENT")
{
    return "BEGIN:" + kind + "\r\nUID:test\r\nDTSTAMP:20260101T000000Z\r\n" + lines +
           "END:" + kind + "\r\n";
}

// "2026-03-07 00:30" of a local date-time.
std::string Local(TDateTime value)
{
    const auto date = orvenna::store::DecodeDate(value);
    const auto time = orvenna::store::DecodeTime(value);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", date->Year, date->Month, date->Day,
                  time->Hour, time->Minute);
    return text;
}

TReminder& AddReminder(TDayPaperList& notes, TDateTime when, const std::string& subject)
{
    const double day = orvenna::store::DateOf(when);
    TDayPaper* paper = notes.FindDayPaper(day);
    if (paper == nullptr) {
        paper = &notes.AddDayPaper();
        paper->Day = day;
    }
    TReminder& reminder = paper->ReminderList.AddReminder();
    reminder.When = when;
    reminder.Subject = subject;
    return reminder;
}

class ICalendar : public testing::Test {
protected:
    // The only reminder of the store after importing the text.
    const TReminder& ImportOne(const std::string& text)
    {
        Summary = ImportCalendar(text, Imported, Zone);
        EXPECT_EQ(Summary.RemindersAdded, 1) << Summary.Text();
        return Imported.GetDayPaper(Imported.Count() - 1).ReminderList.GetReminder(0);
    }

    std::string Zone = "Europe/Berlin";
    TScopedZone Scope{Zone};
    TDayPaperList Notes;
    TDayPaperList Imported;
    TImportSummary Summary;
};

TEST_F(ICalendar, EachLeadTimeAndRecurrenceSurvivesBothWays)
{
    const char* triggers[] = {"PT0S", "-PT5M", "-PT10M", "-PT15M", "-PT20M", "-PT1H", "-P1D"};
    const char* rules[] = {nullptr, "FREQ=DAILY", "FREQ=WEEKLY", "FREQ=MONTHLY", "FREQ=YEARLY"};
    for (int before = 0; before < 7; ++before)
        for (int recurrency = 0; recurrency < 5; ++recurrency) {
            SCOPED_TRACE(testing::Message()
                         << "Before " << before << ", Recurrency " << recurrency);
            TDayPaperList notes;
            TReminder& reminder = AddReminder(notes, EncodeDateTime(2026, 3, 10, 9, 0), "Call");
            reminder.Before = before;
            reminder.Recurrency = recurrency;
            const std::string text = ExportCalendar(notes, {.ZoneName = Zone});
            const std::string event = text.substr(text.find("BEGIN:VEVENT"));
            EXPECT_NE(text.find(std::string("TRIGGER:") + triggers[before] + "\r\n"),
                      std::string::npos);
            const std::string rule =
                rules[recurrency] ? std::string("RRULE:") + rules[recurrency] : "";
            EXPECT_EQ(event.find("RRULE:") != std::string::npos, !rule.empty());
            EXPECT_TRUE(rule.empty() || event.find(rule + "\r\n") != std::string::npos);

            TDayPaperList back;
            ImportCalendar(text, back, Zone);
            const TReminder& read = back.GetDayPaper(0).ReminderList.GetReminder(0);
            EXPECT_EQ(read.Before, before);
            EXPECT_EQ(read.Recurrency, recurrency);
            EXPECT_EQ(read.When, reminder.When);
        }
}

TEST_F(ICalendar, AnAlarmBecomesTheNearestLeadTimeAtOrBeforeIt)
{
    const struct {
        std::string Alarms;
        int Before;
    } cases[] = {
        {"", 0},
        {"TRIGGER:-PT7M\r\n", 2},
        {"TRIGGER:-PT5M\r\n", 1},
        {"TRIGGER:PT15M\r\n", 0},  // after the start: at the time is before it
        {"TRIGGER:-PT21M\r\n", 5},
        {"TRIGGER:-PT61M\r\n", 6},
        {"TRIGGER:-P2D\r\n", 6},                              // nothing earlier than a day exists
        {"TRIGGER;VALUE=DATE-TIME:20260310T081500Z\r\n", 5},  // 45 minutes ahead
        {"TRIGGER;RELATED=END:-PT90M\r\n", 5},                // the event lasts an hour
        {"TRIGGER:-PT10M\r\nEND:VALARM\r\nBEGIN:VALARM\r\nACTION:AUDIO\r\nTRIGGER:-PT15M\r\n", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Alarms);
        const std::string alarm = c.Alarms.empty()
                                      ? ""
                                      : "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:x\r\n" +
                                            c.Alarms + "END:VALARM\r\n";
        Imported.LoadFromBytes(std::string(4, '\0'));
        EXPECT_EQ(ImportOne(Calendar(Event("DTSTART:20260310T090000Z\r\nDTEND:20260310T100000Z\r\n"
                                           "SUMMARY:Call\r\n" +
                                           alarm)))
                      .Before,
                  c.Before);
    }
}

TEST_F(ICalendar, PlainRulesRepeatAndOthersImportTheirFirstOccurrence)
{
    // 10 March 2026 is a Tuesday.
    const struct {
        std::string Rule;
        int Recurrency;
    } cases[] = {
        {"FREQ=DAILY;INTERVAL=1", 1},
        {"FREQ=WEEKLY;BYDAY=TU", 2},
        {"FREQ=WEEKLY;WKST=MO", 2},
        {"FREQ=MONTHLY;BYMONTHDAY=10", 3},
        {"FREQ=YEARLY;BYMONTH=3;BYMONTHDAY=10", 4},
        {"FREQ=WEEKLY;BYDAY=MO,WE", -1},
        {"FREQ=WEEKLY;BYDAY=WE", -1},
        {"FREQ=WEEKLY;INTERVAL=2", -1},
        {"FREQ=DAILY;COUNT=5", -1},
        {"FREQ=DAILY;UNTIL=20260401T000000Z", -1},
        {"FREQ=MONTHLY;BYDAY=2TU", -1},
        {"FREQ=HOURLY", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Rule);
        Imported.LoadFromBytes(std::string(4, '\0'));
        const TReminder& read = ImportOne(
            Calendar(Event("DTSTART:20260310T090000Z\r\nSUMMARY:x\r\nRRULE:" + c.Rule + "\r\n")));
        EXPECT_EQ(read.Recurrency, c.Recurrency < 0 ? 0 : c.Recurrency);
        EXPECT_EQ(Summary.FirstOccurrenceOnly, c.Recurrency < 0 ? 1 : 0);
        EXPECT_EQ(Local(read.When), "2026-03-10 10:00");
    }
}

TEST_F(ICalendar, TimesBecomeLocalTimeOfTheirDay)
{
    const std::string tokyo =
        "BEGIN:VTIMEZONE\r\nTZID:Tokyo Standard "
        "Time\r\nBEGIN:STANDARD\r\nDTSTART:16010101T000000\r\n"
        "TZOFFSETFROM:+0900\r\nTZOFFSETTO:+0900\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";
    const struct {
        std::string Zones;
        std::string Start;
        std::string Local;
    } cases[] = {
        {"", "DTSTART:20260306T233000Z", "2026-03-07 00:30"},
        {"", "DTSTART:20260307T003000", "2026-03-07 00:30"},  // floating
        {tokyo, "DTSTART;TZID=Tokyo Standard Time:20260307T073000", "2026-03-06 23:30"},
        {"", "DTSTART;TZID=America/New_York:20260306T180000", "2026-03-07 00:00"},
        // New York keeps summer time from 8 March, Berlin from 29 March.
        {"", "DTSTART;TZID=America/New_York:20260306T090000", "2026-03-06 15:00"},
        {"", "DTSTART;TZID=America/New_York:20260310T090000", "2026-03-10 14:00"},
        {"", "DTSTART;TZID=America/New_York:20260331T090000", "2026-03-31 15:00"},
        {"", "DTSTART:20260328T080000Z", "2026-03-28 09:00"},
        {"", "DTSTART:20260329T013000Z", "2026-03-29 03:30"},
        {"", "DTSTART:20260329T080000Z", "2026-03-29 10:00"},
        // The local zone's own wall time stays, even the hour the change skips.
        {"", "DTSTART;TZID=Europe/Berlin:20260329T023000", "2026-03-29 02:30"},
        {"", "DTSTART;TZID=/freeassociation.sourceforge.net/Europe/Berlin:20260307T003000",
         "2026-03-07 00:30"},
        {"", "DUE:20260307T120000Z", "2026-03-07 13:00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Start);
        Imported.LoadFromBytes(std::string(4, '\0'));
        const bool todo = c.Start.starts_with("DUE");
        const TReminder& read = ImportOne(
            Calendar(c.Zones + Event(c.Start + "\r\nSUMMARY:x\r\n", todo ? "VTODO" : "VEVENT")));
        EXPECT_EQ(Local(read.When), c.Local);
        EXPECT_EQ(Imported.GetDayPaper(0).Day, orvenna::store::DateOf(read.When));
        EXPECT_EQ(Summary.UnknownZone, 0);
    }

    Imported.LoadFromBytes(std::string(4, '\0'));
    const TReminder& unknown =
        ImportOne(Calendar(Event("DTSTART;TZID=Mars Time:20260307T083000\r\n")));
    EXPECT_EQ(Local(unknown.When), "2026-03-07 08:30");
    EXPECT_EQ(Summary.Text(), "Added 1 reminder and 0 notes. 1 time in an unknown time zone read "
                              "as local time.");
}

TEST_F(ICalendar, ZoneNamesNeverReachFilesOutsideTheZoneFolder)
{
    // A real zone file outside the zone folder, named by a path that climbs out of it.
    orvenna::test::TTempFolder folder;
    std::filesystem::copy_file("/usr/share/zoneinfo/Asia/Tokyo", folder.File("tokyo"));
    const std::string climbing = "../../../../../.." + folder.File("tokyo");
    const TReminder& read =
        ImportOne(Calendar(Event("DTSTART;TZID=" + climbing + ":20260307T083000\r\n")));
    EXPECT_EQ(Local(read.When), "2026-03-07 08:30");
    EXPECT_EQ(Summary.UnknownZone, 1);

    // A zone the file defines itself may be named anything.
    Imported.LoadFromBytes(std::string(4, '\0'));
    const std::string zone = "BEGIN:VTIMEZONE\r\nTZID:../Tokyo\r\nBEGIN:STANDARD\r\n"
                             "DTSTART:16010101T000000\r\nTZOFFSETFROM:+0900\r\nTZOFFSETTO:+0900\r\n"
                             "END:STANDARD\r\nEND:VTIMEZONE\r\n";
    EXPECT_EQ(
        Local(ImportOne(Calendar(zone + Event("DTSTART;TZID=../Tokyo:20260307T083000\r\n"))).When),
        "2026-03-07 00:30");
}

TEST_F(ICalendar, ExportWritesLocalTimesWithTheirZoneOrInUtc)
{
    AddReminder(Notes, EncodeDateTime(2026, 3, 7, 0, 30), "Late");
    AddReminder(Notes, EncodeDateTime(3001, 1, 1, 9, 0), "Later than libical writes");
    const std::string zoned = ExportCalendar(Notes, {.ZoneName = Zone});
    EXPECT_EQ(zoned.find("Later than"), std::string::npos);
    EXPECT_EQ(zoned.find("00000000"), std::string::npos);
    EXPECT_NE(zoned.find("DTSTART;TZID=Europe/Berlin:20260307T003000\r\n"), std::string::npos);
    EXPECT_NE(zoned.find("BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\n"), std::string::npos);
    EXPECT_LT(zoned.find("END:VTIMEZONE"), zoned.find("BEGIN:VEVENT"));

    for (const std::string zone : {"", "CET-1CEST"}) {
        const std::string utc = ExportCalendar(Notes, {.ZoneName = zone});
        EXPECT_NE(utc.find("DTSTART:20260306T233000Z\r\n"), std::string::npos) << zone;
        EXPECT_EQ(utc.find("VTIMEZONE"), std::string::npos) << zone;
        ImportCalendar(utc, Imported, Zone);
    }
    // Both come back as the same reminder on the same day.
    ASSERT_EQ(Imported.Count(), 1);
    EXPECT_EQ(Imported.GetDayPaper(0).ReminderList.ReminderCount(), 1);
    EXPECT_EQ(Local(Imported.GetDayPaper(0).ReminderList.GetReminder(0).When), "2026-03-07 00:30");
}

// The UID lines of an export, in order.
std::vector<std::string> Uids(const std::string& text)
{
    std::vector<std::string> uids;
    for (std::size_t at = text.find("\r\nUID:"); at != std::string::npos;
         at = text.find("\r\nUID:", at + 1))
        uids.push_back(text.substr(at + 2, text.find('\r', at + 2) - at - 2));
    return uids;
}

TEST_F(ICalendar, UidsDependOnTheContentAloneAndStayUnique)
{
    AddReminder(Notes, EncodeDateTime(2026, 3, 7, 9, 0), "Call");
    AddReminder(Notes, EncodeDateTime(2026, 3, 7, 9, 0), "Call");
    AddReminder(Notes, EncodeDateTime(2026, 3, 7, 9, 0), "Visit");
    Notes.GetDayPaper(0).Note = {"", " ", "Day off"};
    const TExportOptions options{.ZoneName = Zone, .Stamp = 1770000000};
    const std::string first = ExportCalendar(Notes, options);
    const std::vector<std::string> uids = Uids(first);
    ASSERT_EQ(uids.size(), 4u);
    EXPECT_EQ(std::set<std::string>(uids.begin(), uids.end()).size(), 4u);
    // Another export, later and with more in the store, names the same items the same.
    AddReminder(Notes, EncodeDateTime(2026, 3, 1, 8, 0), "Earlier");
    std::vector<std::string> again = Uids(ExportCalendar(Notes, {.ZoneName = Zone, .Stamp = 1780000000}));
    ASSERT_EQ(again.size(), 5u);
    again.erase(again.begin() + 4);
    EXPECT_EQ(again, uids);
    EXPECT_NE(first.find("SUMMARY:Day off\r\n"), std::string::npos);
    TDayPaperList back;
    ImportCalendar(first, back, Zone);
    EXPECT_EQ(back.GetDayPaper(0).Note, Notes.GetDayPaper(0).Note);
}

TEST_F(ICalendar, ANoteIsAnAllDayEventEndingTheNextDay)
{
    const struct {
        int Year, Month, Day;
        const char* Start;
        const char* End;
    } cases[] = {
        {2026, 3, 7, "20260307", "20260308"},
        {2026, 12, 31, "20261231", "20270101"},
        {2028, 2, 28, "20280228", "20280229"},
    };
    for (const auto& c : cases) {
        TDayPaperList notes;
        TDayPaper& paper = notes.AddDayPaper();
        paper.Day = EncodeDate(c.Year, c.Month, c.Day);
        paper.Note = {"Day off"};
        const std::string text = ExportCalendar(notes, {.ZoneName = Zone});
        EXPECT_NE(text.find(std::string("DTSTART;VALUE=DATE:") + c.Start + "\r\n"), std::string::npos) << c.Start;
        EXPECT_NE(text.find(std::string("DTEND;VALUE=DATE:") + c.End + "\r\n"), std::string::npos) << c.Start;
    }
}

TEST_F(ICalendar, ExportKeepsToTheRange)
{
    for (int day : {1, 2, 3}) {
        TDayPaper& paper = Notes.AddDayPaper();
        paper.Day = EncodeDate(2026, 5, day);
        paper.Note = {"note " + std::to_string(day)};
    }
    TDayPaper& blank = Notes.AddDayPaper();  // blanks only: nothing exported
    blank.Day = EncodeDate(2026, 5, 4);
    blank.Note = {" ", ""};
    const auto summaries = [&](TExportOptions options) {
        options.ZoneName = Zone;
        const std::string text = ExportCalendar(Notes, options);
        std::string found;
        for (std::size_t at = text.find("SUMMARY:"); at != std::string::npos;
             at = text.find("SUMMARY:", at + 1))
            found += text.substr(at + 8, text.find('\r', at) - at - 8) + ";";
        return found;
    };
    EXPECT_EQ(summaries({}), "note 1;note 2;note 3;");
    EXPECT_EQ(summaries({.From = EncodeDate(2026, 5, 2)}), "note 2;note 3;");
    EXPECT_EQ(summaries({.From = EncodeDate(2026, 5, 2), .To = EncodeDate(2026, 5, 2)}), "note 2;");
    EXPECT_EQ(summaries({.To = EncodeDate(2026, 4, 30)}), "");
}

TEST_F(ICalendar, AllDayItemsBecomeNoteLinesOnEachOfTheirDays)
{
    TDayPaper& existing = Imported.AddDayPaper();
    existing.Day = EncodeDate(2026, 8, 3);
    existing.Note = {"Own line"};
    const std::string text = Calendar(
        Event("DTSTART;VALUE=DATE:20260803\r\nDTEND;VALUE=DATE:20260806\r\nSUMMARY:Holiday\r\n"
              "DESCRIPTION:Lake\\, tent\\nboat\r\n") +
        Event("DTSTART;VALUE=DATE:20260810\r\nSUMMARY:Fair\r\nDESCRIPTION:Fair\\nhall 2\r\n") +
        Event("DTSTART;VALUE=DATE:20260811\r\nRRULE:FREQ=YEARLY\r\nSUMMARY:Birthday\r\n") +
        Event("DUE;VALUE=DATE:20260812\r\nSUMMARY:Taxes\r\n", "VTODO"));
    const TImportSummary summary = ImportCalendar(text, Imported, Zone);
    EXPECT_EQ(summary.Text(),
              "Added 0 reminders and 4 notes. 1 repeating all-day item noted on the "
              "first day only.");
    const auto note = [&](int month, int day) {
        return Imported.FindDayPaper(EncodeDate(2026, month, day))->Note;
    };
    using Lines = std::vector<std::string>;
    EXPECT_EQ(note(8, 3), (Lines{"Own line", "Holiday", "Lake, tent", "boat"}));
    EXPECT_EQ(note(8, 5), (Lines{"Holiday", "Lake, tent", "boat"}));
    EXPECT_EQ(Imported.FindDayPaper(EncodeDate(2026, 8, 6)), nullptr);
    EXPECT_EQ(note(8, 10), (Lines{"Fair", "hall 2"}));
    EXPECT_EQ(note(8, 11), (Lines{"Birthday"}));
    EXPECT_EQ(note(8, 12), (Lines{"Taxes"}));

    const int papers = Imported.Count();
    EXPECT_EQ(ImportCalendar(text, Imported, Zone).Text(),
              "Added 0 reminders and 0 notes; skipped 4: 4 already there.");
    EXPECT_EQ(Imported.Count(), papers);
    EXPECT_EQ(note(8, 3).size(), 4u);
}

TEST_F(ICalendar, TheSummaryCountsWhatWasSkippedAndWhy)
{
    const std::string text = Calendar(
        Event("DTSTART:20260310T090000Z\r\nSUMMARY:Kept\r\nCATEGORIES:Calls,Clients\r\n") +
        Event("DTSTART:20260310T090000Z\r\nSUMMARY:Kept\r\n") +  // the same again
        Event("DTSTART:20260310T090000Z\r\nSUMMARY:Also at nine\r\n") +
        Event("DTSTART:20260310T100000Z\r\nSUMMARY:Kept\r\n") +  // an hour later
        Event("DTSTART:20260311T090000Z\r\nSTATUS:CANCELLED\r\nSUMMARY:Off\r\n") +
        Event("DTSTART:20260317T100000Z\r\nRECURRENCE-ID:20260317T090000Z\r\nSUMMARY:Moved\r\n") +
        Event("SUMMARY:No start\r\n") + Event("DTSTART:2026XX\r\nSUMMARY:Bad start\r\n") +
        Event("SUMMARY:No due\r\n", "VTODO") + Event("DTSTART;VALUE=DATE:20260312\r\n") +
        Event("DTSTART:20260312T090000Z\r\nSUMMARY:Diary\r\n", "VJOURNAL"));
    const TImportSummary summary = ImportCalendar(text, Imported, Zone);
    EXPECT_EQ(
        summary.Text(),
        "Added 3 reminders and 0 notes; skipped 8: 1 already there, 1 cancelled, 3 without a "
        "date, 1 without any text, 1 changed occurrences of repeating items, 1 neither events "
        "nor to-dos.");
    ASSERT_EQ(Imported.Count(), 1);
    EXPECT_EQ(Imported.GetDayPaper(0).ReminderList.GetReminder(0).category, "Calls, Clients");
}

// Starts the parser takes as written but that name no moment, or one the conversions cannot
// reach, are undated; an import of what was imported then exports and reads back the same.
TEST_F(ICalendar, StartsOutOfRangeAreUndatedAndTheRestRoundTrips)
{
    const std::string starts[] = {
        "DTSTART:12382664T100000Z", "DTSTART:20261301T100000Z", "DTSTART:20260231T100000",
        "DTSTART:20260101T250000Z", "DTSTART:18000101T090000Z", "DTSTART:18000101T090000",
        "DTSTART;TZID=Europe/Berlin:20260132T090000",
    };
    std::string events;
    for (const std::string& start : starts)
        events += Event(start + "\r\nSUMMARY:Odd\r\n");
    events += Event("DTSTART;VALUE=DATE:18900315\r\nRRULE:FREQ=YEARLY\r\nSUMMARY:Born\r\n");
    events += Event("DTSTART:20260310T090000Z\r\nSUMMARY:Kept\r\n");
    const TImportSummary summary = ImportCalendar(Calendar(events), Imported, Zone);
    EXPECT_EQ(summary.Text(), "Added 1 reminder and 1 note; skipped 7: 7 without a date. 1 "
                              "repeating all-day item noted on the first day only.");

    TDayPaperList again;
    ImportCalendar(ExportCalendar(Imported, {.ZoneName = Zone}), again, Zone);
    ASSERT_EQ(again.Count(), Imported.Count());
}

TEST_F(ICalendar, WhatIsNotICalendarIsRefusedAndChangesNothing)
{
    Imported.AddDayPaper().Note = {"kept"};
    const std::string inputs[] = {
        "",
        "hello world\n",
        "{\"papers\": []}",
        "BEGIN:VEVENT\r\nDTSTART:20260310T090000Z\r\nEND:VEVENT\r\n",
        "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:20260310T090000Z\r\n",
        std::string("BEGIN:VCALENDAR\r\n\0\r\nEND:VCALENDAR\r\n", 34),
        "\x89PNG\r\n\x1a\n",
    };
    for (const std::string& input : inputs) {
        EXPECT_THROW(ImportCalendar(input, Imported, Zone), orvenna::ical::ENotICalendar) << input;
        EXPECT_EQ(Imported.Count(), 1);
    }
    // A byte-order mark and several calendars in one file are fine.
    const std::string two = Calendar(Event("DTSTART:20260310T090000Z\r\nSUMMARY:a\r\n")) +
                            Calendar(Event("DTSTART:20260311T090000Z\r\nSUMMARY:b\r\n"));
    EXPECT_EQ(ImportCalendar("\xEF\xBB\xBF" + two, Imported, Zone).RemindersAdded, 2);
}

// A zone "<name>" whose single observance starts in 1601 and repeats by the rule, from +0300 to
// +0300, and an event at 10:00 in it.
std::string ZoneAndEvent(const std::string& name, const std::string& rule)
{
    return "BEGIN:VTIMEZONE\r\nTZID:" + name + "\r\nBEGIN:STANDARD\r\nDTSTART:16010101T000000\r\n"
           "RRULE:" + rule + "\r\nTZOFFSETFROM:+0300\r\nTZOFFSETTO:+0300\r\nEND:STANDARD\r\n"
           "END:VTIMEZONE\r\n" +
           Event("DTSTART;TZID=" + name + ":20260307T100000\r\nSUMMARY:" + name + "\r\n");
}

TEST_F(ICalendar, HostileCalendarsAreRefusedOrReadWithinBounds)
{
    std::string deep = "BEGIN:VCALENDAR\r\n";
    for (int i = 0; i < 140000; ++i)
        deep += "BEGIN:X-" + std::to_string(i) + "\r\n";
    // The calendar and 31 components inside it: as deep as a file may go.
    std::string deepest;
    for (int i = 0; i < 31; ++i)
        deepest = "BEGIN:X-" + std::to_string(i) + "\r\n" + deepest + "END:X-" + std::to_string(i) + "\r\n";
    std::string yearLong;
    for (int i = 0; i < 300; ++i)
        yearLong += Event("DTSTART;VALUE=DATE:20260101\r\nDTEND;VALUE=DATE:20270101\r\nSUMMARY:n" +
                          std::to_string(i) + "\r\n");
    std::string twentyZones;
    for (int i = 0; i < 20; ++i)
        twentyZones += ZoneAndEvent("Z" + std::to_string(i), "FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU");
    const struct {
        const char* Name;
        std::string Text;
        std::string Outcome;  // the summary, or the refusal's message
        std::string Local;    // the time of the first reminder
    } cases[] = {
        {"140,000 nested components", deep, "components nested more than 32 deep; not read", ""},
        {"nested as deep as allowed",
         Calendar(deepest + Event("DTSTART:20260307T100000\r\nSUMMARY:x\r\n")),
         "Added 1 reminder and 0 notes; skipped 1: 1 neither events nor to-dos.",
         "2026-03-07 10:00"},
        {"a zone changing hourly since 1601", Calendar(ZoneAndEvent("Z", "FREQ=HOURLY")),
         "Added 1 reminder and 0 notes. 1 time in an unknown time zone read as local time.",
         "2026-03-07 10:00"},
        {"a zone changing every second since 1601",
         Calendar(ZoneAndEvent("Z", "FREQ=SECONDLY;BYMONTH=2;BYMONTHDAY=30")),
         "Added 1 reminder and 0 notes. 1 time in an unknown time zone read as local time.",
         "2026-03-07 10:00"},
        {"a zone changing yearly since 1601",
         Calendar(ZoneAndEvent("Z", "FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU")),
         "Added 1 reminder and 0 notes.", "2026-03-07 08:00"},
        {"twenty such zones", Calendar(twentyZones), "Added 20 reminders and 0 notes.",
         "2026-03-07 08:00"},
        {"three hundred year-long all-day items", Calendar(yearLong),
         "Added 0 reminders and 300 notes. 26 all-day items over several days noted on the first "
         "day only: the file has too many lines to copy to every day.",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TDayPaperList notes;
        notes.AddDayPaper().Note = {"kept"};
        try {
            EXPECT_EQ(ImportCalendar(c.Text, notes, Zone).Text(), c.Outcome);
        } catch (const orvenna::ical::ENotICalendar& refused) {
            EXPECT_EQ(refused.what(), c.Outcome);
            EXPECT_EQ(notes.Count(), 1);
        }
        if (!c.Local.empty() && notes.Count() > 1) {
            EXPECT_EQ(Local(notes.GetDayPaper(1).ReminderList.GetReminder(0).When), c.Local);
        }
    }
}

TEST_F(ICalendar, LongLinesReadWholeHoweverTheyAreFolded)
{
    std::string text;
    for (int i = 0; text.size() < 1000000; ++i)
        text += "word" + std::to_string(i) + ' ';
    text += "end";
    const auto folded = [&](const std::string& lineEnd, std::size_t width) {
        std::string lines = "DESCRIPTION:";
        for (std::size_t at = 0; at < text.size(); at += width)
            lines += (at ? lineEnd + " " : std::string()) + text.substr(at, width);
        return lines + lineEnd;
    };
    const struct {
        const char* Name;
        std::string Lines;
    } cases[] = {
        {"one line", folded("\r\n", text.size())},
        {"folded every 75 bytes", folded("\r\n", 75)},
        {"folded with line feeds alone", folded("\n", 60)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TDayPaperList notes;
        ImportCalendar(Calendar(Event("DTSTART:20260307T100000\r\nSUMMARY:x\r\n" + c.Lines)), notes,
                       Zone);
        ASSERT_EQ(notes.Count(), 1);
        const auto& desc = notes.GetDayPaper(0).ReminderList.GetReminder(0).Desc;
        ASSERT_EQ(desc.size(), 1u);
        EXPECT_EQ(desc[0].size(), text.size());
        EXPECT_TRUE(desc[0] == text);
    }
}

TEST_F(ICalendar, AnAllDayItemsLengthCountsItsWholeDays)
{
    const struct {
        const char* Length;
        std::size_t Days;
    } cases[] = {
        {"P3D", 3}, {"P2W", 14}, {"PT48H", 1}, {"P1DT23H", 1}, {"-P3D", 1}, {"P99999999W", 366},
    };
    for (const auto& c : cases) {
        TDayPaperList notes;
        ImportCalendar(Calendar(Event("DTSTART;VALUE=DATE:20260803\r\nDURATION:" +
                                      std::string(c.Length) + "\r\nSUMMARY:Away\r\n")),
                       notes, Zone);
        EXPECT_EQ(static_cast<std::size_t>(notes.Count()), c.Days) << c.Length;
    }
}

TEST_F(ICalendar, ANoteHoldsAnItemOnlyWithAllItsLinesInARow)
{
    const struct {
        std::vector<std::string> Note;  // the day's note before the import
        bool Added;
    } cases[] = {
        {{"Holiday", "Lake"}, false},
        {{"Own line", "Holiday", "Lake", "Own line"}, false},
        {{"Holiday", "Sea", "Holiday", "Lake"}, false},
        {{"Holiday", "Sea"}, true},
        {{"Holiday"}, true},
        {{"Lake", "Holiday"}, true},
        {{"Holiday", "Lake", "Holiday", "Sea"}, false},
        {{"Lake", "Holiday", "Holiday"}, true},
    };
    const std::string text = Calendar(
        Event("DTSTART;VALUE=DATE:20260803\r\nSUMMARY:Holiday\r\nDESCRIPTION:Lake\r\n"));
    for (const auto& c : cases) {
        TDayPaperList notes;
        TDayPaper& paper = notes.AddDayPaper();
        paper.Day = EncodeDate(2026, 8, 3);
        paper.Note = c.Note;
        EXPECT_EQ(ImportCalendar(text, notes, Zone).NotesAdded, c.Added ? 1 : 0) << c.Note.size();
        EXPECT_EQ(notes.Count(), 1);
    }
}

}  // namespace

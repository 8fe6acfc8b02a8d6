// The alert side file and the alerts a catch-up lists.
#include "store/alertstate.h"
#include "store/daypaperlist.h"
#include "tests/support/tempfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace orvenna::store {
namespace {

constexpr double Minute = 1.0 / 1440;
const TDate Day = EncodeDate(2025, 3, 15);

TDateTime At(TDate day, int hour, int minute, int second = 0)
{
    return day + EncodeTime(hour, minute, second, 0);
}

TAlertState FullState()
{
    TAlertState state;
    state.StayUntilDismissed = true;
    state.SnoozeMinutes = 15;
    state.LastCheck = At(Day, 9, 41, 7) + 0.000123;  // not a round number of anything
    state.Snoozes.push_back({At(Day, 23, 59) + 2 * Minute, {At(Day, 23, 59), Day, At(Day, 23, 59), 0, 0, "Call Ann"}});
    state.Snoozes.push_back({At(Day + 1, 8, 0), {At(Day, 7, 50), Day - 30, At(Day - 30, 8, 0), 2, 1,
                                                 "tab\there, back\\slash,\nnew line, caf\xC3\xA9"}});
    return state;
}

TEST(AlertStateFile, RoundTripsBitForBit)
{
    for (const TAlertState& state : {TAlertState{}, FullState()}) {
        TAlertState read;
        read.SnoozeMinutes = 60;
        EXPECT_EQ(AlertStateFromText(AlertStateToText(state), read), "");
        EXPECT_EQ(read, state);
    }
}

TEST(AlertStateFile, DamagedOrUnknownTextIsRefusedWhole)
{
    const std::string good = AlertStateToText(FullState());
    const std::string head = "Orvenna alerts 1\n";
    const struct {
        const char* Case;
        std::string Text;
        const char* Reason;
    } cases[] = {
        {"empty", "", "not an alerts file"},
        {"another file", "TPF0\x0bTCalSetting", "not an alerts file"},
        {"a later version", "Orvenna alerts 2\nEnd\n", "unknown version \"2\""},
        {"cut short", good.substr(0, good.size() - 6), "the file ends early"},
        {"no value", head + "LastCheck\nEnd\n", "line 2 does not read: LastCheck"},
        {"a switch of 2", head + "StayUntilDismissed=2\nEnd\n", "line 2"},
        {"a length not offered", head + "SnoozeMinutes=7\nEnd\n", "line 2"},
        {"a number with a tail", head + "LastCheck=4.5x\nEnd\n", "line 2"},
        {"not a number", head + "LastCheck=nan\nEnd\n", "line 2"},
        {"a snooze short of a field", head + "Snooze=1\t2\t3\t4\t0\t0\nEnd\n", "line 2"},
        {"a snooze with a field too many", head + "Snooze=1\t2\t3\t4\t0\t0\ta\tb\nEnd\n", "line 2"},
        {"a bad escape", head + "Snooze=1\t2\t3\t4\t0\t0\ta\\q\nEnd\n", "line 2"},
        {"a lone backslash", head + "Snooze=1\t2\t3\t4\t0\t0\ta\\\nEnd\n", "line 2"},
    };
    for (const auto& c : cases) {
        TAlertState state = FullState();
        const std::string reason = AlertStateFromText(c.Text, state);
        EXPECT_NE(reason.find(c.Reason), std::string::npos) << c.Case << ": " << reason;
        EXPECT_EQ(state, FullState()) << c.Case;
    }
}

TEST(AlertStateFile, TheProgramsLoadKeepsTheLinesThatReadAndACopyOfADamagedFile)
{
    const std::string good = AlertStateToText(FullState());
    const std::string lastSnooze = good.substr(good.rfind("Snooze="));
    TAlertState firstSnoozeOnly = FullState();
    firstSnoozeOnly.Snoozes.pop_back();
    const struct {
        const char* Case;
        std::string Text;  // none: no file
        const char* Error;
        TAlertState Kept;
    } cases[] = {
        {"whole", good, "", FullState()},
        {"a damaged line among sound ones",
         good.substr(0, good.find("LastCheck")) + "SnoozeMinutes=7\n" + good.substr(good.find("LastCheck")),
         "line 4 does not read: SnoozeMinutes=7", FullState()},
        {"cut within its last snooze", good.substr(0, good.size() - 8), "the file ends early",
         firstSnoozeOnly},
        {"cut after its last snooze", good.substr(0, good.size() - 4), "the file ends early",
         FullState()},
        {"a later version", "Orvenna alerts 2\nSnoozeMinutes=30\nEnd\n", "unknown version \"2\"",
         TAlertState{}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        test::TTempFolder folder;
        const std::string file = folder.File("Alerts.dat");
        test::WriteBytes(file, c.Text);
        TAlertState state;
        const TDamagedLoad damage = LoadAlertStateFile(file, state);
        EXPECT_EQ(damage.Error, c.Error);
        EXPECT_EQ(state, c.Kept);
        if (damage.Damaged()) {
            EXPECT_EQ(damage.Copy.rfind(file + ".damaged-", 0), 0u) << damage.Copy;
            EXPECT_EQ(test::ReadBytes(damage.Copy), c.Text);
        } else {
            EXPECT_EQ(damage.Copy, "");
        }
        EXPECT_EQ(test::ReadBytes(file), c.Text);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}),
                  damage.Damaged() ? 2 : 1);
    }
    test::TTempFolder empty;
    TAlertState state;
    EXPECT_FALSE(LoadAlertStateFile(empty.File("Alerts.dat"), state).Damaged());
    EXPECT_EQ(state, TAlertState{});
}

TEST(AlertStateFile, LaterKeysAndCarriageReturnsAreTolerated)
{
    TAlertState state;
    EXPECT_EQ(AlertStateFromText("Orvenna alerts 1\r\nSoundTwice=1\r\nSnoozeMinutes=30\r\nEnd\r\n", state), "");
    EXPECT_EQ(state.SnoozeMinutes, 30);
}

TEST(AlertStateFile, MissingFileKeepsDefaultsAndSavedFileReadsBack)
{
    test::TTempFolder folder;
    const std::string file = folder.File("Alerts.dat");
    TAlertState state;
    EXPECT_EQ(LoadAlertState(file, state), "");
    EXPECT_EQ(state, TAlertState{});
    SaveAlertState(file, FullState());
    EXPECT_EQ(LoadAlertState(file, state), "");
    EXPECT_EQ(state, FullState());
    // A folder in the file's place cannot be read: the reason, not a crash.
    EXPECT_NE(LoadAlertState(folder.Path().string(), state), "");
}

// A store of one day's reminders, each at a time of that day.
class CatchUp : public ::testing::Test {
protected:
    TDayPaperList Papers{[] { return Day; }};

    TReminder& Add(TDateTime when, const char* subject, int recurrency = rcNone, int before = 0)
    {
        const TDate day = std::floor(when);
        TDayPaper* paper = Papers.FindDayPaper(day);
        if (paper == nullptr) {
            paper = &Papers.AddDayPaper();
            paper->Day = day;
        }
        TReminder& r = paper->ReminderList.AddReminder();
        r.When = when;
        r.Subject = subject;
        r.Recurrency = recurrency;
        r.Before = before;
        return r;
    }
    std::vector<std::string> Missed(TDateTime lastCheck, TDateTime now)
    {
        std::vector<std::string> subjects;
        for (const TAlertItem& alert : MissedAlerts(Papers, lastCheck, now))
            subjects.push_back(alert.Subject);
        return subjects;
    }
};

TEST_F(CatchUp, ThreeHoursOffListsWhatTheRunningCheckWouldHaveShown)
{
    Add(At(Day, 9, 0, 30), "shown before the close");
    Add(At(Day, 9, 1, 0), "shown by the last check, a minute ahead");
    Add(At(Day, 11, 59, 0), "a minute before the start");
    Add(At(Day, 9, 30), "missed");
    Add(At(Day, 10, 45), "missed, ten minutes ahead", rcNone, lt10Minutes);
    Add(At(Day, 11, 0), "seen already").State = 1;
    Add(At(Day, 11, 59, 30), "the running check shows it");
    Add(At(Day, 12, 30), "still to come");
    Add(At(Day - 10, 10, 0), "daily", rcDaily);
    EXPECT_EQ(Missed(At(Day, 9, 0), At(Day, 12, 0)),
              (std::vector<std::string>{"missed", "daily", "missed, ten minutes ahead",
                                        "a minute before the start"}));
    const auto alerts = MissedAlerts(Papers, At(Day, 9, 0), At(Day, 12, 0));
    EXPECT_DOUBLE_EQ(alerts[2].Moment, At(Day, 10, 35));
    EXPECT_DOUBLE_EQ(StartOf(alerts[2]), At(Day, 10, 45));
    EXPECT_EQ(alerts[1].PaperDay, Day - 10);
}

TEST_F(CatchUp, LooksBackSevenDaysAtMost)
{
    Add(At(Day - 20, 8, 0), "daily at eight", rcDaily);
    Add(At(Day - 8, 13, 0), "once, eight days ago");
    Add(At(Day - 6, 13, 0), "once, six days ago");
    // Off for ten days, back at noon: the eight o'clocks of the last six days and today.
    const auto missed = Missed(At(Day - 10, 12, 0), At(Day, 12, 0));
    EXPECT_EQ(std::count(missed.begin(), missed.end(), "daily at eight"), 7);
    EXPECT_EQ(std::count(missed.begin(), missed.end(), "once, six days ago"), 1);
    EXPECT_EQ(std::count(missed.begin(), missed.end(), "once, eight days ago"), 0);
}

TEST_F(CatchUp, AMinuteNextToAChangeOfDateIsNotShownByTheRunningCheck)
{
    Add(At(Day, 23, 59, 50), "just before midnight");
    Add(At(Day + 1, 0, 0, 20), "just after midnight");
    // The running check compares times of day within a minute and never across midnight.
    EXPECT_EQ(Missed(At(Day, 23, 59, 40), At(Day + 1, 0, 1, 30)),
              (std::vector<std::string>{"just after midnight"}));
    EXPECT_TRUE(Missed(At(Day, 23, 59, 40), At(Day + 1, 0, 0, 30)).empty());
    EXPECT_EQ(Missed(At(Day, 23, 58, 0), At(Day + 1, 0, 1, 30)),
              (std::vector<std::string>{"just before midnight", "just after midnight"}));
}

TEST_F(CatchUp, ClockSetBackListsNothing)
{
    Add(At(Day, 9, 30), "half past nine");
    EXPECT_TRUE(Missed(At(Day, 12, 0), At(Day, 9, 0)).empty());
}

TEST(AlertItem, FoundAgainOnlyWhileItsReminderIsUnchanged)
{
    TDayPaperList papers([] { return Day; });
    TDayPaper& paper = papers.AddDayPaper();
    paper.Day = Day - 1;
    TReminder& r = paper.ReminderList.AddReminder();
    r.When = At(Day, 9, 0);
    r.Subject = "Bus";
    const TAlertItem alert{At(Day, 9, 0), 0, r.When, 0, 0, "Bus"};
    EXPECT_EQ(FindPaperOf(papers, alert), &paper);
    r.Subject = "Train";
    EXPECT_EQ(FindPaperOf(papers, alert), nullptr);
}

}  // namespace
}  // namespace orvenna::store

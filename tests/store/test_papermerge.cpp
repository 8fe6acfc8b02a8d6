// Merging an editor's changes into a day paper that changed meanwhile, and taking up a notes
// file another program wrote.
#include "store/daypaperlist.h"
#include "store/papermerge.h"
#include "tests/support/tempfolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orvenna::store {
namespace {

using TLines = std::vector<std::string>;

struct TLinesCase {
    const char* Name;
    TLines Base, Mine, Theirs, Merged;
};

class MergeNoteLinesCases : public ::testing::TestWithParam<TLinesCase> {};

TEST_P(MergeNoteLinesCases, KeepsTheirsAndLaysMineOver)
{
    const TLinesCase& c = GetParam();
    EXPECT_EQ(MergeNoteLines(c.Base, c.Mine, c.Theirs), c.Merged);
}

INSTANTIATE_TEST_SUITE_P(
    Notes, MergeNoteLinesCases,
    ::testing::Values(
        TLinesCase{"NothingElsewhere_MineExactly", {"a", "b"}, {"a", "B", "", ""}, {"a", "b"},
                   {"a", "B", "", ""}},
        TLinesCase{"LineAddedElsewhere_Kept", {"a", "b"}, {"A", "b"}, {"a", "b", "c"},
                   {"A", "b", "c"}},
        TLinesCase{"LineDeletedElsewhere_StaysDeleted", {"a", "b", "c"}, {"a", "b", "C"},
                   {"a", "c"}, {"a", "C"}},
        TLinesCase{"DeletedElsewhereButChangedHere_MineWins", {"a", "b", "c"}, {"a", "B", "c"},
                   {"a", "c"}, {"a", "B", "c"}},
        TLinesCase{"SameLineChangedBoth_BothKept", {"a", "b"}, {"a", "mine"}, {"a", "theirs"},
                   {"a", "mine", "theirs"}},
        TLinesCase{"LineInsertedAbove_EditFollowsIt", {"a", "b"}, {"a", "B"}, {"new", "a", "b"},
                   {"new", "a", "B"}},
        TLinesCase{"TypedPastTheEnd_AfterTheirsWithoutTrailingBlanks", {"a"},
                   {"a", "typed", "", ""}, {"a", "tool"}, {"a", "tool", "typed"}},
        TLinesCase{"EmptyPaperBothAdd", {}, {"mine", "", ""}, {"tool"}, {"tool", "mine"}},
        TLinesCase{"LineClearedHere_ClearedInPlace", {"a", "b", "c"}, {"a", "", "c"},
                   {"a", "b", "c", "d"}, {"a", "", "c", "d"}}),
    [](const ::testing::TestParamInfo<TLinesCase>& c) { return c.param.Name; });

TReminder& Add(TReminderList& list, double when, const char* subject)
{
    TReminder& r = list.AddReminder();
    r.When = when;
    r.Subject = subject;
    return r;
}

std::vector<std::string> Subjects(const TReminderList& list)
{
    std::vector<std::string> subjects;
    for (int i = 0; i < list.ReminderCount(); ++i)
        subjects.push_back(list.GetReminder(i).Subject);
    return subjects;
}

// One editor's reminders against the store's. Mine is index-aligned with Base: the same subject
// is a row left alone, "-" a row removed, any other subject a row changed to it; entries past
// the end of Base are rows added ("-": added and removed again). Every reminder is at one time.
struct TRemindersCase {
    const char* Name;
    TLines Base, Mine, Theirs, Merged;
};

class MergeRemindersCases : public ::testing::TestWithParam<TRemindersCase> {};

TEST_P(MergeRemindersCases, KeepsTheirsAndLaysMineOver)
{
    const TRemindersCase& c = GetParam();
    TReminderList base, mine, theirs;
    for (const std::string& subject : c.Base)
        Add(base, 1.5, subject.c_str());
    for (const std::string& subject : c.Theirs)
        Add(theirs, 1.5, subject.c_str());
    std::vector<TReminderChange> changes;
    for (std::size_t i = 0; i < c.Mine.size(); ++i) {
        const TReminder* before = i < c.Base.size() ? &base.GetReminder(static_cast<int>(i)) : nullptr;
        const TReminder* after = c.Mine[i] == "-" ? nullptr : &Add(mine, 1.5, c.Mine[i].c_str());
        changes.push_back({before, after});
    }
    MergeReminders(changes, theirs);
    EXPECT_EQ(Subjects(theirs), c.Merged);
}

INSTANTIATE_TEST_SUITE_P(
    Reminders, MergeRemindersCases,
    ::testing::Values(
        TRemindersCase{"ChangesFindTheirReminderWhereverTheirsHoldsIt",
                       {"kept", "removed here", "changed here", "changed both"},
                       {"kept", "-", "CHANGED HERE", "CHANGED HERE TOO", "new here", "-"},
                       {"added elsewhere", "kept", "changed here", "removed here", "changed elsewhere"},
                       {"added elsewhere", "kept", "CHANGED HERE", "changed elsewhere",
                        "CHANGED HERE TOO", "new here"}},
        TRemindersCase{"TwoOfThreeRemoved_TheThirdIsLeft", {"a", "b", "c"}, {"-", "-", "c"},
                       {"a", "b", "c"}, {"c"}},
        TRemindersCase{"UntouchedHereDeletedElsewhere_StaysDeleted", {"a", "b"}, {"a", "b"},
                       {"b"}, {"b"}},
        TRemindersCase{"RemovedElsewhereAndHere_GoneOnce", {"twin", "twin"}, {"-", "-"},
                       {"twin"}, {}}),
    [](const ::testing::TestParamInfo<TRemindersCase>& c) { return c.param.Name; });

// ---- taking up a file written elsewhere ---------------------------------------------------------

std::string FileOf(std::initializer_list<const char*> notes)
{
    TDayPaperList papers([] { return 40000.0; });
    double day = 40000;
    for (const char* note : notes) {
        TDayPaper& paper = papers.AddDayPaper();
        paper.Day = day++;
        paper.Note = {note};
        Add(paper.ReminderList, paper.Day + 0.5, note);
    }
    return papers.SaveToBytes();
}

TEST(ReloadFromBytes, WholeBytesReplaceThePapersAndTheTodayList)
{
    TDayPaperList papers([] { return 40001.0; });
    papers.LoadFromBytes(FileOf({"old"}));
    EXPECT_EQ(papers.TodayList().ReminderCount(), 0);
    EXPECT_EQ(papers.ReloadFromBytes(FileOf({"first", "second"}), "/nowhere/2004.cal"), "");
    ASSERT_EQ(papers.Count(), 2);
    EXPECT_EQ(papers.GetDayPaper(1).Note, TLines{"second"});
    EXPECT_EQ(Subjects(papers.TodayList()), TLines{"second"});
}

TEST(ReloadFromBytes, WhatTheAlertCheckTookStaysTakenThatDay)
{
    double today = 40000;
    TDayPaperList papers([&today] { return today; });
    papers.LoadFromBytes(FileOf({"alerted", "waiting"}));
    ASSERT_EQ(Subjects(papers.TodayList()), (TLines{"alerted"}));
    // The check alerts and removes the day's entry, then another program adds a reminder.
    papers.TodayList().DeleteReminder(0);
    const std::string written = FileOf({"alerted", "waiting", "added"});
    EXPECT_EQ(papers.ReloadFromBytes(written, "/nowhere/2004.cal"), "");
    EXPECT_EQ(Subjects(papers.TodayList()), TLines{});
    // A list built for another day than today's takes nothing out.
    today = 40002;
    EXPECT_EQ(papers.ReloadFromBytes(written, "/nowhere/2004.cal"), "");
    EXPECT_EQ(Subjects(papers.TodayList()), TLines{"added"});
}

TEST(ReloadFromBytes, DamagedBytesKeepThePapersAndACopyBeforeTheNextSave)
{
    test::TTempFolder folder;
    const std::string file = folder.File("2004.cal");
    TDayPaperList papers([] { return 40000.0; });
    papers.LoadFromBytes(FileOf({"mine"}));
    papers.SaveToFile(file);
    std::string damaged = FileOf({"theirs", "cut"});
    damaged.resize(damaged.size() - 5);
    EXPECT_NE(papers.ReloadFromBytes(damaged, file), "");
    ASSERT_EQ(papers.Count(), 1);
    EXPECT_EQ(papers.GetDayPaper(0).Note, TLines{"mine"});
    EXPECT_EQ(Subjects(papers.TodayList()), TLines{"mine"});

    test::WriteBytes(file, damaged);
    papers.SaveToFile(file);
    ASSERT_FALSE(papers.DamagedCopy().empty());
    EXPECT_EQ(test::ReadBytes(papers.DamagedCopy()), damaged);
}


// ---- a program's store laid over a file another program wrote --------------------------------

// A paper as "day: note lines | reminder subjects".
struct TPaperText {
    int Day;
    TLines Note;
    TLines Reminders;
};
using TStoreText = std::vector<TPaperText>;

void Fill(TDayPaperList& list, const TStoreText& papers)
{
    for (const TPaperText& given : papers) {
        TDayPaper& paper = list.AddDayPaper();
        paper.Day = given.Day;
        paper.Note = given.Note;
        for (const std::string& subject : given.Reminders)
            Add(paper.ReminderList, given.Day + 0.5, subject.c_str());
    }
}

std::vector<std::string> TextOf(TDayPaperList& list)
{
    std::vector<std::string> text;
    for (int i = 0; i < list.Count(); ++i) {
        const TDayPaper& paper = list.GetDayPaper(i);
        std::string line = std::to_string(static_cast<int>(paper.Day)) + ":";
        for (const std::string& note : paper.Note)
            line += " " + note;
        line += " |";
        for (const std::string& subject : Subjects(paper.ReminderList))
            line += " " + subject;
        text.push_back(line);
    }
    return text;
}

struct TDaysCase {
    const char* Name;
    TStoreText Base, Mine, Theirs;
    std::vector<std::string> Merged;
    bool TheirsWhole = true;
};

class MergeChangedDaysCases : public ::testing::TestWithParam<TDaysCase> {};

TEST_P(MergeChangedDaysCases, TheirsKeptMineLaidOver)
{
    const TDaysCase& c = GetParam();
    TDayPaperList base, mine, theirs;
    Fill(base, c.Base);
    Fill(mine, c.Mine);
    Fill(theirs, c.Theirs);
    MergeChangedDays(base, mine, theirs, c.TheirsWhole);
    EXPECT_EQ(TextOf(theirs), c.Merged);
}

INSTANTIATE_TEST_SUITE_P(
    Days, MergeChangedDaysCases,
    ::testing::Values(
        TDaysCase{"DayChangedHere_OtherDayAddedThereKept",
                  {{1, {"a"}, {}}}, {{1, {"A"}, {}}}, {{1, {"a"}, {}}, {2, {"tool"}, {}}},
                  {"1: A |", "2: tool |"}},
        TDaysCase{"DayUntouchedHere_TheirsStands",
                  {{1, {"a"}, {"r"}}}, {{1, {"a"}, {"r"}}}, {{1, {"b"}, {}}}, {"1: b |"}},
        TDaysCase{"LineDeletedHere_LineAddedThere",
                  {{1, {"a", "b"}, {}}}, {{1, {"a"}, {}}}, {{1, {"a", "b", "c"}, {}}},
                  {"1: a c |"}},
        TDaysCase{"LineInsertedHere_LineChangedThere",
                  {{1, {"a", "b"}, {}}}, {{1, {"new", "a", "b"}, {}}}, {{1, {"a", "B"}, {}}},
                  {"1: new a B |"}},
        TDaysCase{"RemindersAddedAndRemovedBothSides",
                  {{1, {}, {"x", "y"}}}, {{1, {}, {"y", "mine"}}}, {{1, {}, {"x", "y", "theirs"}}},
                  {"1: | y theirs mine"}},
        TDaysCase{"NewPaperHere_AddedAfterTheirs",
                  {}, {{3, {"x"}, {}}}, {{2, {"tool"}, {}}}, {"2: tool |", "3: x |"}},
        TDaysCase{"EmptyPaperOpenedHere_LeftOut", {}, {{3, {"", ""}, {}}}, {}, {}},
        TDaysCase{"EmptyPaperOpenedHere_TheirsOfTheDayAsItIs",
                  {}, {{3, {"", ""}, {}}}, {{3, {"tool"}, {}}}, {"3: tool |"}},
        TDaysCase{"PaperGoneThere_MineStandsAlone",
                  {{1, {"a"}, {}}}, {{1, {"a", "b"}, {}}}, {}, {"1: b |"}},
        TDaysCase{"SecondPaperOfADay_MergedWithTheSecond",
                  {{1, {"one"}, {}}, {1, {"two"}, {}}}, {{1, {"one"}, {}}, {1, {"TWO"}, {}}},
                  {{1, {"one", "tool"}, {}}, {1, {"two"}, {}}}, {"1: one tool |", "1: TWO |"}},
        TDaysCase{"TheirsCutShort_PapersItLacksStayAsMineHoldsThem",
                  {{1, {"a"}, {}}, {2, {"b"}, {}}}, {{1, {"A"}, {}}, {2, {"b"}, {}}},
                  {{3, {"tool"}, {}}}, {"3: tool |", "1: A |", "2: b |"}, false}),
    [](const ::testing::TestParamInfo<TDaysCase>& c) { return c.param.Name; });

}  // namespace
}  // namespace orvenna::store

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

TEST(MergeReminders, ChangesFindTheirReminderWhereverTheirsHoldsIt)
{
    TReminderList base;
    Add(base, 1.25, "kept");
    Add(base, 1.5, "removed here");
    Add(base, 1.75, "changed here");
    Add(base, 1.8, "changed both");
    TReminderList theirs;
    Add(theirs, 1.1, "added elsewhere");
    Add(theirs, 1.25, "kept");
    Add(theirs, 1.75, "changed here");
    Add(theirs, 1.5, "removed here");
    Add(theirs, 1.8, "changed elsewhere");
    TReminderList mine;
    Add(mine, 1.25, "kept");
    Add(mine, 1.75, "CHANGED HERE");
    Add(mine, 1.8, "CHANGED HERE TOO");
    Add(mine, 1.9, "new here");
    MergeReminders({{&base.GetReminder(0), &mine.GetReminder(0)},
                    {&base.GetReminder(1), nullptr},
                    {&base.GetReminder(2), &mine.GetReminder(1)},
                    {&base.GetReminder(3), &mine.GetReminder(2)},
                    {nullptr, &mine.GetReminder(3)},
                    {nullptr, nullptr}},
                   theirs);
    EXPECT_EQ(Subjects(theirs), (std::vector<std::string>{"added elsewhere", "kept", "CHANGED HERE",
                                                          "changed elsewhere", "CHANGED HERE TOO",
                                                          "new here"}));
}

TEST(MergeReminders, RemovedElsewhereAndHereIsGoneOnce)
{
    TReminderList base;
    Add(base, 1.25, "twin");
    Add(base, 1.25, "twin");
    TReminderList theirs;
    Add(theirs, 1.25, "twin");
    // Both rows removed here; theirs held only one of the two.
    MergeReminders({{&base.GetReminder(0), nullptr}, {&base.GetReminder(1), nullptr}}, theirs);
    EXPECT_EQ(theirs.ReminderCount(), 0);
}

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

}  // namespace
}  // namespace orvenna::store

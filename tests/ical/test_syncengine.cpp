// The sync engine's decisions against a calendar in memory: the notes file and the side file are
// real files of a temporary folder, the local zone is fixed.

#include "ical/syncengine.h"
#include "ical/syncstate.h"
#include "store/daypaperlist.h"
#include "tests/ical/memoryserver.h"
#include "tests/support/scopedzone.h"
#include "tests/support/tempfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>

namespace {

using namespace orvenna;
using ical::SyncNotes;
using ical::TCalendarItem;
using ical::TSyncCounts;
using ical::TSyncFailure;
using ical::TSyncOptions;
using ical::TSyncResult;
using store::TDayPaperList;
using test::TMemoryServer;
using test::TScopedZone;
using test::TTempFolder;

using TItems = std::vector<std::string>;

const std::string Zone = "Europe/Berlin";

// "R 3 09:00 Subject": a reminder on 3 March 2026 at 09:00; "N 3 a|b": a note on 3 March with the
// lines a and b.
TCalendarItem ItemOf(const std::string& text)
{
    int day = 0, hour = 0, minute = 0, used = 0;
    TCalendarItem item;
    if (text[0] == 'R') {
        std::sscanf(text.c_str(), "R %d %d:%d %n", &day, &hour, &minute, &used);
        item.When = store::EncodeDateTime(2026, 3, day, hour, minute);
        item.Subject = text.substr(used);
        return item;
    }
    std::sscanf(text.c_str(), "N %d %n", &day, &used);
    item.IsNote = true;
    item.Day = store::EncodeDate(2026, 3, day);
    std::string rest = text.substr(used);
    for (std::size_t bar; (bar = rest.find('|')) != std::string::npos; rest.erase(0, bar + 1))
        item.Lines.push_back(rest.substr(0, bar));
    item.Lines.push_back(rest);
    return item;
}

std::string TextOf(const TCalendarItem& item)
{
    const auto date = store::DecodeDate(item.IsNote ? item.Day : item.When);
    std::string text;
    if (!item.IsNote) {
        const auto time = store::DecodeTime(item.When);
        char head[32];
        std::snprintf(head, sizeof head, "R %d %02d:%02d ", date->Day, time->Hour, time->Minute);
        return head + item.Subject;
    }
    text = "N " + std::to_string(date->Day) + " ";
    for (std::size_t i = 0; i < item.Lines.size(); ++i)
        text += (i ? "|" : "") + item.Lines[i];
    return text;
}

class SyncEngine : public testing::Test {
public:
    void SetLocal(const TItems& items)
    {
        TDayPaperList notes;
        for (const std::string& text : items)
            AddTo(notes, ItemOf(text));
        notes.SaveToFile(NotesFile);
    }

    static void AddTo(TDayPaperList& notes, const TCalendarItem& item)
    {
        const store::TDate day = item.IsNote ? item.Day : store::DateOf(item.When);
        store::TDayPaper* paper = notes.FindDayPaper(day);
        if (paper == nullptr) {
            paper = &notes.AddDayPaper();
            paper->Day = day;
        }
        if (item.IsNote) {
            paper->Note.insert(paper->Note.end(), item.Lines.begin(), item.Lines.end());
            return;
        }
        store::TReminder& reminder = paper->ReminderList.AddReminder();
        reminder.When = item.When;
        reminder.Subject = item.Subject;
    }

    // The notes as sorted texts: each reminder, each day's whole note.
    TItems Local()
    {
        TDayPaperList notes;
        notes.LoadFromFile(NotesFile);
        TItems found;
        for (int i = 0; i < notes.Count(); ++i) {
            const store::TDayPaper& paper = notes.GetDayPaper(i);
            if (!paper.Note.empty())
                found.push_back(TextOf(ical::NoteItem(paper.Day, paper.Note)));
            for (int r = 0; r < paper.ReminderList.ReminderCount(); ++r)
                found.push_back(TextOf(ical::ReminderItem(paper.ReminderList.GetReminder(r))));
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    // Changes the notes file with a function of the store.
    void EditLocal(const std::function<void(TDayPaperList&)>& edit)
    {
        TDayPaperList notes;
        notes.LoadFromFile(NotesFile);
        edit(notes);
        notes.SaveToFile(NotesFile);
    }

    std::string AddServer(const std::string& text)
    {
        TCalendarItem item = ItemOf(text);
        item.Uid = "s" + std::to_string(++ServerItems) + "@other";
        const std::string href = "/cal/s" + std::to_string(ServerItems) + ".ics";
        Server.Store(href, ical::ExportItems({item}, {.ZoneName = Zone}));
        return href;
    }

    // Every item on the server as sorted texts.
    TItems Remote()
    {
        TItems found;
        for (const auto& [href, stored] : Server.Resources) {
            ical::TImportSummary ignored;
            for (const auto& item : ical::ReadCalendarItems(stored.Data, ignored, Zone))
                found.push_back(TextOf(item));
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    // The resource holding the item of that text.
    std::string HrefOf(const std::string& text)
    {
        for (const auto& [href, stored] : Server.Resources) {
            ical::TImportSummary ignored;
            for (const auto& item : ical::ReadCalendarItems(stored.Data, ignored, Zone))
                if (TextOf(item) == text)
                    return href;
        }
        ADD_FAILURE() << "not on the server: " << text;
        return {};
    }

    void ChangeServer(const std::string& from, const std::string& to)
    {
        const std::string href = HrefOf(from);
        ical::TImportSummary ignored;
        TCalendarItem item = ItemOf(to);
        item.Uid = ical::ReadCalendarItems(Server.Resources[href].Data, ignored, Zone)[0].Uid;
        Server.Store(href, ical::ExportItems({item}, {.ZoneName = Zone}));
    }

    // Both sides as given, never synced.
    void BeforeFirstSync(const TItems& local, const TItems& server)
    {
        Server = TMemoryServer();
        std::filesystem::remove(ical::SyncStateFileFor(NotesFile));
        SetLocal(local);
        for (const std::string& text : server)
            AddServer(text);
    }

    TSyncResult Sync(bool force = false)
    {
        Options.ForceDelete = force;
        return SyncNotes(Server, Options);
    }

    TScopedZone Scope{Zone};
    TTempFolder Folder;
    std::string NotesFile = Folder.File("2004.cal");
    TMemoryServer Server;
    TSyncOptions Options{.NotesFile = NotesFile, .ZoneName = Zone};
    int ServerItems = 0;
};

TEST_F(SyncEngine, AFirstSyncMakesTheUnionAndTakesEqualItemsAsOne)
{
    const struct {
        const char* Name;
        TItems Local, Server, LocalAfter, ServerAfter;
        TSyncCounts Sent, Received;
    } cases[] = {
        {"both ways", {"R 3 09:00 Dentist"}, {"R 4 10:00 Call"},
         {"R 3 09:00 Dentist", "R 4 10:00 Call"}, {"R 3 09:00 Dentist", "R 4 10:00 Call"},
         {1, 0, 0}, {1, 0, 0}},
        {"same date, time and subject", {"R 3 09:00 Dentist", "N 5 Trip"},
         {"R 3 09:00 Dentist", "N 5 Trip"}, {"N 5 Trip", "R 3 09:00 Dentist"},
         {"N 5 Trip", "R 3 09:00 Dentist"}, {}, {}},
        {"same subject at another time", {"R 3 09:00 Dentist"}, {"R 3 09:30 Dentist"},
         {"R 3 09:00 Dentist", "R 3 09:30 Dentist"}, {"R 3 09:00 Dentist", "R 3 09:30 Dentist"},
         {1, 0, 0}, {1, 0, 0}},
        {"same time, another subject", {"R 3 09:00 Dentist"}, {"R 3 09:00 Doctor"},
         {"R 3 09:00 Dentist", "R 3 09:00 Doctor"}, {"R 3 09:00 Dentist", "R 3 09:00 Doctor"},
         {1, 0, 0}, {1, 0, 0}},
        {"a note under the same first line", {"N 5 Trip|pack"}, {"N 5 Trip"}, {"N 5 Trip|pack"},
         {"N 5 Trip"}, {}, {}},
        {"the server's lines inside a longer note", {"N 5 Mine|Holiday"}, {"N 5 Holiday"},
         {"N 5 Mine|Holiday"}, {"N 5 Holiday", "N 5 Mine"}, {1, 0, 0}, {}},
        {"a day's note and an all-day event of that day", {"N 5 Mine"}, {"N 5 Holiday"},
         {"N 5 Mine|Holiday"}, {"N 5 Holiday", "N 5 Mine"}, {1, 0, 0}, {1, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        BeforeFirstSync(c.Local, c.Server);
        const TSyncResult result = Sync();
        ASSERT_TRUE(result.Done()) << result.Error;
        EXPECT_EQ(result.Sent, c.Sent);
        EXPECT_EQ(result.Received, c.Received);
        EXPECT_EQ(Remote(), c.ServerAfter);
        EXPECT_EQ(Local(), c.LocalAfter);
        const TSyncResult again = Sync();
        EXPECT_EQ(again.Sent, TSyncCounts{});
        EXPECT_EQ(again.Received, TSyncCounts{});
        EXPECT_EQ(Remote(), c.ServerAfter);
        EXPECT_EQ(Local(), c.LocalAfter);
    }
}

// After a first sync of {"R 3 09:00 Dentist", "R 4 10:00 Call", "N 5 Trip|pack"}, each side
// changes; the next sync brings both sides to the same items.
TEST_F(SyncEngine, ALaterSyncCarriesChangesAndDeletionsAndKeepsBothVersionsOfAConflict)
{
    using TLocalEdit = std::function<void(TDayPaperList&)>;
    const auto reminder = [](TDayPaperList& notes, int day) -> store::TReminder& {
        return notes.FindDayPaper(store::EncodeDate(2026, 3, day))->ReminderList.GetReminder(0);
    };
    const auto dropReminder = [](int day) {
        return [day](TDayPaperList& notes) {
            notes.FindDayPaper(store::EncodeDate(2026, 3, day))->ReminderList.DeleteReminder(0);
        };
    };
    const auto rename = [reminder](int day, std::string subject) {
        return [=](TDayPaperList& notes) { reminder(notes, day).Subject = subject; };
    };
    const auto setNote = [](std::vector<std::string> lines) {
        return [=](TDayPaperList& notes) {
            notes.FindDayPaper(store::EncodeDate(2026, 3, 5))->Note = lines;
        };
    };
    const struct {
        const char* Name;
        TLocalEdit Local;
        std::function<void(SyncEngine&)> Server;
        TItems Local2, Server2;
        TSyncCounts Sent, Received;
        int Conflicts;
    } cases[] = {
        {"a reminder changed here", rename(3, "Dentist!"), nullptr,
         {"N 5 Trip|pack", "R 3 09:00 Dentist!", "R 4 10:00 Call"},
         {"N 5 Trip|pack", "R 3 09:00 Dentist!", "R 4 10:00 Call"}, {0, 1, 0}, {}, 0},
        {"a reminder deleted here", dropReminder(3), nullptr, {"N 5 Trip|pack", "R 4 10:00 Call"},
         {"N 5 Trip|pack", "R 4 10:00 Call"}, {0, 0, 1}, {}, 0},
        {"a note line changed here", setNote({"Trip", "pack bags"}), nullptr,
         {"N 5 Trip|pack bags", "R 3 09:00 Dentist", "R 4 10:00 Call"},
         {"N 5 Trip|pack bags", "R 3 09:00 Dentist", "R 4 10:00 Call"}, {0, 1, 0}, {}, 0},
        {"a note emptied here", setNote({}), nullptr, {"R 3 09:00 Dentist", "R 4 10:00 Call"},
         {"R 3 09:00 Dentist", "R 4 10:00 Call"}, {0, 0, 1}, {}, 0},
        {"a reminder changed there", nullptr,
         [](SyncEngine& t) { t.ChangeServer("R 4 10:00 Call", "R 4 11:00 Call"); },
         {"N 5 Trip|pack", "R 3 09:00 Dentist", "R 4 11:00 Call"},
         {"N 5 Trip|pack", "R 3 09:00 Dentist", "R 4 11:00 Call"}, {}, {0, 1, 0}, 0},
        {"a reminder moved to another day there", nullptr,
         [](SyncEngine& t) { t.ChangeServer("R 4 10:00 Call", "R 6 10:00 Call"); },
         {"N 5 Trip|pack", "R 3 09:00 Dentist", "R 6 10:00 Call"},
         {"N 5 Trip|pack", "R 3 09:00 Dentist", "R 6 10:00 Call"}, {}, {0, 1, 0}, 0},
        {"a note changed there", nullptr,
         [](SyncEngine& t) { t.ChangeServer("N 5 Trip|pack", "N 5 Trip|pack|tickets"); },
         {"N 5 Trip|pack|tickets", "R 3 09:00 Dentist", "R 4 10:00 Call"},
         {"N 5 Trip|pack|tickets", "R 3 09:00 Dentist", "R 4 10:00 Call"}, {}, {0, 1, 0}, 0},
        {"a reminder deleted there", nullptr,
         [](SyncEngine& t) { t.Server.Remove(t.HrefOf("R 3 09:00 Dentist")); },
         {"N 5 Trip|pack", "R 4 10:00 Call"}, {"N 5 Trip|pack", "R 4 10:00 Call"}, {},
         {0, 0, 1}, 0},
        {"added on both sides", [](TDayPaperList& n) { SyncEngine::AddTo(n, ItemOf("R 7 08:00 Gym")); },
         [](SyncEngine& t) { t.AddServer("R 8 08:00 Run"); },
         {"N 5 Trip|pack", "R 3 09:00 Dentist", "R 4 10:00 Call", "R 7 08:00 Gym",
          "R 8 08:00 Run"},
         {"N 5 Trip|pack", "R 3 09:00 Dentist", "R 4 10:00 Call", "R 7 08:00 Gym",
          "R 8 08:00 Run"},
         {1, 0, 0}, {1, 0, 0}, 0},
        {"deleted here, changed there: the change stays", dropReminder(3),
         [](SyncEngine& t) { t.ChangeServer("R 3 09:00 Dentist", "R 3 09:00 Dentist at 9"); },
         {"N 5 Trip|pack", "R 3 09:00 Dentist at 9", "R 4 10:00 Call"},
         {"N 5 Trip|pack", "R 3 09:00 Dentist at 9", "R 4 10:00 Call"}, {}, {1, 0, 0}, 0},
        {"changed here, deleted there: the change stays", rename(3, "Dentist at 9"),
         [](SyncEngine& t) { t.Server.Remove(t.HrefOf("R 3 09:00 Dentist")); },
         {"N 5 Trip|pack", "R 3 09:00 Dentist at 9", "R 4 10:00 Call"},
         {"N 5 Trip|pack", "R 3 09:00 Dentist at 9", "R 4 10:00 Call"}, {1, 0, 0}, {}, 0},
        {"changed differently on both sides: both kept", rename(3, "Dentist here"),
         [](SyncEngine& t) { t.ChangeServer("R 3 09:00 Dentist", "R 3 09:00 Dentist there"); },
         {"N 5 Trip|pack", "R 3 09:00 Dentist here", "R 3 09:00 Dentist there",
          "R 4 10:00 Call"},
         {"N 5 Trip|pack", "R 3 09:00 Dentist here", "R 3 09:00 Dentist there",
          "R 4 10:00 Call"},
         {1, 0, 0}, {1, 0, 0}, 1},
        {"changed alike on both sides", rename(3, "Dentist!"),
         [](SyncEngine& t) { t.ChangeServer("R 3 09:00 Dentist", "R 3 09:00 Dentist!"); },
         {"N 5 Trip|pack", "R 3 09:00 Dentist!", "R 4 10:00 Call"},
         {"N 5 Trip|pack", "R 3 09:00 Dentist!", "R 4 10:00 Call"}, {}, {}, 0},
        {"deleted on both sides", dropReminder(3),
         [](SyncEngine& t) { t.Server.Remove(t.HrefOf("R 3 09:00 Dentist")); },
         {"N 5 Trip|pack", "R 4 10:00 Call"}, {"N 5 Trip|pack", "R 4 10:00 Call"}, {}, {}, 0},
    };
    for (const bool syncCollection : {true, false})
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.Name) + (syncCollection ? "" : ", ctag and etags"));
            Server = TMemoryServer();
            Server.SyncCollection = syncCollection;
            std::filesystem::remove(ical::SyncStateFileFor(NotesFile));
            SetLocal({"R 3 09:00 Dentist", "R 4 10:00 Call", "N 5 Trip|pack"});
            ASSERT_TRUE(Sync().Done());
            if (c.Local)
                EditLocal(c.Local);
            if (c.Server)
                c.Server(*this);
            const TSyncResult result = Sync();
            ASSERT_TRUE(result.Done()) << result.Error;
            EXPECT_EQ(Local(), c.Local2);
            EXPECT_EQ(Remote(), c.Server2);
            EXPECT_EQ(result.Sent, c.Sent);
            EXPECT_EQ(result.Received, c.Received);
            EXPECT_EQ(result.Conflicts, c.Conflicts);
            // Settled: a third sync finds nothing to do.
            const TSyncResult third = Sync();
            EXPECT_EQ(third.Sent, TSyncCounts{});
            EXPECT_EQ(third.Received, TSyncCounts{});
            EXPECT_EQ(Local(), c.Local2);
            EXPECT_EQ(Remote(), c.Server2);
        }
}

TEST_F(SyncEngine, AnUnchangedSyncCostsOneRequest)
{
    SetLocal({"R 3 09:00 Dentist", "N 5 Trip"});
    AddServer("R 4 10:00 Call");
    ASSERT_TRUE(Sync().Done());
    ASSERT_TRUE(Sync().Done());  // sees its own writes once
    Server.Requests = 0;
    ASSERT_TRUE(Sync().Done());
    EXPECT_LE(Server.Requests, 1);
    Server.SyncCollection = false;
    Server.Requests = 0;
    ASSERT_TRUE(Sync().Done());
    EXPECT_LE(Server.Requests, 3);
}

TEST_F(SyncEngine, WhenOneSideIsEmptyNothingIsDeletedUnlessForced)
{
    const struct {
        const char* Name;
        bool EmptyHere;
        bool Force;
        TItems Local, Server;
    } cases[] = {
        {"notes emptied", true, false, {}, {"R 3 09:00 Dentist", "R 4 10:00 Call"}},
        {"notes emptied, forced", true, true, {}, {}},
        {"calendar emptied", false, false, {"R 3 09:00 Dentist", "R 4 10:00 Call"}, {}},
        {"calendar emptied, forced", false, true, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Server = TMemoryServer();
        std::filesystem::remove(ical::SyncStateFileFor(NotesFile));
        SetLocal({"R 3 09:00 Dentist", "R 4 10:00 Call"});
        ASSERT_TRUE(Sync().Done());
        if (c.EmptyHere)
            SetLocal({});
        else
            for (const auto& [href, stored] : std::map(Server.Resources))
                Server.Remove(href);
        const std::string notesBefore = test::ReadBytes(NotesFile);
        const TSyncResult result = Sync(c.Force);
        EXPECT_EQ(result.Failure, c.Force ? TSyncFailure::None : TSyncFailure::Guard);
        if (!c.Force) {
            EXPECT_NE(result.Error.find("--force-delete"), std::string::npos) << result.Error;
            EXPECT_EQ(test::ReadBytes(NotesFile), notesBefore);
        }
        EXPECT_EQ(Local(), c.Local);
        EXPECT_EQ(Remote(), c.Server);
    }
}

TEST_F(SyncEngine, AServerThatChangesMeanwhileOrHoldsTheUidElsewhereLosesNothing)
{
    // 412: another client changes the resource just before the write.
    SetLocal({"R 3 09:00 Dentist"});
    ASSERT_TRUE(Sync().Done());
    EditLocal([](TDayPaperList& n) {
        n.FindDayPaper(store::EncodeDate(2026, 3, 3))->ReminderList.GetReminder(0).Subject = "Mine";
    });
    bool changed = false;
    Server.BeforeWrite = [&](const std::string& href) {
        if (!std::exchange(changed, true))
            ChangeServer(TextOf(ical::ReadCalendarItems(Server.Resources[href].Data,
                                                        *std::make_unique<ical::TImportSummary>(),
                                                        Zone)[0]),
                         "R 3 09:00 Theirs");
    };
    TSyncResult result = Sync();
    ASSERT_TRUE(result.Done()) << result.Error;
    EXPECT_EQ(result.Conflicts, 1);
    EXPECT_EQ(Local(), (TItems{"R 3 09:00 Mine", "R 3 09:00 Theirs"}));
    EXPECT_EQ(Remote(), (TItems{"R 3 09:00 Mine", "R 3 09:00 Theirs"}));

    // 409: the UID the new note would get is another resource's.
    Server.BeforeWrite = nullptr;
    TCalendarItem other = ItemOf("N 9 Theirs");
    other.Uid = ical::ExportUid(ItemOf("N 9 Mine"));
    Server.Store("/cal/elsewhere.ics", ical::ExportItems({other}, {.ZoneName = Zone}));
    EditLocal([](TDayPaperList& n) { SyncEngine::AddTo(n, ItemOf("N 9 Mine")); });
    result = Sync();
    ASSERT_TRUE(result.Done()) << result.Error;
    EXPECT_EQ(Remote(),
              (TItems{"N 9 Mine", "N 9 Theirs", "R 3 09:00 Mine", "R 3 09:00 Theirs"}));
    EXPECT_EQ(Local(), (TItems{"N 9 Mine|Theirs", "R 3 09:00 Mine", "R 3 09:00 Theirs"}));
    EXPECT_EQ(Sync().Sent, TSyncCounts{});
}

TEST_F(SyncEngine, ASyncCutShortOrUnsavedMakesNoDuplicatesNextTime)
{
    const struct {
        const char* Name;
        std::function<void(SyncEngine&)> Cut;
    } cases[] = {
        {"cancelled after two writes",
         [](SyncEngine& t) {
             t.Options.Cancelled = [&t] { return t.Server.Writes >= 2; };
             EXPECT_EQ(t.Sync().Failure, TSyncFailure::Cancelled);
             t.Options.Cancelled = nullptr;
         }},
        {"side file lost after the notes were saved",
         [](SyncEngine& t) {
             const std::string state = ical::SyncStateFileFor(t.NotesFile);
             const bool had = std::filesystem::exists(state);
             const std::string before = had ? test::ReadBytes(state) : "";
             ASSERT_TRUE(t.Sync().Done());
             if (had)
                 test::WriteBytes(state, before);
             else
                 std::filesystem::remove(state);
         }},
        {"no etag in the answers to writes", [](SyncEngine& t) {
             t.Server.NoEtagOnPut = true;
             ASSERT_TRUE(t.Sync().Done());
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Server = TMemoryServer();
        std::filesystem::remove(ical::SyncStateFileFor(NotesFile));
        SetLocal({"R 3 09:00 A", "R 3 10:00 B", "R 4 09:00 C", "N 5 D|d"});
        AddServer("R 6 09:00 E");
        AddServer("N 7 F");
        c.Cut(*this);
        const TSyncResult result = Sync();
        ASSERT_TRUE(result.Done()) << result.Error;
        const TItems all{"N 5 D|d", "N 7 F", "R 3 09:00 A", "R 3 10:00 B", "R 4 09:00 C",
                         "R 6 09:00 E"};
        EXPECT_EQ(Local(), all);
        EXPECT_EQ(Remote(), all);
        EXPECT_EQ(Sync().Sent, TSyncCounts{});
        EXPECT_EQ(Remote(), all);
        EXPECT_EQ(Local(), all);
    }
}

TEST_F(SyncEngine, SeveralEventsInOneResourceAreWrittenBackTogether)
{
    TCalendarItem one = ItemOf("R 3 09:00 One");
    TCalendarItem two = ItemOf("R 4 09:00 Two");
    one.Uid = "one@other";
    two.Uid = "two@other";
    Server.Store("/cal/both.ics", ical::ExportItems({one, two}, {.ZoneName = Zone}));
    SetLocal({});
    ASSERT_TRUE(Sync().Done());
    EXPECT_EQ(Local(), (TItems{"R 3 09:00 One", "R 4 09:00 Two"}));
    EditLocal([](TDayPaperList& n) {
        n.FindDayPaper(store::EncodeDate(2026, 3, 4))->ReminderList.GetReminder(0).Subject = "2";
    });
    const TSyncResult result = Sync();
    EXPECT_EQ(result.Sent, (TSyncCounts{0, 1, 0}));
    ASSERT_EQ(Server.Resources.size(), 1u);
    EXPECT_EQ(Remote(), (TItems{"R 3 09:00 One", "R 4 09:00 2"}));
    EXPECT_EQ(TMemoryServer::Uids(Server.Resources["/cal/both.ics"].Data),
              (std::multiset<std::string>{"one@other", "two@other"}));
}

TEST_F(SyncEngine, NotesChangedDuringASyncLeaveWhatArrivedForTheNextOne)
{
    SetLocal({"R 3 09:00 A"});
    ASSERT_TRUE(Sync().Done());
    AddServer("R 4 09:00 B");
    EditLocal([](TDayPaperList& n) { SyncEngine::AddTo(n, ItemOf("R 5 09:00 C")); });
    Options.Progress = [this](const ical::TSyncProgress&) {
        if (Options.Progress) {
            Options.Progress = nullptr;
            EditLocal([](TDayPaperList& n) { SyncEngine::AddTo(n, ItemOf("R 6 09:00 D")); });
        }
    };
    const TSyncResult result = Sync();
    ASSERT_TRUE(result.Done()) << result.Error;
    EXPECT_TRUE(result.Postponed);
    EXPECT_FALSE(result.NotesWritten);
    EXPECT_EQ(Local(), (TItems{"R 3 09:00 A", "R 5 09:00 C", "R 6 09:00 D"}));
    ASSERT_TRUE(Sync().Done());
    const TItems all{"R 3 09:00 A", "R 4 09:00 B", "R 5 09:00 C", "R 6 09:00 D"};
    EXPECT_EQ(Local(), all);
    EXPECT_EQ(Remote(), all);
}

}  // namespace

// A long first sync tells how far it has come: how many items it will send is known before the
// first is sent, and the counts only grow up to their totals.
TEST_F(SyncEngine, AFirstSyncReportsHowFarItHasCome)
{
    const struct {
        const char* Name;
        TItems Local, Server;
        int ToSend, ToReceive;
    } cases[] = {
        {"sent", {"R 3 09:00 A", "R 4 09:00 B", "N 5 C", "R 6 09:00 D"}, {}, 4, 0},
        {"received", {}, {"R 3 09:00 A", "R 4 09:00 B", "N 5 C"}, 0, 3},
        {"both", {"R 3 09:00 A", "R 4 09:00 B"}, {"R 7 09:00 E", "N 8 F", "R 9 09:00 G"}, 2, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        BeforeFirstSync(c.Local, c.Server);
        std::vector<ical::TSyncProgress> reports;
        Options.Progress = [&reports](const ical::TSyncProgress& p) { reports.push_back(p); };
        ASSERT_TRUE(Sync().Done());
        Options.Progress = nullptr;
        ASSERT_FALSE(reports.empty());
        for (std::size_t i = 0; i < reports.size(); ++i) {
            const ical::TSyncProgress& p = reports[i];
            EXPECT_LE(p.Sent, p.ToSend);
            EXPECT_LE(p.Received, p.ToReceive);
            if (i > 0) {
                EXPECT_GE(p.Sent, reports[i - 1].Sent);
                EXPECT_GE(p.Received, reports[i - 1].Received);
            }
            if (p.Sent <= 1 && c.ToSend > 0 && p.ToSend > 0) {
                EXPECT_EQ(p.ToSend, c.ToSend) << "report " << i << ": the total known up front";
            }
        }
        EXPECT_EQ(reports.back().Sent, c.ToSend);
        EXPECT_EQ(reports.back().ToSend, c.ToSend);
        EXPECT_EQ(reports.back().Received, c.ToReceive);
        EXPECT_EQ(reports.back().ToReceive, c.ToReceive);
    }
}

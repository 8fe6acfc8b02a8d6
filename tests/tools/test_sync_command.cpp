// orvenna-notes sync against a private CalDAV server (Debian's radicale) started by the test on
// a free port with a temporary storage folder, and against a small scripted server for what that
// one never does. The server's side is read and changed through the sync's own HTTP client.

#include "ical/davclient.h"
#include "ical/syncengine.h"
#include "store/daypaperlist.h"
#include "tests/support/scopedzone.h"
#include "tests/support/serverprocess.h"
#include "tests/support/toolrunner.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

using namespace orvenna;
using test::TServerProcess;
using test::TTempFolder;
using test::TToolResult;

const std::string Zone = "Europe/Berlin";

void NeedQt()
{
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* application = new QCoreApplication(argc, argv);
    (void)application;
}

std::vector<std::string> Radicale(const std::string& folder, const std::string& auth = {})
{
    std::vector<std::string> args{"/usr/bin/python3", "-m", "radicale", "--config", "",
                                  "--server-hosts", "127.0.0.1:{port}",
                                  "--storage-filesystem-folder", folder};
    if (auth.empty()) {
        args.insert(args.end(), {"--auth-type", "none"});
    } else {
        args.insert(args.end(), {"--auth-type", "htpasswd", "--auth-htpasswd-filename", auth,
                                 "--auth-htpasswd-encryption", "plain", "--auth-delay", "0"});
    }
    return args;
}

std::string Event(const std::string& uid, const std::string& start, const std::string& summary)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//Phone//EN\r\nBEGIN:VEVENT\r\nUID:" +
           uid + "\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;TZID=Europe/Berlin:" + start +
           "\r\nSUMMARY:" + summary + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

std::string Json(int sentAdded, int sentChanged, int sentDeleted, int gotAdded, int gotChanged,
                 int gotDeleted, int conflicts = 0, const std::string& error = "null")
{
    char text[256];
    std::snprintf(text, sizeof text,
                  "{\"sent\":{\"added\":%d,\"changed\":%d,\"deleted\":%d},\"received\":{\"added\":"
                  "%d,\"changed\":%d,\"deleted\":%d},\"conflicts\":%d,\"error\":%s}\n",
                  sentAdded, sentChanged, sentDeleted, gotAdded, gotChanged, gotDeleted,
                  conflicts, error.c_str());
    return text;
}

class SyncCommand : public testing::Test {
protected:
    void SetUp() override { NeedQt(); }

    TToolResult Sync(const std::string& url, std::vector<std::string> extra = {})
    {
        std::vector<std::string> args{"sync", NotesFile, url, "--user", "u"};
        args.insert(args.end(), extra.begin(), extra.end());
        return test::RunTool(Folder, "orvenna-notes", args);
    }

    ical::TDavClient Client(const std::string& url)
    {
        return ical::TDavClient({QUrl(QString::fromStdString(url)), "u", "", {}, 20000});
    }

    void Put(const std::string& url, const std::string& data)
    {
        const auto reply = Client(url).Send("PUT", QUrl(QString::fromStdString(url)),
                                            QByteArray::fromStdString(data),
                                            {{"Content-Type", "text/calendar"}});
        ASSERT_LT(reply.Status, 300) << url;
    }

    // "R 3 09:00 Subject" and "N 5 line|line" of every item, sorted; from the server's calendar
    // or from the notes file.
    std::vector<std::string> Remote(const std::string& collection)
    {
        ical::TDavClient client = Client(collection);
        std::vector<std::string> hrefs;
        for (const auto& tag : client.ListAll())
            hrefs.push_back(tag.Href);
        std::vector<std::string> found;
        for (const auto& resource : client.Fetch(hrefs)) {
            ical::TImportSummary ignored;
            for (const auto& item : ical::ReadCalendarItems(resource.Data, ignored, Zone))
                found.push_back(Text(item));
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    std::vector<std::string> Local()
    {
        store::TDayPaperList notes;
        notes.LoadFromFile(NotesFile);
        std::vector<std::string> found;
        for (int i = 0; i < notes.Count(); ++i) {
            const store::TDayPaper& paper = notes.GetDayPaper(i);
            if (!paper.Note.empty())
                found.push_back(Text(ical::NoteItem(paper.Day, paper.Note)));
            for (int r = 0; r < paper.ReminderList.ReminderCount(); ++r)
                found.push_back(Text(ical::ReminderItem(paper.ReminderList.GetReminder(r))));
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    static std::string Text(const ical::TCalendarItem& item)
    {
        const auto date = store::DecodeDate(item.IsNote ? item.Day : item.When);
        const auto time = store::DecodeTime(item.When);
        char head[32];
        if (item.IsNote)
            std::snprintf(head, sizeof head, "N %d ", date->Day);
        else
            std::snprintf(head, sizeof head, "R %d %02d:%02d ", date->Day, time->Hour,
                          time->Minute);
        std::string text = head + (item.IsNote ? std::string() : item.Subject);
        for (std::size_t i = 0; i < item.Lines.size(); ++i)
            text += (i ? "|" : "") + item.Lines[i];
        return text;
    }

    void EditNotes(const std::function<void(store::TDayPaperList&)>& edit)
    {
        store::TDayPaperList notes;
        if (std::filesystem::exists(NotesFile))
            notes.LoadFromFile(NotesFile);
        edit(notes);
        notes.SaveToFile(NotesFile);
    }

    static store::TDayPaper& Paper(store::TDayPaperList& notes, int day)
    {
        const store::TDate date = store::EncodeDate(2026, 3, day);
        if (store::TDayPaper* paper = notes.FindDayPaper(date))
            return *paper;
        store::TDayPaper& paper = notes.AddDayPaper();
        paper.Day = date;
        return paper;
    }

    static void AddReminder(store::TDayPaperList& notes, int day, int hour, int minute,
                            const std::string& subject)
    {
        store::TReminder& reminder = Paper(notes, day).ReminderList.AddReminder();
        reminder.When = store::EncodeDateTime(2026, 3, day, hour, minute);
        reminder.Subject = subject;
    }

    test::TScopedZone Scope{Zone};
    TTempFolder Folder;
    std::string NotesFile = Folder.File("2004.cal");
};

TEST_F(SyncCommand, FirstSyncFromTheServerRootThenChangesAndDeletionsOnEachSide)
{
    TTempFolder storage;
    TServerProcess radicale(Radicale(storage.File("store")));
    const std::string calendar = radicale.Url("/u/cal/");
    ASSERT_EQ(Client(calendar).Send("MKCALENDAR", QUrl(QString::fromStdString(calendar))).Status,
              201);
    Put(calendar + "phone.ics", Event("phone-1", "20260304T100000", "Call"));
    EditNotes([](store::TDayPaperList& notes) {
        Paper(notes, 5).Note = {"Trip"};
        AddReminder(notes, 3, 9, 0, "Dentist");
    });
    TToolResult result = Sync(radicale.Url());
    EXPECT_EQ(result.Exit, 0) << result.Err;
    EXPECT_EQ(result.Out, Json(2, 0, 0, 1, 0, 0));
    const std::vector<std::string> all{"N 5 Trip", "R 3 09:00 Dentist", "R 4 10:00 Call"};
    EXPECT_EQ(Remote(calendar), all);
    EXPECT_EQ(Local(), all);

    const struct {
        const char* Name;
        std::function<void()> Change;
        std::string Json;
        std::vector<std::string> Both;
    } steps[] = {
        {"a reminder changed here",
         [&] {
             EditNotes([](auto& n) {
                 Paper(n, 3).ReminderList.GetReminder(0).Subject = "Dentist!";
             });
         },
         Json(0, 1, 0, 0, 0, 0), {"N 5 Trip", "R 3 09:00 Dentist!", "R 4 10:00 Call"}},
        {"a reminder changed there",
         [&] { Put(calendar + "phone.ics", Event("phone-1", "20260304T113000", "Call")); },
         Json(0, 0, 0, 0, 1, 0), {"N 5 Trip", "R 3 09:00 Dentist!", "R 4 11:30 Call"}},
        {"a note deleted here", [&] { EditNotes([](auto& n) { Paper(n, 5).Note.clear(); }); },
         Json(0, 0, 1, 0, 0, 0), {"R 3 09:00 Dentist!", "R 4 11:30 Call"}},
        {"an event deleted there",
         [&] {
             Client(calendar).Send("DELETE", QUrl(QString::fromStdString(calendar + "phone.ics")));
         },
         Json(0, 0, 0, 0, 0, 1), {"R 3 09:00 Dentist!"}},
        {"nothing changed", [] {}, Json(0, 0, 0, 0, 0, 0), {"R 3 09:00 Dentist!"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.Name);
        step.Change();
        result = Sync(calendar);
        EXPECT_EQ(result.Exit, 0) << result.Err;
        EXPECT_EQ(result.Out, step.Json);
        EXPECT_EQ(Remote(calendar), step.Both);
        EXPECT_EQ(Local(), step.Both);
    }
}

// Changes the server's copy of a resource with another client just before the sync writes it.
class TInterfering final : public ical::TCalendarServer {
public:
    TInterfering(ical::TCalendarServer& server, std::function<void(const std::string&)> before)
        : Server(server), Before(std::move(before))
    {
    }
    std::string CollectionUrl() override { return Server.CollectionUrl(); }
    ical::TCollectionInfo Describe() override { return Server.Describe(); }
    bool ChangesSince(const std::string& t, ical::TChangeList& c) override
    {
        return Server.ChangesSince(t, c);
    }
    std::vector<ical::TResourceTag> ListAll() override { return Server.ListAll(); }
    bool FetchAll(std::vector<ical::TResource>& all) override { return Server.FetchAll(all); }
    std::vector<ical::TResource> Fetch(const std::vector<std::string>& h) override
    {
        return Server.Fetch(h);
    }
    ical::TWriteResult Put(const std::string& href, const std::string& data,
                           const std::string& ifMatch) override
    {
        if (!ifMatch.empty() && Before)
            std::exchange(Before, nullptr)(href);
        return Server.Put(href, data, ifMatch);
    }
    ical::TWriteStatus Delete(const std::string& href, const std::string& ifMatch) override
    {
        return Server.Delete(href, ifMatch);
    }
    std::string NewHref(const std::string& name) override { return Server.NewHref(name); }

private:
    ical::TCalendarServer& Server;
    std::function<void(const std::string&)> Before;
};

TEST_F(SyncCommand, AConcurrentEditAndATakenUidLoseNothing)
{
    TTempFolder storage;
    TServerProcess radicale(Radicale(storage.File("store")));
    const std::string calendar = radicale.Url("/u/cal/");
    ASSERT_EQ(Client(calendar).Send("MKCALENDAR", QUrl(QString::fromStdString(calendar))).Status,
              201);
    // 409: the note's UID is already another resource's.
    Put(calendar + "elsewhere.ics",
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//Phone//EN\r\nBEGIN:VEVENT\r\n"
        "UID:20260305-note@orvenna\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:20260305"
        "\r\nSUMMARY:Theirs\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    EditNotes([](auto& n) {
        Paper(n, 5).Note = {"Mine"};
        AddReminder(n, 3, 9, 0, "Dentist");
    });
    TToolResult result = Sync(calendar);
    EXPECT_EQ(result.Exit, 0) << result.Err;
    EXPECT_EQ(result.Out, Json(2, 0, 0, 1, 0, 0));
    EXPECT_EQ(Remote(calendar), (std::vector<std::string>{"N 5 Mine", "N 5 Theirs",
                                                          "R 3 09:00 Dentist"}));

    // 412: the reminder changes on the server between the listing and the write.
    EditNotes([](auto& n) { Paper(n, 3).ReminderList.GetReminder(0).Subject = "Mine"; });
    ical::TDavClient client = Client(calendar);
    TInterfering interfering(client, [&](const std::string& href) {
        auto reply = Client(calendar).Send("GET", QUrl(QString::fromStdString(radicale.Url(href))));
        reply.Body.replace("SUMMARY:Dentist", "SUMMARY:Theirs");
        Put(radicale.Url(href), reply.Body.toStdString());
    });
    const ical::TSyncResult synced =
        ical::SyncNotes(interfering, {.NotesFile = NotesFile, .ZoneName = Zone});
    ASSERT_TRUE(synced.Done()) << synced.Error;
    EXPECT_EQ(synced.Conflicts, 1);
    const std::vector<std::string> both{"N 5 Mine|Theirs", "R 3 09:00 Mine", "R 3 09:00 Theirs"};
    EXPECT_EQ(Local(), both);
    EXPECT_EQ(Remote(calendar), (std::vector<std::string>{"N 5 Mine", "N 5 Theirs",
                                                          "R 3 09:00 Mine", "R 3 09:00 Theirs"}));
}

TEST_F(SyncCommand, ARefusalOrAnEmptySideLeavesTheNotesByteIdentical)
{
    TTempFolder storage;
    test::WriteBytes(storage.File("users"), "u:secret\n");
    test::WriteBytes(Folder.File("right"), "secret\n");
    test::WriteBytes(Folder.File("wrong"), "guess\n");
    TServerProcess radicale(Radicale(storage.File("store"), storage.File("users")));
    const std::string calendar = radicale.Url("/u/cal/");
    EditNotes([](auto& n) { AddReminder(n, 3, 9, 0, "Dentist"); });
    TToolResult first = Sync(radicale.Url(), {"--password-file", Folder.File("right")});
    ASSERT_EQ(first.Exit, 0) << first.Err;
    const std::string made = radicale.Url("/u/orvenna/");

    const struct {
        const char* Name;
        std::function<void()> Before;
        std::vector<std::string> Args;
        int Exit;
        const char* Error;
    } cases[] = {
        {"wrong password", nullptr, {made, "--password-file", Folder.File("wrong")}, 1, "401"},
        {"unreachable", nullptr, {"http://127.0.0.1:" + std::to_string(test::FreePort()) + "/"},
         1, "could not reach"},
        {"notes emptied",
         [&] { EditNotes([](auto& n) { Paper(n, 3).ReminderList.ClearReminders(); }); },
         {made, "--password-file", Folder.File("right")}, 1, "--force-delete"},
        {"damaged notes file",
         [&] { test::WriteBytes(NotesFile, std::string("\x05\0\0\0garbage", 11)); },
         {made, "--password-file", Folder.File("right")}, 2, "read only up to a failure"},
        {"missing password file", nullptr, {made, "--password-file", Folder.File("none")}, 2,
         "password file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.Before)
            c.Before();
        const std::string notes = test::ReadBytes(NotesFile);
        const std::string state = test::ReadBytes(Folder.File("Sync.dat"));
        const TToolResult result = Sync(c.Args[0], {c.Args.begin() + 1, c.Args.end()});
        EXPECT_EQ(result.Exit, c.Exit);
        EXPECT_NE(result.Out.find(c.Error), std::string::npos) << result.Out;
        EXPECT_EQ(result.Out.substr(0, 9), "{\"sent\":{");
        EXPECT_EQ(test::ReadBytes(NotesFile), notes);
        EXPECT_EQ(test::ReadBytes(Folder.File("Sync.dat")), state);
    }
    EXPECT_EQ(Sync("http://x", {"--bogus"}).Exit, 64);
    EXPECT_EQ(Sync("http://x", {"--state"}).Exit, 64);
}

TEST_F(SyncCommand, AKilledSyncIsFollowedByACleanOneWithoutDuplicates)
{
    TTempFolder storage;
    TServerProcess radicale(Radicale(storage.File("store")));
    const std::string calendar = radicale.Url("/u/cal/");
    ASSERT_EQ(Client(calendar).Send("MKCALENDAR", QUrl(QString::fromStdString(calendar))).Status,
              201);
    Put(calendar + "phone.ics", Event("phone-1", "20260304T100000", "Call"));
    constexpr int Count = 60;
    EditNotes([](auto& n) {
        for (int i = 0; i < Count; ++i)
            AddReminder(n, 1 + i % 28, 8 + i / 28, i % 60, "Item " + std::to_string(i));
    });
    const pid_t child = ::fork();
    if (child == 0) {
        const std::string tool = std::string(ORVENNA_BIN_DIR) + "/orvenna-notes";
        ::freopen("/dev/null", "w", stdout);
        ::execl(tool.c_str(), tool.c_str(), "sync", NotesFile.c_str(), calendar.c_str(), "--user",
                "u", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Killed once the server has taken some of the items.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    const auto written = [&] {
        int files = 0;
        for (const auto& entry :
             std::filesystem::directory_iterator(storage.File("store/collection-root/u/cal")))
            files += entry.path().extension() == ".ics";
        return files;
    };
    while (written() < 10 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the sync ended before it could be killed";
    EXPECT_LT(written(), Count + 1);

    const TToolResult again = Sync(calendar);
    EXPECT_EQ(again.Exit, 0) << again.Err;
    EXPECT_EQ(Remote(calendar).size(), Count + 1u);
    EXPECT_EQ(Local().size(), Count + 1u);
    EXPECT_EQ(Remote(calendar), Local());
    EXPECT_EQ(Sync(calendar).Out, Json(0, 0, 0, 0, 0, 0));
}

TEST_F(SyncCommand, AServerWithoutEtagsOnWritesAndWithSeveralEventsInOneResource)
{
    const std::string both =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//Fake//EN\r\n"
        "BEGIN:VEVENT\r\nUID:one\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;TZID=Europe/Berlin:"
        "20260303T090000\r\nSUMMARY:One\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nUID:two\r\n"
        "DTSTAMP:20260101T000000Z\r\nDTSTART;TZID=Europe/Berlin:20260304T090000\r\n"
        "SUMMARY:Two\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    test::WriteBytes(Folder.File("both.ics"), both);
    TServerProcess fake({"/usr/bin/python3", ORVENNA_SOURCE_DIR "/tests/tools/fake_caldav.py",
                         "{port}", Folder.File("both.ics")});
    const std::string calendar = fake.Url("/dav/home/cal/");
    EditNotes([](auto& n) { AddReminder(n, 6, 7, 0, "Mine"); });

    TToolResult result = Sync(fake.Url());  // through /.well-known/caldav's redirect
    EXPECT_EQ(result.Exit, 0) << result.Err;
    EXPECT_EQ(result.Out, Json(1, 0, 0, 2, 0, 0));
    const std::vector<std::string> all{"R 3 09:00 One", "R 4 09:00 Two", "R 6 07:00 Mine"};
    EXPECT_EQ(Local(), all);
    EXPECT_EQ(Remote(calendar), all);
    // No etag came back: the next sync finds its own item unchanged.
    EXPECT_EQ(Sync(fake.Url()).Out, Json(0, 0, 0, 0, 0, 0));
    EXPECT_EQ(Remote(calendar), all);

    EditNotes([](auto& n) { Paper(n, 4).ReminderList.GetReminder(0).Subject = "2"; });
    EXPECT_EQ(Sync(fake.Url()).Out, Json(0, 1, 0, 0, 0, 0));
    EXPECT_EQ(Remote(calendar),
              (std::vector<std::string>{"R 3 09:00 One", "R 4 09:00 2", "R 6 07:00 Mine"}));
    const auto reply = Client(calendar).Send(
        "REPORT", QUrl(QString::fromStdString(calendar)),
        "<c:calendar-multiget xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
        "<d:prop><c:calendar-data/></d:prop><d:href>/dav/home/cal/both.ics</d:href>"
        "</c:calendar-multiget>");
    EXPECT_EQ(reply.Body.count("BEGIN:VEVENT"), 2) << "both events stay in one resource";
}

}  // namespace

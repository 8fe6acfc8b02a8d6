// When the program syncs (the schedule on a tick the test moves) and how the runner does it:
// one sync at a time on a thread of its own, errors once per kind, offline as a state, the
// password from the desktop's store or asked once, what arrived taken up without another sync,
// and the subscribed calendars fetched with conditional requests into their own cache.
#include "app/syncrunner.h"
#include "platform/fake/fakeplatform.h"
#include "store/daypaperlist.h"
#include "tests/support/fakeclock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <mutex>

using namespace orvenna;
using app::TSyncRunner;
using app::TSyncSchedule;
using app::TSyncTrigger;
using ical::TSyncFailure;

namespace {

constexpr std::uint32_t Minute = 60000;

const char* const HolidayCalendar =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n"
    "BEGIN:VEVENT\r\nUID:h1\r\nDTSTAMP:20250101T000000Z\r\nDTSTART;VALUE=DATE:20250317\r\n"
    "SUMMARY:Holiday\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";

// A sync on the worker: counts calls and how many ran at once, can be held until released.
struct TFakeServer {
    std::mutex Lock;
    std::atomic<int> Calls{0};
    std::atomic<int> Running{0};
    std::atomic<int> MostAtOnce{0};
    std::atomic<bool> OnGuiThread{false};
    std::atomic<bool> Hold{false};
    QSemaphore Release;
    std::atomic<TSyncFailure> Failure{TSyncFailure::None};
    std::atomic<bool> WritesNotes{false};
    QString LastPassword;
    QThread* GuiThread = QThread::currentThread();

    ical::TSyncResult Sync(const ical::TDavAccount& account, const ical::TSyncOptions& options)
    {
        MostAtOnce = std::max(MostAtOnce.load(), ++Running);
        OnGuiThread = OnGuiThread || QThread::currentThread() == GuiThread;
        options.Progress({5, 10, 1, 2});
        if (Hold)
            Release.acquire();
        ical::TSyncResult result;
        {
            const std::lock_guard lock(Lock);
            LastPassword = account.Password;
            result.Failure = Failure;
            result.NotesWritten = WritesNotes && Failure == TSyncFailure::None;
        }
        result.Error = "failure " + std::to_string(static_cast<int>(result.Failure)) + " #" +
                       std::to_string(Calls + 1);
        result.Collection = "http://server/u/cal/";
        --Running;
        ++Calls;
        return result;
    }
};

// A subscribed calendar's server: answers 304 to the etag it gave.
struct TFakeFeed {
    std::mutex Lock;
    QList<QByteArray> EtagsAsked;
    bool Down = false;
    bool ErrorPage = false;  // 200 with a web page, as a portal or a moved feed answers

    ical::THttpReply Get(const QUrl&, const QByteArray& etag)
    {
        const std::lock_guard lock(Lock);
        EtagsAsked << etag;
        if (Down)
            throw ical::ESyncError(TSyncFailure::Unreachable, "no route to host");
        ical::THttpReply reply;
        if (ErrorPage) {
            reply.Status = 200;
            reply.Body = "<html><body>Please log in</body></html>";
            return reply;
        }
        reply.Status = etag == "\"v1\"" ? 304 : 200;
        if (reply.Status == 200) {
            reply.Body = HolidayCalendar;
            reply.Headers.append(qMakePair(QByteArray("ETag"), QByteArray("\"v1\"")));
        }
        return reply;
    }
};

// A subscribed calendar's web server on 127.0.0.1: answers 304 when a request carries the
// validator it gave (If-None-Match for its ETag, If-Modified-Since for its Last-Modified), else
// 200 with the calendar and those validators; keeps the headers of each request.
class TFeedServer final : public QObject {
public:
    TFeedServer(QByteArray etag, QByteArray lastModified)
        : Etag(std::move(etag)), LastModified(std::move(lastModified))
    {
        Server.listen(QHostAddress::LocalHost);
        connect(&Server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = Server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Read(*socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QString Url() const { return QStringLiteral("http://127.0.0.1:%1/feed.ics").arg(Server.serverPort()); }

    QList<QMap<QByteArray, QByteArray>> Requests;  // header names in lower case

private:
    void Read(QTcpSocket& socket)
    {
        QByteArray& buffer = Buffers[&socket];
        buffer += socket.readAll();
        if (!buffer.contains("\r\n\r\n"))
            return;
        QMap<QByteArray, QByteArray> headers;
        for (const QByteArray& line : buffer.left(buffer.indexOf("\r\n\r\n")).split('\n').mid(1)) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0)
                headers[line.left(colon).trimmed().toLower()] = line.mid(colon + 1).trimmed();
        }
        Buffers.remove(&socket);
        Requests << headers;
        const bool fresh = (!Etag.isEmpty() && headers.value("if-none-match") == Etag) ||
                           (!LastModified.isEmpty() &&
                            headers.value("if-modified-since") == LastModified);
        QByteArray reply = fresh ? "HTTP/1.1 304 Not Modified\r\n" : "HTTP/1.1 200 OK\r\n";
        const QByteArray body = fresh ? QByteArray() : QByteArray(HolidayCalendar);
        if (!Etag.isEmpty())
            reply += "ETag: " + Etag + "\r\n";
        if (!LastModified.isEmpty())
            reply += "Last-Modified: " + LastModified + "\r\n";
        reply += "Content-Type: text/calendar\r\nConnection: close\r\nContent-Length: " +
                 QByteArray::number(body.size()) + "\r\n\r\n" + body;
        socket.write(reply);
        socket.disconnectFromHost();
    }

    QTcpServer Server;
    QByteArray Etag;
    QByteArray LastModified;
    QMap<QTcpSocket*, QByteArray> Buffers;
};

}  // namespace

class TestSyncRunner final : public QObject {
    Q_OBJECT

private:
    QTemporaryDir Dir;
    QString Folder;
    test::TFakeClock Clock;
    platform::TFakePlatform Platform;
    TFakeServer Server;
    TFakeFeed Feed;

    std::unique_ptr<TSyncRunner> MakeRunner(const store::TSyncAccount& account)
    {
        store::SaveSyncAccount((Folder + store::SyncAccountFileName).toStdString(), account);
        app::TSyncWork work;
        work.Sync = [this](const ical::TDavAccount& a, const ical::TSyncOptions& o) {
            return Server.Sync(a, o);
        };
        work.Fetch = [this](const QUrl& url, const QByteArray& etag, const QByteArray&) {
            return Feed.Get(url, etag);
        };
        return std::make_unique<TSyncRunner>(Platform, Clock, Folder, work);
    }
    static store::TSyncAccount Account(std::string user = {})
    {
        return {"http://server/", std::move(user), "", {}};
    }
    static bool Idle(const TSyncRunner& runner) { return !runner.Status().Running; }

private slots:
    void init()
    {
        QVERIFY(Dir.isValid());
        Folder = Dir.path() + QLatin1Char('/');
        QFile::remove(Folder + store::SubscriptionCacheFileName);
        Server.Calls = 0;
        Server.MostAtOnce = 0;
        Server.Failure = TSyncFailure::None;
        Server.WritesNotes = false;
        Server.Hold = false;
        Platform.SecretsAvailable = true;
        Feed.Down = Feed.ErrorPage = false;
        Feed.EtagsAsked.clear();
        Clock.Day = 45731.5;
    }

    // ---- the schedule ----------------------------------------------------------------------

    void Schedule_data()
    {
        // Steps "tick:what": start, change, resume, user; ok, offline, refused (a sync ends);
        // fetched (a fetch ends); sync? and !sync? (a sync begins or not), fetch? and !fetch?.
        QTest::addColumn<QString>("steps");
        QTest::newRow("at the start") << "0:start 0:sync? 0:!sync?";
        QTest::newRow("a change waits a few seconds")
            << "0:start 0:sync? 10:ok 1000:change 5999:!sync? 6000:sync?";
        QTest::newRow("a run of changes waits for its last")
            << "0:start 0:sync? 0:ok 1000:change 4000:change 8999:!sync? 9000:sync?";
        QTest::newRow("but not longer than a minute")
            << "0:start 0:sync? 0:ok 1000:change 5000:change 9000:change 13000:change 17000:change "
               "21000:change 25000:change 29000:change 33000:change 37000:change 41000:change "
               "45000:change 49000:change 53000:change 57000:change 60999:!sync? 61000:sync?";
        QTest::newRow("one at a time: a trigger meanwhile is due when it ends")
            << "0:start 0:sync? 100:user 100:!sync? 9000:!sync? 9000:ok 9000:sync? 9000:!sync?";
        QTest::newRow("a change meanwhile waits its seconds after the end")
            << "0:start 0:sync? 100:change 2000:ok 5099:!sync? 5100:sync?";
        QTest::newRow("every 15 minutes") << "0:start 0:sync? 500:ok 900499:!sync? 900500:sync?";
        QTest::newRow("a start sooner than a change stays sooner")
            << "0:start 0:change 0:sync?";
        QTest::newRow("after a resume, once the network is up")
            << "0:start 0:sync? 0:ok 1000:resume 5999:!sync? 6000:sync?";
        QTest::newRow("offline: a minute, then twice as long")
            << "0:start 0:sync? 0:offline 59999:!sync? 60000:sync? 60000:offline 179999:!sync? "
               "180000:sync? 180000:offline 420000:sync? 420000:ok 1319999:!sync? 1320000:sync?";
        QTest::newRow("offline waits no longer than 15 minutes")
            << "0:start 0:sync? 0:offline 60000:sync? 60000:offline 180000:sync? 180000:offline "
               "420000:sync? 420000:offline 900000:sync? 900000:offline 1800000:sync? "
               "1800000:offline 2699999:!sync? 2700000:sync?";
        QTest::newRow("a refusal stops what the program starts by itself")
            << "0:start 0:sync? 0:refused 1000:change 1000000:!sync? 1000000:resume "
               "2000000:!sync? 2000000:user 2000000:sync?";
        QTest::newRow("but the user asking meanwhile is heard")
            << "0:start 0:sync? 100:user 200:refused 200:sync? 300:refused 400:change 9000:!sync?";
        QTest::newRow("ticks that wrap")
            << "4294966296:start 4294966296:sync? 4294966296:ok 3999:change 8998:!sync? "
               "8999:sync?";
        QTest::newRow("no account: calendars only")
            << "0:noaccount 0:start 0:!sync? 0:fetch? 900000:!sync? 900000:account 900000:sync?";
        QTest::newRow("calendars at the start and a day later")
            << "0:start 0:fetch? 0:!fetch? 100:fetched 86400099:!fetch? 86400100:fetch?";
        QTest::newRow("calendars after a resume")
            << "0:start 0:fetch? 0:fetched 1000:resume 6000:fetch?";
    }

    void Schedule()
    {
        QFETCH(QString, steps);
        TSyncSchedule schedule;
        for (const QString& step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QStringList parts = step.split(QLatin1Char(':'));
            const auto tick = static_cast<std::uint32_t>(parts[0].toULongLong());
            const QString what = parts[1];
            if (what == QLatin1String("start"))
                schedule.Trigger(TSyncTrigger::Start, tick);
            else if (what == QLatin1String("change"))
                schedule.Trigger(TSyncTrigger::NotesChanged, tick);
            else if (what == QLatin1String("resume"))
                schedule.Trigger(TSyncTrigger::Resumed, tick);
            else if (what == QLatin1String("user"))
                schedule.Trigger(TSyncTrigger::User, tick);
            else if (what == QLatin1String("ok"))
                schedule.SyncEnded(TSyncFailure::None, tick);
            else if (what == QLatin1String("offline"))
                schedule.SyncEnded(TSyncFailure::Unreachable, tick);
            else if (what == QLatin1String("refused"))
                schedule.SyncEnded(TSyncFailure::Refused, tick);
            else if (what == QLatin1String("noaccount") || what == QLatin1String("account"))
                schedule.SetSyncEnabled(what == QLatin1String("account"));
            else if (what == QLatin1String("fetched"))
                schedule.FetchEnded(tick);
            else if (what.endsWith(QLatin1Char('?'))) {
                const bool expected = !what.startsWith(QLatin1Char('!'));
                const bool began = what.contains(QLatin1String("sync")) ? schedule.BeginSync(tick)
                                                                       : schedule.BeginFetch(tick);
                QVERIFY2(began == expected, qPrintable(step));
                // The runner's timer is armed for the moment that begins it, never later.
                if (began && what.contains(QLatin1String("sync")))
                    QVERIFY(schedule.SyncRunning());
            } else
                QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
        }
    }

    void NextDueIsTheEarliestMomentThatBegins()
    {
        TSyncSchedule schedule;
        schedule.Trigger(TSyncTrigger::Start, 0);
        QVERIFY(schedule.BeginSync(0));
        schedule.SyncEnded(TSyncFailure::None, 0);
        QVERIFY(schedule.BeginFetch(0));
        schedule.FetchEnded(0);
        schedule.Trigger(TSyncTrigger::NotesChanged, 1000);
        QCOMPARE(schedule.NextDue(), std::optional<std::uint32_t>(6000));
        QVERIFY(schedule.BeginSync(6000));
        QCOMPARE(schedule.NextDue(), std::optional<std::uint32_t>(TSyncSchedule::FetchPeriodMs));
        schedule.SyncEnded(TSyncFailure::Refused, 7000);
        QCOMPARE(schedule.NextDue(), std::optional<std::uint32_t>(TSyncSchedule::FetchPeriodMs));
    }

    // A running sync names only the directions that have work so far.
    void ProgressOfARunningSync_data()
    {
        QTest::addColumn<int>("received");
        QTest::addColumn<int>("toReceive");
        QTest::addColumn<int>("sent");
        QTest::addColumn<int>("toSend");
        QTest::addColumn<QString>("text");
        QTest::newRow("both") << 5 << 10 << 1 << 2
                              << QStringLiteral("Syncing: 5 of 10 received, 1 of 2 sent");
        QTest::newRow("sending only") << 0 << 0 << 78 << 1200
                                      << QStringLiteral("Syncing: 78 of 1200 sent");
        QTest::newRow("receiving only") << 3 << 40 << 0 << 0
                                        << QStringLiteral("Syncing: 3 of 40 received");
        QTest::newRow("nothing known yet") << 0 << 0 << 0 << 0 << QStringLiteral("Syncing...");
    }

    void ProgressOfARunningSync()
    {
        QFETCH(int, received);
        QFETCH(int, toReceive);
        QFETCH(int, sent);
        QFETCH(int, toSend);
        QFETCH(QString, text);
        app::TSyncStatus status;
        status.Running = true;
        status.LastSyncAt = Clock.Day;  // a sync that runs hides how the last one ended
        status.Progress = {received, toReceive, sent, toSend};
        QCOMPARE(app::SyncStateText(status, Clock.Day), text);
    }

    // ---- the runner ------------------------------------------------------------------------

    void OneSyncAtATimeOffTheGuiThread()
    {
        auto runner = MakeRunner(Account());
        Server.Hold = true;
        runner->Start();
        QTRY_COMPARE(Server.Running.load(), 1);
        QTRY_COMPARE(app::SyncStateText(runner->Status(), Clock.Day),
                     QStringLiteral("Syncing: 5 of 10 received, 1 of 2 sent"));
        for (int i = 0; i < 3; ++i) {
            runner->SyncNow();
            runner->Resumed();
            Clock.AdvanceMs(TSyncSchedule::PeriodMs);
            runner->Poll();
        }
        Server.Release.release(2);
        QTRY_COMPARE(Server.Calls.load(), 2);
        QTRY_VERIFY(Idle(*runner));
        QTest::qWait(50);
        QCOMPARE(Server.Calls.load(), 2);  // the triggers meanwhile made one more sync
        QCOMPARE(Server.MostAtOnce.load(), 1);
        QVERIFY(!Server.OnGuiThread);
    }

    void ErrorsOncePerKindAndOfflineAsAState()
    {
        // Failures of each sync in turn, and what the status keeps after it.
        const struct {
            TSyncFailure Failure;
            int Errors;
            bool Offline;
        } steps[] = {
            {TSyncFailure::Server, 1, false},     {TSyncFailure::Server, 1, false},
            {TSyncFailure::LocalFile, 2, false},  {TSyncFailure::Unreachable, 2, true},
            {TSyncFailure::Unreachable, 2, true}, {TSyncFailure::Server, 2, false},
            {TSyncFailure::None, 0, false},       {TSyncFailure::Unreachable, 0, true},
        };
        auto runner = MakeRunner(Account());
        runner->Start();
        QTRY_COMPARE(Server.Calls.load(), 1);
        QTRY_VERIFY(Idle(*runner));
        int calls = 1;
        for (const auto& step : steps) {
            Server.Failure = step.Failure;
            runner->SyncNow();
            ++calls;
            QTRY_COMPARE(Server.Calls.load(), calls);
            QTRY_VERIFY(Idle(*runner));
            const app::TSyncStatus& status = runner->Status();
            QCOMPARE(app::SyncErrorLines(status).size(), step.Errors);
            QCOMPARE(status.Offline, step.Offline);
            QCOMPARE(app::SyncStateText(status, Clock.Day).startsWith(QStringLiteral("Offline")),
                     step.Offline);
        }
        // The latest text of a kind is the one kept.
        Server.Failure = TSyncFailure::Server;
        runner->SyncNow();
        ++calls;
        QTRY_COMPARE(Server.Calls.load(), calls);
        QTRY_VERIFY(Idle(*runner));
        QCOMPARE(app::SyncErrorLines(runner->Status()),
                 QStringList{QStringLiteral("failure 2 #%1").arg(calls)});
    }

    void PasswordFromTheStoreOrAskedOncePerRun()
    {
        // The store answers, or there is none: the password used, the asks, what is stored.
        Platform.SetPassword(QStringLiteral("http://server/"), QStringLiteral("anna"),
                             QStringLiteral("kept"));
        {
            auto runner = MakeRunner(Account("anna"));
            runner->Start();
            QTRY_COMPARE(Server.Calls.load(), 1);
            QTRY_VERIFY(Idle(*runner));
            runner->SyncNow();
            QTRY_COMPARE(Server.Calls.load(), 2);
            QCOMPARE(Server.LastPassword, QStringLiteral("kept"));
            QCOMPARE(Platform.PasswordLookups(), 1);  // looked up once, then known
        }
        Platform.SecretsAvailable = false;
        auto runner = MakeRunner(Account("anna"));
        QSignalSpy asked(runner.get(), &TSyncRunner::PasswordNeeded);
        runner->Start();
        QTRY_COMPARE(asked.size(), 1);
        QTRY_VERIFY(Idle(*runner));
        QCOMPARE(Server.Calls.load(), 2);  // no sync without the password
        runner->NotesChanged();
        Clock.AdvanceMs(TSyncSchedule::PeriodMs * 2);
        runner->Poll();
        runner->SyncNow();
        QTRY_VERIFY(Idle(*runner));
        QTest::qWait(50);
        QCOMPARE(asked.size(), 1);  // once per run
        runner->SetPassword(QStringLiteral("typed"));
        runner->SyncNow();
        QTRY_COMPARE(Server.Calls.load(), 3);
        QCOMPARE(Server.LastPassword, QStringLiteral("typed"));
        QTRY_VERIFY(Idle(*runner));  // the worker counted the call before the end arrived
        QVERIFY(runner->Status().Errors.isEmpty());
        // With a store again, a typed password goes there after a sync the server took.
        Platform.SecretsAvailable = true;
        Server.Failure = TSyncFailure::Refused;
        runner->SetAccount(Account("bob"), QStringLiteral("wrong"));
        QTRY_COMPARE(Server.Calls.load(), 4);
        QTRY_VERIFY(Idle(*runner));
        QVERIFY(!Platform.Passwords().contains(QStringLiteral("http://server/ bob")));
        Server.Failure = TSyncFailure::None;
        runner->SetAccount(Account("bob"), QStringLiteral("right"));
        QTRY_COMPARE(Server.Calls.load(), 5);
        QTRY_VERIFY(Idle(*runner));
        QCOMPARE(Platform.Passwords()[QStringLiteral("http://server/ bob")], QStringLiteral("right"));
    }

    void WhatArrivedIsTakenUpWithoutAnotherSync()
    {
        auto runner = MakeRunner(Account());
        Server.WritesNotes = true;
        int takenUp = 0;
        connect(runner.get(), &TSyncRunner::NotesArrived, this, [&] {
            ++takenUp;
            runner->NotesChanged();  // what the program's reload announces
        });
        runner->Start();
        QTRY_COMPARE(takenUp, 1);
        QTRY_VERIFY(Idle(*runner));
        Clock.AdvanceMs(TSyncSchedule::ChangeLimitMs);
        runner->Poll();
        QTest::qWait(50);
        QCOMPARE(Server.Calls.load(), 1);
        // A change of the user's still syncs.
        runner->NotesChanged();
        Clock.AdvanceMs(TSyncSchedule::ChangeDelayMs);
        runner->Poll();
        QTRY_COMPARE(Server.Calls.load(), 2);
    }

    // Over HTTP: the next fetch of a subscribed calendar (the next run's, from the cache)
    // sends back the validators the server gave, and a 304 keeps what was shown.
    void SubscriptionAskedWithTheServersValidators_data()
    {
        QTest::addColumn<QByteArray>("etag");
        QTest::addColumn<QByteArray>("lastModified");
        QTest::newRow("ETag") << QByteArray("\"v7\"") << QByteArray();
        QTest::newRow("Last-Modified") << QByteArray() << QByteArray("Mon, 07 Dec 2026 10:00:00 GMT");
        QTest::newRow("both") << QByteArray("\"v8\"") << QByteArray("Sun, 06 Dec 2026 09:00:00 GMT");
    }

    void SubscriptionAskedWithTheServersValidators()
    {
        QFETCH(QByteArray, etag);
        QFETCH(QByteArray, lastModified);
        TFeedServer feed(etag, lastModified);
        store::TSyncAccount account;
        account.Subscriptions = {feed.Url().toStdString()};
        store::SaveSyncAccount((Folder + store::SyncAccountFileName).toStdString(), account);
        for (int run = 0; run < 2; ++run) {
            TSyncRunner runner(Platform, Clock, Folder);  // the real fetch
            runner.Start();
            QTRY_COMPARE(feed.Requests.size(), run + 1);
            QTRY_VERIFY(runner.Status().SubscriptionErrors.isEmpty() &&
                        runner.Subscribed().Count() == 1);
        }
        QVERIFY(!feed.Requests[0].contains("if-none-match"));
        QVERIFY(!feed.Requests[0].contains("if-modified-since"));
        QCOMPARE(feed.Requests[1].value("if-none-match"), etag);
        QCOMPARE(feed.Requests[1].value("if-modified-since"), lastModified);
    }

    // A long first sync does not keep the subscribed calendars off the calendar.
    void SubscriptionsShowWhileALongSyncRuns()
    {
        store::TSyncAccount account = Account();
        account.Subscriptions = {"https://feed.example/holidays.ics"};
        auto runner = MakeRunner(account);
        Server.Hold = true;
        runner->Start();
        QTRY_COMPARE(Server.Running.load(), 1);
        const bool shown = QTest::qWaitFor([&] { return runner->Subscribed().Count() == 1; });
        Server.Release.release();  // also when it failed: the worker must end
        QVERIFY(shown);
        QTRY_COMPARE(Server.Calls.load(), 1);
        QTRY_VERIFY(Idle(*runner));
    }

    void SubscriptionsFetchedConditionallyAndRemovedWithTheirCache()
    {
        store::TSyncAccount account;
        account.Subscriptions = {"webcal://feed.example/holidays.ics"};
        auto runner = MakeRunner(account);
        runner->Start();
        QTRY_COMPARE(runner->Subscribed().Count(), 1);
        QTRY_VERIFY(Idle(*runner));
        QCOMPARE(runner->Subscribed().GetDayPaper(0).Note,
                 std::vector<std::string>{"Holiday"});
        QCOMPARE(Server.Calls.load(), 0);  // no server: no sync
        // The next run shows the cached copy even with the feed down, and asks with its etag.
        runner.reset();
        Feed.Down = true;
        runner = MakeRunner(account);
        runner->Start();
        QTRY_COMPARE(runner->Subscribed().Count(), 1);
        QTRY_COMPARE(runner->Status().SubscriptionErrors.size(), 1);
        Feed.Down = false;
        Clock.AdvanceMs(TSyncSchedule::FetchPeriodMs);
        runner->Poll();
        QTRY_COMPARE(runner->Status().SubscriptionErrors.size(), 0);
        QCOMPARE(Feed.EtagsAsked, (QList<QByteArray>{"", "\"v1\"", "\"v1\""}));
        QCOMPARE(runner->Subscribed().Count(), 1);
        // A page that is no calendar is an error; the last copy stays, also for the next run.
        Feed.ErrorPage = true;
        Clock.AdvanceMs(TSyncSchedule::FetchPeriodMs);
        runner->Poll();
        QTRY_COMPARE(runner->Status().SubscriptionErrors.size(), 1);
        QTRY_VERIFY(Idle(*runner) && Feed.EtagsAsked.size() == 4);
        QCOMPARE(runner->Subscribed().Count(), 1);
        runner.reset();
        runner = MakeRunner(account);
        runner->Start();
        QTRY_COMPARE(runner->Status().SubscriptionErrors.size(), 1);
        QCOMPARE(runner->Subscribed().Count(), 1);
        QCOMPARE(Feed.EtagsAsked.last(), QByteArray("\"v1\""));
        Feed.ErrorPage = false;
        // Removing the subscription removes what it listed, from the screen and the cache.
        QCOMPARE(runner->SetAccount(store::TSyncAccount{}), QString());
        QTRY_COMPARE(runner->Subscribed().Count(), 0);
        QTRY_VERIFY(!QFile::exists(Folder + store::SubscriptionCacheFileName));
    }

    // A program that syncs with no server and lists no calendar starts no thread for it; one
    // that still keeps copies of calendars it no longer lists takes them away first.
    void NothingToFetchStartsNoThread_data()
    {
        QTest::addColumn<bool>("keptCopy");
        QTest::newRow("nothing subscribed or kept") << false;
        QTest::newRow("a copy kept of a calendar no longer listed") << true;
    }
    void NothingToFetchStartsNoThread()
    {
        QFETCH(bool, keptCopy);
        if (!QFileInfo::exists(QStringLiteral("/proc/self/task")))
            QSKIP("needs the threads' names");
        const QString cache = Folder + store::SubscriptionCacheFileName;
        if (keptCopy)
            store::SaveSubscriptionCache(cache.toStdString(), {{"webcal://feed.example/old.ics"}});
        auto runner = MakeRunner(store::TSyncAccount{});
        runner->Start();
        const auto syncThreads = [] {
            int count = 0;
            const QDir tasks(QStringLiteral("/proc/self/task"));
            for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                QFile name(QStringLiteral("/proc/self/task/%1/comm").arg(task));
                count += name.open(QIODevice::ReadOnly) && name.readAll().trimmed() == "sync";
            }
            return count;
        };
        QTRY_VERIFY(Idle(*runner) && !QFile::exists(cache));
        QTest::qWait(50);
        QCOMPARE(syncThreads(), keptCopy ? 1 : 0);
        QCOMPARE(runner->Subscribed().Count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestSyncRunner)
#include "test_syncrunner.moc"

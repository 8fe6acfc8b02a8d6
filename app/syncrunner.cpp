#include "app/syncrunner.h"

#include "app/applog.h"
#include "app/appcore.h"
#include "ical/calendarservices.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "store/daypaperlist.h"
#include "store/errors.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <ctime>

namespace orvenna::app {
namespace {

constexpr int RequestTimeoutMs = 30000;

ical::TSyncResult SyncWithServer(const ical::TDavAccount& account,
                                 const ical::TSyncOptions& options)
{
    try {
        return ical::CalendarServices().Sync(account, options);
    } catch (const ical::ECalendarModuleMissing& missing) {
        ical::TSyncResult result;
        result.Failure = ical::TSyncFailure::LocalFile;
        result.Error = missing.what();
        return result;
    }
}

ical::THttpReply FetchFromServer(const QUrl& url, const QByteArray& etag,
                                 const QByteArray& lastModified)
{
    ical::TDavAccount account;
    account.Url = url;
    account.TimeoutMs = RequestTimeoutMs;
    try {
        return ical::CalendarServices().Get(account, url, etag, lastModified);
    } catch (const ical::ECalendarModuleMissing& missing) {
        throw ical::ESyncError(ical::TSyncFailure::LocalFile, missing.what());
    }
}

std::shared_ptr<store::TDayPaperList> ReadSubscriptions(
    const std::vector<store::TSubscriptionCopy>& copies)
{
    auto papers = std::make_shared<store::TDayPaperList>();
    for (const store::TSubscriptionCopy& copy : copies) {
        try {
            ical::CalendarServices().Import(copy.Body, *papers);
        } catch (const ical::ENotICalendar&) {
            qCInfo(lcApp) << "subscription is not a calendar:" << copy.Url.c_str();
        } catch (const ical::ECalendarModuleMissing& missing) {
            qCWarning(lcApp) << missing.what();
            break;
        }
    }
    return papers;
}

QString TimeText(double moment, double today)
{
    const QDate date = DateFromDays(moment);
    const QTime time = QTime::fromMSecsSinceStartOfDay(
        static_cast<int>(std::lround((moment - std::floor(moment)) * 86400000.0)) % 86400000);
    const QLocale locale;
    if (date == DateFromDays(today))
        return locale.toString(time, QLocale::ShortFormat);
    return locale.toString(QDateTime(date, time), QLocale::ShortFormat);
}

QString CountsText(const ical::TSyncCounts& counts)
{
    return QString::number(counts.Added + counts.Changed + counts.Deleted);
}

}  // namespace

QString SyncStateText(const TSyncStatus& status, double today)
{
    const ical::TSyncProgress& p = status.Progress;
    if (status.Running) {
        // Only the directions that have work so far.
        QStringList parts;
        if (p.ToReceive > 0)
            parts << TSyncRunner::tr("%1 of %2 received").arg(p.Received).arg(p.ToReceive);
        if (p.ToSend > 0)
            parts << TSyncRunner::tr("%1 of %2 sent").arg(p.Sent).arg(p.ToSend);
        if (parts.isEmpty())
            return TSyncRunner::tr("Syncing...");
        return TSyncRunner::tr("Syncing: %1").arg(parts.join(QStringLiteral(", ")));
    }
    if (status.LastSyncAt == 0)
        return {};
    if (status.Offline)
        return TSyncRunner::tr("Offline since %1: the server cannot be reached")
            .arg(TimeText(status.OfflineSince, today));
    const QString at = TimeText(status.LastSyncAt, today);
    const ical::TSyncResult& r = status.LastResult;
    if (!r.Done())
        return TSyncRunner::tr("The sync at %1 failed").arg(at);
    QString text = TSyncRunner::tr("Synced at %1: %2 received, %3 sent")
                       .arg(at, CountsText(r.Received), CountsText(r.Sent));
    if (r.Conflicts > 0)
        text += TSyncRunner::tr(", %n kept twice (changed on both sides)", nullptr, r.Conflicts);
    if (r.Postponed)
        text += TSyncRunner::tr(", the rest next time");
    return text;
}

QStringList SyncErrorLines(const TSyncStatus& status)
{
    QStringList lines;
    for (const QString& error : status.Errors)
        lines << error;
    for (auto it = status.SubscriptionErrors.begin(); it != status.SubscriptionErrors.end(); ++it)
        lines << TSyncRunner::tr("%1: %2").arg(it.key(), it.value());
    return lines;
}

QUrl SubscriptionUrl(const QString& address)
{
    QUrl url = QUrl::fromUserInput(address.trimmed());
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("webcal") || scheme == QLatin1String("webcals"))
        url.setScheme(QStringLiteral("https"));
    return url;
}

// What a fetch of the subscribed calendars left: what they list, and the calendars that
// could not be fetched.
struct TSyncRunner::TFetchOutcome {
    std::shared_ptr<store::TDayPaperList> Papers;
    QMap<QString, QString> Errors;
};

TSyncRunner::TSyncRunner(platform::TPlatform& platform, platform::TClock& clock,
                         QString programFolder, TSyncWork work, QObject* parent)
    : QObject(parent),
      FPlatform(platform),
      FClock(clock),
      Folder(std::move(programFolder)),
      FSubscribed(std::make_shared<store::TDayPaperList>())
{
    SetWork(std::move(work));
    const std::string failure =
        store::LoadSyncAccount((Folder + QLatin1String(store::SyncAccountFileName)).toStdString(),
                               FAccount);
    if (!failure.empty())
        qCWarning(lcApp) << "sync account:" << failure.c_str();
    Schedule.SetSyncEnabled(FAccount.HasServer());

    Timer = new QTimer(this);
    Timer->setSingleShot(true);
    connect(Timer, &QTimer::timeout, this, &TSyncRunner::Poll);
    Thread = new QThread;
    Thread->setObjectName(QStringLiteral("sync"));
    Worker = new QObject;
    Worker->moveToThread(Thread);
    connect(Thread, &QThread::finished, Worker, &QObject::deleteLater);
    // The thread starts with the first job: a program that never syncs never runs it.
}

TSyncRunner::~TSyncRunner()
{
    Stopping = true;
    if (!Thread->isRunning() && !Thread->isFinished())
        delete Worker;  // never started: nothing lives in the thread
    Thread->quit();
    Thread->wait();
    delete Thread;
}

QObject* TSyncRunner::StartedWorker()
{
    if (!Thread->isRunning())
        Thread->start();
    return Worker;
}

void TSyncRunner::SetWork(TSyncWork work)
{
    Work = std::move(work);
    if (!Work.Sync)
        Work.Sync = SyncWithServer;
    if (!Work.Fetch)
        Work.Fetch = FetchFromServer;
}

QString TSyncRunner::SetAccount(const store::TSyncAccount& account, const QString& password)
{
    try {
        store::SaveSyncAccount(
            (Folder + QLatin1String(store::SyncAccountFileName)).toStdString(), account);
    } catch (const store::EStoreError& failure) {
        return QString::fromStdString(failure.Text());
    }
    if (account.Server != FAccount.Server || account.User != FAccount.User) {
        Password.clear();
        PasswordTyped = false;
        FStatus = TSyncStatus{};
        emit StatusChanged();
    }
    FAccount = account;
    Schedule.SetSyncEnabled(FAccount.HasServer());
    if (!password.isEmpty())
        SetPassword(password);
    if (Started)
        SyncNow();
    return {};
}

void TSyncRunner::SetPassword(const QString& password)
{
    Password = password;
    PasswordTyped = true;
}

void TSyncRunner::Start()
{
    Started = true;
    Schedule.Trigger(TSyncTrigger::Start, FClock.TickCount());
    Poll();
}

void TSyncRunner::NotesChanged()
{
    // The reload of what a sync wrote is no change of the user's.
    if (TakingUpNotes || !Started)
        return;
    Schedule.Trigger(TSyncTrigger::NotesChanged, FClock.TickCount());
    Arm();
}

void TSyncRunner::Resumed()
{
    if (!Started)
        return;
    Schedule.Trigger(TSyncTrigger::Resumed, FClock.TickCount());
    Arm();
}

void TSyncRunner::SyncNow()
{
    if (!Started)
        return;
    Schedule.Trigger(TSyncTrigger::User, FClock.TickCount());
    Poll();
}

void TSyncRunner::Poll()
{
    if (!Started || Busy || Stopping)
        return;
    // The subscribed calendars first: a few conditional requests, and a long first sync
    // does not keep them (or their copies of the last run) off the calendar meanwhile.
    const std::uint32_t now = FClock.TickCount();
    if (Schedule.BeginFetch(now))
        BeginFetch();
    else if (Schedule.BeginSync(now))
        BeginSync();
    Arm();
}

void TSyncRunner::Arm()
{
    Timer->stop();
    const std::optional<std::uint32_t> due = Schedule.NextDue();
    if (Busy || !due)
        return;
    const auto wait = static_cast<std::int32_t>(*due - FClock.TickCount());
    Timer->start(std::max(0, wait));
}

void TSyncRunner::Deliver(std::function<void()> call)
{
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

// ---- syncs -------------------------------------------------------------------------------------

void TSyncRunner::BeginSync()
{
    Busy = true;
    FStatus.Running = true;
    FStatus.Progress = {};
    emit StatusChanged();
    const store::TSyncAccount account = FAccount;
    const QString password = Password;
    const bool store = PasswordTyped;
    QMetaObject::invokeMethod(
        StartedWorker(), [this, account, password, store] { RunSync(account, password, store); },
        Qt::QueuedConnection);
}

void TSyncRunner::RunSync(const store::TSyncAccount& account, QString password,
                          bool storePassword)
{
    const QString server = QString::fromStdString(account.Server);
    const QString user = QString::fromStdString(account.User);
    QString found;
    if (!user.isEmpty() && password.isEmpty()) {
        if (FPlatform.LookupPassword(server, user, found) != platform::TSecretStatus::Found) {
            Deliver([this] { SyncFinished({}, {}, true); });
            return;
        }
        password = found;
    }
    ical::TDavAccount dav;
    dav.Url = QUrl::fromUserInput(server);
    dav.User = user;
    dav.Password = password;
    dav.Calendar = QString::fromStdString(account.Calendar);
    dav.TimeoutMs = RequestTimeoutMs;
    ical::TSyncOptions options;
    options.NotesFile = (Folder + QLatin1String(NotesFileName)).toStdString();
    options.Progress = [this](const ical::TSyncProgress& progress) {
        Deliver([this, progress] {
            FStatus.Progress = progress;
            emit StatusChanged();
        });
    };
    options.Cancelled = [this] { return Stopping.load(); };
    const ical::TSyncResult result = Work.Sync(dav, options);
    if (result.Done() && storePassword && !user.isEmpty() &&
        !FPlatform.StorePassword(server, user, password))
        qCInfo(lcApp) << "the password is kept for this run only";
    Deliver([this, result, found] { SyncFinished(result, found, false); });
}

void TSyncRunner::SyncFinished(const ical::TSyncResult& result, const QString& foundPassword,
                               bool needPassword)
{
    Busy = false;
    FStatus.Running = false;
    const std::uint32_t now = FClock.TickCount();
    if (needPassword) {
        // Asked once per run; until the user gives one, only "Sync now" tries again.
        Schedule.SyncEnded(ical::TSyncFailure::Refused, now);
        FStatus.Errors[ical::TSyncFailure::Refused] =
            tr("No password is known for %1.").arg(QString::fromStdString(FAccount.User));
        emit StatusChanged();
        if (!PasswordAsked) {
            PasswordAsked = true;
            emit PasswordNeeded();
        }
        Poll();
        return;
    }
    if (!foundPassword.isEmpty())
        Password = foundPassword;
    if (result.Done())
        PasswordTyped = false;  // stored, or kept for the run
    Schedule.SyncEnded(result.Failure, now);
    FStatus.LastResult = result;
    FStatus.LastSyncAt = FClock.Now();
    if (!result.Collection.empty())
        FStatus.Collection = QString::fromStdString(result.Collection);
    const bool offline = result.Failure == ical::TSyncFailure::Unreachable;
    if (offline && !FStatus.Offline)
        FStatus.OfflineSince = FStatus.LastSyncAt;
    FStatus.Offline = offline;
    if (result.Done())
        FStatus.Errors.clear();
    else if (!offline && result.Failure != ical::TSyncFailure::Cancelled)
        FStatus.Errors[result.Failure] = QString::fromStdString(result.Error);
    if (result.NotesWritten) {
        TakingUpNotes = true;
        emit NotesArrived();
        TakingUpNotes = false;
    }
    emit StatusChanged();
    Poll();
}

// ---- subscribed calendars ----------------------------------------------------------------------

void TSyncRunner::BeginFetch()
{
    // No calendar subscribed and no copies kept of one: nothing to fetch or to take away, and
    // the thread is not started for it.
    if (FAccount.Subscriptions.empty() &&
        !QFileInfo::exists(Folder + QLatin1String(store::SubscriptionCacheFileName))) {
        Schedule.FetchEnded(FClock.TickCount());
        return;
    }
    Busy = true;
    QStringList urls;
    for (const std::string& url : FAccount.Subscriptions)
        urls << QString::fromStdString(url);
    const bool showCache = !CacheShown;
    CacheShown = true;
    QMetaObject::invokeMethod(StartedWorker(),
                              [this, urls, showCache] { RunFetch(urls, showCache); },
                              Qt::QueuedConnection);
}

void TSyncRunner::RunFetch(const QStringList& urls, bool showCache)
{
    const std::string file = (Folder + QLatin1String(store::SubscriptionCacheFileName)).toStdString();
    std::vector<store::TSubscriptionCopy> cached;
    const std::string damaged = store::LoadSubscriptionCache(file, cached);
    if (!damaged.empty())
        qCWarning(lcApp) << "subscription cache:" << damaged.c_str();
    // The calendars no longer subscribed go at once; the others show their last copy first.
    std::vector<store::TSubscriptionCopy> copies;
    for (const QString& url : urls) {
        const auto old = std::ranges::find(cached, url.toStdString(), &store::TSubscriptionCopy::Url);
        copies.push_back(old != cached.end() ? *old : store::TSubscriptionCopy{url.toStdString()});
    }
    bool changed = copies != cached;
    if ((changed || showCache) && !(copies.empty() && cached.empty())) {
        auto first = std::make_shared<TFetchOutcome>(TFetchOutcome{ReadSubscriptions(copies), {}});
        Deliver([this, first] { FetchFinished(first, false); });
    }

    auto outcome = std::make_shared<TFetchOutcome>();
    bool arrived = false;
    for (store::TSubscriptionCopy& copy : copies) {
        if (Stopping)
            return;
        const QString url = QString::fromStdString(copy.Url);
        try {
            const ical::THttpReply reply =
                Work.Fetch(SubscriptionUrl(url), QByteArray::fromStdString(copy.ETag),
                           QByteArray::fromStdString(copy.LastModified));
            if (reply.Status == 200 && !reply.Body.toUpper().contains("BEGIN:VCALENDAR")) {
                // An error page or a moved file: the last good copy stays.
                outcome->Errors[url] = tr("The address gives no calendar.");
                continue;
            }
            if (reply.Status == 200) {
                copy.Body = reply.Body.toStdString();
                copy.ETag = reply.Header("ETag").toStdString();
                copy.LastModified = reply.Header("Last-Modified").toStdString();
                arrived = true;
            } else if (reply.Status != 304) {
                outcome->Errors[url] = tr("The server answered %1.").arg(reply.Status);
                continue;
            }
            copy.Fetched = std::time(nullptr);
            changed = true;
        } catch (const ical::ESyncError& failure) {
            outcome->Errors[url] = QString::fromStdString(failure.what());
        }
    }
    if (changed) {
        // Without copies the file goes: a start with nothing subscribed then has nothing to
        // fetch or take away, and starts no thread.
        const QString cache = QString::fromStdString(file);
        try {
            if (copies.empty()) {
                if (!QFile::remove(cache) && QFileInfo::exists(cache))
                    qCWarning(lcApp) << "cannot remove" << cache;
            } else {
                store::SaveSubscriptionCache(file, copies);
            }
        } catch (const store::EStoreError& failure) {
            qCWarning(lcApp) << failure.what();
        }
    }
    outcome->Papers = arrived ? ReadSubscriptions(copies) : nullptr;
    Deliver([this, outcome] { FetchFinished(outcome, true); });
}

void TSyncRunner::FetchFinished(const std::shared_ptr<TFetchOutcome>& outcome, bool last)
{
    if (outcome->Papers) {
        FSubscribed = outcome->Papers;
        emit SubscriptionsChanged();
    }
    if (!last)
        return;
    Busy = false;
    FStatus.SubscriptionErrors = outcome->Errors;
    Schedule.FetchEnded(FClock.TickCount());
    emit StatusChanged();
    Poll();
}

}  // namespace orvenna::app

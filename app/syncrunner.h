#pragma once
// TSyncRunner: the program's side of the calendar server. It keeps the sync account
// ("SyncAccount.dat"), runs the syncs of the notes and the fetches of the subscribed calendars
// on a worker thread of its own, one job at a time, when the schedule (app/syncschedule.h)
// says, and tells the windows how far a sync has come and how it ended.
//
// - The notes file is changed by the sync alone (crash-safely, under its lock); NotesArrived
//   then asks the program to take it up at once, so the marks, the today list, the timer and
//   the browsers follow. The change of the notes that this reload announces is not a reason
//   for another sync.
// - The password comes from the desktop's password store (looked up on the worker thread, as
//   the store may block) or from the user: one typed on the Sync page is used at once and put
//   in the store after a sync that the server accepted. Without a store, or without a password
//   in it, PasswordNeeded asks the user once per run.
// - Errors are kept once per kind until a sync is done; offline is a state of its own.
// - The subscribed calendars are fetched with conditional requests and kept in
//   "Subscriptions.dat"; Subscribed() holds what they list, apart from the user's notes.
//
// Made once by the program on the GUI thread; the platform and the clock must outlive it.
// Destroying it stops the worker after the request in progress (a sync cut short leaves the
// files consistent).

#include "app/syncschedule.h"
#include "ical/davtypes.h"
#include "ical/syncengine.h"
#include "store/syncaccount.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

class QThread;
class QTimer;

namespace orvenna::platform {
class TClock;
class TPlatform;
}  // namespace orvenna::platform
namespace orvenna::store {
class TDayPaperList;
}

namespace orvenna::app {

// What the windows show of the syncs.
struct TSyncStatus {
    bool Running = false;
    ical::TSyncProgress Progress;  // of the sync that runs
    double LastSyncAt = 0;         // day count of the end of the last sync; 0: none yet
    ical::TSyncResult LastResult;  // of the last sync that ended
    QString Collection;            // the calendar found
    bool Offline = false;          // the last sync could not reach the server
    double OfflineSince = 0;
    // The errors since the last sync that was done, one per kind, the latest text of each.
    QMap<ical::TSyncFailure, QString> Errors;
    // The subscribed calendars that could not be fetched at their last try, with the reason.
    QMap<QString, QString> SubscriptionErrors;
};

// The work done on the worker thread; tests put in their own.
struct TSyncWork {
    // One sync of the notes (a TDavClient and SyncNotes by default).
    std::function<ical::TSyncResult(const ical::TDavAccount&, const ical::TSyncOptions&)> Sync;
    // One conditional GET of a subscribed calendar (TDavClient::Get by default); throws
    // ical::ESyncError when the server cannot be reached.
    std::function<ical::THttpReply(const QUrl& url, const QByteArray& etag,
                                   const QByteArray& lastModified)>
        Fetch;
};

// The address a subscription is fetched from: webcal:// and webcals:// become https://.
QUrl SubscriptionUrl(const QString& address);

// One line for the tray icon's tool tip and the Sync page: the sync that runs and how far it
// has come, or how the last one ended and when (today is the clock's date, for the time's
// form); empty before the first sync.
QString SyncStateText(const TSyncStatus& status, double today);
// The errors since the last sync that was done, one line per kind, then the subscriptions that
// could not be fetched.
QStringList SyncErrorLines(const TSyncStatus& status);

class TSyncRunner final : public QObject {
    Q_OBJECT

public:
    // Reads the account from programFolder (ending with '/'); syncs nothing before Start().
    TSyncRunner(platform::TPlatform& platform, platform::TClock& clock, QString programFolder,
                TSyncWork work = {}, QObject* parent = nullptr);
    ~TSyncRunner() override;

    // Puts in the work done on the worker (tests); before Start() only.
    void SetWork(TSyncWork work);

    const store::TSyncAccount& Account() const { return FAccount; }
    // Saves the account (a failure is returned in the file library's words, nothing changed)
    // and, when it names a server, syncs at once; a new server or user forgets the password
    // known so far. An empty password keeps the one known.
    QString SetAccount(const store::TSyncAccount& account, const QString& password = {});
    // The user typed the password (asked by PasswordNeeded): used from the next sync on.
    void SetPassword(const QString& password);
    // A password is known for this run.
    bool HasPassword() const { return !Password.isEmpty(); }

    const TSyncStatus& Status() const { return FStatus; }
    // What the subscribed calendars list, read-only; empty before the first fetch ended.
    store::TDayPaperList& Subscribed() const { return *FSubscribed; }

    // ---- triggers --------------------------------------------------------------------------
    void Start();
    void NotesChanged();
    void Resumed();
    void SyncNow();
    // Checks the schedule now (what the runner's timer does when it fires).
    void Poll();

signals:
    // Status() changed: a sync began, came further or ended.
    void StatusChanged();
    // A sync wrote the notes file: it must be taken up now.
    void NotesArrived();
    // The server asks for a password that is not known; emitted once per run.
    void PasswordNeeded();
    // Subscribed() changed.
    void SubscriptionsChanged();

private:
    struct TFetchOutcome;
    void Arm();
    void BeginSync();
    void SyncFinished(const ical::TSyncResult& result, const QString& foundPassword,
                      bool needPassword);
    void BeginFetch();
    void FetchFinished(const std::shared_ptr<TFetchOutcome>& outcome, bool last);
    // Runs on the worker thread.
    void RunSync(const store::TSyncAccount& account, QString password, bool storePassword);
    void RunFetch(const QStringList& urls, bool showCache);
    void Deliver(std::function<void()> call);
    // The worker, its thread started with the first job.
    QObject* StartedWorker();

    platform::TPlatform& FPlatform;
    platform::TClock& FClock;
    QString Folder;
    TSyncWork Work;
    store::TSyncAccount FAccount;
    QString Password;          // known for this run
    bool PasswordTyped = false;  // by the user: stored after a sync the server accepted
    bool PasswordAsked = false;
    bool CacheShown = false;  // the cached subscriptions were read once this run
    bool Started = false;
    bool Busy = false;           // a job runs on the worker
    bool TakingUpNotes = false;  // while NotesArrived runs
    TSyncSchedule Schedule;
    TSyncStatus FStatus;
    std::shared_ptr<store::TDayPaperList> FSubscribed;
    QTimer* Timer = nullptr;  // child
    QThread* Thread = nullptr;  // runs from the first job on
    QObject* Worker = nullptr;  // lives in Thread
    std::atomic<bool> Stopping{false};
};

}  // namespace orvenna::app

#include "ical/syncengine.h"

#include "ical/synclocal.h"
#include "ical/syncstate.h"
#include "store/daypaperlist.h"
#include "store/errors.h"
#include "store/filesave.h"

#if __has_include("store/filelock.h")
#include "store/filelock.h"
#define ORVENNA_HAS_FILELOCK 1
#endif

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <set>

namespace orvenna::ical {
namespace {

using store::TDayPaperList;

constexpr std::size_t FetchBatch = 200;  // hrefs per calendar-multiget
constexpr int WriteTries = 3;            // a 412 or 409 decides again this often

#ifdef ORVENNA_HAS_FILELOCK
using TNotesLock = store::TFileLock;
#else
struct TNotesLock {
    TNotesLock(const std::string&, std::chrono::milliseconds) {}
};
#endif

// The notes file as it was read: its bytes (none when it did not exist) and the store.
struct TNotesRead {
    std::optional<std::string> Bytes;
    std::unique_ptr<TDayPaperList> Store;
};

TNotesRead ReadNotes(const std::string& fileName)
{
    TNotesRead read;
    read.Store = std::make_unique<TDayPaperList>();
    std::error_code error;
    if (!std::filesystem::exists(fileName, error) && !error)
        return read;
    read.Bytes = store::ReadWholeFile(fileName);
    const std::string failure = read.Store->LoadFromBytes(*read.Bytes);
    if (!failure.empty())
        throw ESyncError(TSyncFailure::LocalFile,
                         fileName + " was read only up to a failure (" + failure +
                             "); nothing was synced");
    return read;
}

std::string RandomHex()
{
    static thread_local std::mt19937_64 random{std::random_device{}()};
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(random()));
    return text;
}

// A file name of the UID's safe characters.
std::string FileNameOf(const std::string& uid)
{
    std::string name;
    for (const char c : uid)
        name += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.'
                    ? c
                    : '-';
    return name + ".ics";
}

// What one fetched resource holds.
struct TFetched {
    std::string Etag;
    std::vector<TCalendarItem> Items;
    bool Partial = false;
};

// An item of the notes to be written as a new resource.
struct TCreate {
    TCalendarItem Item;
};

class TSync final {
public:
    TSync(TCalendarServer& server, const TSyncOptions& options, TSyncResult& result)
        : Server(server), Options(options), Result(result),
          StateFile(options.StateFile.empty() ? SyncStateFileFor(options.NotesFile)
                                              : options.StateFile),
          ZoneName(options.ZoneName ? *options.ZoneName : SystemZoneName())
    {
    }

    void Run()
    {
        Result.Collection = Server.CollectionUrl();
        ReadLocal();
        Check();
        ListRemote();
        Guard();
        FetchChanged();
        for (const auto& [href, record] : Old.Records)
            DecideRecord(href);
        for (const auto& [href, fetched] : Fetched)
            if (!Old.Records.contains(href))
                DecideNew(href, fetched);
        for (const int piece : Local->NewPieces())
            Creates.push_back({Local->ItemOf(piece)});
        WriteAll();
        Finish();
    }

private:
    // --- the notes and the side file -----------------------------------------------------

    void ReadLocal()
    {
        try {
            TNotesLock lock(Options.NotesFile, Options.LockWait);
            Notes = ReadNotes(Options.NotesFile);
            Old = LoadSyncState(StateFile);
        } catch (const ESyncStateError& failure) {
            throw ESyncError(TSyncFailure::LocalFile, std::string(failure.what()) +
                                                          "; move it away to sync afresh");
        } catch (const store::EStoreError& failure) {
            throw ESyncError(TSyncFailure::LocalFile, failure.Text());
        }
        if (Old.Collection != Result.Collection)
            Old = TSyncState{};  // another calendar: a first sync with it
        for (const auto& [href, record] : Old.Records)
            for (const TSyncEntry& entry : record.Entries) {
                EntriesOf[href].push_back(static_cast<int>(AllEntries.size()));
                AllEntries.push_back(entry);
            }
        Local = std::make_unique<TLocalNotes>(*Notes.Store, AllEntries);
    }

    void Check()
    {
        if (Options.Cancelled && Options.Cancelled())
            throw ESyncError(TSyncFailure::Cancelled, "the sync was cancelled");
    }

    void Report()
    {
        if (Options.Progress)
            Options.Progress(Progress);
    }

    // --- what the server holds ---------------------------------------------------------------

    void ListRemote()
    {
        Info = Server.Describe();
        Check();
        std::vector<TResource> all;
        if (Old.Records.empty() && Server.FetchAll(all)) {
            // A first sync takes everything in one go; the token read before it is safe to
            // keep, as what changes after it is listed next time.
            Progress.ToReceive = static_cast<int>(all.size());
            Take(all);
            Progress.Received = Progress.ToReceive;
            Report();
            Check();
            return;
        }
        for (const auto& [href, record] : Old.Records)
            RemoteEtag[href] = record.Etag;
        const bool sameToken = !Info.SyncToken.empty() && Info.SyncToken == Old.SyncToken;
        const bool sameCtag = !Info.Ctag.empty() && Info.Ctag == Old.Ctag;
        if (!Old.Records.empty() && (sameToken || sameCtag))
            return;  // nothing changed there
        TChangeList changes;
        if (Info.SyncCollection && !Old.SyncToken.empty() &&
            Server.ChangesSince(Old.SyncToken, changes)) {
            for (const TResourceTag& tag : changes.Changed)
                RemoteEtag[tag.Href] = tag.Etag;
            for (const std::string& href : changes.Removed)
                RemoteEtag.erase(href);
        } else {
            // Everything, with the server's own listing.
            changes = {};
            if (!Info.SyncCollection || !Server.ChangesSince("", changes))
                changes = {{}, Server.ListAll(), {}};
            RemoteEtag.clear();
            for (const TResourceTag& tag : changes.Changed)
                RemoteEtag[tag.Href] = tag.Etag;
        }
        Info.SyncToken = changes.SyncToken;
        Check();
    }

    // Nothing is deleted when one side is empty and the other holds items synced before.
    void Guard()
    {
        if (Options.ForceDelete || !Old.HasEntries())
            return;
        int stillLocal = 0;
        int stillRemote = 0;
        for (const auto& [href, indexes] : EntriesOf) {
            if (RemoteEtag.contains(href))
                stillRemote += static_cast<int>(indexes.size());
            for (const int entry : indexes)
                stillLocal += Local->Status(entry) != TLocalStatus::Gone;
        }
        if (RemoteEtag.empty() && stillLocal > 0)
            throw ESyncError(TSyncFailure::Guard,
                             "the calendar on the server is empty, but " +
                                 std::to_string(stillLocal) +
                                 " items synced before are still in the notes; nothing was "
                                 "deleted (sync with --force-delete to delete them here too)");
        if (Local->Empty() && stillRemote > 0)
            throw ESyncError(TSyncFailure::Guard,
                             "the notes are empty, but " + std::to_string(stillRemote) +
                                 " items synced before are still on the server; nothing was "
                                 "deleted (sync with --force-delete to delete them there too)");
    }

    void FetchChanged()
    {
        std::vector<std::string> wanted;
        for (const auto& [href, etag] : RemoteEtag) {
            const auto old = Old.Records.find(href);
            if (Fetched.contains(href))
                continue;
            if (old == Old.Records.end() || old->second.Etag.empty() || old->second.Etag != etag)
                wanted.push_back(href);
        }
        Fetch(wanted);
    }

    void Fetch(const std::vector<std::string>& hrefs)
    {
        Progress.ToReceive += static_cast<int>(hrefs.size());
        for (std::size_t start = 0; start < hrefs.size(); start += FetchBatch) {
            const std::vector<std::string> batch(
                hrefs.begin() + start, hrefs.begin() + std::min(hrefs.size(), start + FetchBatch));
            Take(Server.Fetch(batch));
            Progress.Received += static_cast<int>(batch.size());
            Report();
            Check();
        }
        // A resource listed but gone by the time it was fetched is gone.
        for (const std::string& href : hrefs)
            if (!Fetched.contains(href))
                RemoteEtag.erase(href);
    }

    // Reads fetched resources.
    void Take(const std::vector<TResource>& resources)
    {
        for (const TResource& resource : resources) {
            TImportSummary skipped;
            TFetched fetched{resource.Etag, {}, false};
            try {
                fetched.Items = ReadCalendarItems(resource.Data, skipped, ZoneName);
                fetched.Partial = skipped.Skipped() > 0;
            } catch (const ENotICalendar&) {
                fetched.Partial = true;
            }
            RemoteEtag[resource.Href] = resource.Etag;
            Fetched[resource.Href] = std::move(fetched);
        }
    }

    // --- decisions ---------------------------------------------------------------------------

    // One item of a resource as the sync will leave it.
    struct TKept {
        std::string Uid;
        TCalendarItem Item;  // what the server holds or will hold
        std::uint64_t Digest = 0;
        std::uint64_t ServerDigest = 0;
    };

    // What the sync does about one resource the side file knows.
    struct TPlan {
        std::string Href;
        std::vector<TKept> Kept;
        std::vector<std::pair<int, std::optional<TCalendarItem>>> Edits;  // piece: remove/replace
        std::vector<TCalendarItem> Arrivals;
        std::vector<TCreate> Creates;
        TSyncCounts Received;
        int Conflicts = 0;
        bool Write = false;  // the server's copy must become Kept
        bool Partial = false;
    };

    std::uint64_t RoundTripDigest(TCalendarItem item) const
    {
        if (item.Uid.empty())
            item.Uid = "x";
        TImportSummary skipped;
        TExportOptions options;
        options.ZoneName = ZoneName;
        const auto read =
            ReadCalendarItems(ExportItems({item}, options), skipped, ZoneName);
        return read.size() == 1 ? ItemDigest(read.front()) : ItemDigest(item);
    }

    TKept KeptLocal(const std::string& uid, const TCalendarItem& item, std::uint64_t serverDigest)
    {
        TCalendarItem withUid = item;
        withUid.Uid = uid;
        return {uid, withUid, ItemDigest(item), serverDigest};
    }

    TKept KeptArrived(const TCalendarItem& item)
    {
        const std::uint64_t digest = ItemDigest(item);
        return {item.Uid, item, digest, digest};
    }

    void DecideRecord(const std::string& href)
    {
        const TSyncRecord& record = Old.Records.at(href);
        TPlan plan;
        plan.Href = href;
        plan.Partial = record.Partial;
        const auto remote = RemoteEtag.find(href);
        if (remote == RemoteEtag.end())
            PlanRemoteGone(plan);
        else if (const auto fetched = Fetched.find(href); fetched != Fetched.end())
            PlanRemoteChanged(plan, fetched->second);
        else
            PlanRemoteSame(plan);
        Execute(std::move(plan), remote == RemoteEtag.end() ? "" : remote->second);
    }

    const std::vector<int>& EntriesOfHref(const std::string& href) const
    {
        static const std::vector<int> none;
        const auto found = EntriesOf.find(href);
        return found == EntriesOf.end() ? none : found->second;
    }

    void PlanRemoteSame(TPlan& plan)
    {
        for (const int e : EntriesOfHref(plan.Href)) {
            const TSyncEntry& entry = AllEntries[e];
            const int piece = Local->PieceOf(e);
            switch (Local->Status(e)) {
            case TLocalStatus::Same:
                plan.Kept.push_back(KeptLocal(entry.Uid, Local->ItemOf(piece), entry.ServerDigest));
                break;
            case TLocalStatus::Changed:
                LocalChange(plan, entry.Uid, piece);
                break;
            case TLocalStatus::Gone:
                LocalDeletion(plan, piece);
                break;
            }
        }
    }

    void LocalChange(TPlan& plan, const std::string& uid, int piece)
    {
        if (plan.Partial) {  // never written over: the change goes as a new resource
            plan.Creates.push_back({Local->ItemOf(piece)});
            return;
        }
        plan.Kept.push_back(KeptLocal(uid, Local->ItemOf(piece), 0));
        plan.Write = true;
    }

    void LocalDeletion(TPlan& plan, int piece)
    {
        if (piece >= 0)  // a note of several days deleted on its first day: the others go too
            plan.Edits.emplace_back(piece, std::nullopt);
        plan.Write = plan.Write || !plan.Partial;
    }

    // Deletion never wins over a change: what the notes changed stays and goes as a new resource.
    void PlanRemoteGone(TPlan& plan)
    {
        for (const int e : EntriesOfHref(plan.Href)) {
            const int piece = Local->PieceOf(e);
            switch (Local->Status(e)) {
            case TLocalStatus::Same:
                plan.Edits.emplace_back(piece, std::nullopt);
                ++plan.Received.Deleted;
                break;
            case TLocalStatus::Changed: plan.Creates.push_back({Local->ItemOf(piece)}); break;
            case TLocalStatus::Gone: break;
            }
        }
    }

    // The server's copy changed: item by item (paired by UID), a change on one side goes to the
    // other, a deletion loses to a change, and two different changes are both kept.
    void PlanRemoteChanged(TPlan& plan, const TFetched& fetched)
    {
        plan.Partial = fetched.Partial;
        const std::vector<int>& entries = EntriesOfHref(plan.Href);
        std::vector<int> partner(entries.size(), -1);
        std::vector<bool> paired(fetched.Items.size(), false);
        for (std::size_t i = 0; i < entries.size(); ++i)
            for (std::size_t f = 0; f < fetched.Items.size(); ++f)
                if (!paired[f] && fetched.Items[f].Uid == AllEntries[entries[i]].Uid) {
                    partner[i] = static_cast<int>(f);
                    paired[f] = true;
                    break;
                }
        if (entries.size() == 1 && fetched.Items.size() == 1 && partner[0] < 0) {
            partner[0] = 0;  // one item whose UID the server changed
            paired[0] = true;
        }
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (partner[i] < 0)
                PlanItemRemoved(plan, entries[i]);
            else
                PlanItemThere(plan, entries[i], fetched.Items[partner[i]]);
        }
        for (std::size_t f = 0; f < fetched.Items.size(); ++f)
            if (!paired[f])
                PlanItemNew(plan, fetched.Items[f]);
    }

    void PlanItemRemoved(TPlan& plan, int e)
    {
        const int piece = Local->PieceOf(e);
        switch (Local->Status(e)) {
        case TLocalStatus::Same:
            plan.Edits.emplace_back(piece, std::nullopt);
            ++plan.Received.Deleted;
            break;
        case TLocalStatus::Changed: plan.Creates.push_back({Local->ItemOf(piece)}); break;
        case TLocalStatus::Gone: break;
        }
    }

    void PlanItemThere(TPlan& plan, int e, const TCalendarItem& there)
    {
        const TSyncEntry& entry = AllEntries[e];
        const int piece = Local->PieceOf(e);
        const std::uint64_t thereDigest = ItemDigest(there);
        const bool serverChanged = thereDigest != entry.ServerDigest;
        switch (Local->Status(e)) {
        case TLocalStatus::Same:
            if (!serverChanged) {
                plan.Kept.push_back(KeptLocal(entry.Uid, Local->ItemOf(piece), thereDigest));
                return;
            }
            plan.Edits.emplace_back(piece, there);
            plan.Kept.push_back(KeptArrived(there));
            ++plan.Received.Changed;
            return;
        case TLocalStatus::Changed: {
            const TCalendarItem mine = Local->ItemOf(piece);
            if (!serverChanged) {
                LocalChange(plan, entry.Uid, piece);
                return;
            }
            if (RoundTripDigest(mine) == thereDigest) {  // the same change on both sides
                plan.Kept.push_back(KeptLocal(entry.Uid, mine, thereDigest));
                return;
            }
            // Both changed it differently: both versions on both sides.
            plan.Arrivals.push_back(there);
            plan.Kept.push_back(KeptArrived(there));
            plan.Creates.push_back({mine});
            ++plan.Received.Added;
            ++plan.Conflicts;
            return;
        }
        case TLocalStatus::Gone:
            if (!serverChanged) {
                LocalDeletion(plan, piece);
                return;
            }
            if (piece >= 0)
                plan.Edits.emplace_back(piece, there);
            else
                plan.Arrivals.push_back(there);
            plan.Kept.push_back(KeptArrived(there));
            ++plan.Received.Added;
            return;
        }
    }

    // An item new in a resource: the same item in the notes is taken, else it arrives.
    void PlanItemNew(TPlan& plan, const TCalendarItem& item)
    {
        const int piece = Local->TakeMatch(item);
        if (piece >= 0) {
            plan.Kept.push_back(KeptLocal(item.Uid, Local->ItemOf(piece), ItemDigest(item)));
            return;
        }
        plan.Arrivals.push_back(item);
        plan.Kept.push_back(KeptArrived(item));
        ++plan.Received.Added;
    }

    void DecideNew(const std::string& href, const TFetched& fetched)
    {
        TPlan plan;
        plan.Href = href;
        plan.Partial = fetched.Partial;
        for (const TCalendarItem& item : fetched.Items)
            PlanItemNew(plan, item);
        Execute(std::move(plan), fetched.Etag);
    }

    // --- writing -----------------------------------------------------------------------------

    TSyncRecord RecordOf(const TPlan& plan, const std::string& etag) const
    {
        TSyncRecord record{plan.Href, etag, {}, plan.Partial};
        for (const TKept& kept : plan.Kept) {
            TSyncEntry entry;
            entry.Uid = kept.Uid;
            entry.IsNote = kept.Item.IsNote;
            entry.Day = kept.Item.IsNote ? kept.Item.Day : store::DateOf(kept.Item.When);
            entry.Days = std::max(kept.Item.Days, 1);
            entry.LineCount = static_cast<int>(kept.Item.Lines.size());
            entry.Digest = kept.Digest;
            entry.ServerDigest = kept.ServerDigest;
            if (!entry.IsNote || entry.LineCount > 0)
                record.Entries.push_back(entry);
        }
        return record;
    }

    // Carries a plan out: writes the server's copy when it must (a 412 fetches it and decides
    // again), then takes the edits and counts.
    void Execute(TPlan plan, std::string etag)
    {
        for (int tries = 0; plan.Write; ++tries) {
            Check();
            std::vector<TCalendarItem> items;
            for (TKept& kept : plan.Kept) {
                if (kept.Item.Uid.empty())
                    kept.Item.Uid = kept.Uid = RandomHex() + "@orvenna";
                kept.ServerDigest = RoundTripDigest(kept.Item);
                items.push_back(kept.Item);
            }
            ++Progress.ToSend;
            TWriteStatus status;
            std::string newEtag;
            if (items.empty()) {
                status = Server.Delete(plan.Href, etag);
            } else {
                TExportOptions options;
                options.ZoneName = ZoneName;
                const TWriteResult written = Server.Put(plan.Href, ExportItems(items, options), etag);
                status = written.Status;
                newEtag = written.Etag;
            }
            ++Progress.Sent;
            Report();
            if (status == TWriteStatus::Done) {
                TSyncCounts& sent = Result.Sent;
                ++(items.empty() ? sent.Deleted : sent.Changed);
                Commit(plan, items.empty() ? std::nullopt
                                           : std::optional(RecordOf(plan, newEtag)),
                       plan.Edits.empty() && plan.Arrivals.empty());
                return;
            }
            if (tries + 1 >= WriteTries)
                return;  // left as it was: the next sync decides again
            // Changed meanwhile (or its UID taken): fetch it and decide again.
            Fetched.erase(plan.Href);
            RemoteEtag.erase(plan.Href);
            Fetch({plan.Href});
            const TPlan again = Replan(plan.Href);
            plan = again;
            etag = RemoteEtag.contains(plan.Href) ? RemoteEtag[plan.Href] : "";
        }
        const bool gone = !RemoteEtag.contains(plan.Href);
        Commit(plan, gone ? std::nullopt : std::optional(RecordOf(plan, etag)), false);
    }

    TPlan Replan(const std::string& href)
    {
        TPlan plan;
        plan.Href = href;
        plan.Partial = Old.Records.contains(href) && Old.Records.at(href).Partial;
        const auto fetched = Fetched.find(href);
        if (fetched == Fetched.end())
            PlanRemoteGone(plan);
        else
            PlanRemoteChanged(plan, fetched->second);
        return plan;
    }

    // Takes a plan's edits and its record. A record that needs the notes' edits is kept apart,
    // so that it is saved only with them.
    void Commit(const TPlan& plan, std::optional<TSyncRecord> record, bool sentOnly)
    {
        for (const auto& [piece, edit] : plan.Edits) {
            if (edit)
                Local->Replace(piece, *edit);
            else
                Local->Remove(piece);
        }
        for (const TCalendarItem& item : plan.Arrivals)
            Local->Add(item);
        Received.Added += plan.Received.Added;
        Received.Changed += plan.Received.Changed;
        Received.Deleted += plan.Received.Deleted;
        Result.Conflicts += plan.Conflicts;
        const bool needsNotes = !plan.Edits.empty() || !plan.Arrivals.empty();
        (sentOnly && !needsNotes ? SentRecords : ArrivedRecords)[plan.Href] = std::move(record);
        Creates.insert(Creates.end(), plan.Creates.begin(), plan.Creates.end());
    }

    // The UIDs the collection and this sync use, so that a new one differs from all.
    bool UidTaken(const std::string& uid) const
    {
        if (UsedUids.contains(uid))
            return true;
        for (const TSyncEntry& entry : AllEntries)
            if (entry.Uid == uid)
                return true;
        for (const auto& [href, fetched] : Fetched)
            for (const TCalendarItem& item : fetched.Items)
                if (item.Uid == uid)
                    return true;
        return false;
    }

    std::string NewUid(const TCalendarItem& item)
    {
        std::string base = ExportUid(item);
        if (base.empty())
            base = RandomHex() + "@orvenna";
        std::string uid = base;
        const std::size_t at = base.rfind('@');
        for (int n = 2; UidTaken(uid); ++n)
            uid = base.substr(0, at) + "-" + std::to_string(n) + base.substr(at);
        UsedUids.insert(uid);
        return uid;
    }

    void WriteAll()
    {
        // The new items are all known now: a long first sync says how many are still to go.
        Progress.ToSend += static_cast<int>(Creates.size());
        if (!Creates.empty())
            Report();
        for (std::size_t i = 0; i < Creates.size(); ++i)
            Create(Creates[i].Item);
    }

    // A new resource: If-None-Match: *. A 409 (its UID is taken) tries a new UID; a 412 (the
    // name is taken) adopts the resource there when it holds the same item, else tries a new
    // name.
    void Create(TCalendarItem item)
    {
        item.Uid = NewUid(item);
        TExportOptions options;
        options.ZoneName = ZoneName;
        const std::uint64_t serverDigest = RoundTripDigest(item);
        for (int tries = 0; tries < WriteTries; ++tries) {
            Check();
            const std::string href = Server.NewHref(FileNameOf(item.Uid));
            if (tries > 0)
                ++Progress.ToSend;  // the first try was counted with the others
            const TWriteResult written = Server.Put(href, ExportItems({item}, options), "");
            ++Progress.Sent;
            Report();
            TPlan plan;
            plan.Href = href;
            plan.Kept.push_back(KeptLocal(item.Uid, item, serverDigest));
            if (written.Status == TWriteStatus::Done) {
                ++Result.Sent.Added;
                SentRecords[href] = RecordOf(plan, written.Etag);
                return;
            }
            if (written.Status == TWriteStatus::PreconditionFailed) {
                Fetch({href});
                const auto there = Fetched.find(href);
                if (there != Fetched.end() && there->second.Items.size() == 1 &&
                    ItemDigest(there->second.Items.front()) == serverDigest) {
                    plan.Kept.front().Uid = there->second.Items.front().Uid;
                    SentRecords[href] = RecordOf(plan, there->second.Etag);
                    return;
                }
            }
            item.Uid = RandomHex() + "-" + item.Uid;
            UsedUids.insert(item.Uid);
        }
        throw ESyncError(TSyncFailure::Server,
                         "the server took no name and no UID offered for a new item");
    }

    // --- the end -----------------------------------------------------------------------------

    TSyncState StateWith(bool arrived) const
    {
        TSyncState state = Old;
        state.Collection = Result.Collection;
        if (arrived) {
            state.Ctag = Info.Ctag;
            state.SyncToken = Info.SyncToken;
            for (const auto& [href, record] : ArrivedRecords)
                Set(state, href, record);
        }
        for (const auto& [href, record] : SentRecords)
            Set(state, href, record);
        return state;
    }

    static void Set(TSyncState& state, const std::string& href,
                    const std::optional<TSyncRecord>& record)
    {
        if (record)
            state.Records[href] = *record;
        else
            state.Records.erase(href);
    }

    // Under the lock: the notes file is read again; when it is as it was, what arrived is
    // written to it, then the side file.
    void Finish()
    {
        try {
            TNotesLock lock(Options.NotesFile, Options.LockWait);
            std::optional<std::string> now;
            std::error_code error;
            if (std::filesystem::exists(Options.NotesFile, error) || error)
                now = store::ReadWholeFile(Options.NotesFile);
            const bool unchanged = now == Notes.Bytes;
            const bool arrived = Local->HasEdits();
            if (unchanged && arrived) {
                Local->Apply();
                Notes.Store->SaveToFile(Options.NotesFile);
                Result.NotesWritten = true;
            }
            Result.Postponed = !unchanged && arrived;
            if (!Result.Postponed)
                Result.Received = Received;
            SaveSyncState(StateFile, StateWith(!Result.Postponed));
        } catch (const store::EStoreError& failure) {
            throw ESyncError(TSyncFailure::LocalFile, failure.Text());
        }
    }

    TCalendarServer& Server;
    const TSyncOptions& Options;
    TSyncResult& Result;
    std::string StateFile;
    std::string ZoneName;  // the local zone's

    TNotesRead Notes;
    TSyncState Old;
    std::vector<TSyncEntry> AllEntries;
    std::map<std::string, std::vector<int>> EntriesOf;  // href -> indexes into AllEntries
    std::unique_ptr<TLocalNotes> Local;

    TCollectionInfo Info;
    std::map<std::string, std::string> RemoteEtag;  // what the server holds now
    std::map<std::string, TFetched> Fetched;

    std::vector<TCreate> Creates;
    std::set<std::string> UsedUids;
    std::map<std::string, std::optional<TSyncRecord>> SentRecords;
    std::map<std::string, std::optional<TSyncRecord>> ArrivedRecords;
    TSyncCounts Received;
    TSyncProgress Progress;
};

}  // namespace

std::string SyncStateFileFor(const std::string& notesFile)
{
    return (std::filesystem::path(notesFile).parent_path() / "Sync.dat").string();
}

TSyncResult SyncNotes(TCalendarServer& server, const TSyncOptions& options)
{
    TSyncResult result;
    try {
        TSync(server, options, result).Run();
    } catch (const ESyncError& failure) {
        result.Failure = failure.Kind;
        result.Error = failure.what();
    } catch (const ENotICalendar& failure) {
        result.Failure = TSyncFailure::Server;
        result.Error = failure.what();
    }
    if (!result.Done())
        result.Received = {};
    return result;
}

}  // namespace orvenna::ical

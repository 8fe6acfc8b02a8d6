#pragma once
// The calendar collection on a server, as the sync sees it: what changed there, fetching
// resources, and writing them under preconditions. Standard library only; the HTTP and XML
// side (davclient.h) implements it, the tests implement it in memory.
//
// Hrefs are the server's paths of resources ("/u/cal/a.ics"), decoded from their percent
// form; they name a resource for as long as it lives. Every call blocks until the server has
// answered, and throws ESyncError when it cannot be reached or refuses.

#include <stdexcept>
#include <string>
#include <vector>

namespace orvenna::ical {

// Why a sync stopped; the command line maps them to its exit status.
enum class TSyncFailure {
    None,
    Refused,      // 401 or 403: the user name or password, or no right to the calendar
    Server,       // a 5xx answer, or an answer that makes no sense
    Unreachable,  // no connection, a timeout, a name that does not resolve
    Untrusted,    // the server's certificate is not trusted
    Guard,        // one side is empty: nothing deleted (see TSyncOptions::ForceDelete)
    LocalFile,    // the notes file or the side file cannot be read or written
    Cancelled,    // stopped by the caller
};

class ESyncError final : public std::runtime_error {
public:
    ESyncError(TSyncFailure kind, const std::string& message)
        : std::runtime_error(message), Kind(kind)
    {
    }
    TSyncFailure Kind;
};

// The change markers of the collection itself.
struct TCollectionInfo {
    std::string Ctag;       // getctag; empty when the server has none
    std::string SyncToken;  // the token of now; empty without sync-collection
    bool SyncCollection = false;
};

struct TResourceTag {
    std::string Href;
    std::string Etag;  // as the server quotes it ("\"abc\""); may be empty
};

// What changed since a sync token.
struct TChangeList {
    std::string SyncToken;             // the token of the listed state
    std::vector<TResourceTag> Changed; // added or changed resources
    std::vector<std::string> Removed;  // hrefs of removed resources
};

struct TResource {
    std::string Href;
    std::string Etag;
    std::string Data;  // the iCalendar text
};

enum class TWriteStatus {
    Done,
    PreconditionFailed,  // 412: If-Match or If-None-Match did not hold (or 404 on If-Match)
    UidConflict,         // 409 or 403 with no-uid-conflict: the UID is taken by another resource
};

struct TWriteResult {
    TWriteStatus Status = TWriteStatus::Done;
    std::string Etag;  // the new etag when the server gave one in its answer
};

class TCalendarServer {
public:
    virtual ~TCalendarServer() = default;

    // The collection's address, after discovery when the server address was not one.
    virtual std::string CollectionUrl() = 0;
    virtual TCollectionInfo Describe() = 0;
    // The changes since the token (an empty token: every resource). False when the server
    // no longer takes the token; the caller then lists everything.
    virtual bool ChangesSince(const std::string& token, TChangeList& changes) = 0;
    // Every resource with its etag.
    virtual std::vector<TResourceTag> ListAll() = 0;
    // Every resource with its data, in one request (a first sync). False when the server does
    // not offer that; the caller then lists and fetches.
    virtual bool FetchAll(std::vector<TResource>& all) = 0;
    // The resources of the hrefs; hrefs that are gone are left out.
    virtual std::vector<TResource> Fetch(const std::vector<std::string>& hrefs) = 0;
    // Writes a resource: with ifMatch the resource's etag must still be that one; without it
    // the resource must not exist yet (If-None-Match: *).
    virtual TWriteResult Put(const std::string& href, const std::string& data,
                             const std::string& ifMatch) = 0;
    // Removes a resource whose etag is still ifMatch (any etag when it is empty). A resource
    // that is gone already counts as done.
    virtual TWriteStatus Delete(const std::string& href, const std::string& ifMatch) = 0;
    // The href of a new resource of that file name in the collection.
    virtual std::string NewHref(const std::string& fileName) = 0;
};

}  // namespace orvenna::ical

#pragma once
// Two side files of the program folder for the calendar server: "SyncAccount.dat", the account
// the notes sync with and the read-only calendars the user subscribed to, and
// "Subscriptions.dat", the cache of what those calendars held when they were last fetched.
// Neither the notes file nor the settings file holds any of this, and no password is ever
// written (the desktop's password store keeps it).
//
// Both are plain text with LF ends. The account:
//
//     Orvenna sync account 1
//     Server=https://cloud.example.org/remote.php/dav/
//     User=anna
//     Calendar=
//     Subscription=webcal://example.org/holidays.ics
//     End
//
// The cache, one block per calendar, each body preceded by its length in bytes:
//
//     Orvenna subscriptions 1
//     Url=https://example.org/holidays.ics
//     ETag="abc"
//     LastModified=Tue, 01 Oct 2024 10:00:00 GMT
//     Fetched=1727776800
//     Body=1234
//     <1234 bytes>
//     End
//
// Lines of an unknown key are skipped (a later version may add some); anything else that does
// not read, and a file without its "End" line, counts as damaged as a whole.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvenna::store {

inline constexpr const char* SyncAccountFileName = "SyncAccount.dat";
inline constexpr const char* SubscriptionCacheFileName = "Subscriptions.dat";

struct TSyncAccount {
    std::string Server;    // a calendar collection, or a server address to discover from
    std::string User;      // empty: the server asks for no name
    std::string Calendar;  // with discovery: the calendar's name; empty: the first one
    std::vector<std::string> Subscriptions;  // addresses of .ics files, in the user's order

    // Something to sync with.
    bool HasServer() const { return !Server.empty(); }
    bool operator==(const TSyncAccount&) const = default;
};

// One subscribed calendar as it was last fetched.
struct TSubscriptionCopy {
    std::string Url;
    std::string ETag;          // as the server sent it; empty: none
    std::string LastModified;  // the server's Last-Modified text; empty: none
    std::int64_t Fetched = 0;  // seconds since 1970 of the last answer (a copy or "unchanged")
    std::string Body;          // the iCalendar text
    bool operator==(const TSubscriptionCopy&) const = default;
};

std::string SyncAccountToText(const TSyncAccount& account);
// Reads the text into account. On an unknown version or a damaged line returns what is wrong
// ("unknown version ...", "line 3: ...") and leaves account as it was; empty on success.
std::string SyncAccountFromText(std::string_view text, TSyncAccount& account);

std::string SubscriptionCacheToText(const std::vector<TSubscriptionCopy>& copies);
std::string SubscriptionCacheFromText(std::string_view text,
                                      std::vector<TSubscriptionCopy>& copies);

// Write crash-safely (filesave.h) and throw as SaveFileAtomically does.
void SaveSyncAccount(const std::string& fileName, const TSyncAccount& account);
void SaveSubscriptionCache(const std::string& fileName,
                           const std::vector<TSubscriptionCopy>& copies);
// A missing file leaves the value as it is and returns empty; a file that cannot be read or
// does not read returns the reason and leaves the value as it was.
std::string LoadSyncAccount(const std::string& fileName, TSyncAccount& account);
std::string LoadSubscriptionCache(const std::string& fileName,
                                  std::vector<TSubscriptionCopy>& copies);

}  // namespace orvenna::store

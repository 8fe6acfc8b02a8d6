// The sync account's side file and the cache of subscribed calendars.
#include "store/syncaccount.h"
#include "tests/support/tempfolder.h"

#include <gtest/gtest.h>

namespace orvenna::store {
namespace {

TSyncAccount FullAccount()
{
    return {"https://cloud.example.org/dav/", "anna", "Family",
            {"webcal://example.org/holidays.ics", "https://example.org/team.ics?k=1&x=%20"}};
}

std::vector<TSubscriptionCopy> FullCache()
{
    return {
        // A body whose lines look like the file's own: only its length ends it.
        {"https://example.org/a.ics", "\"abc\"", "Tue, 01 Oct 2024 10:00:00 GMT", 1727776800,
         "BEGIN:VCALENDAR\r\nUrl=https://evil\r\nEnd\nBody=3\n\nEND:VCALENDAR\r\n"},
        {"https://example.org/empty.ics", "", "", 0, ""},
        {"https://example.org/b.ics", "W/\"1\"", "", -5, "no line end at all"},
    };
}

TEST(SyncAccountFile, RoundTrips)
{
    for (const TSyncAccount& account : {TSyncAccount{}, FullAccount()}) {
        TSyncAccount read{"old", "old", "old", {"old"}};
        EXPECT_EQ(SyncAccountFromText(SyncAccountToText(account), read), "");
        EXPECT_EQ(read, account);
    }
    for (const auto& cache : {std::vector<TSubscriptionCopy>{}, FullCache()}) {
        std::vector<TSubscriptionCopy> read{{"old"}};
        EXPECT_EQ(SubscriptionCacheFromText(SubscriptionCacheToText(cache), read), "");
        EXPECT_EQ(read, cache);
    }
}

TEST(SyncAccountFile, LineEndsInAValueCannotAddARecord)
{
    TSyncAccount account;
    account.Server = "https://a.example\nSubscription=https://b.example";
    TSyncAccount read;
    ASSERT_EQ(SyncAccountFromText(SyncAccountToText(account), read), "");
    EXPECT_TRUE(read.Subscriptions.empty());
    EXPECT_EQ(read.Server, "https://a.exampleSubscription=https://b.example");
}

TEST(SyncAccountFile, DamagedOrUnknownTextIsRefusedWhole)
{
    const std::string account = SyncAccountToText(FullAccount());
    const std::string cache = SubscriptionCacheToText(FullCache());
    const std::string head = "Orvenna subscriptions 1\n";
    const struct {
        const char* Case;
        std::string Text;
        const char* Reason;
    } cases[] = {
        {"empty", "", "not a sync account file"},
        {"another side file", "Orvenna alerts 1\nEnd\n", "not a sync account file"},
        {"a later version", "Orvenna sync account 2\nEnd\n", "unknown version \"2\""},
        {"cut short", account.substr(0, account.size() - 4), "the file ends early"},
        {"no equals sign", "Orvenna sync account 1\nServer\nEnd\n", "line 2 does not read"},
        {"a cache cut in a body", cache.substr(0, cache.size() - 30), "does not read"},
        {"a body longer than the file", head + "Url=u\nBody=99\nabc\nEnd\n", "line 3"},
        {"a body without its line end", head + "Url=u\nBody=3\nabcEnd\n", "line 3"},
        {"a length that is no number", head + "Url=u\nBody=x\nEnd\n", "line 3"},
        {"a time that is no number", head + "Url=u\nFetched=1.5\nEnd\n", "line 3"},
        {"a body before any address", head + "Body=1\na\nEnd\n", "line 2"},
    };
    for (const auto& c : cases) {
        TSyncAccount readAccount = FullAccount();
        std::vector<TSubscriptionCopy> readCache = FullCache();
        const bool isCache = c.Text.starts_with("Orvenna subscriptions");
        const std::string reason = isCache ? SubscriptionCacheFromText(c.Text, readCache)
                                           : SyncAccountFromText(c.Text, readAccount);
        EXPECT_NE(reason.find(c.Reason), std::string::npos) << c.Case << ": " << reason;
        EXPECT_EQ(readAccount, FullAccount()) << c.Case;
        EXPECT_EQ(readCache, FullCache()) << c.Case;
    }
}

TEST(SyncAccountFile, MissingFilesKeepValuesAndSavedFilesReadBack)
{
    test::TTempFolder folder;
    const std::string accountFile = folder.File(SyncAccountFileName);
    const std::string cacheFile = folder.File(SubscriptionCacheFileName);
    TSyncAccount account;
    std::vector<TSubscriptionCopy> cache;
    EXPECT_EQ(LoadSyncAccount(accountFile, account), "");
    EXPECT_EQ(LoadSubscriptionCache(cacheFile, cache), "");
    EXPECT_FALSE(account.HasServer());
    SaveSyncAccount(accountFile, FullAccount());
    SaveSubscriptionCache(cacheFile, FullCache());
    EXPECT_EQ(LoadSyncAccount(accountFile, account), "");
    EXPECT_EQ(LoadSubscriptionCache(cacheFile, cache), "");
    EXPECT_EQ(account, FullAccount());
    EXPECT_EQ(cache, FullCache());
    EXPECT_NE(LoadSyncAccount(folder.Path().string(), account), "");
}

}  // namespace
}  // namespace orvenna::store

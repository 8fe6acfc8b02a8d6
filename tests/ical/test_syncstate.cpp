// The sync's side file: what it keeps reads back the same, and a damaged one is refused with
// the line at fault instead of being taken as a first sync.

#include "ical/syncstate.h"
#include "tests/support/tempfolder.h"

#include <gtest/gtest.h>

namespace {

using namespace orvenna::ical;

TSyncState Sample()
{
    TSyncState state;
    state.Collection = "https://example.org/dav/u/cal/";
    state.Ctag = "ctag\twith tab";
    state.SyncToken = "http://radicale.org/ns/sync/1\\2";
    TSyncRecord& one = state.Records["/u/cal/a b.ics"];
    one.Href = "/u/cal/a b.ics";
    one.Etag = "\"etag\n1\"";
    one.Entries = {{"uid\r1", true, 46088, 3, 2, 0x0123456789abcdefull, 42},
                   {"", false, -5, 1, 0, 0xffffffffffffffffull, 0}};
    TSyncRecord& two = state.Records["/u/cal/b.ics"];
    two.Href = "/u/cal/b.ics";
    two.Partial = true;
    return state;
}

TEST(SyncState, WhatIsKeptReadsBackTheSame)
{
    const TSyncState state = Sample();
    EXPECT_EQ(SyncStateFromText(SyncStateToText(state)), state);
    EXPECT_TRUE(state.HasEntries());
    orvenna::test::TTempFolder folder;
    const std::string file = folder.File("Sync.dat");
    EXPECT_EQ(LoadSyncState(file), TSyncState{});  // none yet: a first sync
    SaveSyncState(file, state);
    EXPECT_EQ(LoadSyncState(file), state);
}

TEST(SyncState, ADamagedFileIsRefusedNamingTheLine)
{
    const std::string good = SyncStateToText(Sample());
    const struct {
        const char* Name;
        std::string Text;
        const char* Message;
    } cases[] = {
        {"empty", "", "the file is empty"},
        {"another header", "orvenna-sync 2\n", "line 1"},
        {"cut before its last line end", good.substr(0, good.size() - 1), "ends in mid-line"},
        {"cut in mid-line", good.substr(0, good.size() - 3), "line 8"},
        {"an item before any resource", "orvenna-sync 1\nreminder\tu\t1\t00\t00\n", "line 2"},
        {"an unknown key", "orvenna-sync 1\nfoo\tbar\n", "line 2"},
        {"a bad escape", "orvenna-sync 1\nctag\ta\\x\n", "line 2"},
        {"a digest that is no number",
         "orvenna-sync 1\nresource\t/a\t\t\nreminder\tu\t1\tzz\t00\n", "line 3"},
        {"a note of no lines",
         "orvenna-sync 1\nresource\t/a\t\t\nnote\tu\t1\t1\t0\t00\t00\n", "line 3"},
        {"a day out of range",
         "orvenna-sync 1\nresource\t/a\t\t\nreminder\tu\t99999999\t00\t00\n", "line 3"},
        {"a resource twice", "orvenna-sync 1\nresource\t/a\t\t\nresource\t/a\t\t\n", "line 3"},
        {"a missing field", "orvenna-sync 1\nresource\t/a\t\t\nreminder\tu\t1\t00\n", "line 3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        try {
            SyncStateFromText(c.Text);
            ADD_FAILURE() << "read without complaint";
        } catch (const ESyncStateError& failure) {
            EXPECT_NE(std::string(failure.what()).find(c.Message), std::string::npos)
                << failure.what();
        }
    }
}

TEST(SyncState, DigestsTellContentApartButNotTheUid)
{
    TCalendarItem a;
    a.When = 46088.5;
    a.Subject = "Call";
    TCalendarItem b = a;
    b.Uid = "other";
    EXPECT_EQ(ItemDigest(a), ItemDigest(b));
    const std::vector<std::function<void(TCalendarItem&)>> changes = {
        [](TCalendarItem& i) { i.When += 1.0 / 86400; },
        [](TCalendarItem& i) { i.Subject = "Cal"; },
        [](TCalendarItem& i) { i.Desc = {"x"}; },
        [](TCalendarItem& i) { i.Category = "Calls"; },
        [](TCalendarItem& i) { i.Before = 1; },
        [](TCalendarItem& i) { i.Recurrency = 2; },
        [](TCalendarItem& i) { i.Subject = "Cal", i.Desc = {"l"}; },
    };
    for (std::size_t i = 0; i < changes.size(); ++i) {
        SCOPED_TRACE(i);
        TCalendarItem changed = a;
        changes[i](changed);
        EXPECT_NE(ItemDigest(changed), ItemDigest(a));
    }
    EXPECT_NE(LinesDigest({"ab", "c"}), LinesDigest({"a", "bc"}));
    EXPECT_NE(LinesDigest({"a"}), LinesDigest({"a", ""}));
}

}  // namespace

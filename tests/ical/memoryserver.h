#pragma once
// A calendar collection in memory behind the sync's server interface, with the preconditions,
// sync tokens and UID rule of a real one, and hooks for what real servers do now and then: a
// change by another client just before a write, no etag in a PUT's answer.

#include "ical/calendarserver.h"
#include "ical/icalendar.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace orvenna::test {

class TMemoryServer final : public ical::TCalendarServer {
public:
    struct TStored {
        std::string Etag;
        std::string Data;
        long Version = 0;  // the change that wrote it
    };

    std::string CollectionUrl() override { return "http://test/cal/"; }

    ical::TCollectionInfo Describe() override
    {
        ++Requests;
        return {"ctag-" + std::to_string(Version), "token-" + std::to_string(Version),
                SyncCollection};
    }

    bool ChangesSince(const std::string& token, ical::TChangeList& changes) override
    {
        ++Requests;
        long since = 0;
        if (!token.empty()) {
            if (token.rfind("token-", 0) != 0 || ForgetTokens)
                return false;
            since = std::stol(token.substr(6));
        }
        changes = {"token-" + std::to_string(Version), {}, {}};
        for (const auto& [href, stored] : Resources)
            if (stored.Version > since)
                changes.Changed.push_back({href, stored.Etag});
        for (const auto& [href, version] : Removed)
            if (version > since && !Resources.contains(href))
                changes.Removed.push_back(href);
        return true;
    }

    std::vector<ical::TResourceTag> ListAll() override
    {
        ++Requests;
        std::vector<ical::TResourceTag> all;
        for (const auto& [href, stored] : Resources)
            all.push_back({href, stored.Etag});
        return all;
    }

    bool FetchAll(std::vector<ical::TResource>& all) override
    {
        ++Requests;
        for (const auto& [href, stored] : Resources)
            all.push_back({href, stored.Etag, stored.Data});
        return true;
    }

    std::vector<ical::TResource> Fetch(const std::vector<std::string>& hrefs) override
    {
        ++Requests;
        std::vector<ical::TResource> found;
        for (const std::string& href : hrefs)
            if (const auto stored = Resources.find(href); stored != Resources.end())
                found.push_back({href, stored->second.Etag, stored->second.Data});
        return found;
    }

    ical::TWriteResult Put(const std::string& href, const std::string& data,
                           const std::string& ifMatch) override
    {
        if (BeforeWrite)
            BeforeWrite(href);
        ++Requests;
        ++Writes;
        const auto stored = Resources.find(href);
        if (ifMatch.empty() ? stored != Resources.end()
                            : stored == Resources.end() || stored->second.Etag != ifMatch)
            return {ical::TWriteStatus::PreconditionFailed, {}};
        for (const std::string& uid : Uids(data))
            for (const auto& [other, resource] : Resources)
                if (other != href && Uids(resource.Data).count(uid))
                    return {ical::TWriteStatus::UidConflict, {}};
        const std::string etag = Store(href, data);
        return {ical::TWriteStatus::Done, NoEtagOnPut ? std::string() : etag};
    }

    ical::TWriteStatus Delete(const std::string& href, const std::string& ifMatch) override
    {
        if (BeforeWrite)
            BeforeWrite(href);
        ++Requests;
        ++Writes;
        const auto stored = Resources.find(href);
        if (stored == Resources.end())
            return ical::TWriteStatus::Done;
        if (!ifMatch.empty() && stored->second.Etag != ifMatch)
            return ical::TWriteStatus::PreconditionFailed;
        Remove(href);
        return ical::TWriteStatus::Done;
    }

    std::string NewHref(const std::string& fileName) override { return "/cal/" + fileName; }

    // What another client does.
    std::string Store(const std::string& href, const std::string& data)
    {
        ++Version;
        const std::string etag = "\"e" + std::to_string(Version) + "\"";
        Resources[href] = {etag, data, Version};
        return etag;
    }
    void Remove(const std::string& href)
    {
        ++Version;
        Resources.erase(href);
        Removed[href] = Version;
    }

    static std::multiset<std::string> Uids(const std::string& data)
    {
        std::multiset<std::string> uids;
        ical::TImportSummary ignored;
        try {
            for (const auto& item : ical::ReadCalendarItems(data, ignored, "UTC"))
                uids.insert(item.Uid);
        } catch (const ical::ENotICalendar&) {
        }
        return uids;
    }

    std::map<std::string, TStored> Resources;
    std::map<std::string, long> Removed;
    long Version = 1;
    bool SyncCollection = true;
    bool ForgetTokens = false;
    bool NoEtagOnPut = false;
    std::function<void(const std::string& href)> BeforeWrite;
    int Requests = 0;
    int Writes = 0;
};

}  // namespace orvenna::test

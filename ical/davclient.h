#pragma once
// TDavClient: a calendar collection on a CalDAV server over HTTP(S), through Qt Network.
// QtCore and QtNetwork only (no widgets); the sync engine sees it as a TCalendarServer.
//
// Every call blocks in a local event loop until the answer is in, so the object must be made,
// used and destroyed on one thread, which needs no event loop of its own: the command line runs
// it on its main thread, the program on a worker thread. Redirects are followed (keeping the
// method and the body; the credentials go only to the account's own host), TLS checks the
// server's certificate against the system's store, and an untrusted one fails the call
// (TSyncFailure::Untrusted), never silently accepted. The user name and password go as Basic
// credentials with every request, and to a Digest challenge once.

#include "ical/calendarserver.h"
#include "ical/davtypes.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QUrl>

#include <memory>
#include <optional>

namespace orvenna::ical {

class TDavClient final : public TCalendarServer {
public:
    explicit TDavClient(TDavAccount account);
    ~TDavClient() override;
    TDavClient(const TDavClient&) = delete;
    TDavClient& operator=(const TDavClient&) = delete;

    // One HTTP request with the account's credentials; any HTTP status is returned. Throws
    // ESyncError for a server that cannot be reached or is not trusted, or a timeout.
    THttpReply Send(const QByteArray& method, const QUrl& url, const QByteArray& body = {},
                    const THeaders& headers = {});
    // A GET that asks only for a newer copy: 304 when the resource still has that etag or has
    // not been modified since that date (either may be empty). For read-only subscriptions.
    THttpReply Get(const QUrl& url, const QByteArray& etag = {},
                   const QByteArray& lastModified = {});

    // HTTP requests sent so far (redirects and authentication retries included).
    int RequestCount() const { return Requests; }

    std::string CollectionUrl() override;
    TCollectionInfo Describe() override;
    bool ChangesSince(const std::string& token, TChangeList& changes) override;
    std::vector<TResourceTag> ListAll() override;
    bool FetchAll(std::vector<TResource>& all) override;
    std::vector<TResource> Fetch(const std::vector<std::string>& hrefs) override;
    TWriteResult Put(const std::string& href, const std::string& data,
                     const std::string& ifMatch) override;
    TWriteStatus Delete(const std::string& href, const std::string& ifMatch) override;
    std::string NewHref(const std::string& fileName) override;

private:
    THttpReply Dav(const QByteArray& method, const QUrl& url, const QByteArray& body,
                   const QByteArray& depth, const THeaders& headers = {});
    void FailOnRefusal(const THttpReply& reply, const QUrl& url) const;
    QUrl Discover();
    std::optional<QUrl> PrincipalOf(const QUrl& url);
    QUrl CalendarIn(const QUrl& home);
    QUrl ResourceUrl(const std::string& href) const;
    std::vector<TResource> Resources(const THttpReply& reply, const QUrl& collection);
    std::string HrefOf(const QString& href, const QUrl& base) const;

    TDavAccount Account;
    std::unique_ptr<QNetworkAccessManager> Manager;
    std::optional<QUrl> Collection;
    std::optional<TCollectionInfo> Info;  // read with the first look at the collection
    int Requests = 0;
};

}  // namespace orvenna::ical

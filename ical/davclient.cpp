#include "ical/davclient.h"

#include "ical/davxml.h"

#include <QAuthenticator>
#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>

#include <algorithm>

namespace orvenna::ical {
namespace {

constexpr int MaxRedirects = 5;

// No getctag: servers compute it over every item, and a sync token tells more. It is asked
// for only from a collection without one.
const QStringList CollectionProps = {"d:resourcetype",         "d:sync-token",
                                     "d:supported-report-set",
                                     "d:displayname",          "c:supported-calendar-component-set",
                                     "d:current-user-principal"};

bool IsCalendar(const TDavResponse& response)
{
    const auto type = response.Props.find(DavNs + "|resourcetype");
    return type != response.Props.end() && type->second.Children.contains(CalDavNs + "|calendar");
}

// A calendar that takes events: no component set means all components.
bool TakesEvents(const TDavResponse& response)
{
    const auto set = response.Props.find(CalDavNs + "|supported-calendar-component-set");
    return set == response.Props.end() || set->second.Comps.isEmpty() ||
           set->second.Comps.contains("VEVENT", Qt::CaseInsensitive);
}

QString PropText(const TDavResponse& response, const QString& name)
{
    const auto prop = response.Props.find(name);
    return prop == response.Props.end() ? QString() : prop->second.Text.trimmed();
}

TCollectionInfo InfoOf(const TDavResponse& response)
{
    TCollectionInfo info;
    info.Ctag = PropText(response, CalServerNs + "|getctag").toStdString();
    info.SyncToken = PropText(response, DavNs + "|sync-token").toStdString();
    const auto reports = response.Props.find(DavNs + "|supported-report-set");
    info.SyncCollection =
        !info.SyncToken.empty() || (reports != response.Props.end() &&
                                    reports->second.Children.contains(DavNs + "|sync-collection"));
    return info;
}

bool SameOrigin(const QUrl& a, const QUrl& b)
{
    return a.host().compare(b.host(), Qt::CaseInsensitive) == 0 &&
           a.port(a.scheme() == "https" ? 443 : 80) == b.port(b.scheme() == "https" ? 443 : 80);
}

QString WithSlash(QString path) { return path.endsWith('/') ? path : path + '/'; }

}  // namespace

TDavClient::TDavClient(TDavAccount account)
    : Account(std::move(account)), Manager(std::make_unique<QNetworkAccessManager>())
{
    QObject::connect(Manager.get(), &QNetworkAccessManager::authenticationRequired,
                     [this](QNetworkReply* reply, QAuthenticator* authenticator) {
                         // Once per request: a second challenge means the password is wrong.
                         if (reply->property("orvennaAuthTried").toBool())
                             return;
                         reply->setProperty("orvennaAuthTried", true);
                         authenticator->setUser(Account.User);
                         authenticator->setPassword(Account.Password);
                     });
}

TDavClient::~TDavClient() = default;

THttpReply TDavClient::Send(const QByteArray& method, const QUrl& url, const QByteArray& body,
                            const THeaders& headers)
{
    QUrl target = url;
    for (int hop = 0;; ++hop) {
        QNetworkRequest request(target);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::ManualRedirectPolicy);
        request.setTransferTimeout(Account.TimeoutMs);
        for (const auto& [name, value] : headers)
            request.setRawHeader(name, value);
        if (!Account.User.isEmpty() && SameOrigin(target, Account.Url))
            request.setRawHeader("Authorization",
                                 "Basic " + (Account.User + ":" + Account.Password)
                                                .toUtf8()
                                                .toBase64());
        QStringList sslErrors;
        ++Requests;
        std::unique_ptr<QNetworkReply> reply(Manager->sendCustomRequest(request, method, body));
        QObject::connect(reply.get(), &QNetworkReply::sslErrors,
                         [&sslErrors](const QList<QSslError>& errors) {
                             for (const QSslError& error : errors)
                                 sslErrors << error.errorString();
                         });
        QEventLoop loop;
        QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec(QEventLoop::ExcludeUserInputEvents);

        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (!sslErrors.isEmpty())
            throw ESyncError(TSyncFailure::Untrusted,
                             "the certificate of " + target.host().toStdString() +
                                 " is not trusted (" + sslErrors.join("; ").toStdString() +
                                 "); nothing was synced");
        if (status == 0) {
            const bool timeout = reply->error() == QNetworkReply::OperationCanceledError ||
                                 reply->error() == QNetworkReply::TimeoutError;
            throw ESyncError(TSyncFailure::Unreachable,
                             "could not reach " + target.toDisplayString().toStdString() + " (" +
                                 (timeout ? std::string("no answer in time")
                                          : reply->errorString().toStdString()) +
                                 ")");
        }
        THttpReply answer{status, reply->readAll(), reply->rawHeaderPairs(), target};
        const QByteArray location = answer.Header("Location");
        if (status < 300 || status >= 400 || status == 304 || location.isEmpty())
            return answer;
        if (hop + 1 >= MaxRedirects)
            throw ESyncError(TSyncFailure::Server, "too many redirects from " +
                                                       url.toDisplayString().toStdString());
        target = target.resolved(QUrl::fromEncoded(location));
    }
}

THttpReply TDavClient::Get(const QUrl& url, const QByteArray& etag,
                           const QByteArray& lastModified)
{
    THeaders headers;
    if (!etag.isEmpty())
        headers.append(qMakePair(QByteArray("If-None-Match"), QByteArray(etag)));
    if (!lastModified.isEmpty())
        headers.append(qMakePair(QByteArray("If-Modified-Since"), QByteArray(lastModified)));
    const THttpReply reply = Send("GET", url, {}, headers);
    FailOnRefusal(reply, url);
    return reply;
}

THttpReply TDavClient::Dav(const QByteArray& method, const QUrl& url, const QByteArray& body,
                           const QByteArray& depth, const THeaders& headers)
{
    THeaders all = headers;
    if (!body.isEmpty())
        all.append(qMakePair(QByteArray("Content-Type"), QByteArray("application/xml; charset=utf-8")));
    if (!depth.isEmpty())
        all.append(qMakePair(QByteArray("Depth"), QByteArray(depth)));
    return Send(method, url, body, all);
}

void TDavClient::FailOnRefusal(const THttpReply& reply, const QUrl& url) const
{
    const std::string where = url.toDisplayString().toStdString();
    if (reply.Status == 401)
        throw ESyncError(TSyncFailure::Refused,
                         "the server refused the user name or password (401) for " + where);
    if (reply.Status == 403)
        throw ESyncError(TSyncFailure::Refused, "the server refused access to " + where + " (403)");
    if (reply.Status >= 500)
        throw ESyncError(TSyncFailure::Server, "the server failed on " + where + " (" +
                                                   std::to_string(reply.Status) + ")");
}

// --- discovery -----------------------------------------------------------------------------

std::string TDavClient::CollectionUrl()
{
    if (!Collection)
        Collection = Discover();
    return Collection->toString(QUrl::FullyEncoded).toStdString();
}

QUrl TDavClient::Discover()
{
    if (!Account.Url.isValid() || (Account.Url.scheme() != "http" && Account.Url.scheme() != "https"))
        throw ESyncError(TSyncFailure::Unreachable,
                         "not an http or https address: " +
                             Account.Url.toDisplayString().toStdString());
    // A calendar's own address needs nothing more.
    const THttpReply first = Dav("PROPFIND", Account.Url, PropfindBody(CollectionProps), "0");
    FailOnRefusal(first, Account.Url);
    const TMultiStatus status = ParseMultiStatus(first.Body);
    if (first.Status == 207 && !status.Responses.empty() && IsCalendar(status.Responses.front())) {
        Info = InfoOf(status.Responses.front());
        QUrl url = first.Url;
        url.setPath(WithSlash(url.path()));
        return url;
    }
    std::optional<QUrl> principal;
    for (const TDavResponse& response : status.Responses) {
        const auto found = response.Props.find(DavNs + "|current-user-principal");
        if (found != response.Props.end() && !found->second.Hrefs.isEmpty())
            principal = first.Url.resolved(QUrl(found->second.Hrefs.front()));
    }
    if (!principal) {
        QUrl wellKnown = Account.Url.resolved(QUrl("/.well-known/caldav"));
        principal = PrincipalOf(wellKnown);
    }
    if (!principal)
        throw ESyncError(TSyncFailure::Server, "no calendar found at " +
                                                   Account.Url.toDisplayString().toStdString());
    const THttpReply home =
        Dav("PROPFIND", *principal, PropfindBody({"c:calendar-home-set"}), "0");
    FailOnRefusal(home, *principal);
    const TMultiStatus homes = ParseMultiStatus(home.Body);
    for (const TDavResponse& response : homes.Responses) {
        const auto set = response.Props.find(CalDavNs + "|calendar-home-set");
        if (set != response.Props.end() && !set->second.Hrefs.isEmpty())
            return CalendarIn(home.Url.resolved(QUrl(set->second.Hrefs.front())));
    }
    return CalendarIn(*principal);
}

std::optional<QUrl> TDavClient::PrincipalOf(const QUrl& url)
{
    const THttpReply reply = Dav("PROPFIND", url, PropfindBody({"d:current-user-principal"}), "0");
    FailOnRefusal(reply, url);
    for (const TDavResponse& response : ParseMultiStatus(reply.Body).Responses) {
        const auto principal = response.Props.find(DavNs + "|current-user-principal");
        if (principal != response.Props.end() && !principal->second.Hrefs.isEmpty())
            return reply.Url.resolved(QUrl(principal->second.Hrefs.front()));
    }
    return std::nullopt;
}

// The named calendar of the home, else the first that takes events (by address); a home with
// none gets one.
QUrl TDavClient::CalendarIn(const QUrl& home)
{
    const THttpReply reply = Dav("PROPFIND", home, PropfindBody(CollectionProps), "1");
    FailOnRefusal(reply, home);
    std::vector<std::pair<QUrl, TDavResponse>> calendars;
    for (const TDavResponse& response : ParseMultiStatus(reply.Body).Responses)
        if (IsCalendar(response) && TakesEvents(response))
            calendars.emplace_back(reply.Url.resolved(QUrl(response.Href)), response);
    std::sort(calendars.begin(), calendars.end(),
              [](const auto& a, const auto& b) { return a.first.path() < b.first.path(); });
    for (const auto& [url, response] : calendars) {
        const QString segment = url.path().section('/', -2, -2);
        if (Account.Calendar.isEmpty() || Account.Calendar == segment ||
            Account.Calendar == PropText(response, DavNs + "|displayname")) {
            Info = InfoOf(response);
            return url;
        }
    }
    if (!Account.Calendar.isEmpty())
        throw ESyncError(TSyncFailure::Server,
                         "no calendar named " + Account.Calendar.toStdString() + " at " +
                             home.toDisplayString().toStdString());
    QUrl made = home;
    made.setPath(WithSlash(home.path()) + "orvenna/");
    const THttpReply created = Dav("MKCALENDAR", made, MkcalendarBody("Orvenna"), {});
    FailOnRefusal(created, made);
    if (created.Status != 201)
        throw ESyncError(TSyncFailure::Server,
                         "no calendar at " + home.toDisplayString().toStdString() +
                             " and none could be made (" + std::to_string(created.Status) + ")");
    return made;
}

// --- the collection ------------------------------------------------------------------------

TCollectionInfo TDavClient::Describe()
{
    const QUrl collection(QString::fromStdString(CollectionUrl()));
    TCollectionInfo info;
    if (Info) {
        info = *std::exchange(Info, std::nullopt);
    } else {
        const THttpReply reply = Dav("PROPFIND", collection, PropfindBody(CollectionProps), "0");
        FailOnRefusal(reply, collection);
        const TMultiStatus status = ParseMultiStatus(reply.Body);
        if (reply.Status != 207 || status.Responses.empty())
            throw ESyncError(TSyncFailure::Server, "the calendar at " +
                                                       collection.toDisplayString().toStdString() +
                                                       " did not answer (" +
                                                       std::to_string(reply.Status) + ")");
        info = InfoOf(status.Responses.front());
    }
    if (info.SyncToken.empty()) {
        const THttpReply reply = Dav("PROPFIND", collection, PropfindBody({"cs:getctag"}), "0");
        FailOnRefusal(reply, collection);
        const TMultiStatus status = ParseMultiStatus(reply.Body);
        if (!status.Responses.empty())
            info.Ctag = PropText(status.Responses.front(), CalServerNs + "|getctag").toStdString();
    }
    return info;
}

bool TDavClient::ChangesSince(const std::string& token, TChangeList& changes)
{
    const QUrl collection(QString::fromStdString(CollectionUrl()));
    const THttpReply reply =
        Dav("REPORT", collection, SyncCollectionBody(QString::fromStdString(token)), "0");
    if (reply.Status == 403 || reply.Status == 409 || reply.Status == 400 ||
        reply.Status == 404 || reply.Status == 501 || reply.Status == 415) {
        if (reply.Status != 403 || DavErrors(reply.Body).contains(DavNs + "|valid-sync-token") ||
            DavErrors(reply.Body).contains(DavNs + "|supported-report"))
            return false;
    }
    FailOnRefusal(reply, collection);
    const TMultiStatus status = ParseMultiStatus(reply.Body);
    if (reply.Status != 207 || !status.Valid)
        return false;
    changes = {status.SyncToken.toStdString(), {}, {}};
    const std::string self = collection.path(QUrl::FullyDecoded).toStdString();
    for (const TDavResponse& response : status.Responses) {
        const std::string href = HrefOf(response.Href, reply.Url);
        if (href == self || href.ends_with('/'))
            continue;
        if (response.Status == 404)
            changes.Removed.push_back(href);
        else
            changes.Changed.push_back(
                {href, PropText(response, DavNs + "|getetag").toStdString()});
    }
    return true;
}

std::vector<TResourceTag> TDavClient::ListAll()
{
    const QUrl collection(QString::fromStdString(CollectionUrl()));
    const THttpReply reply =
        Dav("PROPFIND", collection, PropfindBody({"d:getetag", "d:resourcetype"}), "1");
    FailOnRefusal(reply, collection);
    const TMultiStatus status = ParseMultiStatus(reply.Body);
    if (reply.Status != 207 || !status.Valid)
        throw ESyncError(TSyncFailure::Server, "the calendar at " +
                                                   collection.toDisplayString().toStdString() +
                                                   " could not be listed (" +
                                                   std::to_string(reply.Status) + ")");
    std::vector<TResourceTag> all;
    for (const TDavResponse& response : status.Responses) {
        const std::string href = HrefOf(response.Href, reply.Url);
        const auto type = response.Props.find(DavNs + "|resourcetype");
        const bool collectionItself =
            href.ends_with('/') ||
            (type != response.Props.end() && type->second.Children.contains(DavNs + "|collection"));
        if (!collectionItself)
            all.push_back({href, PropText(response, DavNs + "|getetag").toStdString()});
    }
    return all;
}

bool TDavClient::FetchAll(std::vector<TResource>& all)
{
    const QUrl collection(QString::fromStdString(CollectionUrl()));
    const THttpReply reply = Dav("REPORT", collection, QueryAllBody(), "1");
    if (reply.Status != 207 && reply.Status != 401 && reply.Status < 500)
        return false;  // no calendar-query here
    all = Resources(reply, collection);
    return true;
}

std::vector<TResource> TDavClient::Fetch(const std::vector<std::string>& hrefs)
{
    if (hrefs.empty())
        return {};
    const QUrl collection(QString::fromStdString(CollectionUrl()));
    QStringList encoded;
    for (const std::string& href : hrefs)
        encoded << QString::fromUtf8(ResourceUrl(href).path(QUrl::FullyEncoded).toUtf8());
    return Resources(Dav("REPORT", collection, MultigetBody(encoded), "1"), collection);
}

// The resources of a calendar-query or calendar-multiget answer.
std::vector<TResource> TDavClient::Resources(const THttpReply& reply, const QUrl& collection)
{
    FailOnRefusal(reply, collection);
    const TMultiStatus status = ParseMultiStatus(reply.Body);
    if (reply.Status != 207 || !status.Valid)
        throw ESyncError(TSyncFailure::Server, "the calendar at " +
                                                   collection.toDisplayString().toStdString() +
                                                   " sent no items");
    std::vector<TResource> found;
    for (const TDavResponse& response : status.Responses) {
        const auto data = response.Props.find(CalDavNs + "|calendar-data");
        if (response.Status == 404 || data == response.Props.end())
            continue;
        found.push_back({HrefOf(response.Href, reply.Url),
                         PropText(response, DavNs + "|getetag").toStdString(),
                         data->second.Text.toStdString()});
    }
    return found;
}

TWriteResult TDavClient::Put(const std::string& href, const std::string& data,
                             const std::string& ifMatch)
{
    const QUrl url = ResourceUrl(href);
    THeaders headers{{"Content-Type", "text/calendar; charset=utf-8"}};
    headers.append(ifMatch.empty() ? qMakePair(QByteArray("If-None-Match"), QByteArray("*"))
                                   : qMakePair(QByteArray("If-Match"),
                                               QByteArray::fromStdString(ifMatch)));
    const THttpReply reply = Send("PUT", url, QByteArray::fromStdString(data), headers);
    if (reply.Status == 412 || (reply.Status == 404 && !ifMatch.empty()))
        return {TWriteStatus::PreconditionFailed, {}};
    const QStringList errors = DavErrors(reply.Body);
    if (reply.Status == 409 || (reply.Status == 403 && errors.contains(CalDavNs + "|no-uid-conflict")))
        return {TWriteStatus::UidConflict, {}};
    FailOnRefusal(reply, url);
    if (reply.Status < 200 || reply.Status >= 300)
        throw ESyncError(TSyncFailure::Server, "the server did not take " +
                                                   url.toDisplayString().toStdString() + " (" +
                                                   std::to_string(reply.Status) + ")");
    // A weak etag or none: the server changed what it was sent, so the next listing tells.
    const QByteArray etag = reply.Header("ETag");
    return {TWriteStatus::Done, etag.startsWith("W/") ? std::string() : etag.toStdString()};
}

TWriteStatus TDavClient::Delete(const std::string& href, const std::string& ifMatch)
{
    const QUrl url = ResourceUrl(href);
    THeaders headers;
    if (!ifMatch.empty())
        headers.append(qMakePair(QByteArray("If-Match"), QByteArray(QByteArray::fromStdString(ifMatch))));
    const THttpReply reply = Send("DELETE", url, {}, headers);
    if (reply.Status == 412)
        return TWriteStatus::PreconditionFailed;
    if (reply.Status == 404)
        return TWriteStatus::Done;
    FailOnRefusal(reply, url);
    if (reply.Status < 200 || reply.Status >= 300)
        throw ESyncError(TSyncFailure::Server, "the server did not delete " +
                                                   url.toDisplayString().toStdString() + " (" +
                                                   std::to_string(reply.Status) + ")");
    return TWriteStatus::Done;
}

std::string TDavClient::NewHref(const std::string& fileName)
{
    const QUrl collection(QString::fromStdString(CollectionUrl()));
    return (WithSlash(collection.path(QUrl::FullyDecoded)) + QString::fromStdString(fileName))
        .toStdString();
}

QUrl TDavClient::ResourceUrl(const std::string& href) const
{
    QUrl url = *Collection;
    url.setPath(QString::fromStdString(href), QUrl::DecodedMode);
    return url;
}

// The decoded path of an href of an answer (a path or a full URL).
std::string TDavClient::HrefOf(const QString& href, const QUrl& base) const
{
    return base.resolved(QUrl(href)).path(QUrl::FullyDecoded).toStdString();
}

}  // namespace orvenna::ical

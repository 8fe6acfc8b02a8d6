#pragma once
// The XML of WebDAV and CalDAV (RFC 4918, 4791, 6578): request bodies and the multistatus
// answers, read with QXmlStreamReader. QtCore only.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

namespace orvenna::ical {

// One property of a 200 propstat. Names are "namespace|local" ("DAV:|getetag").
struct TDavProp {
    QString Text;         // the text of a simple property (an etag, a token, calendar data)
    QStringList Children; // names of the elements inside (resourcetype: "DAV:|collection", ...)
    QStringList Hrefs;    // hrefs inside (current-user-principal, calendar-home-set)
    QStringList Comps;    // name attributes of comp elements (supported-calendar-component-set)
};

struct TDavResponse {
    QString Href;                         // as written (percent-encoded, maybe a full URL)
    int Status = 0;                       // the response's own status (404: removed); 0 if none
    std::map<QString, TDavProp> Props;    // the properties found (200)
};

struct TMultiStatus {
    std::vector<TDavResponse> Responses;
    QString SyncToken;  // the top-level sync-token of a sync-collection answer
    bool Valid = false; // the body was a multistatus
};

inline const QString DavNs = QStringLiteral("DAV:");
inline const QString CalDavNs = QStringLiteral("urn:ietf:params:xml:ns:caldav");
inline const QString CalServerNs = QStringLiteral("http://calendarserver.org/ns/");

TMultiStatus ParseMultiStatus(const QByteArray& body);
// The name of an error element of a DAV:error body ("DAV:|valid-sync-token"); empty if none.
QStringList DavErrors(const QByteArray& body);

// Request bodies.
QByteArray PropfindBody(const QStringList& props);  // props as "d:getetag", "c:...", "cs:..."
QByteArray SyncCollectionBody(const QString& token);
QByteArray MultigetBody(const QStringList& encodedHrefs);
// A calendar-query for every component with its etag and data.
QByteArray QueryAllBody();
QByteArray MkcalendarBody(const QString& displayName);

}  // namespace orvenna::ical

#include "ical/davxml.h"

#include <QXmlStreamReader>

namespace orvenna::ical {
namespace {

QString NameOf(const QXmlStreamReader& xml)
{
    return xml.namespaceUri().toString() + "|" + xml.name().toString();
}

bool Is(const QXmlStreamReader& xml, const QString& ns, const char* name)
{
    return xml.namespaceUri() == ns && xml.name() == QLatin1String(name);
}

// Reads one property element (the reader is on its start) to its end.
TDavProp ReadProp(QXmlStreamReader& xml)
{
    TDavProp prop;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            ++depth;
            prop.Children << NameOf(xml);
            if (Is(xml, CalDavNs, "comp"))
                prop.Comps << xml.attributes().value("name").toString();
            if (Is(xml, DavNs, "href")) {
                prop.Hrefs << xml.readElementText().trimmed();
                --depth;
            }
            break;
        case QXmlStreamReader::EndElement: --depth; break;
        case QXmlStreamReader::Characters:
        case QXmlStreamReader::EntityReference:
            if (depth == 1)
                prop.Text += xml.text();
            break;
        default: break;
        }
    }
    return prop;
}

int StatusCode(const QString& line)
{
    // "HTTP/1.1 404 Not Found"
    const QStringList parts = line.simplified().split(' ');
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

void ReadPropstat(QXmlStreamReader& xml, TDavResponse& response)
{
    std::map<QString, TDavProp> props;
    int status = 0;
    while (xml.readNextStartElement()) {
        if (Is(xml, DavNs, "prop")) {
            while (xml.readNextStartElement()) {
                const QString name = NameOf(xml);
                props[name] = ReadProp(xml);
            }
        } else if (Is(xml, DavNs, "status")) {
            status = StatusCode(xml.readElementText());
        } else {
            xml.skipCurrentElement();
        }
    }
    if (status == 200)
        response.Props.merge(props);
}

TDavResponse ReadResponse(QXmlStreamReader& xml)
{
    TDavResponse response;
    while (xml.readNextStartElement()) {
        if (Is(xml, DavNs, "href"))
            response.Href = xml.readElementText().trimmed();
        else if (Is(xml, DavNs, "status"))
            response.Status = StatusCode(xml.readElementText());
        else if (Is(xml, DavNs, "propstat"))
            ReadPropstat(xml, response);
        else
            xml.skipCurrentElement();
    }
    return response;
}

QByteArray Escaped(const QString& text) { return text.toHtmlEscaped().toUtf8(); }

}  // namespace

TMultiStatus ParseMultiStatus(const QByteArray& body)
{
    TMultiStatus result;
    QXmlStreamReader xml(body);
    if (!xml.readNextStartElement() || !Is(xml, DavNs, "multistatus"))
        return result;
    while (xml.readNextStartElement()) {
        if (Is(xml, DavNs, "response"))
            result.Responses.push_back(ReadResponse(xml));
        else if (Is(xml, DavNs, "sync-token"))
            result.SyncToken = xml.readElementText().trimmed();
        else
            xml.skipCurrentElement();
    }
    result.Valid = !xml.hasError();
    return result;
}

QStringList DavErrors(const QByteArray& body)
{
    QStringList errors;
    QXmlStreamReader xml(body);
    if (!xml.readNextStartElement() || !Is(xml, DavNs, "error"))
        return errors;
    while (xml.readNextStartElement()) {
        errors << NameOf(xml);
        xml.skipCurrentElement();
    }
    return errors;
}

QByteArray PropfindBody(const QStringList& props)
{
    QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                      "<d:propfind xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\" "
                      "xmlns:cs=\"http://calendarserver.org/ns/\"><d:prop>";
    for (const QString& prop : props)
        body += "<" + prop.toUtf8() + "/>";
    return body + "</d:prop></d:propfind>";
}

QByteArray SyncCollectionBody(const QString& token)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<d:sync-collection xmlns:d=\"DAV:\"><d:sync-token>" +
           Escaped(token) +
           "</d:sync-token><d:sync-level>1</d:sync-level>"
           "<d:prop><d:getetag/></d:prop></d:sync-collection>";
}

QByteArray MultigetBody(const QStringList& encodedHrefs)
{
    QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                      "<c:calendar-multiget xmlns:d=\"DAV:\" "
                      "xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
                      "<d:prop><d:getetag/><c:calendar-data/></d:prop>";
    for (const QString& href : encodedHrefs)
        body += "<d:href>" + Escaped(href) + "</d:href>";
    return body + "</c:calendar-multiget>";
}

QByteArray QueryAllBody()
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<c:calendar-query xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
           "<d:prop><d:getetag/><c:calendar-data/></d:prop>"
           "<c:filter><c:comp-filter name=\"VCALENDAR\"/></c:filter></c:calendar-query>";
}

QByteArray MkcalendarBody(const QString& displayName)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<c:mkcalendar xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\"><d:set>"
           "<d:prop><d:displayname>" +
           Escaped(displayName) +
           "</d:displayname><c:supported-calendar-component-set><c:comp name=\"VEVENT\"/>"
           "</c:supported-calendar-component-set></d:prop></d:set></c:mkcalendar>";
}

}  // namespace orvenna::ical

#pragma once
// The account and the answers of a calendar server over HTTP, as the program and the client
// (davclient.h) share them. QtCore only.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

namespace orvenna::ical {

struct TDavAccount {
    // A calendar collection, or a server or principal address to discover from.
    QUrl Url;
    QString User;
    QString Password;
    // With discovery: the calendar of this display name or last path segment; empty: the first.
    QString Calendar;
    int TimeoutMs = 60000;  // per request, without progress
};

using THeaders = QList<QPair<QByteArray, QByteArray>>;

struct THttpReply {
    int Status = 0;
    QByteArray Body;
    THeaders Headers;
    QUrl Url;  // where the answer came from, after redirects

    // The first header of that name, in any case; empty when there is none.
    QByteArray Header(const QByteArray& name) const
    {
        for (const auto& [key, value] : Headers)
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                return value;
        return {};
    }
};

}  // namespace orvenna::ical

#!/usr/bin/python3
"""A small CalDAV server for the sync tests, doing what the real test server does not: it
answers PUT without an ETag, keeps several events in one resource, and reaches its calendar
only through a redirect from /.well-known/caldav. No sync-collection: getctag and etags only.

usage: fake_caldav.py PORT FILE.ics   (FILE.ics becomes /dav/home/cal/both.ics)
"""
import hashlib
import re
import sys
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import unquote, urlparse

CAL = "/dav/home/cal/"
lock = threading.Lock()
resources = {}
version = [1]


def etag(data):
    return '"' + hashlib.sha1(data).hexdigest() + '"'


def response(href, props):
    return ("<d:response><d:href>%s</d:href><d:propstat><d:prop>%s</d:prop>"
            "<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>" % (href, props))


def multistatus(body):
    return ('<?xml version="1.0"?><d:multistatus xmlns:d="DAV:" '
            'xmlns:c="urn:ietf:params:xml:ns:caldav" xmlns:cs="http://calendarserver.org/ns/">'
            + body + "</d:multistatus>").encode()


class Handler(BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def body(self):
        return self.rfile.read(int(self.headers.get("Content-Length", 0)))

    def send(self, status, body=b"", headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        self.send(404)

    def do_PROPFIND(self):
        self.body()
        path = urlparse(self.path).path
        depth = self.headers.get("Depth", "0")
        if path == "/.well-known/caldav":
            self.send(301, headers=[("Location", "/dav/")])
        elif path == "/dav/":
            self.send(207, multistatus(response(path, "<d:current-user-principal><d:href>"
                                                "/dav/principal/</d:href></d:current-user-principal>")))
        elif path == "/dav/principal/":
            self.send(207, multistatus(response(path, "<c:calendar-home-set><d:href>/dav/home/"
                                                "</d:href></c:calendar-home-set>")))
        elif path == "/dav/home/":
            self.send(207, multistatus(
                response(path, "<d:resourcetype><d:collection/></d:resourcetype>") +
                response(CAL, "<d:resourcetype><d:collection/><c:calendar/></d:resourcetype>")))
        elif path == CAL:
            with lock:
                body = response(CAL, "<d:resourcetype><d:collection/><c:calendar/>"
                                "</d:resourcetype><cs:getctag>%d</cs:getctag>" % version[0])
                if depth == "1":
                    for href, data in resources.items():
                        body += response(href, "<d:getetag>%s</d:getetag>" % etag(data))
            self.send(207, multistatus(body))
        else:
            self.send(404)

    def do_REPORT(self):
        request = self.body().decode()
        if "calendar-multiget" not in request:
            self.send(403)
            return
        body = ""
        with lock:
            for href in re.findall(r"<d:href>([^<]*)</d:href>", request):
                href = unquote(href)
                if href in resources:
                    data = resources[href].decode().replace("&", "&amp;").replace("<", "&lt;")
                    body += response(href, "<d:getetag>%s</d:getetag><c:calendar-data>%s"
                                     "</c:calendar-data>" % (etag(resources[href]), data))
        self.send(207, multistatus(body))

    def do_PUT(self):
        data = self.body()
        path = unquote(urlparse(self.path).path)
        with lock:
            match = self.headers.get("If-Match")
            if (self.headers.get("If-None-Match") == "*" and path in resources) or \
               (match and (path not in resources or etag(resources[path]) != match)):
                self.send(412)
                return
            resources[path] = data
            version[0] += 1
        self.send(201)  # and no ETag

    def do_DELETE(self):
        path = unquote(urlparse(self.path).path)
        with lock:
            resources.pop(path, None)
            version[0] += 1
        self.send(204)


if __name__ == "__main__":
    with open(sys.argv[2], "rb") as f:
        resources[CAL + "both.ics"] = f.read()
    ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1])), Handler).serve_forever()

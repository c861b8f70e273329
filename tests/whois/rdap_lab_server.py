#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The lab's RDAP servers: one HTTPS server on port 443 of the lab's destination
# that answers for every RDAP host name the lab test maps to it. It waits for
# the certificate the test makes (server.pem and server.key in the folder given),
# writes "ready" into that folder once it listens, and answers each host and
# path from the table below; a request without the RDAP media type in Accept
# gets 406. As data.iana.org it serves a newer DNS bootstrap registry (the
# shipped one with refreshed.test added) and an IPv4 one that is not JSON.
import http.server
import json
import os
import ssl
import sys
import time

FOLDER = sys.argv[1]
VERISIGN = "rdap.verisign.com/com/v1/domain/"
REGISTRAR = "https://rdap.registrar.lab.test/domain/example.com"


def domain(name, **members):
    return {"objectClassName": "domain", "ldhName": name, **members}


def card(name):
    return ["vcard", [["version", {}, "text", "4.0"], ["fn", {}, "text", name]]]


REGISTRY_EXAMPLE = domain(
    "EXAMPLE.COM", status=["active"],
    entities=[{"roles": ["registrar"], "vcardArray": card("Lab Registrar"),
               "publicIds": [{"type": "IANA Registrar ID", "identifier": "9999"}]}],
    links=[{"rel": "self", "href": "https://" + VERISIGN + "example.com", "type": "application/rdap+json"},
           {"rel": "related", "href": REGISTRAR, "type": "application/rdap+json"}])
REGISTRAR_EXAMPLE = domain(
    "example.com", entities=[{"roles": ["registrant"], "vcardArray": card("Ann Example")}],
    links=[{"rel": "related", "href": "https://rdap.registrar.lab.test/domain/again", "type": "application/rdap+json"}])
NETWORK = {"objectClassName": "ip network", "startAddress": "192.0.2.0", "endAddress": "192.0.2.255",
           "name": "LAB-NET", "country": "ZZ"}
AUTNUM = {"objectClassName": "autnum", "startAutnum": 3333, "endAutnum": 3333, "name": "LAB-AS"}
BUSY = {"errorCode": 429, "title": "Too many requests", "description": ["Slow down"]}

SHIPPED = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "whois", "bootstrap")
with open(os.path.join(SHIPPED, "dns.json")) as shipped:
    NEWER_DNS = json.load(shipped)
NEWER_DNS["publication"] = "2026-12-01T00:00:00Z"
NEWER_DNS["services"].append([["refreshed.test"], ["https://rdap.registrar.lab.test/"]])

# host + path: status, extra headers, body (None: no answer at all; bytes: as they are)
ANSWERS = {
    "data.iana.org/rdap/dns.json": (200, {}, NEWER_DNS),
    "data.iana.org/rdap/ipv4.json": (200, {}, b"{ not json"),
    VERISIGN + "example.com": (200, {}, REGISTRY_EXAMPLE),
    "rdap.registrar.lab.test/domain/example.com": (200, {}, REGISTRAR_EXAMPLE),
    "rdap.arin.net/registry/ip/192.0.2.1": (200, {}, NETWORK),
    "rdap.db.ripe.net/autnum/3333": (200, {}, AUTNUM),
    VERISIGN + "moved.com": (301, {"Location": "/com/v1/domain/target.com"}, {}),
    VERISIGN + "target.com": (200, {}, domain("TARGET.COM")),
    VERISIGN + "busy.com": (429, {"Retry-After": "120"}, BUSY),
    VERISIGN + "broken.com": (503, {}, {"errorCode": 503}),
    VERISIGN + "insecure.com": (302, {"Location": "http://" + VERISIGN + "example.com"}, {}),
    VERISIGN + "stall.com": (200, {}, None),
}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        host = self.headers.get("Host", "").split(":")[0]
        status, headers, body = ANSWERS.get(host + self.path, (404, {}, {"errorCode": 404}))
        if "application/rdap+json" not in self.headers.get("Accept", "") and host != "data.iana.org":
            status, headers, body = 406, {}, {"errorCode": 406}
        if body is None:
            time.sleep(60)
            return
        data = body if isinstance(body, bytes) else json.dumps(body).encode()
        self.send_response(status)
        for name, value in headers.items():
            self.send_header(name, value)
        self.send_header("Content-Type", "application/rdap+json")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def log_message(self, *arguments):
        pass


def main():
    certificate = os.path.join(FOLDER, "server.pem")
    for _ in range(600):
        if os.path.exists(certificate):
            break
        time.sleep(0.1)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(certificate, os.path.join(FOLDER, "server.key"))
    server = http.server.ThreadingHTTPServer(("0.0.0.0", 443), Handler)
    server.daemon_threads = True
    server.socket = context.wrap_socket(server.socket, server_side=True)
    open(os.path.join(FOLDER, "ready"), "w").close()
    server.serve_forever()


main()

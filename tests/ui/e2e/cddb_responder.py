#!/usr/bin/env python3
"""A CDDB server over HTTP on 127.0.0.1 that knows one disc, whatever its id.

Usage: cddb_responder.py PORT_FILE LOG_FILE "ARTIST / ALBUM" TITLE...

Writes the port it listens on to PORT_FILE once it listens, and every
"cmd" it is sent, one a line, to LOG_FILE. "cddb query" matches the disc
asked for; "cddb read" gives the entry with the titles in order.
"""
import os
import sys
from http.server import BaseHTTPRequestHandler, HTTPServer
from urllib.parse import parse_qs, urlsplit

port_file, log_file, disc_title, titles = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]


def entry(disc_id):
    lines = ["# xmcd", f"DISCID={disc_id}", f"DTITLE={disc_title}", "DYEAR=2001", "DGENRE=Rock"]
    lines += [f"TTITLE{i}={title}" for i, title in enumerate(titles)]
    lines += ["EXTD="] + [f"EXTT{i}=" for i in range(len(titles))] + ["PLAYORDER=", "."]
    return lines


def answer(words):
    if words[:2] == ["cddb", "query"] and len(words) > 2:
        return [f"200 rock {words[2]} {disc_title}"]
    if words[:2] == ["cddb", "read"] and len(words) == 4:
        return [f"210 {words[2]} {words[3]} CD database entry follows"] + entry(words[3])
    return ["500 Command syntax error"]


class Handler(BaseHTTPRequestHandler):
    def do_GET(self):
        command = parse_qs(urlsplit(self.path).query).get("cmd", [""])[0]
        with open(log_file, "a", encoding="utf-8") as log:
            log.write(command + "\n")
        body = "".join(line + "\r\n" for line in answer(command.split())).encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/plain; charset=UTF-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = HTTPServer(("127.0.0.1", 0), Handler)
with open(port_file + ".new", "w") as out:
    out.write(str(server.server_address[1]))
os.rename(port_file + ".new", port_file)
server.serve_forever()

#!/usr/bin/env python3
"""Local test stream server: live-radio style replies on loopback for tests and the demo.

Command line
  stream_server.py [AUDIO ...] [--audio NAME=PATH[@KBPS]] [--port N] [--name TEXT]
                   [--genre TEXT] [--url TEXT] [--titles 'A|B|C'] [--defaults QUERY]
                   [--log FILE|-] [--max-seconds S] [--max-clients N]
                   [--tls-cert PEM --tls-key PEM] [--files DIR]

  AUDIO           audio files; each is served under its extension as name (x.mp3 -> fmt=mp3)
  --audio         the same with an explicit name; @KBPS sets the pacing rate (default: ffprobe's
                  bit rate of the file, else 128)
  --port 0        pick a free port; the first line printed is always "PORT <n>"
  --defaults      query parameters applied to every stream request that does not set them,
                  e.g. "icy=1&metaint=8192&title_every=5" (used by "/" and the demo)
  --log           request log, one JSON object a line: time, method, path, query, user agent,
                  Icy-MetaData, all headers; "-" prints "REQ <json>" lines to standard output.
                  The last 10,000 requests are also served as JSON lines at /_log.
  --max-seconds   the server ends by itself after this long (default 900)
  --max-clients   connections served at once; more get "503" (default 32)
  --tls-*         serve HTTPS instead of HTTP (see make_test_ca.sh)
  --files         a folder served under /files/ (see hls_stream.py)
  Listens on 127.0.0.1 only. Ends on SIGTERM or SIGINT.

Routes (every one logged)
  /stream         live audio; query parameters, all optional and composable:
    fmt=NAME        which audio file (default: the first)
    icy=1           answer "ICY 200 OK" (Shoutcast) instead of "HTTP/1.0 200 OK"
    name= genre= url= br=   icy-name, icy-genre, icy-url, icy-br header values
    bare=1          no icy-* headers at all;  ctype=TYPE  Content-Type override
    info=1          add ice-audio-info: bitrate=..
    metaint=N       interleave metadata every N audio bytes, when the request has
                    "Icy-MetaData: 1" (or always with force_meta=1)
    titles=A|B      titles to cycle through ("{n}" becomes the change number)
    title_every=S   a new title every S seconds;   title_blocks=N  every N metadata blocks
    repeat_meta=1   repeat the current title in every block (default: only on change)
    flood=N         the first N metadata blocks each carry a new title, sent unpaced
    meta255=1       every metadata block has length byte 255 and 4080 bytes without a NUL
    burst=BYTES     sent at once before pacing starts (default 65536);  pace=0  unpaced
    kbps=N          pacing rate override
    loop=0          end at the end of the file (default: loop for ever)
    length=1        with loop=0: send Content-Length
    stall_after=B   stop sending after B audio bytes, keep the connection open
    stall_for=S     ... and resume after S seconds (default: never)
    close_after=B   close the connection after B audio bytes
    garbage=1       random bytes instead of the audio
    hdr_kib=K       add K KiB of filler header lines;  hdr_line=1  as one single line
    drip=1          the body one byte per second;  drip=all  the whole reply, headers too
  /mmsh           a Windows Media server (MMSH); parameters in mmsh_stream.py
  /  and  /;      /stream with the --defaults
  /pl/NAME.EXT    a playlist (EXT: pls, m3u, asx, txt) naming one stream; parameters:
    to=PATH         the stream's path on this server (default /stream), URL-encoded
    abs=URL         an absolute address instead
    self=1          the playlist names itself
    title=TEXT      entry title;  ctype=TYPE  Content-Type override
    Content types: .pls audio/x-scpls, .m3u audio/x-mpegurl, .asx video/x-ms-asf,
    .txt text/plain
  /redirect       302 to "to" (default /stream); hops=N first goes through N more
                  redirects; loop=1 redirects to itself for ever; code=301|302|307
  /hang           reads the request and never answers
  /status/CODE    an empty reply with that HTTP status
  /_log           the request log as JSON lines (not logged itself)
  /_drop          closes every open stream connection (the server stays up)
  /hls/... /files/...   HTTP Live Streaming, see hls_stream.py
  /_outage /_connections and /stream?live=1: see outage.py
"""

import argparse
import collections
import json
import os
import select
import signal
import socket
import socketserver
import ssl
import sys
import threading
import time
import urllib.parse

import hls_stream
from audio_stream import Audio, Stream
from mmsh_stream import MmshStream
import outage

HOST = "127.0.0.1"
MAX_REQUEST_BYTES = 64 * 1024
REQUEST_TIMEOUT = 10.0
SEND_TIMEOUT = 30.0
LOG_KEEP = 10000
DEFAULT_TITLES = ["Test Title {n}"]

PLAYLIST_TYPES = {
    "pls": "audio/x-scpls",
    "m3u": "audio/x-mpegurl",
    "asx": "video/x-ms-asf",
    "txt": "text/plain",
}


class RequestLog:
    """Bounded in-memory log, mirrored to a file or standard output."""

    def __init__(self, target):
        self.lock = threading.Lock()
        self.entries = collections.deque(maxlen=LOG_KEEP)
        self.target = target
        self.file = open(target, "a", encoding="utf-8") if target not in (None, "-") else None

    def add(self, entry):
        line = json.dumps(entry, sort_keys=True)
        with self.lock:
            self.entries.append(line)
            if self.file:
                self.file.write(line + "\n")
                self.file.flush()
            elif self.target == "-":
                print("REQ " + line, flush=True)

    def dump(self):
        with self.lock:
            return "".join(line + "\n" for line in self.entries)


class Drop(Exception):
    """The server asked every stream to close (/_drop)."""


def playlist_body(ext, target, title):
    if ext == "pls":
        return (f"[playlist]\nNumberOfEntries=1\nFile1={target}\nTitle1={title}\n"
                "Length1=-1\nVersion=2\n")
    if ext == "m3u":
        return f"#EXTM3U\n#EXTINF:-1,{title}\n{target}\n"
    if ext == "asx":
        target = target.replace("&", "&amp;")
        return (f'<asx version="3.0">\n<title>{title}</title>\n<entry>\n'
                f'<title>{title}</title>\n<ref href="{target}"/>\n</entry>\n</asx>\n')
    return target + "\n"


class HttpError(Exception):
    def __init__(self, code, text):
        super().__init__(text)
        self.code = code


class Handler(socketserver.BaseRequestHandler):
    """One connection: reads the request, logs it, routes it; never raises past handle()."""

    def handle(self):
        self.dropped_at = self.server.drop_generation
        try:
            if self.server.tls:
                self.request.settimeout(REQUEST_TIMEOUT)
                self.request = self.server.tls.wrap_socket(self.request, server_side=True)
            self.read_request()
            self.route()
        except HttpError as e:
            self.reply(e.code, str(e) + "\n")
        except (OSError, ssl.SSLError, Drop, ValueError):
            pass

    def read_request(self):
        self.request.settimeout(REQUEST_TIMEOUT)
        data = b""
        while b"\r\n\r\n" not in data and b"\n\n" not in data:
            if len(data) > MAX_REQUEST_BYTES:
                raise HttpError(431, "request header too large")
            part = self.request.recv(4096)
            if not part:
                raise OSError("closed before the request ended")
            data += part
        head = data.replace(b"\r\n", b"\n").split(b"\n\n", 1)[0].decode("latin-1")
        lines = head.split("\n")
        parts = lines[0].split()
        if len(parts) < 2:
            raise HttpError(400, "bad request line")
        self.method, target = parts[0], parts[1]
        self.headers = {}
        self.header_lines = []  # every line, for headers that come more than once
        for line in lines[1:]:
            if ":" in line:
                key, value = line.split(":", 1)
                self.headers[key.strip().lower()] = value.strip()
                self.header_lines.append((key.strip().lower(), value.strip()))
        url = urllib.parse.urlsplit(target)
        self.path = url.path
        self.query = dict(urllib.parse.parse_qsl(url.query, keep_blank_values=True))
        self.target = target
        self.request.settimeout(SEND_TIMEOUT)
        if self.path != "/_log":
            self.server.log.add({
                "time": round(time.time(), 3), "client_port": self.client_address[1],
                "method": self.method, "path": self.path, "target": target,
                "query": self.query, "user_agent": self.headers.get("user-agent"),
                "icy_metadata": self.headers.get("icy-metadata"), "headers": self.headers,
            })

    def route(self):
        p = self.path
        if p == "/stream":
            self.stream(self.query)
        elif p in ("/", "/;"):
            self.stream({**self.server.defaults, **self.query})
        elif p == "/mmsh":
            self.mmsh()
        elif p.startswith("/pl/"):
            self.playlist()
        elif p == "/redirect":
            self.redirect()
        elif p == "/hang":
            self.wait(self.server.max_seconds)
        elif p.startswith("/status/"):
            self.reply(int(p.rsplit("/", 1)[1] or 500), "")
        elif p == "/_log":
            self.reply(200, self.server.log.dump(), "application/x-ndjson")
        elif p.startswith(("/hls/", "/files/")):
            hls_stream.Hls(self).route()
        elif outage.route(self):
            pass
        elif p == "/_drop":
            self.server.drop_generation += 1
            self.reply(200, "dropped\n")
        else:
            raise HttpError(404, "not found")

    def stream(self, query):
        audios = self.server.audios
        name = query.get("fmt")
        if not audios or (name is not None and name not in audios):
            raise HttpError(404, f"no audio named {name}")
        self.server.outages.stream_opened()
        try:
            Stream(self, query, audios[name] if name else next(iter(audios.values()))).run()
        finally:
            self.server.outages.stream_closed()

    def mmsh(self):
        audio = self.server.audios.get(self.query.get("fmt", "wma"))
        if audio is None:
            raise HttpError(404, "no ASF audio to serve")
        MmshStream(self, self.query, audio).run()

    def base_url(self):
        scheme = "https" if self.server.tls else "http"
        return f"{scheme}://{HOST}:{self.server.server_address[1]}"

    def playlist(self):
        name = self.path[len("/pl/"):]
        ext = name.rsplit(".", 1)[-1].lower() if "." in name else "txt"
        if ext not in PLAYLIST_TYPES:
            raise HttpError(404, "unknown playlist kind")
        if self.query.get("self") == "1":
            target = self.base_url() + self.target
        else:
            target = self.query.get("abs") or self.base_url() + self.query.get("to", "/stream")
        body = playlist_body(ext, target, self.query.get("title", self.server.station_name))
        self.reply(200, body, self.query.get("ctype", PLAYLIST_TYPES[ext]))

    def redirect(self):
        q = self.query
        code = int(q.get("code", "302"))
        hops = int(q.get("hops", "0"))
        if q.get("loop") == "1":
            location = self.target
        elif hops > 0:
            rest = {**q, "hops": str(hops - 1)}
            location = "/redirect?" + urllib.parse.urlencode(rest)
        else:
            location = q.get("to", "/stream")
        if location.startswith("/"):
            location = self.base_url() + location
        self.send(f"HTTP/1.0 {code} Moved\r\nLocation: {location}\r\n"
                  "Content-Length: 0\r\nConnection: close\r\n\r\n".encode("latin-1"))

    def reply(self, code, body, ctype="text/plain"):
        data = body.encode("utf-8")
        head = (f"HTTP/1.0 {code} Status {code}\r\nContent-Type: {ctype}\r\n"
                f"Content-Length: {len(data)}\r\nConnection: close\r\n\r\n")
        self.send(head.encode("latin-1") + data)

    def send(self, data):
        self.check_drop()
        self.request.sendall(data)

    def wait(self, seconds):
        """Sleeps up to `seconds`, ending early when the client closes or /_drop is asked."""
        end = time.monotonic() + min(seconds, self.server.max_seconds)
        while True:
            self.check_drop()
            left = end - time.monotonic()
            if left <= 0:
                return
            readable, _, _ = select.select([self.request], [], [], min(left, 0.25))
            if readable:
                self.drain_client()

    def drain_client(self):
        """Reads what the client sent while we wait; an end of stream means it left."""
        self.request.settimeout(0.25)
        try:
            if not self.request.recv(4096):
                raise OSError("client closed")
        except (socket.timeout, ssl.SSLWantReadError):
            pass
        finally:
            self.request.settimeout(SEND_TIMEOUT)

    def check_drop(self):
        if self.server.drop_generation != self.dropped_at:
            raise Drop()


class Server(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True
    request_queue_size = 64

    def __init__(self, args):
        super().__init__((HOST, args.port), Handler)
        self.audios = load_audios(args)
        self.station_name = args.name
        self.genre = args.genre
        self.station_url = args.url
        self.titles = args.titles.split("|") if args.titles else DEFAULT_TITLES
        self.defaults = dict(urllib.parse.parse_qsl(args.defaults))
        self.log = RequestLog(args.log)
        self.max_seconds = args.max_seconds
        self.slots = threading.BoundedSemaphore(args.max_clients)
        self.drop_generation = 0
        hls_stream.setup(self, args.served_dir)
        self.outages = outage.Outages()
        self.tls = None
        if args.tls_cert:
            self.tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            self.tls.load_cert_chain(args.tls_cert, args.tls_key)

    def process_request(self, request, client_address):
        if self.outages.refusing():
            self.shutdown_request(request)
            return
        if not self.slots.acquire(blocking=False):
            try:
                request.sendall(b"HTTP/1.0 503 Busy\r\nContent-Length: 0\r\n\r\n")
            except OSError:
                pass
            self.shutdown_request(request)
            return
        super().process_request(request, client_address)

    def process_request_thread(self, request, client_address):
        try:
            super().process_request_thread(request, client_address)
        finally:
            self.slots.release()


def load_audios(args):
    audios = {}
    for path in args.files:
        name = os.path.splitext(os.path.basename(path))[0].rsplit(".", 1)[-1]
        ext = os.path.splitext(path)[1].lstrip(".").lower()
        audios[ext or name] = Audio(ext or name, path)
    for entry in args.audio:
        name, _, rest = entry.partition("=")
        path, _, kbps = rest.partition("@")
        audios[name] = Audio(name, path, int(kbps) if kbps else None)
    return audios


def parse_args(argv):
    p = argparse.ArgumentParser(description="Local test stream server (see the file's top).")
    p.add_argument("files", nargs="*")
    p.add_argument("--audio", action="append", default=[], metavar="NAME=PATH[@KBPS]")
    p.add_argument("--port", type=int, default=0)
    p.add_argument("--name", default="Test Station")
    p.add_argument("--genre", default="Test")
    p.add_argument("--url", default="http://127.0.0.1/")
    p.add_argument("--titles", default="")
    p.add_argument("--defaults", default="")
    p.add_argument("--log", default=None)
    p.add_argument("--max-seconds", type=float, default=900)
    p.add_argument("--max-clients", type=int, default=32)
    p.add_argument("--tls-cert")
    p.add_argument("--tls-key")
    p.add_argument("--files", dest="served_dir", metavar="DIR")
    return p.parse_args(argv)


def main(argv):
    args = parse_args(argv)
    server = Server(args)

    def stop(*_):
        raise SystemExit(0)

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    limit = threading.Timer(args.max_seconds, lambda: os.kill(os.getpid(), signal.SIGTERM))
    limit.daemon = True
    limit.start()
    print(f"PORT {server.server_address[1]}", flush=True)
    try:
        server.serve_forever(poll_interval=0.25)
    finally:
        server.server_close()


if __name__ == "__main__":
    main(sys.argv[1:])

"""The /stream reply of the test stream server: audio paced at its bit rate after a burst,
Shoutcast metadata interleaved every icy-metaint bytes, and the faults a query asks for.
The parameters are documented at the top of stream_server.py.
"""

import json
import math
import os
import random
import shutil
import subprocess
import time

CONTENT_TYPES = {
    "mp3": "audio/mpeg",
    "aac": "audio/aac",
    "adts": "audio/aac",
    "ogg": "application/ogg",
    "oga": "application/ogg",
    "opus": "audio/ogg",
    "mp4": "audio/mp4",
    "m4a": "audio/mp4",
    "wma": "video/x-ms-asf",
    "asf": "video/x-ms-asf",
}

class Audio:
    """One servable audio file, read into memory once."""

    def __init__(self, name, path, kbps=None):
        self.name = name
        self.path = path
        with open(path, "rb") as f:
            self.data = f.read()
        if not self.data:
            raise SystemExit(f"empty audio file: {path}")
        self.kbps = kbps or probe_kbps(path) or 128
        ext = os.path.splitext(path)[1].lstrip(".").lower()
        self.content_type = CONTENT_TYPES.get(name) or CONTENT_TYPES.get(ext, "audio/mpeg")


def probe_kbps(path):
    """The file's overall bit rate from ffprobe, or None."""
    if not shutil.which("ffprobe"):
        return None
    try:
        out = subprocess.run(
            ["ffprobe", "-v", "error", "-show_entries", "format=bit_rate,duration,size",
             "-of", "json", path],
            capture_output=True, text=True, timeout=20, check=False).stdout
        fmt = json.loads(out).get("format", {})
        if fmt.get("bit_rate", "N/A") != "N/A":
            return max(8, round(int(fmt["bit_rate"]) / 1000))
        if fmt.get("duration", "N/A") != "N/A":
            return max(8, round(int(fmt["size"]) * 8 / float(fmt["duration"]) / 1000))
    except (OSError, ValueError, subprocess.SubprocessError):
        pass
    return None


class Stream:
    """Writes one /stream reply: headers, paced audio, interleaved metadata, faults."""

    def __init__(self, handler, query, audio):
        self.h = handler
        self.q = query
        self.server = handler.server
        self.audio = audio
        self.kbps = self.int("kbps", self.audio.kbps)
        self.metaint = self.int("metaint", 0)
        if not (self.q.get("force_meta") == "1" or handler.headers.get("icy-metadata") == "1"):
            self.metaint = 0
        self.titles = self.q.get("titles", "|".join(self.server.titles)).split("|")
        self.started = time.monotonic()
        self.sent_audio = 0
        self.blocks = 0
        self.last_title = None
        self.changes = 0
        self.rng = random.Random(1)
        self.drip = self.q.get("drip", "")
        self.burst = self.int("burst", 65536)

    def int(self, key, default):
        try:
            return int(self.q.get(key, default))
        except ValueError:
            return default

    def headers(self):
        q = self.q
        status = "ICY 200 OK" if q.get("icy") == "1" else "HTTP/1.0 200 OK"
        lines = [status, "Content-Type: " + q.get("ctype", self.audio.content_type)]
        if q.get("bare") != "1":
            lines += [
                "icy-name:" + q.get("name", self.server.station_name),
                "icy-genre:" + q.get("genre", self.server.genre),
                "icy-url:" + q.get("url", self.server.station_url),
                "icy-br:" + q.get("br", str(self.kbps)),
                "icy-pub:0",
            ]
        if q.get("info") == "1":
            lines.append(f"ice-audio-info: bitrate={self.kbps}")
        if self.metaint > 0:
            lines.append(f"icy-metaint:{self.metaint}")
        if q.get("loop") == "0" and q.get("length") == "1":
            lines.append(f"Content-Length: {len(self.audio.data)}")
        lines += filler_headers(self.int("hdr_kib", 0), q.get("hdr_line") == "1")
        lines += ["Cache-Control: no-cache", "Connection: close"]
        return ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1", "replace")

    def run(self):
        head = self.headers()
        if self.drip == "all":
            self.send_drip(head)
        else:
            self.h.send(head)
        pos = 0
        data = self.audio.data
        if self.q.get("live") == "1":
            pos, self.burst = self.server.outages.live_start(
                len(data), max(1, self.kbps) * 1000 / 8, self.burst)
        stall_after = self.int("stall_after", -1)
        close_after = self.int("close_after", -1)
        loop = self.q.get("loop", "1") != "0"
        while True:
            if close_after >= 0 and self.sent_audio >= close_after:
                return
            if stall_after >= 0 and self.sent_audio >= stall_after:
                self.stall()
                stall_after = -1
            if pos >= len(data):
                if not loop:
                    return
                pos = 0
            n = self.next_chunk_size(len(data) - pos, stall_after, close_after)
            chunk = data[pos:pos + n]
            if self.q.get("garbage") == "1":
                chunk = self.rng.randbytes(n)
            pos += n
            self.send_audio(chunk)

    def next_chunk_size(self, left_in_file, stall_after, close_after):
        n = min(4096, left_in_file)
        if self.metaint > 0:
            n = min(n, self.metaint - self.sent_audio % self.metaint)
        for limit in (stall_after, close_after):
            if limit > self.sent_audio:
                n = min(n, limit - self.sent_audio)
        return max(1, n)

    def send_audio(self, chunk):
        self.pace(len(chunk))
        if self.drip:
            self.send_drip(chunk)
        else:
            self.h.send(chunk)
        self.sent_audio += len(chunk)
        if self.metaint > 0 and self.sent_audio % self.metaint == 0:
            self.h.send(self.metadata_block())
            self.blocks += 1

    def pace(self, upcoming):
        if self.q.get("pace") == "0" or self.drip or self.blocks < self.int("flood", 0):
            return
        rate = max(1, self.kbps) * 1000 / 8
        due = self.started + (self.sent_audio + upcoming - self.burst) / rate
        wait = due - time.monotonic()
        if wait > 0:
            self.h.wait(wait)

    def current_title(self):
        if self.blocks < self.int("flood", 0):
            return f"Flood title {self.blocks + 1}"
        every = self.int("title_blocks", 0)
        if every > 0:
            index = self.blocks // every
        else:
            seconds = float(self.q.get("title_every", "0") or 0)
            index = int((time.monotonic() - self.started) / seconds) if seconds > 0 else 0
        return self.titles[index % len(self.titles)].replace("{n}", str(index + 1))

    def metadata_block(self):
        if self.q.get("meta255") == "1":
            text = ("StreamTitle='" + "A" * 4080)[:4078] + "';"
            return bytes([255]) + text.encode("latin-1")
        title = self.current_title()
        if title == self.last_title and self.q.get("repeat_meta") != "1":
            return b"\x00"
        self.last_title = title
        return encode_metadata(title)

    def stall(self):
        seconds = float(self.q.get("stall_for", "0") or 0)
        self.h.wait(seconds if seconds > 0 else self.server.max_seconds)
        self.started = time.monotonic() - (self.sent_audio - self.burst) / (self.kbps * 1000 / 8)

    def send_drip(self, data):
        for i in range(len(data)):
            self.h.send(data[i:i + 1])
            self.h.wait(1.0)


def encode_metadata(title):
    """A Shoutcast metadata block: length byte (16-byte units), text, NUL padding."""
    text = f"StreamTitle='{title}';".encode("latin-1", "replace")[:255 * 16]
    units = math.ceil(len(text) / 16)
    return bytes([units]) + text.ljust(units * 16, b"\x00")


def filler_headers(kib, single):
    if kib <= 0:
        return []
    if single:
        return ["X-Filler: " + "x" * (kib * 1024)]
    value = "y" * 1000
    count = math.ceil(kib * 1024 / len(f"X-Filler-00000: {value}\r\n"))
    return [f"X-Filler-{i:05d}: {value}" for i in range(count)]

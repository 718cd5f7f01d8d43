"""The HLS replies of the test stream server: live media playlists that advance in real time,
packed-audio segments (raw ADTS or MP3 frames after an ID3 tag), a master playlist, and a folder
served as it is (for a real packager's output).

Routes (every one logged; the parameters of a playlist are passed on to its segments)
  /hls/live.m3u8    a live media playlist; its sequence numbers follow the wall clock
    fmt=NAME          which --audio file the segments cut (ADTS or MP3; default: aac)
    seg=S             segment seconds (default 1);  window=N  segments listed (default 5)
    titles=1          each segment's ID3 tag carries TIT2 "Song {k}" and TPE1 "Artist", with
                      k = sequence // title_every (default 4), besides its PRIV timestamp
    disc_at=K         segment K and later come from fmt2 (default mp3), after a discontinuity
    end_at=K          the playlist ends with segment K (EXT-X-ENDLIST)
    stall_at=K        the playlist stops advancing at segment K
    missing=K         segment K answers 404
    key=1             the segments are announced as AES-128 encrypted
  /hls/master.m3u8  two variants named relative to it: fmt=mp3 at 64 kbit/s and fmt=aac at
                    128 kbit/s (the query is passed on to both)
  /hls/seg/K.EXT    segment K of the live playlist with the same query
  /files/PATH       a file of --files DIR, read when asked (so a packager may still write)
The first segment listed at the start is number window - 1 back, so a full window is there
from the first request on.
"""

import os
import struct
import time
import urllib.parse

PLAYLIST_TYPE = "application/vnd.apple.mpegurl"
FILE_TYPES = {".m3u8": PLAYLIST_TYPE, ".ts": "video/mp2t", ".aac": "audio/aac",
              ".mp3": "audio/mpeg", ".m4s": "video/iso.segment", ".mp4": "video/mp4"}
ADTS_SAMPLE_RATES = [96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000,
                     11025, 8000, 7350]
MP3_KBPS = [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320]
MP3_RATES = [44100, 48000, 32000]


def split_frames(data):
    """(frames, samples per frame, sample rate) of a raw ADTS or MPEG-1 layer III file."""
    pos = 0
    if data[:3] == b"ID3":
        pos = 10 + ((data[6] << 21) | (data[7] << 14) | (data[8] << 7) | data[9])
    frames, spf, rate = [], 1024, 44100
    while pos + 6 < len(data):
        if data[pos] != 0xFF or data[pos + 1] & 0xE0 != 0xE0:
            pos += 1
            continue
        if data[pos + 1] & 0x06 == 0:  # ADTS
            size = ((data[pos + 3] & 3) << 11) | (data[pos + 4] << 3) | (data[pos + 5] >> 5)
            rate, spf = ADTS_SAMPLE_RATES[(data[pos + 2] >> 2) & 0x0F], 1024
        else:  # MPEG-1 layer III
            kbps = MP3_KBPS[min(data[pos + 2] >> 4, 14)]
            rate = MP3_RATES[min((data[pos + 2] >> 2) & 3, 2)]
            size, spf = 144000 * kbps // rate + ((data[pos + 2] >> 1) & 1), 1152
        if size <= 0:
            pos += 1
            continue
        frames.append(data[pos:pos + size])
        pos += size
    return frames, spf, rate


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def id3_tag(frames):
    """An ID3v2.4 tag of (id, body) frames."""
    body = b"".join(fid.encode() + syncsafe(len(data)) + b"\x00\x00" + data
                    for fid, data in frames)
    return b"ID3\x04\x00\x00" + syncsafe(len(body)) + body


class Cut:
    """An audio file cut into segments along its frames; the file loops."""

    def __init__(self, audio):
        self.frames, self.spf, self.rate = split_frames(audio.data)
        if not self.frames:
            raise ValueError(f"no ADTS or MP3 frames in {audio.path}")
        self.content_type = audio.content_type

    def segment(self, sequence, seconds):
        per = self.rate * seconds / self.spf
        first, end = round(sequence * per), round((sequence + 1) * per)
        return b"".join(self.frames[i % len(self.frames)] for i in range(first, end))


class Hls:
    """Answers the /hls/ and /files/ routes for one request handler."""

    def __init__(self, handler):
        self.h = handler
        self.q = handler.query
        self.server = handler.server

    def int(self, key, default):
        try:
            return int(self.q.get(key, default))
        except ValueError:
            return default

    def route(self):
        path = self.h.path
        if path.startswith("/files/"):
            return self.file(path[len("/files/"):])
        if path == "/hls/master.m3u8":
            return self.master()
        if path == "/hls/live.m3u8":
            return self.live()
        if path.startswith("/hls/seg/"):
            return self.segment(path[len("/hls/seg/"):].split(".", 1)[0])
        self.h.reply(404, "not found\n")

    def cut(self, name):
        cuts = self.server.hls_cuts
        if name not in cuts and name in self.server.audios:
            cuts[name] = Cut(self.server.audios[name])
        return cuts.get(name)

    def current(self):
        seconds = float(self.q.get("seg", "1") or 1)
        window = self.int("window", 5)
        now = window - 1 + int((time.monotonic() - self.server.hls_epoch) / seconds)
        stall = self.int("stall_at", -1)
        return min(now, stall) if stall >= 0 else now

    def live(self):
        seconds = float(self.q.get("seg", "1") or 1)
        window = self.int("window", 5)
        last = self.current()
        end = self.int("end_at", -1)
        if 0 <= end <= last:
            last = end
        first = max(0, last - window + 1)
        disc = self.int("disc_at", -1)
        query = urllib.parse.urlencode(self.q)
        lines = ["#EXTM3U", "#EXT-X-VERSION:3", f"#EXT-X-TARGETDURATION:{round(seconds)}",
                 f"#EXT-X-MEDIA-SEQUENCE:{first}"]
        if self.q.get("key") == "1":
            lines.append('#EXT-X-KEY:METHOD=AES-128,URI="key.bin"')
        for n in range(first, last + 1):
            if n == disc:
                lines.append("#EXT-X-DISCONTINUITY")
            name = self.q.get("fmt2", "mp3") if 0 <= disc <= n else self.q.get("fmt", "aac")
            lines += [f"#EXTINF:{seconds:.3f},", f"seg/{n}.{name}?{query}"]
        if 0 <= end <= last:
            lines.append("#EXT-X-ENDLIST")
        self.h.reply(200, "\n".join(lines) + "\n", PLAYLIST_TYPE)

    def master(self):
        query = urllib.parse.urlencode({k: v for k, v in self.q.items() if k != "fmt"})
        body = ("#EXTM3U\n"
                '#EXT-X-STREAM-INF:BANDWIDTH=64000,CODECS="mp4a.40.34"\n'
                f"live.m3u8?fmt=mp3&{query}\n"
                '#EXT-X-STREAM-INF:BANDWIDTH=128000,CODECS="mp4a.40.2"\n'
                f"live.m3u8?fmt=aac&{query}\n")
        self.h.reply(200, body, PLAYLIST_TYPE)

    def segment(self, number):
        try:
            sequence = int(number)
        except ValueError:
            return self.h.reply(404, "no such segment\n")
        if sequence == self.int("missing", -1) or sequence > self.current():
            return self.h.reply(404, "no such segment\n")
        disc = self.int("disc_at", -1)
        name = self.q.get("fmt2", "mp3") if 0 <= disc <= sequence else self.q.get("fmt", "aac")
        cut = self.cut(name)
        if not cut:
            return self.h.reply(404, f"no audio named {name}\n")
        seconds = float(self.q.get("seg", "1") or 1)
        pts = int(sequence * seconds * 90000) & ((1 << 33) - 1)
        frames = [("PRIV", b"com.apple.streaming.transportStreamTimestamp\x00" +
                   struct.pack(">Q", pts))]
        if self.q.get("titles") == "1":
            song = sequence // max(1, self.int("title_every", 4))
            frames += [("TIT2", f"\x03Song {song}".encode()), ("TPE1", b"\x03Artist")]
        data = id3_tag(frames) + cut.segment(sequence, seconds)
        self.reply_bytes(data, cut.content_type)

    def file(self, relative):
        root = self.server.hls_files
        path = os.path.realpath(os.path.join(root or "", urllib.parse.unquote(relative)))
        if not root or not path.startswith(os.path.realpath(root) + os.sep):
            return self.h.reply(404, "not found\n")
        try:
            with open(path, "rb") as f:
                data = f.read()
        except OSError:
            return self.h.reply(404, "not found\n")
        ctype = FILE_TYPES.get(os.path.splitext(path)[1], "application/octet-stream")
        self.reply_bytes(data, ctype)

    def reply_bytes(self, data, ctype):
        head = (f"HTTP/1.0 200 OK\r\nContent-Type: {ctype}\r\nContent-Length: {len(data)}\r\n"
                "Connection: close\r\n\r\n")
        self.h.send(head.encode("latin-1") + data)


def setup(server, files):
    """The state the routes share: the live clock, the cut audio, the served folder."""
    server.hls_epoch = time.monotonic()
    server.hls_cuts = {}
    server.hls_files = files

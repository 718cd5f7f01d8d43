"""The /mmsh route of the test stream server: a Windows Media server speaking MMSH.

A request without "Pragma: xPlayStrm=1" is a describe request and gets the ASF header in one
$H chunk; a play request gets the header again, then the file's data packets in $D chunks,
paced at the file's bit rate after a burst. The header is rewritten so that it carries the
title and author asked for and a script stream, whose TITLE commands are sent as packets of
their own. Query parameters, all optional:
  fmt=NAME         which audio file (an ASF/WMA file; default: "wma")
  title= author=   the header's content description (default: the station name, "Test Author")
  scripts=A|B      titles sent as TITLE script commands, the first at once, then one every
                   script_every=S seconds (default 2);  script_type=T  another command type
  header_scripts=A|B   the same as commands of the header's script command object, timed
                   script_every apart from the start;  script_from=S  the first S seconds in
  change_after=N   after N data packets: $C, then a new header titled change_title=TEXT
  end_after=N      after N data packets: $E, and the connection closes
  unknown=1        an unknown chunk type before every data packet (to be skipped)
  garbage=describe|play   random bytes instead of the chunks of that reply
  big_header=1     the header claims to be 2 MiB long
  split_header=N   the header in two $H chunks, split after N bytes ("end": before the data
                   object's head);  no_data_head=1  without the data object's head
  big_packets=1    every $D payload is longer than the header's packet size
  burst=BYTES      sent at once before pacing starts (default 65536);  pace=0  unpaced
"""

import random
import struct
import time
import uuid


def guid(text):
    return uuid.UUID(text).bytes_le


HEADER = guid("75B22630-668E-11CF-A6D9-00AA0062CE6C")
DATA = guid("75B22636-668E-11CF-A6D9-00AA0062CE6C")
FILE_PROPERTIES = guid("8CABDCA1-A947-11CF-8EE4-00C00C205365")
STREAM_PROPERTIES = guid("B7DC0791-A9B7-11CF-8EE6-00C00C205365")
CONTENT_DESCRIPTION = guid("75B22633-668E-11CF-A6D9-00AA0062CE6C")
SCRIPT_COMMAND = guid("1EFB1A30-0B62-11D0-A39B-00A0C90348F6")
COMMAND_MEDIA = guid("59DACFC0-59E6-11D0-A3AC-00A0C90348F6")
NO_ERROR_CORRECTION = guid("20FB5700-5B55-11CF-A8FD-00805F5C442B")


def utf16(text):
    return text.encode("utf-16-le") + b"\x00\x00"


def asf_object(kind, body):
    return kind + struct.pack("<Q", 24 + len(body)) + body


class AsfFile:
    """An ASF file split into its header objects and fixed-size data packets."""

    def __init__(self, data):
        if data[:16] != HEADER:
            raise ValueError("not an ASF file")
        size = struct.unpack_from("<Q", data, 16)[0]
        self.objects = []
        at = 30
        while at < size:
            length = struct.unpack_from("<Q", data, at + 16)[0]
            self.objects.append(data[at:at + length])
            at += length
        props = next(o for o in self.objects if o[:16] == FILE_PROPERTIES)
        self.packet_size = struct.unpack_from("<I", props, 92)[0]
        self.numbers = [o[72] & 0x7F for o in self.objects if o[:16] == STREAM_PROPERTIES]
        self.script_stream = max(self.numbers) + 1
        start = size + 50  # the data object's own head
        self.packets = [data[i:i + self.packet_size]
                        for i in range(start, len(data) - self.packet_size + 1, self.packet_size)]

    def header(self, title, author, claimed=None, scripts=(), every=2, start=0):
        """The header object (with a script stream, the texts and any timed commands of its
        own) and the data object head."""
        script = (COMMAND_MEDIA + NO_ERROR_CORRECTION + struct.pack("<QIIHI", 0, 0, 0,
                                                                     self.script_stream, 0))
        texts = [utf16(title), utf16(author), b"", b"", b""]
        description = struct.pack("<5H", *map(len, texts)) + b"".join(texts)
        objects = [o for o in self.objects if o[:16] != CONTENT_DESCRIPTION]
        objects += [asf_object(STREAM_PROPERTIES, script),
                    asf_object(CONTENT_DESCRIPTION, description)]
        if scripts:
            def text(t):
                return struct.pack("<H", len(t) + 1) + utf16(t)
            body = b"\x00" * 16 + struct.pack("<HH", len(scripts), 1) + text("TITLE")
            for i, name in enumerate(scripts):
                body += struct.pack("<IH", int((start + i * every) * 1000), 0) + text(name)
            objects.append(asf_object(SCRIPT_COMMAND, body))
        body = b"".join(objects)
        size = claimed or 30 + len(body)
        head = HEADER + struct.pack("<QIBB", size, len(objects), 1, 2) + body
        return head + DATA + struct.pack("<Q", 0) + b"\x00" * 16 + struct.pack("<QH", 0, 0x101)

    def script_packet(self, kind, text, number):
        """One data packet holding one script command as a single payload."""
        sample = utf16(kind) + utf16(text)
        payload = struct.pack("<BBIB", 0x80 | self.script_stream, number & 0xFF, 0, 8)
        payload += struct.pack("<II", len(sample), 0) + sample
        head = bytes([0x82, 0, 0, 0x10, 0x5D])  # a 16-bit padding length, byte-sized fields
        used = len(head) + 2 + 6 + len(payload)
        padding = self.packet_size - used
        return head + struct.pack("<HIH", padding, 0, 0) + payload + b"\x00" * padding


def chunk(kind, payload, sequence=0):
    extension = (struct.pack("<IBBH", sequence, 0, 0, len(payload) + 8) if kind in "HD"
                 else struct.pack("<I", 0))
    return b"$" + kind.encode() + struct.pack("<H", len(extension) + len(payload)) + \
        extension + payload


class MmshStream:
    """Writes one /mmsh reply."""

    def __init__(self, handler, query, audio):
        self.h = handler
        self.q = query
        self.asf = AsfFile(audio.data)
        self.kbps = audio.kbps
        self.rng = random.Random(1)
        self.title = query.get("title", handler.server.station_name)
        self.author = query.get("author", "Test Author")
        pragmas = ",".join(v for k, v in handler.header_lines if k == "pragma").lower()
        self.play = "xplaystrm=1" in pragmas

    def int(self, key, default):
        try:
            return int(self.q.get(key, default))
        except ValueError:
            return default

    def run(self):
        kind = "application/x-mms-framed" if self.play else "application/vnd.ms.wms-hdr.asfv1"
        self.h.send(("HTTP/1.0 200 OK\r\nServer: Cougar/9.01.01.3814\r\n"
                     f"Content-Type: {kind}\r\nPragma: no-cache,client-id=1\r\n"
                     'Pragma: features="broadcast,playlist"\r\n'
                     "Cache-Control: no-cache\r\nConnection: close\r\n\r\n").encode("latin-1"))
        if self.q.get("garbage") == ("play" if self.play else "describe"):
            self.h.send(self.rng.randbytes(4096))
            return
        claimed = 2 << 20 if self.q.get("big_header") == "1" else None
        timed = [t for t in self.q.get("header_scripts", "").split("|") if t]
        every = float(self.q.get("script_every", "2") or 2)
        start = float(self.q.get("script_from", "0") or 0)
        self.send_header(self.asf.header(self.title, self.author, claimed, timed, every, start))
        if self.play:
            self.packets()

    def send_header(self, head):
        if self.q.get("no_data_head") == "1":
            head = head[:-50]
        split = self.q.get("split_header")
        if split:
            at = len(head) - 50 if split == "end" else int(split)
            self.h.send(chunk("H", head[:at]))
            head = head[at:]
        self.h.send(chunk("H", head))

    def packets(self):
        started = time.monotonic()
        sent = 0
        scripts = [t for t in self.q.get("scripts", "").split("|") if t]
        every = float(self.q.get("script_every", "2") or 2)
        change_after = self.int("change_after", -1)
        end_after = self.int("end_after", -1)
        burst = self.int("burst", 65536)
        rate = max(1, self.kbps) * 1000 / 8
        count = 0
        next_script = started
        while True:
            for packet in self.asf.packets:
                if count == end_after:
                    self.h.send(chunk("E", b""))
                    return
                if count == change_after:
                    self.title = self.q.get("change_title", "Changed Title")
                    self.h.send(chunk("C", b""))
                    self.send_header(self.asf.header(self.title, self.author))
                if scripts and time.monotonic() >= next_script:
                    text = scripts.pop(0)
                    command = self.asf.script_packet(self.q.get("script_type", "TITLE"), text,
                                                     count)
                    self.h.send(chunk("D", command, count))
                    next_script += every
                if self.q.get("unknown") == "1":
                    self.h.send(b"$M" + struct.pack("<H", 6) + b"\x00" * 6)
                if self.q.get("big_packets") == "1":
                    packet += b"\x00" * 16
                if self.q.get("pace") != "0":
                    wait = started + (sent + len(packet) - burst) / rate - time.monotonic()
                    if wait > 0:
                        self.h.wait(wait)
                self.h.send(chunk("D", packet, count))
                sent += len(packet)
                count += 1

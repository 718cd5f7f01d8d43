"""Self-test of the local stream server: the replies other tests rely on are what they claim."""

import os
import shutil
import socket
import ssl
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.parse
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from server_control import HERE, StreamServer, make_fixtures, wait_until  # noqa: E402

FIXTURE_DIR = os.environ.get("TEST_FIXTURE_DIR") or os.path.join(
    tempfile.gettempdir(), f"stream-fixtures-{os.getuid()}")


class Client:
    """A raw connection that reads the reply's head and then body bytes, always bounded."""

    def __init__(self, port, target, headers=(), sock_wrap=None):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=10)
        if sock_wrap:
            self.sock = sock_wrap(self.sock)
        lines = [f"GET {target} HTTP/1.0", "Host: 127.0.0.1", "User-Agent: SelfTest/1",
                 *headers]
        self.sock.sendall(("\r\n".join(lines) + "\r\n\r\n").encode())
        self.buf = b""

    def head(self, limit=4 << 20):
        while b"\r\n\r\n" not in self.buf and len(self.buf) < limit:
            part = self.sock.recv(65536)
            if not part:
                break
            self.buf += part
        head, _, self.buf = self.buf.partition(b"\r\n\r\n")
        lines = head.decode("latin-1").split("\r\n")
        fields = {}
        for line in lines[1:]:
            key, _, value = line.partition(":")
            fields[key.strip().lower()] = value.strip()
        return lines[0], fields, len(head)

    def read(self, n, seconds=10):
        """Up to n body bytes; stops early at the end of the reply or after `seconds`."""
        end = time.monotonic() + seconds
        while len(self.buf) < n and time.monotonic() < end:
            self.sock.settimeout(max(0.05, end - time.monotonic()))
            try:
                part = self.sock.recv(65536)
            except socket.timeout:
                break
            if not part:
                break
            self.buf += part
        data, self.buf = self.buf[:n], self.buf[n:]
        return data

    def close(self):
        self.sock.close()


def deinterleave(body, metaint):
    """Splits an ICY body into audio bytes and the metadata blocks' texts."""
    audio, metas, pos = bytearray(), [], 0
    while pos + metaint < len(body):
        audio += body[pos:pos + metaint]
        size = body[pos + metaint] * 16
        metas.append(body[pos + metaint + 1:pos + metaint + 1 + size])
        pos += metaint + 1 + size
    return bytes(audio), metas


class StreamServerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.fx = make_fixtures(FIXTURE_DIR)
        cls.tmp = tempfile.mkdtemp(prefix="stream-server-test-")
        cls.log = os.path.join(cls.tmp, "requests.log")
        cls.server = StreamServer(
            [os.path.join(cls.fx, "tone.mp3"), "--audio", f"ogg={cls.fx}/tone.ogg",
             "--name", "Selftest FM", "--titles", "First|Second {n}", "--max-clients", "8"],
            log=cls.log)
        with open(os.path.join(cls.fx, "tone.mp3"), "rb") as f:
            cls.mp3 = f.read()

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def client(self, target, headers=()):
        c = Client(self.server.port, target, headers)
        self.addCleanup(c.close)
        return c

    def test_icy_reply_interleaves_titles_and_keeps_audio_intact(self):
        c = self.client("/stream?icy=1&metaint=1000&title_blocks=2&pace=0", ["Icy-MetaData: 1"])
        status, fields, _ = c.head()
        self.assertEqual(status, "ICY 200 OK")
        self.assertEqual(fields["icy-name"], "Selftest FM")
        self.assertEqual(fields["icy-metaint"], "1000")
        self.assertEqual(fields["icy-br"], "128")
        audio, metas = deinterleave(c.read(12000), 1000)
        self.assertEqual(audio, self.mp3[:len(audio)])
        texts = [m.rstrip(b"\0") for m in metas[:5]]
        self.assertEqual(texts, [b"StreamTitle='First';", b"", b"StreamTitle='Second 2';", b"",
                                 b"StreamTitle='First';"])

    def test_http_reply_without_metadata_request_is_the_plain_file(self):
        c = self.client("/stream?metaint=1000&loop=0&length=1&pace=0")
        status, fields, _ = c.head()
        self.assertEqual(status, "HTTP/1.0 200 OK")
        self.assertEqual(fields["content-type"], "audio/mpeg")
        self.assertNotIn("icy-metaint", fields)
        self.assertEqual(int(fields["content-length"]), len(self.mp3))
        self.assertEqual(c.read(len(self.mp3) + 10), self.mp3)

    def test_loops_and_picks_the_format_by_name(self):
        c = self.client("/stream?pace=0")
        c.head()
        self.assertEqual(c.read(len(self.mp3) + 100)[len(self.mp3):], self.mp3[:100])
        c = self.client("/stream?fmt=ogg&pace=0&bare=1")
        _, fields, _ = c.head()
        self.assertEqual(fields["content-type"], "application/ogg")
        self.assertNotIn("icy-name", fields)
        self.assertEqual(c.read(4), b"OggS")

    def test_pacing_never_runs_ahead_of_burst_plus_bitrate(self):
        start = time.monotonic()
        c = self.client("/stream?burst=20000&kbps=64")
        c.head()
        got = len(c.read(1 << 20, seconds=1.5))
        elapsed = time.monotonic() - start
        self.assertGreaterEqual(got, 20000)
        self.assertLessEqual(got, 20000 + 8000 * elapsed + 4096)

    def test_playlists_name_the_stream_with_their_content_type(self):
        cases = [("pls", "audio/x-scpls", "File1=http://127.0.0.1:{p}/stream?fmt=ogg"),
                 ("m3u", "audio/x-mpegurl", "\nhttp://127.0.0.1:{p}/stream?fmt=ogg\n"),
                 ("asx", "video/x-ms-asf", '<ref href="http://127.0.0.1:{p}/stream?fmt=ogg"/>'),
                 ("txt", "text/plain", "http://127.0.0.1:{p}/stream?fmt=ogg\n")]
        for ext, ctype, expected in cases:
            with self.subTest(ext), urllib.request.urlopen(
                    self.server.url(f"/pl/x.{ext}?to=%2Fstream%3Ffmt%3Dogg"), timeout=10) as r:
                self.assertEqual(r.headers["Content-Type"], ctype)
                self.assertIn(expected.format(p=self.server.port), r.read().decode())
        with urllib.request.urlopen(self.server.url("/pl/me.m3u?self=1"), timeout=10) as r:
            self.assertIn(self.server.url("/pl/me.m3u?self=1"), r.read().decode())

    def test_redirect_chain_ends_at_the_stream_and_loop_points_to_itself(self):
        c = self.client("/redirect?hops=1&to=%2Fstream%3Ffmt%3Dogg")
        status, fields, _ = c.head()
        self.assertEqual(status, "HTTP/1.0 302 Moved")
        self.assertIn("/redirect?", fields["location"])
        with urllib.request.urlopen(self.server.url("/redirect?hops=2&to=%2Fpl%2Fa.txt"),
                                    timeout=10) as r:
            self.assertTrue(r.geturl().endswith("/pl/a.txt"))
        c = self.client("/redirect?loop=1&code=301")
        status, fields, _ = c.head()
        self.assertEqual(status, "HTTP/1.0 301 Moved")
        self.assertEqual(fields["location"], self.server.url("/redirect?loop=1&code=301"))

    def test_faults(self):
        c = self.client("/stream?close_after=5000&pace=0")
        c.head()
        self.assertEqual(len(c.read(100000)), 5000, "close_after")

        c = self.client("/stream?stall_after=3000&pace=0")
        c.head()
        self.assertEqual(len(c.read(100000, seconds=1.5)), 3000, "stall_after")
        c.sock.sendall(b"still there?")
        self.assertEqual(c.read(1, seconds=0.3), b"", "stalled connection stays open")

        c = self.client("/stream?garbage=1&pace=0")
        c.head()
        self.assertNotEqual(c.read(4096)[:4], self.mp3[:4], "garbage")

        c = self.client("/stream?hdr_kib=1024")
        _, fields, size = c.head()
        self.assertGreaterEqual(size, 1 << 20, "1 MiB header block")
        self.assertEqual(fields["icy-name"], "Selftest FM")

        c = self.client("/stream?meta255=1&metaint=100&pace=0", ["Icy-MetaData: 1"])
        c.head()
        _, metas = deinterleave(c.read(9000), 100)
        self.assertEqual(len(metas[0]), 4080, "meta255")
        self.assertNotIn(b"\0", metas[0])

        c = self.client("/stream?metaint=1&pace=0", ["Icy-MetaData: 1"])
        c.head()
        audio, metas = deinterleave(c.read(200), 1)
        self.assertEqual(audio, self.mp3[:len(audio)], "metaint 1")

        c = self.client("/stream?flood=10000&metaint=16&kbps=8", ["Icy-MetaData: 1"])
        c.head()
        _, metas = deinterleave(c.read(10000 * (16 + 1 + 32), seconds=30), 16)
        self.assertEqual(len(metas), 10000, "flood sends unpaced")
        self.assertIn(b"Flood title 10000'", metas[-1])

    def test_slow_replies_stay_slow(self):
        c = self.client("/stream?drip=1")
        c.head()
        self.assertLessEqual(len(c.read(100, seconds=1.5)), 2, "drip")
        c = self.client("/hang")
        self.assertEqual(c.read(1, seconds=1.0), b"", "hang")

    def test_request_log_records_agent_and_metadata_header(self):
        self.client("/pl/logged.pls").head()
        entries = [e for e in self.server.requests() if e["path"] == "/pl/logged.pls"]
        self.assertEqual(entries[-1]["user_agent"], "SelfTest/1")
        self.assertIsNone(entries[-1]["icy_metadata"])
        with open(self.log) as f:
            self.assertIn("/pl/logged.pls", f.read())

    def test_excess_clients_get_busy(self):
        hanging = [self.client("/hang") for _ in range(8)]
        time.sleep(0.3)
        status, _, _ = self.client("/pl/a.pls").head()
        self.assertEqual(status, "HTTP/1.0 503 Busy")
        for c in hanging:
            c.close()
        # The server frees the slots as its threads see the closes; the next test must not
        # meet a busy server because this one ran first.
        def accepts():
            probe = Client(self.server.port, "/pl/a.pls", ())
            try:
                return probe.head()[0] != "HTTP/1.0 503 Busy"
            finally:
                probe.close()
        self.assertTrue(wait_until(accepts, 10), "the slots came back")


class HlsRoutesTest(unittest.TestCase):
    """The live HLS cases the engine's tests build on."""

    @classmethod
    def setUpClass(cls):
        fx = make_fixtures(FIXTURE_DIR)
        cls.tmp = tempfile.mkdtemp(prefix="stream-server-hls-")
        served = os.path.join(cls.tmp, "served")
        os.mkdir(served)
        for path in (os.path.join(served, "a.m3u8"), os.path.join(cls.tmp, "secret.txt")):
            with open(path, "w") as f:
                f.write("#EXTM3U\n")
        cls.server = StreamServer(["--audio", f"aac={fx}/tone.aac", "--audio",
                                   f"mp3={fx}/tone.mp3", "--files", served])

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def get(self, target):
        try:
            with urllib.request.urlopen(self.server.url(target), timeout=10) as reply:
                return reply.status, reply.headers.get("Content-Type"), reply.read()
        except urllib.error.HTTPError as e:
            return e.code, None, b""

    def test_live_playlist_advances_and_segments_carry_id3_then_frames(self):
        _, ctype, first = self.get("/hls/live.m3u8?titles=1&disc_at=9&missing=6")
        self.assertEqual(ctype, "application/vnd.apple.mpegurl")
        def sequence(body):
            return int(body.decode().split("#EXT-X-MEDIA-SEQUENCE:")[1].split("\n")[0])

        self.assertEqual(first.decode().count("\nseg/"), 5)
        time.sleep(1.2)
        self.assertGreater(sequence(self.get("/hls/live.m3u8")[2]), sequence(first))
        _, ctype, segment = self.get("/hls/seg/2.aac?titles=1")
        self.assertEqual(ctype, "audio/aac")
        self.assertTrue(segment.startswith(b"ID3\x04"))
        self.assertIn(b"TIT2", segment)
        self.assertIn(b"Song 0", segment)
        self.assertIn(b"com.apple.streaming.transportStreamTimestamp", segment)
        size = 10 + sum((segment[6 + i] & 0x7F) << (7 * (3 - i)) for i in range(4))
        self.assertEqual(segment[size], 0xFF)  # an ADTS frame follows the tag
        self.assertEqual(self.get("/hls/seg/6.aac?missing=6")[0], 404)
        self.assertEqual(self.get("/hls/seg/999.aac")[0], 404)  # not yet on the air
        self.assertEqual(self.get("/hls/seg/3.mp3?disc_at=3")[1], "audio/mpeg")
        ended = self.get("/hls/live.m3u8?end_at=2")[2].decode()
        self.assertTrue(ended.endswith("seg/2.aac?end_at=2\n#EXT-X-ENDLIST\n"))
        self.assertIn("#EXT-X-KEY:METHOD=AES-128", self.get("/hls/live.m3u8?key=1")[2].decode())
        master = self.get("/hls/master.m3u8?titles=1")[2].decode()
        self.assertIn("BANDWIDTH=128000", master)
        self.assertIn("live.m3u8?fmt=aac&titles=1", master)

    def test_files_stay_inside_their_folder(self):
        self.assertEqual(self.get("/files/a.m3u8")[:2], (200, "application/vnd.apple.mpegurl"))
        self.assertEqual(self.get("/files/../secret.txt")[0], 404)
        self.assertEqual(self.get("/files/%2e%2e/secret.txt")[0], 404)


class ServerLifeTest(unittest.TestCase):
    def test_sigterm_and_time_limit_end_the_server(self):
        s = StreamServer(["--max-seconds", "1"])
        self.assertEqual(s.proc.wait(15), 0)
        s.stop()
        s = StreamServer([])
        self.assertEqual(s.stop(), 0)

    @unittest.skipUnless(shutil.which("openssl"), "openssl missing")
    def test_tls_with_a_throwaway_authority(self):
        tmp = tempfile.mkdtemp(prefix="stream-server-tls-")
        self.addCleanup(shutil.rmtree, tmp, True)
        subprocess.run(["bash", os.path.join(HERE, "make_test_ca.sh"), tmp], check=True,
                       timeout=60)
        with StreamServer(["--tls-cert", f"{tmp}/server.pem", "--tls-key",
                           f"{tmp}/server.key"]) as s:
            ctx = ssl.create_default_context(cafile=f"{tmp}/ca.pem")
            url = f"https://127.0.0.1:{s.port}/pl/a.m3u"
            with urllib.request.urlopen(url, context=ctx, timeout=10) as r:
                self.assertIn(f"https://127.0.0.1:{s.port}/stream", r.read().decode())
            with self.assertRaises(urllib.error.URLError):
                urllib.request.urlopen(url, context=ssl.create_default_context(), timeout=10)


@unittest.skipUnless(shutil.which("icecast2"), "needs icecast2")
@unittest.skipUnless(os.getuid() == 0, "needs root (to run icecast2 as nobody)")
class IcecastHarnessTest(unittest.TestCase):
    def test_mount_plays_and_admin_title_arrives(self):
        tmp = tempfile.mkdtemp(prefix="icecast-test-", dir="/tmp")  # nobody must reach it
        script = os.path.join(HERE, "icecast.sh")
        self.addCleanup(shutil.rmtree, tmp, True)
        self.addCleanup(subprocess.run, ["bash", script, "stop", tmp], timeout=60)
        out = subprocess.run(["bash", script, "start", tmp, "440", "Harness FM"], check=True,
                             capture_output=True, text=True, timeout=60).stdout
        url = urllib.parse.urlsplit(out.split()[-1])
        subprocess.run(["bash", script, "title", tmp, "Admin Title"], check=True, timeout=30)
        c = Client(url.port, url.path, ["Icy-MetaData: 1"])
        self.addCleanup(c.close)
        _, fields, _ = c.head()
        self.assertEqual(fields["icy-name"], "Harness FM")
        _, metas = deinterleave(c.read(40000), int(fields["icy-metaint"]))
        self.assertIn(b"StreamTitle='Admin Title';", metas[0])


if __name__ == "__main__":
    unittest.main()

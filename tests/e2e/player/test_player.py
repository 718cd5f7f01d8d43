"""The built player, run as a user runs it, against the local stream server and Icecast.

Observations: the sound is SDL's disk-driver capture, checked for level and dominant frequency;
the window is found with xwininfo (name, size, map state); its texts are read from the
accessibility tree over AT-SPI; the controls are clicked with xdotool (XTest); which stations
the player asked for comes from the stream server's request log.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "..", "server"))
import audio  # noqa: E402
import harness  # noqa: E402
from server_control import StreamServer, free_port, make_fixtures  # noqa: E402

FIXTURES = os.environ.get("TEST_FIXTURE_DIR") or os.path.join(
    tempfile.gettempdir(), f"stream-fixtures-{os.getuid()}")
ARTIFACTS = os.environ.get("E2E_ARTIFACTS")  # screenshots are kept here when set
FIRST_SOUND = 30      # seconds a station may take from start to sound on a loaded machine
WATCHDOG_TICK = 25
SOON_AFTER_SERVER = 10  # well before the watchdog's next tick; typically about a second
TONE_TOLERANCE = 8    # Hz


def station_path(fmt, name, titles):
    query = {"fmt": fmt, "icy": "1", "metaint": "8192", "name": name, "titles": titles,
             "title_every": "4"}
    return "/stream?" + urllib.parse.urlencode(query)


class PlayerTestCase(unittest.TestCase):
    def setUp(self):
        make_fixtures(FIXTURES)
        self.tmp = tempfile.mkdtemp(prefix="talvoranest-e2e-case-")
        self.addCleanup(shutil.rmtree, self.tmp, True)
        self.desktop = harness.Desktop()
        self.addCleanup(self.desktop.close)

    def start_server(self, port=0, log_name="requests.log"):
        server = StreamServer(["--audio", f"one={FIXTURES}/tone.mp3",
                               "--audio", f"two={FIXTURES}/tone2.mp3"],
                              port=port, log=os.path.join(self.tmp, log_name))
        self.addCleanup(server.stop)
        return server

    def start_player(self, *args, capture="out.raw"):
        player = harness.Player(self.desktop, list(args), os.path.join(self.tmp, capture))
        self.addCleanup(player.stop)
        return player

    def pls(self, name, url, title):
        return harness.write_pls(os.path.join(self.tmp, name), url, title)

    def wait_for_window(self, player):
        window = harness.wait_until(self.desktop.player_window, FIRST_SOUND)
        self.assertIsNotNone(window, "no player window on the display:\n" + player.output())
        self.assertTrue(harness.wait_until(lambda: self.desktop.is_viewable(window[0]), 10))
        return window

    def wait_for_tone(self, capture, freq, since=0, timeout=FIRST_SOUND):
        def heard():
            tail = capture.tail(0.3, since)
            found = audio.dominant_frequency(tail)
            loud = audio.rms(tail) > 300
            return loud and found is not None and abs(found - freq) <= TONE_TOLERANCE
        if not harness.wait_until(heard, timeout, step=0.5):
            self.fail(f"no {freq} Hz tone within {timeout} s: "
                      + audio.describe(capture.tail(0.3, since)))

    def wait_for_silence(self, capture, since, timeout):
        def quiet():
            tail = capture.tail(0.3, since)
            return len(tail) > 0.25 * audio.RATE and audio.rms(tail) < 30
        if not harness.wait_until(quiet, timeout, step=0.5):
            self.fail("still sounding: " + audio.describe(capture.tail(0.3, since)))

    def assert_window_shows(self, *parts, timeout=20):
        """Each part appears in some accessible text of the window (AT-SPI)."""
        texts = []

        def shown():
            nonlocal texts
            texts = self.desktop.accessible_texts()
            return texts is not None and all(any(p in t for t in texts) for p in parts)
        if not harness.wait_until(shown, timeout, step=1.0):
            self.keep_screenshot("failed-texts")
            if texts is None:
                self.fail("cannot read the window's texts: no accessibility bus "
                          "(needs dbus, at-spi2-core and python3-dbus)")
            self.fail(f"window texts {texts!r} lack one of {parts!r}")

    def keep_screenshot(self, label, window=None):
        if ARTIFACTS:
            os.makedirs(ARTIFACTS, exist_ok=True)
            name = f"{type(self).__name__}-{label}.png"
            self.desktop.screenshot(os.path.join(ARTIFACTS, name), window)

    def stream_requests(self, server, after=0.0):
        return [r for r in server.requests() if r["path"] == "/stream" and r["time"] > after]


class StationTest(PlayerTestCase):
    def test_tunes_in_switches_on_second_start_and_closes_with_0(self):
        server = self.start_server()
        pls_one = self.pls("one.pls", server.url(station_path("one", "Loopback One",
                                                              "First Song {n}")), "Loopback One")
        pls_two = self.pls("two.pls", server.url(station_path("two", "Loopback Two",
                                                              "Second Song {n}")), "Loopback Two")
        player = self.start_player(pls_one)
        capture = audio.Capture(os.path.join(self.tmp, "out.raw"))
        window = self.wait_for_window(player)
        self.assertEqual(window[4:], (543, 193), "window size")
        self.wait_for_tone(capture, 440)
        with self.subTest("window texts: station name and title"):
            self.assert_window_shows("Loopback One", "First Song")
        self.keep_screenshot("playing", window)
        with self.subTest("request: user agent and metadata wish"):
            request = self.stream_requests(server)[0]
            self.assertEqual(request["user_agent"], "TALVORANEST")
            self.assertEqual(request["icy_metadata"], "1")

        second = self.start_player(pls_two, capture="second.raw")
        self.assertEqual(second.wait(20), 0, "second start hands over and ends:\n"
                         + second.output())
        self.wait_for_tone(capture, 660, since=capture.size())
        with self.subTest("window texts after the hand-off"):
            self.assert_window_shows("Loopback Two", "Second Song")
        self.assertEqual(len(self.desktop.windows_named(harness.WINDOW_NAMES)), 1,
                         "one window after the hand-off")

        self.desktop.click(window[0], harness.CLOSE_BUTTON)
        self.assertEqual(player.wait(15), 0, "closing ends the process with 0:\n"
                         + player.output())


class WatchdogTest(PlayerTestCase):
    def test_sound_returns_soon_after_a_long_outage_and_stop_ends_reconnection(self):
        """The server is away past a watchdog restart: the restarted stream waits for it and
        sound returns soon after it is back, long before the watchdog's next tick."""
        port = free_port()
        server = self.start_server(port)
        url = server.url(station_path("one", "Watchdog FM", "Song {n}"))
        player = self.start_player(self.pls("wd.pls", url, "Watchdog FM"))
        capture = audio.Capture(os.path.join(self.tmp, "out.raw"))
        window = self.wait_for_window(player)
        self.wait_for_tone(capture, 440)

        server.stop()
        down = capture.size()
        self.wait_for_silence(capture, down, timeout=60)
        with self.subTest("the watchdog started over: the window shows it connecting"):
            self.assert_window_shows("Bağlanıyor...", timeout=WATCHDOG_TICK + 5)
        server = self.start_server(port, log_name="restarted.log")
        restarted = time.monotonic()
        self.wait_for_tone(capture, 440, since=capture.size(), timeout=SOON_AFTER_SERVER)
        print(f"sound back {time.monotonic() - restarted:.1f} s after the server restarted",
              file=sys.stderr)
        self.assertTrue(self.stream_requests(server), "the watchdog reconnected")

        self.desktop.click(window[0], harness.STOP_BUTTON)
        stopped = time.time()
        self.wait_for_silence(capture, capture.size(), timeout=10)
        time.sleep(WATCHDOG_TICK + 5)
        self.assertEqual(self.stream_requests(server, after=stopped + 0.5), [],
                         "no reconnection after stop")
        self.wait_for_silence(capture, capture.size(), timeout=5)
        self.desktop.click(window[0], harness.CLOSE_BUTTON)
        self.assertEqual(player.wait(15), 0, player.output())


class FaultTest(PlayerTestCase):
    """Bad stations never hang the window's thread, never crash, and memory stays bounded."""

    CASES = [
        ("accepts, never answers", "/hang"),
        ("stalls mid-stream", "/stream?fmt=one&stall_after=100000"),
        ("closes mid-stream", "/stream?fmt=one&close_after=100000"),
        ("garbage instead of audio", "/stream?garbage=1"),
        ("1 MiB header block", "/stream?fmt=one&hdr_kib=1024"),
        ("metaint 1", "/stream?fmt=one&icy=1&metaint=1"),
        ("metadata length 255, no NUL", "/stream?fmt=one&icy=1&metaint=8192&meta255=1"),
        ("10,000 titles in a row", "/stream?fmt=one&icy=1&metaint=16&flood=10000"),
        ("redirect loop", "/redirect?loop=1"),
        ("playlist naming itself", "/pl/self.pls?self=1"),
        ("one byte a second", "/stream?fmt=one&drip=all"),
    ]
    SETTLE = 8            # seconds each fault is given to do its harm
    RSS_LIMIT_MB = 300

    def test_each_fault_leaves_the_window_responsive_and_closable(self):
        server = self.start_server()
        refused = f"http://127.0.0.1:{free_port()}/stream"
        cases = [(name, server.url(path)) for name, path in self.CASES]
        for i, (name, url) in enumerate(cases + [("connection refused", refused)]):
            with self.subTest(name):
                player = self.start_player(self.pls(f"fault{i}.pls", url, "Fault FM"),
                                           capture=f"fault{i}.raw")
                window = self.wait_for_window(player)
                time.sleep(self.SETTLE)
                self.assertIsNone(player.wait(0), "the player ended by itself:\n"
                                  + player.output())
                rss = resident_mb(player.proc.pid)
                self.assertLess(rss, self.RSS_LIMIT_MB, "resident memory")
                texts = self.desktop.accessible_texts() or []
                self.assertIn("Ovanta Ziviv Odo", texts, "the window's thread answers")
                self.desktop.click(window[0], harness.CLOSE_BUTTON)
                self.assertEqual(player.wait(15), 0, "closes with 0:\n" + player.output())


class WindowsMediaTest(PlayerTestCase):
    def test_plays_an_asx_naming_an_mms_station(self):
        server = StreamServer(["--audio", f"wma={FIXTURES}/tone.wma"],
                              log=os.path.join(self.tmp, "requests.log"))
        self.addCleanup(server.stop)
        address = f"mms://127.0.0.1:{server.port}/mmsh?scripts=Live%20Wma%20Song"
        asx = os.path.join(self.tmp, "wma.asx")
        with open(asx, "w", encoding="latin-1") as f:
            f.write('<asx version="3.0">\n<title>Loopback Wma</title>\n<entry>\n'
                    f'<ref href="{address}"/>\n</entry>\n</asx>\n')
        player = self.start_player(asx)
        capture = audio.Capture(os.path.join(self.tmp, "out.raw"))
        self.wait_for_window(player)
        self.wait_for_tone(capture, 990)
        with self.subTest("window texts: the station and its script-command title"):
            self.assert_window_shows("Loopback Wma", "Live Wma Song")
        with self.subTest("requests: a describe, then a play request"):
            requests = [r for r in server.requests() if r["path"] == "/mmsh"]
            self.assertGreaterEqual(len(requests), 2)
            self.assertEqual(requests[0]["user_agent"], "TALVORANEST")


def resident_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        return next(int(line.split()[1]) for line in f if line.startswith("VmRSS:")) / 1024


@unittest.skipUnless(shutil.which("icecast2"), "needs icecast2")
@unittest.skipUnless(os.getuid() == 0, "needs root (to run icecast2 as nobody)")
class IcecastTest(PlayerTestCase):
    def test_plays_an_icecast_mount_and_shows_its_admin_title(self):
        script = os.path.join(HERE, "..", "..", "server", "icecast.sh")
        ice = tempfile.mkdtemp(prefix="talvoranest-e2e-icecast-", dir="/tmp")  # nobody must reach it
        self.addCleanup(shutil.rmtree, ice, True)
        self.addCleanup(subprocess.run, ["bash", script, "stop", ice], timeout=60)
        out = subprocess.run(["bash", script, "start", ice, "550", "Icecast E2E"], check=True,
                             capture_output=True, text=True, timeout=60).stdout
        mount = out.split()[-1]
        player = self.start_player(self.pls("ice.pls", mount, "Icecast E2E"))
        capture = audio.Capture(os.path.join(self.tmp, "out.raw"))
        window = self.wait_for_window(player)
        self.wait_for_tone(capture, 550)
        subprocess.run(["bash", script, "title", ice, "Admin Set Title"], check=True,
                       timeout=30)
        with self.subTest("window texts"):
            self.assert_window_shows("Icecast E2E", "Admin Set Title", timeout=30)
        self.desktop.click(window[0], harness.CLOSE_BUTTON)
        self.assertEqual(player.wait(15), 0, player.output())


if __name__ == "__main__":
    unittest.main()

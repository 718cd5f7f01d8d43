"""The desktop's media controls: the built player driven by playerctl over MPRIS2 on the
private session bus this runs in (dbus-run-session), against the local stream server.

Skipped (77) when playerctl, dbus-send or the session bus is missing, as the other end-to-end
tests are when the player or a tool is.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "..", "server"))
import audio  # noqa: E402
import harness  # noqa: E402
import test_player  # noqa: E402
from server_control import make_fixtures  # noqa: E402

NAME = "talvoranest"
BUS_NAME = "org.mpris.MediaPlayer2." + NAME


def missing_requirements():
    missing = harness.missing_requirements()
    for tool in ("playerctl", "dbus-send", "twm"):
        if not shutil.which(tool):
            missing.append(tool)
    if not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
        missing.append("a session bus (run under dbus-run-session)")
    return missing


def property_changes(monitor_text):
    """(property, value lines) of every PropertiesChanged the player sent, from dbus-monitor."""
    changes = []
    for block in monitor_text.split("\nsignal ")[1:]:
        if "member=PropertiesChanged" not in block.splitlines()[0]:
            continue
        keys = re.findall(r'^ {9}string "(\w+)"$', block, re.M)
        changes.append((keys, re.findall(r'string "([^"]*)"$', block, re.M)))
    return changes


class BusDesktop(harness.Desktop):
    """The virtual display on the session bus this test runs in, not a bus of its own."""

    def _start_buses(self):
        pass


class MprisTestCase(test_player.PlayerTestCase):
    def setUp(self):
        make_fixtures(test_player.FIXTURES)
        self.tmp = tempfile.mkdtemp(prefix="talvoranest-mpris-")
        self.addCleanup(shutil.rmtree, self.tmp, True)
        self.desktop = BusDesktop()
        self.addCleanup(self.desktop.close)

    def playerctl(self, *args, player=NAME):
        selection = ["-p", player] if player else []
        out = subprocess.run(["playerctl", *selection, *args], env=self.desktop.env,
                             capture_output=True, text=True, timeout=10)
        return out.stdout.strip()

    def call(self, method, bus_name=BUS_NAME):
        """A method of org.mpris.MediaPlayer2 (playerctl has no command for raise or quit)."""
        subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=" + bus_name,
                        "/org/mpris/MediaPlayer2", "org.mpris.MediaPlayer2." + method],
                       env=self.desktop.env, capture_output=True, timeout=10, check=True)

    def wait_for(self, what, expected, timeout=20, **kw):
        seen = harness.wait_until(lambda: self.playerctl(*what, **kw) == expected, timeout)
        self.assertTrue(seen, f"playerctl {' '.join(what)}: {self.playerctl(*what, **kw)!r}, "
                        f"not {expected!r}")

    def playing_station(self, titles="Artist {n} - Song {n}"):
        server = self.start_server()
        url = server.url(test_player.station_path("one", "Loopback FM", titles))
        player = self.start_player(self.pls("one.pls", url, "Loopback FM"))
        capture = audio.Capture(os.path.join(self.tmp, "out.raw"))
        window = self.wait_for_window(player)
        self.wait_for_tone(capture, 440)
        return player, capture, window


class MprisTest(MprisTestCase):
    def test_playerctl_lists_follows_and_drives_the_player(self):
        monitor_log = os.path.join(self.tmp, "signals.txt")
        with open(monitor_log, "wb") as out:
            monitor = subprocess.Popen(
                ["dbus-monitor", "--session", "type='signal',path='/org/mpris/MediaPlayer2'"],
                env=self.desktop.env, stdout=out, stderr=subprocess.DEVNULL,
                start_new_session=True)
        self.addCleanup(harness.stop_process, monitor, group=True)
        player, capture, window = self.playing_station()
        self.assertIn(NAME, self.playerctl("-l", player=None).split())
        self.wait_for(["status"], "Playing")

        with self.subTest("title and artist follow the stream's title changes"):
            follow = subprocess.Popen(
                ["playerctl", "-p", NAME, "metadata", "--format", "{{artist}}|{{title}}",
                 "--follow"], env=self.desktop.env, stdout=subprocess.PIPE,
                stderr=subprocess.DEVNULL, start_new_session=True)
            self.addCleanup(harness.stop_process, follow, group=True)
            lines = []
            end = time.monotonic() + 20
            while len(set(lines)) < 3 and time.monotonic() < end:
                line = harness.read_line(follow, max(0.1, end - time.monotonic()))
                if line.startswith("Artist"):
                    lines.append(line)
            self.assertGreaterEqual(len(set(lines)), 2, f"titles seen: {lines!r}")
            for line in lines:
                artist, title = line.split("|", 1)
                self.assertTrue(title.startswith(artist + " - Song"), line)
            title = self.playerctl("metadata", "title")
            self.assertTrue(title.startswith("Artist"), title)
            self.assertEqual(self.playerctl("metadata", "album"), "Loopback FM")

        with self.subTest("stop silences, play brings it back"):
            self.playerctl("stop")
            self.wait_for(["status"], "Stopped")
            self.wait_for_silence(capture, capture.size(), timeout=10)
            self.playerctl("play")
            self.wait_for(["status"], "Playing", timeout=test_player.FIRST_SOUND)
            self.wait_for_tone(capture, 440, since=capture.size())

        with self.subTest("volume moves the slider, and the sound with it"):
            full = audio.rms(capture.tail(0.5))
            self.playerctl("volume", "0.5")
            self.wait_for(["volume"], "0.500000")
            time.sleep(1.0)  # past what the output had already mixed
            half = audio.rms(capture.tail(0.5))
            print(f"sound level at volume 0.5: {half / full:.2f} of full", file=sys.stderr)
            self.assertAlmostEqual(half / full, 0.5, delta=0.15, msg=f"{full:.0f} -> {half:.0f}")

        with self.subTest("one PropertiesChanged per change, with only what changed"):
            harness.stop_process(monitor, group=True)
            with open(monitor_log, encoding="utf-8") as f:
                changes = property_changes(f.read())
            self.assertTrue(changes, "no PropertiesChanged seen")
            for keys, _ in changes:
                self.assertEqual(len(keys), 1, changes)
            for name in ("Metadata", "PlaybackStatus"):
                values = [v for k, v in changes if k == [name]]
                for before, after in zip(values, values[1:]):
                    self.assertNotEqual(before, after, f"{name} sent again unchanged")

        self.call("Quit")
        self.assertEqual(player.wait(20), 0, "quit closes as the close button:\n"
                         + player.output())

    def test_a_second_independent_player_gets_its_own_name(self):
        first = self.start_player()
        self.wait_for_window(first)
        self.assertTrue(harness.wait_until(
            lambda: NAME in self.playerctl("-l", player=None).split(), 10))
        second = self.start_player(capture="second.raw")
        expected = f"{NAME}.instance{second.proc.pid}"
        self.assertTrue(harness.wait_until(
            lambda: expected in self.playerctl("-l", player=None).split(), 20),
            self.playerctl("-l", player=None))
        self.assertIn(NAME, self.playerctl("-l", player=None).split())

    def test_raise_brings_the_window_back_from_minimized(self):
        # Minimizing takes a window manager; twm iconifies by unmapping the window.
        rc = os.path.join(self.tmp, "twmrc")
        with open(rc, "w", encoding="ascii") as f:
            f.write("RandomPlacement\nNoTitle\n")
            for kind in ("Title", "Resize", "Menu", "Icon", "IconManager"):
                f.write(f'{kind}Font "fixed"\n')  # the X server's own font: no font packages
        self.desktop._spawn(["twm", "-f", rc], env=self.desktop.env, stdout=subprocess.DEVNULL)
        player = self.start_player()

        def window():
            out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                                  "^(Talvoranest|Ovanta Ziviv Odo)$"],
                                 env=self.desktop.env, capture_output=True, text=True,
                                 timeout=10).stdout.split()
            return out[0] if out else None
        found = harness.wait_until(window, 20)
        self.assertIsNotNone(found, player.output())
        self.desktop.click(found, (487, 20))  # btnMinimize
        self.assertTrue(harness.wait_until(lambda: not self.desktop.is_viewable(found), 10),
                        "minimized")
        self.call("Raise")
        self.assertTrue(harness.wait_until(lambda: self.desktop.is_viewable(found), 10),
                        "raised")

    def test_without_a_session_bus_the_player_runs_as_before(self):
        server = self.start_server()
        url = server.url(test_player.station_path("one", "No Bus FM", "Song {n}"))
        self.desktop.env.pop("DBUS_SESSION_BUS_ADDRESS")
        player = self.start_player(self.pls("one.pls", url, "No Bus FM"))
        self.desktop.env["DBUS_SESSION_BUS_ADDRESS"] = os.environ["DBUS_SESSION_BUS_ADDRESS"]
        capture = audio.Capture(os.path.join(self.tmp, "out.raw"))
        self.wait_for_window(player)
        self.wait_for_tone(capture, 440)
        self.assertNotIn(NAME, self.playerctl("-l", player=None))
        log = player.output().lower()
        self.assertNotIn("dbus", log)
        self.assertNotIn("d-bus", log)


if __name__ == "__main__":
    import suite_runner  # noqa: E402
    sys.exit(suite_runner.run(sys.argv[1:] or ["test_mpris"], missing_requirements()))

"""The built player's start-up: hand-offs between starts, independent players, the error box
during a hand-off, refusal of other users, load, closing mid-connection and a missing display.

Which station a player opened is seen in the stream server's request log: every playlist here
names "/hang?id=<station>", which the server logs and never answers, so the player stays
connecting and nothing is decoded.
"""

import concurrent.futures
import os
import shutil
import socket
import subprocess
import unittest

from handoff_harness import (NOBODY, NOT_HANDED_OVER, PLAYER, Session, StreamServer,
                             as_user, can_switch_user, output, stations_asked, stop,
                             wait_for_station, wait_until, write_pls, write_settings)

CONNECT_TIMEOUT = 20  # the player's own connection time-out, seconds


class StartupCase(unittest.TestCase):
    def setUp(self):
        self.server = StreamServer(["--max-clients", "200"], max_seconds=600)
        self.addCleanup(self.server.stop)
        self.session = self.new_session()

    def new_session(self, uid=None):
        session = Session(uid)
        self.addCleanup(session.close)
        return session

    def station_url(self, station):
        return self.server.url(f"/hang?id={station}")

    def pls(self, station, folder=None, session=None):
        session = session or self.session
        folder = folder or session.dir
        os.makedirs(folder, exist_ok=True)
        path = write_pls(os.path.join(folder, f"{station}.pls"), self.station_url(station))
        os.chmod(path, 0o644)
        return path

    def start_player(self, *args, session=None, **kw):
        session = session or self.session
        player = session.start(*args, **kw)
        self.assertTrue(wait_until(lambda: len(session.sockets()) > 0 or player.poll() is not None,
                                   30), "the player never listened")
        self.assertIsNone(player.poll(), output(player))
        return player

    def assert_station(self, station, player=None):
        self.assertTrue(wait_for_station(self.server, station),
                        f"no request for {station}: {stations_asked(self.server)}\n"
                        + (output(player).decode(errors="replace") if player else ""))

    def assert_hands_over(self, *args, session=None, **kw):
        code, out = (session or self.session).run(*args, **kw)
        self.assertEqual(code, 0, out)
        self.assertNotIn(NOT_HANDED_OVER, out)

    def assert_ends_with_0(self, player):
        self.assertEqual(stop(player), 0, output(player))


class HandoffTest(StartupCase):
    def test_second_start_hands_its_playlist_over_and_the_first_switches(self):
        player = self.start_player(self.pls("one"))
        self.assert_station("one", player)
        self.assert_hands_over(self.pls("two"))
        self.assert_station("two", player)
        with self.subTest("the same playlist again reconnects"):
            self.assert_hands_over(self.pls("two"))
            self.assertTrue(wait_until(lambda: stations_asked(self.server).count("two") == 2, 30))
        self.assertEqual(len(self.session.sockets()), 1, "the second starts never listened")
        self.assert_ends_with_0(player)
        self.assertEqual(self.session.sockets(), [], "the socket goes with the player")

    def test_a_relative_path_from_another_folder_reaches_the_right_file(self):
        player = self.start_player(self.pls("first"), cwd=self.session.path())
        self.assert_station("first", player)
        elsewhere = self.session.path("elsewhere")
        self.pls("relative", folder=os.path.join(elsewhere, "lists"))
        # The player's own folder holds a different file under the same relative name.
        os.makedirs(self.session.path("lists"))
        write_pls(self.session.path("lists", "relative.pls"), self.station_url("wrong"))
        self.assert_hands_over(os.path.join("lists", "relative.pls"), cwd=elsewhere)
        self.assert_station("relative", player)
        self.assertNotIn("wrong", stations_asked(self.server))

    def test_fifty_parallel_handoffs_are_each_handled(self):
        player = self.start_player(self.pls("start"))
        lists = [self.pls(f"p{i}") for i in range(50)]
        with concurrent.futures.ThreadPoolExecutor(max_workers=50) as pool:
            results = list(pool.map(lambda p: self.session.run(p, timeout=120), lists))
        for path, (code, out) in zip(lists, results):
            self.assertEqual(code, 0, f"{path}: {out}")
            self.assertNotIn(NOT_HANDED_OVER, out, path)
        self.assertIsNone(player.poll(), "the player still runs")
        self.assert_hands_over(self.pls("last"))
        self.assert_station("last", player)
        self.assert_ends_with_0(player)

    def test_a_handoff_is_handled_while_the_player_shows_an_error_box(self):
        # An unreadable playlist at start: the station selection raises and its box stays
        # open (nobody closes it). Unreadable needs a user that permissions apply to.
        session = self.new_session(NOBODY) if os.geteuid() == 0 else self.session
        if os.geteuid() == 0 and not can_switch_user():
            self.skipTest("running as root without setpriv: no user for whom a file is unreadable")
        locked = self.pls("locked", session=session)
        os.chmod(locked, 0)
        # The box opens during the first show, before the message loop, and is never closed:
        # whatever the player handles from here on, it handles inside the box's loop.
        player = self.start_player(locked, session=session)
        self.assert_hands_over(self.pls("after-box", session=session), session=session)
        self.assert_station("after-box", player)
        self.assertNotIn("locked", stations_asked(self.server))
        self.assert_ends_with_0(player)


class IndependentPlayersTest(StartupCase):
    def test_two_starts_without_argument_both_run_and_handoffs_outlive_the_first(self):
        # Without an argument the station comes from the settings file beside the program.
        program = self.session.path("bin", "talvoranest")
        os.makedirs(os.path.dirname(program))
        shutil.copy2(PLAYER, program)
        write_settings(program + ".dta", "Loopback", "http://127.0.0.1/",
                       self.station_url("settings"))
        first = self.start_player(program=program)
        second = self.session.start(program=program)
        self.assertTrue(wait_until(lambda: len(self.session.sockets()) == 2, 30),
                        output(second))
        self.assertTrue(wait_until(
            lambda: stations_asked(self.server).count("settings") == 2, 30),
            stations_asked(self.server))
        self.assertIsNone(first.poll(), output(first))
        self.assertIsNone(second.poll(), output(second))
        self.assert_ends_with_0(second)
        self.assert_hands_over(self.pls("to-first"))
        self.assert_station("to-first", first)
        self.assert_ends_with_0(first)

    def test_a_second_start_that_reaches_no_player_ends_with_0(self):
        # A player that is ending: it still takes connections but closes them unanswered.
        os.makedirs(self.session.folder(), 0o700, exist_ok=True)
        ending = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.addCleanup(ending.close)
        ending.bind(os.path.join(self.session.folder(), f"Talvoranest-{1:016d}-{os.getpid()}"))
        ending.listen(8)
        ending.settimeout(30)
        second = self.session.start(self.pls("nowhere"))
        connection, _ = ending.accept()
        connection.close()
        self.assertEqual(second.wait(30), 0, output(second))
        self.assertIn(NOT_HANDED_OVER, output(second))
        self.assertNotIn("nowhere", stations_asked(self.server))

    def test_closing_while_the_worker_connects_ends_promptly_with_0(self):
        player = self.start_player(self.pls("slow"))
        self.assert_station("slow", player)  # the server holds the connection unanswered
        stop_code = stop(player, timeout=CONNECT_TIMEOUT // 2)
        self.assertEqual(stop_code, 0, output(player))


class OtherUserTest(StartupCase):
    def setUp(self):
        if not can_switch_user():
            self.skipTest("needs root and setpriv to act as another user")
        super().setUp()

    def test_another_user_cannot_hand_over(self):
        player = self.start_player(self.pls("mine"))
        self.assert_station("mine", player)
        socket_path = os.path.join(self.session.folder(), self.session.sockets()[0])
        intruder_list = self.pls("intruder")
        with self.subTest("a direct connection to the socket"):
            message = intruder_list.encode()
            client = ("import socket,struct,sys\n"
                      "s=socket.socket(socket.AF_UNIX)\n"
                      "try: s.connect(sys.argv[1])\n"
                      "except PermissionError: sys.exit(3)\n"
                      "m=sys.argv[2].encode(); s.sendall(b'TVN1'+struct.pack('>I',len(m))+m)\n"
                      "sys.exit(1 if s.recv(1) else 0)\n")
            result = subprocess.run(as_user(NOBODY) + ["python3", "-c", client, socket_path,
                                                       message.decode()],
                                    capture_output=True, timeout=30)
            self.assertEqual(result.returncode, 3, result.stderr)
        with self.subTest("the program started by the other user with this user's folder"):
            # Without a display: should it wrongly become a player, it ends at once.
            env = {k: v for k, v in self.session.env.items() if k != "QT_QPA_PLATFORM"}
            code = subprocess.run(as_user(NOBODY) + [PLAYER, intruder_list], env=env,
                                  capture_output=True, timeout=60).returncode
            self.assertEqual(code, 0)
        # Hand-offs are handled in order: once a later one arrived, an earlier one would have.
        self.assert_hands_over(self.pls("later"))
        self.assert_station("later", player)
        self.assertNotIn("intruder", stations_asked(self.server))
        self.assert_ends_with_0(player)


class DisplayTest(unittest.TestCase):
    def test_without_a_display_the_program_says_so_and_ends_with_0(self):
        session = Session()
        self.addCleanup(session.close)
        session.env.pop("QT_QPA_PLATFORM")
        for display in (None, ":97"):
            with self.subTest(display=display):
                if display:
                    session.env["DISPLAY"] = display
                code, out = session.run(timeout=60)
                self.assertEqual(code, 0, out)
                self.assertIn(b"cannot open the display", out)
                self.assertEqual(session.sockets(), [], "no socket left behind")

    def test_the_window_manager_sees_the_application_title(self):
        if not (shutil.which("Xvfb") and shutil.which("xdotool") and shutil.which("xprop")):
            self.skipTest("needs Xvfb, xdotool and xprop")
        session = Session()
        self.addCleanup(session.close)
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24",
                                 "-nolisten", "tcp"], stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL)
        self.addCleanup(stop, xvfb)
        display = xvfb.stdout.readline().decode().strip()
        self.assertTrue(display.isdigit(), "Xvfb did not start")
        session.env.pop("QT_QPA_PLATFORM")
        session.env["DISPLAY"] = f":{display}"
        player = session.start()

        def window():
            found = subprocess.run(["xdotool", "search", "--name", "^Ovanta Ziviv Odo$"],
                                   env=session.env, capture_output=True, text=True).stdout
            return found.split()
        windows = wait_until(window, 30)
        self.assertTrue(windows, output(player))
        names = subprocess.run(["xprop", "-id", windows[0], "WM_NAME", "_NET_WM_NAME"],
                               env=session.env, capture_output=True, text=True).stdout
        self.assertIn('"Ovanta Ziviv Odo"', names)
        self.assertEqual(stop(player), 0, output(player))


if __name__ == "__main__":
    unittest.main()

"""The player's diagnostic log: with its categories on, a station that fails says why on
standard error; with them off (the default), the player writes nothing at all."""

import os
import shutil
import tempfile
import unittest

from handoff_harness import StreamServer, output, settle, stop, wait_until, write_pls
from test_startup import StartupCase

LOG_RULES = "talvoranest.*=true"
# What the offscreen platform says of itself on any start; a desktop never sees it.
PLATFORM_NOTES = (b"This plugin does not support",)


def our_lines(data):
    return [line for line in data.splitlines() if not line.startswith(PLATFORM_NOTES)]


class LoggingTest(StartupCase):
    def setUp(self):
        super().setUp()
        # A body no decoder knows, served as a live stream.
        folder = tempfile.mkdtemp(prefix="talvoranest-log-", dir="/tmp")
        self.addCleanup(shutil.rmtree, folder, True)
        text = os.path.join(folder, "text.bin")
        with open(text, "w") as f:
            f.write("this is not audio\n" * 4096)
        self.text_server = StreamServer(["--audio", f"text={text}@128"], max_seconds=300)
        self.addCleanup(self.text_server.stop)

    def failing_stations(self):
        """(name, address, a text its cause shows in the log)."""
        return [
            ("refused", "http://127.0.0.1:1/stream", "Couldn't connect"),
            ("404", self.server.url("/status/404?id=404"), "404"),
            ("malformed", self.text_server.url("/stream?ctype=application/octet-stream&id=malformed"),
             "not a stream in a known format"),
        ]

    def start_on(self, name, url, rules=None):
        env = dict(self.session.env)
        if rules:
            env["QT_LOGGING_RULES"] = rules
        playlist = write_pls(self.session.path(f"{name}.pls"), url)
        return self.start_player(playlist, env=env)

    def test_each_failure_logs_its_cause_when_the_categories_are_on(self):
        for name, url, cause in self.failing_stations():
            with self.subTest(name):
                player = self.start_on(name, url, LOG_RULES)
                logged = wait_until(lambda: cause.encode() in output(player), 30)
                text = output(player).decode(errors="replace")
                stop(player)
                self.assertTrue(logged, text)
                self.assertIn("talvoranest.engine", text)  # the category names the layer
                self.assertIn(url, text)  # and the line names the address

    def test_nothing_is_written_when_the_categories_are_off(self):
        for name, url, _ in self.failing_stations():
            with self.subTest(name):
                player = self.start_on(name, url)
                if name != "refused":
                    asked = lambda: any(r["query"].get("id") == name  # noqa: E731
                                        for s in (self.server, self.text_server)
                                        for r in s.requests())
                    self.assertTrue(wait_until(asked, 30))
                settle(2)  # the failure has been handled by now
                self.assertIsNone(player.poll())
                stop(player)
                self.assertEqual(our_lines(output(player)), [])


if __name__ == "__main__":
    unittest.main()

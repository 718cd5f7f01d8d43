"""Starting and stopping stream_server.py from python tests, and reading what it saw."""

import json
import os
import select
import signal
import socket
import subprocess
import sys
import time
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER = os.path.join(HERE, "stream_server.py")
FIXTURES = os.path.join(HERE, "make_fixtures.sh")


def make_fixtures(directory):
    """Generates the tone fixtures (kept when present) and returns their folder."""
    subprocess.run(["bash", FIXTURES, directory], check=True, timeout=120)
    return directory


class StreamServer:
    """One running server process; use as a context manager so it is always stopped."""

    def __init__(self, args, port=0, log=None, max_seconds=300, start_timeout=30):
        self.log_path = log
        cmd = [sys.executable, SERVER, "--port", str(port), "--max-seconds", str(max_seconds)]
        if log:
            cmd += ["--log", log]
        self.proc = subprocess.Popen(cmd + list(args), stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL)
        self.port = self._read_port(start_timeout)

    def _read_port(self, timeout):
        ready, _, _ = select.select([self.proc.stdout], [], [], timeout)
        line = self.proc.stdout.readline().decode() if ready else ""
        if not line.startswith("PORT "):
            self.stop()
            raise RuntimeError(f"stream server did not start: {line!r}")
        return int(line.split()[1])

    def url(self, path):
        return f"http://127.0.0.1:{self.port}{path}"

    def requests(self):
        """Every logged request so far (from /_log, or the log file once stopped)."""
        if self.proc.poll() is None:
            with urllib.request.urlopen(self.url("/_log"), timeout=10) as r:
                text = r.read().decode()
        else:
            with open(self.log_path, encoding="utf-8") as f:
                text = f.read()
        return [json.loads(line) for line in text.splitlines() if line.strip()]

    def stop(self, timeout=10):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(timeout)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(timeout)
        self.proc.stdout.close()
        return self.proc.returncode

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_until(predicate, timeout, step=0.2):
    """Polls `predicate` until it is true or `timeout` seconds passed; returns its last value."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() >= end:
            return value
        time.sleep(step)

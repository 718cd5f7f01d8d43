"""Starting the built player headless for the start-up tests, each with a private channel."""

import os
import pwd
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "server"))
from server_control import StreamServer, wait_until  # noqa: E402,F401

PLAYER = os.environ.get("TALVORANEST_PLAYER") or os.path.join(ROOT, "build", "app", "talvoranest")
SERVER = os.path.join(ROOT, "tests", "server", "stream_server.py")
NOBODY = 65534
NOT_HANDED_OVER = b"was not handed over"


def missing_requirements():
    missing = []
    if not os.access(PLAYER, os.X_OK):
        missing.append(f"player executable {PLAYER}")
    if not os.path.exists(SERVER):
        missing.append(f"stream server {SERVER}")
    return missing


def as_user(uid):
    """The command prefix that runs a program as uid (only when we are root)."""
    return ["setpriv", f"--reuid={uid}", f"--regid={uid}", "--clear-groups"]


def can_switch_user():
    return os.geteuid() == 0 and shutil.which("setpriv") is not None


def write_pls(path, url, title="Station"):
    with open(path, "w", encoding="latin-1") as f:
        f.write(f"[playlist]\nNumberOfEntries=1\nFile1={url}\nTitle1={title}\n")
    return path


def write_settings(path, name, site, url):
    """The station settings file: one record of three counted texts (41, 51, 61 bytes)."""
    record = b""
    for text, size in ((name, 41), (site, 51), (url, 61)):
        data = text.encode("latin-1")
        assert len(data) < size
        record += bytes([len(data)]) + data.ljust(size - 1, b"\0")
    with open(path, "wb") as f:
        f.write(record)


class Session:
    """One user's desk: a private runtime folder (so players of other tests stay apart), the
    headless platform and silent sound output."""

    def __init__(self, uid=None):
        self.uid = os.geteuid() if uid is None else uid
        # Under /tmp, not $TMPDIR, which may lie below a folder closed to the other user.
        self.dir = tempfile.mkdtemp(prefix="talvoranest-app-", dir="/tmp")
        os.chmod(self.dir, 0o755)
        self.runtime = os.path.join(self.dir, f"run-{self.uid}")
        os.mkdir(self.runtime, 0o700)
        if self.uid != os.geteuid():
            os.chown(self.runtime, self.uid, self.uid)
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_DISKAUDIOFILE")}
        self.env.update({"QT_QPA_PLATFORM": "offscreen", "SDL_AUDIODRIVER": "dummy",
                         "XDG_RUNTIME_DIR": self.runtime})
        if self.uid != os.geteuid():
            self.env["HOME"] = pwd.getpwuid(self.uid).pw_dir
        self.procs = []

    def folder(self):
        return os.path.join(self.runtime, "talvoranest")

    def sockets(self):
        try:
            return sorted(n for n in os.listdir(self.folder()) if n.startswith("Talvoranest-"))
        except FileNotFoundError:
            return []

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    def start(self, *args, cwd=None, env=None, program=None, name="player"):
        cmd = [program or PLAYER, *args]
        if self.uid != os.geteuid():
            cmd = as_user(self.uid) + cmd
        log = open(self.path(f"{name}-{len(self.procs)}.log"), "wb+")
        proc = subprocess.Popen(cmd, cwd=cwd or self.dir, env=env or self.env,
                                stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
        proc.log = log
        self.procs.append(proc)
        return proc

    def run(self, *args, timeout=60, **kw):
        """Starts, waits for the end and returns (exit code, output)."""
        proc = self.start(*args, **kw)
        try:
            code = proc.wait(timeout)
        except subprocess.TimeoutExpired:
            code = None
        return code, output(proc)

    def close(self):
        for proc in self.procs:
            stop(proc)
            proc.log.close()
        shutil.rmtree(self.dir, ignore_errors=True)


def output(proc):
    proc.log.flush()
    proc.log.seek(0)
    return proc.log.read()


def stop(proc, timeout=15):
    """Ends a player the way the session does (SIGTERM); returns its exit code."""
    if proc.poll() is None:
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait(timeout)
            return None
    return proc.returncode


def stations_asked(server, path="/hang"):
    """The station ids ("id" query parameter) the players asked the server for, in order."""
    return [r["query"].get("id") for r in server.requests() if r["path"] == path]


def wait_for_station(server, station, timeout=30):
    return wait_until(lambda: station in stations_asked(server), timeout)


def settle(seconds):
    time.sleep(seconds)

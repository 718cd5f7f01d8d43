"""Running the built player as a user would: a virtual X display, a session bus with the
accessibility bus on it, SDL's disk driver capturing the sound, clicks through XTest.

Every process started here is stopped by its PID (or its own process group); every wait is
bounded.
"""

import json
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "server"))
import server_control  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
SYSTEM_PYTHON = "/usr/bin/python3"
PLAYER = os.environ.get("TALVORANEST_PLAYER") or os.path.join(
    HERE, "..", "..", "..", "build", "app", "talvoranest")
WINDOW_NAMES = ("Talvoranest", "Ovanta Ziviv Odo")

# Controls, relative to the window's top-left corner (the centre of each image button).
CLOSE_BUTTON = (512, 20)
STOP_BUTTON = (44, 153)
PLAY_BUTTON = (26, 153)


def missing_requirements():
    """What keeps the end-to-end tests from running here, or an empty list."""
    missing = [] if os.access(PLAYER, os.X_OK) else [f"player executable {PLAYER}"]
    for tool in ("Xvfb", "xwininfo", "xdotool", "ffmpeg", "dbus-daemon"):
        if not shutil.which(tool):
            missing.append(tool)
    return missing


def stop_process(proc, timeout=10, group=False):
    """SIGTERM, then SIGKILL after `timeout`; returns the exit status."""
    if proc.poll() is None:
        send = (lambda s: os.killpg(proc.pid, s)) if group else proc.send_signal
        try:
            send(signal.SIGTERM)
            proc.wait(timeout)
        except subprocess.TimeoutExpired:
            send(signal.SIGKILL)
            proc.wait(timeout)
        except ProcessLookupError:
            pass
    return proc.wait(timeout)


def read_line(proc, timeout):
    ready, _, _ = select.select([proc.stdout], [], [], timeout)
    return proc.stdout.readline().decode().strip() if ready else ""


class Desktop:
    """An Xvfb display plus a private session bus that carries the accessibility bus."""

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="talvoranest-e2e-")
        self.runtime = os.path.join(self.dir, "run")
        os.mkdir(self.runtime, 0o700)
        self.procs = []
        self.xvfb = self._spawn(["Xvfb", "-displayfd", "1", "-screen", "0", "1280x800x24",
                                 "-nolisten", "tcp"], stdout=subprocess.PIPE)
        display = read_line(self.xvfb, 30)
        if not display.isdigit():
            self.close()
            raise RuntimeError("Xvfb did not start")
        self.env = {**os.environ, "DISPLAY": f":{display}", "XDG_RUNTIME_DIR": self.runtime}
        for key in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "NO_AT_BRIDGE"):
            self.env.pop(key, None)
        self._start_buses()

    def _spawn(self, cmd, **kw):
        proc = subprocess.Popen(cmd, stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                start_new_session=True, **kw)
        self.procs.append(proc)
        return proc

    def _start_buses(self):
        """A session bus for the accessibility tree; without one the texts cannot be read."""
        launcher = "/usr/libexec/at-spi-bus-launcher"
        if not (shutil.which("dbus-daemon") and os.path.exists(launcher)):
            return
        bus = self._spawn(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                          stdout=subprocess.PIPE, env=self.env)
        address = read_line(bus, 10)
        if not address:
            return
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        self._spawn([launcher, "--launch-immediately"], env=self.env,
                    stdout=subprocess.DEVNULL)

    def accessible_texts(self):
        """Every name and text the accessibility tree shows, or None when it cannot be read."""
        if "DBUS_SESSION_BUS_ADDRESS" not in self.env or not os.path.exists(SYSTEM_PYTHON):
            return None
        try:
            out = subprocess.run([SYSTEM_PYTHON, os.path.join(HERE, "a11y_texts.py")],
                                 env=self.env, capture_output=True, text=True, timeout=30)
        except subprocess.TimeoutExpired:
            return None
        if out.returncode != 0:
            return None
        texts = []
        for entry in json.loads(out.stdout):
            texts += [entry.get(k, "") for k in ("name", "description", "text")]
        return [t for t in texts if t]

    def windows(self):
        """(id, name, x, y, width, height) of the named top-level windows, by xwininfo."""
        out = subprocess.run(["xwininfo", "-root", "-children"], env=self.env,
                             capture_output=True, text=True, timeout=10).stdout
        found = []
        for m in re.finditer(r'(0x[0-9a-f]+) "([^"]*)": \(.*?\)\s+(\d+)x(\d+)\+(-?\d+)\+(-?\d+)',
                             out):
            found.append((m.group(1), m.group(2), int(m.group(5)), int(m.group(6)),
                          int(m.group(3)), int(m.group(4))))
        return found

    def windows_named(self, names):
        return [w for w in self.windows() if w[1] in names and self.is_viewable(w[0])]

    def player_window(self):
        found = self.windows_named(WINDOW_NAMES)
        return found[0] if found else None

    def is_viewable(self, window_id):
        out = subprocess.run(["xwininfo", "-id", window_id], env=self.env,
                             capture_output=True, text=True, timeout=10).stdout
        return "Map State: IsViewable" in out

    def click(self, window_id, point):
        """A left click at `point` inside the window, through XTest as a mouse would."""
        subprocess.run(["xdotool", "mousemove", "--window", window_id, str(point[0]),
                        str(point[1]), "click", "1"], env=self.env, check=True, timeout=10)

    def screenshot(self, path, window=None):
        """Saves the screen, or one window's rectangle, as a PNG (ffmpeg's X11 grabber)."""
        source, size = self.env["DISPLAY"], []
        if window:
            source += f"+{window[2]},{window[3]}"
            size = ["-video_size", f"{window[4]}x{window[5]}"]
        subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "x11grab",
                        *size, "-i", source, "-frames:v", "1", path],
                       env=self.env, timeout=30, check=False)

    def close(self):
        for proc in reversed(self.procs):
            stop_process(proc, group=True)
        shutil.rmtree(self.dir, ignore_errors=True)


class Player:
    """One run of the player executable on a desktop, its sound going to `capture_path`."""

    def __init__(self, desktop, args, capture_path):
        env = {**desktop.env, "SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": capture_path}
        self.log = open(capture_path + ".log", "wb")
        self.proc = subprocess.Popen([PLAYER, *args], env=env, stdin=subprocess.DEVNULL,
                                     stdout=self.log, stderr=subprocess.STDOUT)

    def wait(self, timeout):
        """The exit status, or None when it still runs after `timeout` seconds."""
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def stop(self):
        status = stop_process(self.proc)
        self.log.close()
        return status

    def output(self):
        with open(self.log.name, "rb") as f:
            return f.read().decode(errors="replace")[-4000:]


def write_pls(path, url, title):
    with open(path, "w", encoding="latin-1") as f:
        f.write(f"[playlist]\nNumberOfEntries=1\nFile1={url}\nTitle1={title}\n"
                "Length1=-1\nVersion=2\n")
    return path


def wait_until(predicate, timeout, step=0.25):
    """Polls until `predicate` gives a true value or `timeout` passes; returns the last value."""
    return server_control.wait_until(predicate, timeout, step)

#!/usr/bin/env python3
"""CPU seconds (user+sys) and peak memory of the engine playing a local 128 kbps MP3 stream,
beside mpv on the same stream, and the engine's time to first audio. Prints; never fails.

  run_engine_bench.py BUILD_DIR [SECONDS]   (default 60 s)

mpv is installed from Debian's archive when missing (only here, not in the set-up script).
Output goes to SDL's dummy driver and mpv's null output, both paced in real time.
"""

import os
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SERVER = os.path.join(ROOT, "tests", "server", "stream_server.py")


def run_measured(cmd, env=None):
    """Runs cmd to its end; returns (user+sys seconds, peak RSS in MiB, stdout) of that
    process alone (wait4 gives its own resource use)."""
    out = tempfile.TemporaryFile(mode="w+")
    proc = subprocess.Popen(cmd, env=env, stdout=out, stderr=subprocess.DEVNULL)
    _, _, usage = os.wait4(proc.pid, 0)
    proc.returncode = 0
    out.seek(0)
    return usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0, out.read()


def ensure_mpv():
    if shutil.which("mpv"):
        return True
    print("installing mpv for the comparison ...", flush=True)
    subprocess.run(["apt-get", "install", "-y", "-q", "--no-install-recommends", "mpv"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
    return shutil.which("mpv") is not None


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build")
    seconds = int(sys.argv[2]) if len(sys.argv) > 2 else 60
    bench = os.path.join(build, "bench", "engine", "engine_stream_bench")
    if not os.path.exists(bench):
        print(f"build the target engine_stream_bench in {build} first")
        return
    work = tempfile.mkdtemp(prefix="engine-bench-")
    tone = os.path.join(work, "tone.mp3")
    subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                    "sine=frequency=440:sample_rate=44100:duration=30", "-ac", "2",
                    "-c:a", "libmp3lame", "-b:a", "128k", tone], check=True)
    server = subprocess.Popen([sys.executable, SERVER, tone, "--port", "0",
                               "--max-seconds", str(seconds * 3 + 120)],
                              stdout=subprocess.PIPE, text=True)
    try:
        port = int(server.stdout.readline().split()[1])
        url = f"http://127.0.0.1:{port}/stream?fmt=mp3&icy=1&metaint=16000&br=128"
        env = dict(os.environ, SDL_AUDIODRIVER="dummy")
        cpu, rss, out = run_measured([bench, url, str(seconds)], env)
        print(f"engine: {seconds} s of 128 kbps MP3: CPU {cpu:.2f} s, peak memory {rss:.1f} MiB")
        for line in out.splitlines():
            print(f"engine: {line}")
        if ensure_mpv():
            mpv_cpu, mpv_rss, _ = run_measured(
                ["mpv", "--no-config", "--no-video", "--ao=null", "--really-quiet",
                 f"--length={seconds}", url])
            print(f"mpv:    {seconds} s of the same stream: CPU {mpv_cpu:.2f} s, "
                  f"peak memory {mpv_rss:.1f} MiB")
            if mpv_cpu > 0:
                print(f"ratio engine/mpv CPU: {cpu / mpv_cpu:.2f}")
        else:
            print("mpv: not available, no comparison")
    finally:
        server.terminate()
        server.wait(timeout=10)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Installs the build into a scratch prefix and checks that a desktop finds the player there:
the executable, a menu entry that hands playlists to it, and its icon.
Usage: check_install.py BUILD_DIR   (exits 77 while the player is not built)
"""

import configparser
import os
import shutil
import subprocess
import sys
import tempfile

SKIPPED = 77
MIME_TYPES = {"audio/x-scpls", "audio/x-mpegurl", "audio/mpegurl", "video/x-ms-asf"}


def check(prefix):
    problems = []
    if not os.access(os.path.join(prefix, "bin", "talvoranest"), os.X_OK):
        problems.append("bin/talvoranest missing")
    icon = os.path.join(prefix, "share", "icons", "hicolor", "scalable", "apps",
                        "talvoranest.svg")
    if not os.path.exists(icon):
        problems.append("icon missing")
    entry_path = os.path.join(prefix, "share", "applications", "talvoranest.desktop")
    if not os.path.exists(entry_path):
        return problems + ["desktop entry missing"]
    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry.read(entry_path, encoding="utf-8")
    fields = entry["Desktop Entry"]
    if fields.get("Exec", "").split() != ["talvoranest", "%f"]:
        problems.append(f"Exec is {fields.get('Exec')!r}")
    if fields.get("Icon") != "talvoranest":
        problems.append("Icon does not name the installed icon")
    if set(filter(None, fields.get("MimeType", "").split(";"))) != MIME_TYPES:
        problems.append(f"MimeType is {fields.get('MimeType')!r}")
    if set(filter(None, fields.get("Categories", "").split(";"))) != {"AudioVideo", "Audio",
                                                                      "Player"}:
        problems.append(f"Categories is {fields.get('Categories')!r}")
    if shutil.which("desktop-file-validate"):
        out = subprocess.run(["desktop-file-validate", entry_path], capture_output=True,
                             text=True, timeout=30)
        if out.returncode != 0:
            problems.append(out.stdout + out.stderr)
    return problems


def main(build):
    if not os.access(os.path.join(build, "app", "talvoranest"), os.X_OK):
        print("skipped: the player is not built")
        return 1 if os.environ.get("TALVORANEST_REQUIRE_ALL", "") not in ("", "0") else SKIPPED
    prefix = tempfile.mkdtemp(prefix="talvoranest-install-")
    try:
        subprocess.run(["cmake", "--install", build, "--prefix", prefix], check=True,
                       stdout=subprocess.DEVNULL, timeout=120)
        problems = check(prefix)
    finally:
        shutil.rmtree(prefix, ignore_errors=True)
    for problem in problems:
        print("install:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))

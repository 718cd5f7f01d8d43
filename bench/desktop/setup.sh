#!/bin/sh
# What compare-desktop needs beyond the build: a private sound server with its tools, the
# music it plays, and the peers it measures against. Only the benchmark needs these.
set -e
packages="pulseaudio pulseaudio-utils dbus frozen-bubble-data mpv goodvibes qmmp xvfb ffmpeg"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
    missing="$missing $p"
done
[ -z "$missing" ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get install -y -q --no-install-recommends $missing ||
  { $sudo apt-get update -q && $sudo apt-get install -y -q --no-install-recommends $missing; }

#!/usr/bin/env bash
# Installs every Debian package needed to build, test and run the player.
# Idempotent: apt-get update runs only when something is missing.
set -euo pipefail

packages=(
  build-essential binutils cmake ninja-build pkg-config git ccache
  qt6-base-dev qt6-base-dev-tools libqt6dbus6
  libavformat-dev libavcodec-dev libavutil-dev libswresample-dev
  libcurl4-openssl-dev libsdl2-dev libpulse-dev libxcb1-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang clang-format libclang-rt-14-dev
  python3 ffmpeg icecast2 pulseaudio pulseaudio-utils xvfb x11-utils xdotool openssl
  dbus at-spi2-core python3-dbus playerctl twm
  fonts-wine fonts-dejavu-core fonts-dejavu-extra
  ca-certificates procps psmisc
  vlc-bin vlc-plugin-base
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"

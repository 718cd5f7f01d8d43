#!/usr/bin/env bash
# Sets up, builds and starts the player. Arguments go to the player (a .pls, .m3u or .asx).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh default
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: starting the player on a virtual X server (xvfb-run)." >&2
  exec xvfb-run -a build/app/talvoranest "$@"
fi
exec build/app/talvoranest "$@"

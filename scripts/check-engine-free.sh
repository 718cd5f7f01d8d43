#!/usr/bin/env bash
# Fails when an executable that should reach the engine only through its operation set needs a
# library of the real engine (curl, FFmpeg, SDL, PulseAudio). The executables after --real must
# need them: they show the check still recognises those libraries.
#   bash scripts/check-engine-free.sh EXECUTABLE... [--real EXECUTABLE...]
set -euo pipefail
if ! command -v readelf >/dev/null; then
  echo "readelf is missing (binutils)" >&2
  exit 2
fi
engine_libraries='^lib(curl|avformat|avcodec|avutil|swresample|SDL2|pulse)([-.]|$)'
expect_engine=0
status=0
for arg in "$@"; do
  if [ "$arg" = --real ]; then
    expect_engine=1
    continue
  fi
  if [ ! -f "$arg" ]; then
    echo "$arg: missing" >&2
    status=1
    continue
  fi
  needed=$(readelf -d "$arg" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
  if [ -z "$needed" ]; then
    echo "$arg: readelf lists no NEEDED entry" >&2
    status=1
    continue
  fi
  found=$(grep -E "$engine_libraries" <<<"$needed" | tr '\n' ' ' || true)
  name=$(basename "$arg")
  if [ "$expect_engine" = 1 ] && [ -z "$found" ]; then
    echo "$name: needs none of the engine's libraries, so the check would miss them" >&2
    status=1
  elif [ "$expect_engine" = 0 ] && [ -n "$found" ]; then
    echo "$name: needs ${found% }, which only the real engine should bring" >&2
    status=1
  else
    echo "$name: ok"
  fi
done
exit $status

#!/usr/bin/env bash
# The demo station: plays generated music from a local stream on loopback in the player.
#
#   bash scripts/demo.sh [--no-build] [--seconds N]
#
# Builds the player if needed, renders a few bars of music, starts the test stream server as an
# ICY station whose song title changes every few seconds, writes a .pls for it and starts the
# player with it. The stream stops when the player ends (or after N seconds with --seconds,
# which then ends the player too). Without a display the player runs under xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/.."

build=1
seconds=0
while [ $# -gt 0 ]; do
  case $1 in
    --no-build) build=0 ;;
    --seconds) seconds=${2:?--seconds needs a number}; shift ;;
    *) echo "usage: bash scripts/demo.sh [--no-build] [--seconds N]" >&2; exit 2 ;;
  esac
  shift
done

player=${DEMO_PLAYER:-build/app/talvoranest}
station="Talvoranest Demo FM"
titles="Loopback Trio - Four Chords in C|The Test Tones - Evening Arpeggio"
titles+="|Studio Nine - Quiet Harbour|Demo Band - Warm Pads, Soft Bass"

if [ "$build" = 1 ]; then
  if [ -f scripts/build.sh ]; then
    bash scripts/build.sh default
  else
    cmake --preset default && cmake --build --preset default
  fi
fi
if [ ! -x "$player" ]; then
  echo "The player is not built yet ($player is missing)." >&2
  exit 1
fi

work=$(mktemp -d /tmp/talvoranest-demo.XXXXXX)
server_pid=""
player_pid=""
xvfb_pid=""
timer_pid=""
stop_pid() {
  if [ -n "$1" ]; then
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
  fi
}
cleanup() {
  stop_pid "$timer_pid"
  stop_pid "$player_pid"
  stop_pid "$server_pid"
  stop_pid "$xvfb_pid"
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

echo "Rendering the demo music..."
python3 scripts/demo-music.py "$work/music.wav" 8
ffmpeg -nostdin -hide_banner -loglevel error -y -i "$work/music.wav" \
  -af "aecho=0.8:0.5:120|240:0.25|0.12,volume=10dB" -c:a libmp3lame -b:a 128k "$work/music.mp3"

python3 tests/server/stream_server.py --audio "mp3=$work/music.mp3@128" --port 0 \
  --name "$station" --genre "Demo" --url "http://127.0.0.1/" --titles "$titles" \
  --defaults "icy=1&metaint=8192&title_every=6" --max-seconds 86400 \
  --log "$work/requests.log" >"$work/server.out" 2>&1 &
server_pid=$!
port=""
for _ in $(seq 1 100); do
  port=$(awk '/^PORT /{print $2; exit}' "$work/server.out")
  [ -n "$port" ] && break
  kill -0 "$server_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$port" ]; then
  echo "The stream server did not start:" >&2
  cat "$work/server.out" >&2
  exit 1
fi

cat >"$work/demo.pls" <<EOF
[playlist]
NumberOfEntries=1
File1=http://127.0.0.1:$port/
Title1=$station
Length1=-1
Version=2
EOF
echo "Streaming \"$station\" at http://127.0.0.1:$port/ (playlist $work/demo.pls)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: starting the player on a virtual X server (Xvfb)." >&2
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 1 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  export DISPLAY=":$(cat "$work/display")"
fi
"$player" "$work/demo.pls" &
player_pid=$!
if [ "$seconds" -gt 0 ]; then
  sleep "$seconds" && kill "$player_pid" 2>/dev/null &
  timer_pid=$!
fi
status=0
wait "$player_pid" || status=$?
player_pid=""
if [ -n "$timer_pid" ] && ! kill -0 "$timer_pid" 2>/dev/null && [ "$status" = 143 ]; then
  status=0 # ended by --seconds
fi
echo "The player ended (status $status); stopping the stream."
exit "$status"

#!/usr/bin/env bash
# A Windows Media (MMSH) server on loopback: VLC streaming a WMA tone it is given.
#
#   vlc_mmsh.sh start DIR [FREQ] [SECONDS]  makes DIR/tone.wma, starts VLC; prints the
#                                           server's http:// address as its last line
#   vlc_mmsh.sh stop DIR                    stops VLC by the PID kept in DIR
#
# VLC refuses to run as root, so as root it runs as `nobody`; DIR must be open to that user.
# Every wait is bounded.
set -euo pipefail

cmd=${1:?usage: vlc_mmsh.sh start|stop DIR ...}
dir=${2:?usage: vlc_mmsh.sh start|stop DIR ...}

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}

# Runs in the background subshell it is started in, so $! is VLC's own PID.
as_player() {
  if [ "$(id -u)" = 0 ]; then
    exec setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"
  else
    exec "$@"
  fi
}

start() {
  local freq=${1:-880} seconds=${2:-40} port
  command -v cvlc >/dev/null || { echo "cvlc is not installed" >&2; return 1; }
  ffmpeg -nostdin -hide_banner -loglevel error -y \
    -f lavfi -i "sine=frequency=$freq:sample_rate=44100:duration=$seconds" -ac 2 \
    -c:a wmav2 -b:a 64k -f asf "$dir/tone.wma"
  chmod 0755 "$dir"
  chmod 0644 "$dir/tone.wma"
  port=$(free_port)
  as_player cvlc -I dummy --no-video --no-sout-video "$dir/tone.wma" \
    --sout "#std{access=mmsh,mux=asfh,dst=127.0.0.1:$port}" >"$dir/vlc.out" 2>&1 &
  echo $! >"$dir/vlc.pid"
  # Until its muxer has written the ASF header, VLC answers with an empty body.
  for _ in $(seq 1 100); do
    if [ "$(curl -s -m 1 "http://127.0.0.1:$port/" | head -c 64 | wc -c)" -gt 0 ]; then
      echo "http://127.0.0.1:$port/"
      return 0
    fi
    sleep 0.1
  done
  echo "VLC did not come up; see $dir/vlc.out" >&2
  stop
  return 1
}

# shellcheck source=stop_pid.sh
. "$(dirname "$0")/stop_pid.sh"

stop() {
  stop_pid "$dir/vlc.pid"
}

case $cmd in
  start) shift 2; start "$@" ;;
  stop) stop ;;
  *) echo "unknown command: $cmd" >&2; exit 2 ;;
esac

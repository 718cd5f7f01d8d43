#!/usr/bin/env bash
# The tone fixtures of the stream server, plus a chained Ogg stream whose two logical streams
# carry different titles (the way a station's encoder starts a new one for every song).
# Usage: make_engine_fixtures.sh SERVER_FIXTURE_SCRIPT DIR
set -euo pipefail
script=${1:?} dir=${2:?}
bash "$script" "$dir" 6
if [ ! -s "$dir/chain.ogg" ]; then
  for title in One Two; do
    ffmpeg -nostdin -hide_banner -loglevel error -y \
      -f lavfi -i "sine=frequency=660:sample_rate=44100:duration=2" -ac 2 -c:a libvorbis \
      -metadata artist=Band -metadata "title=$title" "$dir/chain-$title.ogg"
  done
  cat "$dir/chain-One.ogg" "$dir/chain-Two.ogg" >"$dir/chain.ogg.part"
  mv "$dir/chain.ogg.part" "$dir/chain.ogg"
fi
# A tone whose pitch steps up 40 Hz every half second (32 steps, 400-1640 Hz, then again), so
# that a capture shows whether any stretch of a stream was heard twice or left out.
if [ ! -s "$dir/steps.mp3" ]; then
  ffmpeg -nostdin -hide_banner -loglevel error -y \
    -f lavfi -i "aevalsrc=0.5*sin(2*PI*(400+40*floor(2*t))*t):s=44100:d=16" -ac 2 \
    -c:a libmp3lame -b:a 128k -f mp3 "$dir/steps.mp3.part"
  mv "$dir/steps.mp3.part" "$dir/steps.mp3"
fi

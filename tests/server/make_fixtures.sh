#!/usr/bin/env bash
# Generates the audio fixtures for the stream server in DIR, one distinct sine per format so a
# test can tell from the captured sound which stream played:
#   tone.mp3  440 Hz  MP3 128 kbps CBR, 44.1 kHz stereo
#   tone.aac  550 Hz  AAC in ADTS, 96 kbps
#   tone.ogg  660 Hz  Ogg Vorbis
#   tone.opus 770 Hz  Ogg Opus (48 kHz)
#   tone.mp4  880 Hz  MP4/AAC, fragmented so it plays front to back (serve with loop=0)
#   tone.wma  990 Hz  ASF/WMA v2 (serve with loop=0)
#   tone2.mp3 660 Hz  a second MP3 station
# Usage: make_fixtures.sh DIR [SECONDS]   (default 10 s; files that exist are kept)
set -euo pipefail

dir=${1:?usage: make_fixtures.sh DIR [SECONDS]}
seconds=${2:-10}
mkdir -p "$dir"

make() {
  local out=$1 freq=$2
  shift 2
  [ -s "$dir/$out" ] && return 0
  ffmpeg -nostdin -hide_banner -loglevel error -y \
    -f lavfi -i "sine=frequency=${freq}:sample_rate=44100:duration=${seconds}" \
    -ac 2 "$@" "$dir/$out.$$.part"
  mv "$dir/$out.$$.part" "$dir/$out"
}

make tone.mp3 440 -c:a libmp3lame -b:a 128k -f mp3
make tone.aac 550 -c:a aac -b:a 96k -f adts
make tone.ogg 660 -c:a libvorbis -q:a 3 -f ogg
make tone.opus 770 -ar 48000 -c:a libopus -b:a 96k -f ogg
make tone.mp4 880 -c:a aac -b:a 96k -movflags frag_keyframe+empty_moov -f mp4
make tone.wma 990 -c:a wmav2 -b:a 96k -f asf
make tone2.mp3 660 -c:a libmp3lame -b:a 128k -f mp3

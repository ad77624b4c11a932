#!/usr/bin/env bash
# Runs the music tests under Wine with media made here and now: a one-second
# sweep as WAV and MP3, a truncated MP3, garbage, an empty file and a short
# wave file. A PulseAudio null sink gives Wine a wave device, so playback
# and the media-control notification really run. music.sh TESTS.exe
set -euo pipefail
VANTA_ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
source "$VANTA_ROOT/scripts/wine-env.sh"
source "$VANTA_ROOT/scripts/audio-sink.sh"
vanta_wine_prefix
exe="$1"
shift

work=$(mktemp -d)
cleanup() {
  stop_audio_sink
  rm -rf "$work"
}
trap cleanup EXIT

sox -n -r 44100 -c 2 -b 16 "$work/sweep.wav" synth 1 sine 200-2000 vol 0.5
lame --quiet -b 128 "$work/sweep.wav" "$work/sweep.mp3"
size=$(stat -c %s "$work/sweep.mp3")
head -c $((size / 2)) "$work/sweep.mp3" >"$work/truncated.mp3"
for _ in $(seq 800); do echo "this is not an mpeg stream"; done >"$work/garbage.mp3"
cp "$work/garbage.mp3" "$work/garbage.wav"
: >"$work/empty.mp3"
sox -n -r 22050 -c 1 -b 16 "$work/short.wav" synth 0.4 sine 440 vol 0.3
sox -n -r 22050 -c 1 -b 16 "$work/long.wav" synth 3 sine 330 vol 0.3

if start_audio_sink; then
  export VANTA_AUDIO_SINK=1
else
  echo "music.sh: no audio sink, playback tests will skip" >&2
fi

export VANTA_MUSIC_DATA="Z:${work//\//\\}\\"
export WINEDEBUG=-all
vanta_with_display wine "$exe" "$@"

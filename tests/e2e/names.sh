#!/usr/bin/env bash
# File names in any language: a saver whose pictures are named 写真.bmp,
# Été.jpg and Ünïcødé.gif and whose music is 音楽.mp3 shows them with their
# captions and plays the music, from a UTF-8 settings file and from one an
# older copy wrote in the legacy code page (Windows-1252).
# names.sh VantaSaver.scr mpegdll.dll
source "$(dirname "$0")/lib.sh"
if [ -z "${DISPLAY:-}" ]; then exec "$VANTA_ROOT/scripts/with-display.sh" bash "$0" "$@"; fi
source "$E2E_DIR/showlib.sh"
exe="$1"
mpegdll="$2"
work="$(mktemp -d)"
cleanup() {
  stop_saver
  stop_audio_sink
  rm -rf "$work"
}
trap cleanup EXIT

LIME='r < 60 && g > 200 && b < 60'
photo='写真.bmp'; summer='Été.jpg'; odd='Ünïcødé.gif'; song='音楽.mp3'

start_audio_sink || fail "the test audio sink (PulseAudio with a null sink) did not start"
make_instance "$exe"
cp "$mpegdll" "$work/mpegdll.dll"   # beside the saver, where the player looks first
make_picture "$photo" red 320x240
/usr/bin/convert -size 320x240 xc:blue -quality 95 "JPG:$work/$summer"
/usr/bin/convert -size 320x240 xc:lime "GIF:$work/$odd"
sox -n -r 44100 -c 2 -b 16 "$work/tone.wav" synth 20 sine 440 vol 0.2
lame --quiet -b 128 "$work/tone.wav" "$work/$song"
dims=$(xdpyinfo 2>/dev/null | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2] }') || true
read -r W H <<<"${dims:-1024 768}"

# Pictures by bare name (found in the program folder) and by full path;
# captions at the bottom of the screen with the file name alone.
lines() {
  printf '%s\r\n' '[Set]' 'ImageInterval=2' 'EffectSpeed=1' 'RandomImage=0' 'StetchImage=0' \
    'AllowReverseTransition=0' 'PlayMusic=1' \
    '[Caption]' 'Position=3' 'IncludeFilename=1' 'IncludeAdditionalText=0' 'FontSize=20' \
    '[Pictures]' "$@" $(transitions_only 5)
}
caption_pixels() { count_pixels "$1" "${W}x120+0+$((H - 120))" "$WHITE"; }
# The width of the caption's white text, in pixels.
caption_width() {
  /usr/bin/convert "$1" -crop "${W}x120+0+$((H - 120))" +repage -fill black +opaque white -trim -format '%w' info: 2>/dev/null
}

# --- UTF-8 settings: each picture in turn with its caption, and the music.
rm -f "$(user_settings Mountains)"
{ lines "$photo=1" "$(win_path "$summer")=1" "$odd=1"; printf '%s\r\n' '[Music]' "$song=1"; } >"$work/Mountains.002"
start_saver /s
shot="$work/shot.png"
widths=()
for picture in "RED:$photo" "BLUE:$summer" "LIME:$odd"; do
  colour="${picture%%:*}"; name="${picture#*:}"
  await_screen "$name" "${!colour}" 5 "$(now_ms)" 8000 >/dev/null
  sleep 0.3   # the caption comes with the end of the transition
  screenshot "$shot"; keep_shot "$shot" "names-$colour.png"
  [ "$(caption_pixels "$shot")" -gt 20 ] || fail "$name shows without its caption"
  widths+=("$(caption_width "$shot")")
  echo "$name shows, with its caption (${widths[-1]} pixels wide)"
done
# Two characters, three, seven: a name read in the wrong code page would
# show several characters for each of 写真's.
[ "${widths[0]}" -lt "${widths[1]}" ] && [ "${widths[1]}" -lt "${widths[2]}" ] ||
  fail "the captions are not as wide as their names (${widths[*]} pixels): a name was shown in the wrong code page"
streams=$(await_sink_stream 3000)
[ "$streams" -gt 0 ] || fail "$song does not play (nothing in the audio sink)"
echo "$song plays"
stop_saver

# --- A settings file of an older copy, in Windows-1252: Été.jpg still found.
lines "$summer=1" | iconv -f UTF-8 -t CP1252 >"$work/Mountains.002"
grep -q $'\xC9t\xE9' "$work/Mountains.002" || fail "the legacy settings file was not written in Windows-1252"
start_saver /s
await_screen "$summer from a Windows-1252 settings file" "$BLUE" 5 "$(now_ms)" 8000 >/dev/null
echo "a Windows-1252 settings file still finds $summer"
stop_saver

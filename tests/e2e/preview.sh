#!/usr/bin/env bash
# The preview of a built saver: Mountains.scr /p HANDLE inside a host window
# of our own, as the display control panel gives one, and /p abc as an
# ordinary window "PreviewForm". No music plays in either, whatever the
# settings say.
# preview.sh VantaSaver.scr vanta-dialog-driver.exe vanta-saver-host.exe
source "$(dirname "$0")/lib.sh"
if [ -z "${DISPLAY:-}" ]; then exec "$VANTA_ROOT/scripts/with-display.sh" bash "$0" "$@"; fi
source "$E2E_DIR/showlib.sh"
exe="$1"
driver="$2"
host="$3"
work="$(mktemp -d)"
trap 'stop_saver; stop_audio_sink; rm -rf "$work"' EXIT
start_audio_sink || fail "the test audio sink (PulseAudio with a null sink) did not start"

make_instance "$exe"
# Wide and larger than any preview: shrunk to the preview's width, it leaves
# black bands above and below.
make_picture wide.bmp red 1600x400
sox -n -r 22050 -c 1 -b 16 "$work/tune.wav" synth 20 sine 440 vol 0.2
write_settings '[Set]' 'ImageInterval=30' 'EffectSpeed=1' 'PlayMusic=1' 'StetchImage=0' \
  '[Caption]' 'Position=3' 'IncludeFilename=1' \
  '[Pictures]' 'wide.bmp=1' '[Music]' "$(win_path tune.wav)=1" $(transitions_only 5)

# --- /p with a host window: the preview is the host's child, covers its
#     client area, and the saver ends soon after the host window goes.
# Which libraries the saver loads tells whether music started.
out=$(WINEDEBUG=+loaddll wine "$host" "$work/Mountains.scr" 2500 2>"$work/host.log" | tr -d '\r') || fail "the preview host failed"
echo "$out"
read -r _ hl ht hr hb < <(grep '^host ' <<<"$out") || true
read -r _ found parent_ok cl ct cr cb < <(grep '^child ' <<<"$out") || true
read -r _ hw hh < <(grep '^host_window ' <<<"$out") || true
alive=$(awk '/^alive_before/ { print $2 }' <<<"$out")
exit_ms=$(awk '/^exit_ms/ { print $2 }' <<<"$out")
[ "$found" = 1 ] || fail "no window of the saver among the host window's children"
[ "$parent_ok" = 1 ] || fail "the saver's window is not a direct child of the host"
[ "$cl" -le "$hl" ] && [ "$ct" -le "$ht" ] && [ "$cr" -ge "$hr" ] && [ "$cb" -ge "$hb" ] ||
  fail "the preview's client area ($cl,$ct)-($cr,$cb) does not cover the host's ($hl,$ht)-($hr,$hb)"
# The preview sizes itself from the host's outer rectangle: its client area
# is 10 pixels wider and higher than that.
[ $((cr - cl)) = $((hw + 10)) ] && [ $((cb - ct)) = $((hh + 10)) ] ||
  fail "the preview's client area is $((cr - cl))x$((cb - ct)), not the host window's ${hw}x${hh} plus 10"
[ "$alive" = 1 ] || fail "the saver had ended before its host window went"
[ "$exit_ms" -ge 0 ] || fail "the saver still ran 10 s after its host window was destroyed"
[ "$exit_ms" -le 2000 ] || fail "the saver took $exit_ms ms to end after its host window went"
echo "the preview ended $exit_ms ms after its host window"
grep -qi 'Mountains.scr' "$work/host.log" || fail "no load trace of the saver to judge its music by"
grep -qi 'Loaded .*mciwave' "$work/host.log" && fail "the preview opened the music"

# --- /p with a host whose process dies: its window goes without destroying
#     the preview, which must notice by itself and end (Wine takes a moment
#     to clean up a killed process, hence the wider limit).
wine "$host" "$work/Mountains.scr" 20000 >/dev/null 2>&1 &
host_pid=$!
saver=
for _ in $(seq 100); do
  saver=$(pgrep -f "$work/Mountains.scr /p" | head -n 1 || true)
  [ -n "$saver" ] && break
  sleep 0.1
done
[ -n "$saver" ] || { kill "$host_pid"; fail "the host did not start the saver"; }
sleep 1.5
saver_alive || { kill "$host_pid"; fail "the preview ended while its host still ran"; }
kill -9 "$host_pid"; wait "$host_pid" 2>/dev/null || true
t=$(now_ms)
ended=$(await_exit "$t" 4000)
[ "$ended" -ge 0 ] || fail "the preview still runs 4 s after its host's process died (an orphaned saver)"
echo "the preview ended $ended ms after its host's process died"

# --- /p abc: an ordinary window "PreviewForm" with the picture shrunk on black.
wine "$driver" PreviewForm gone >/dev/null 2>&1 || true   # Wine up before the clock starts
saver_debug=+loaddll start_saver /p abc
line=$(wine "$driver" PreviewForm wait | tr -d '\r') || fail "/p abc opened no window \"PreviewForm\""
read -r _ left top width height <<<"$line"
[ "$width" -gt 100 ] && [ "$height" -gt 100 ] || fail "PreviewForm's client area is only ${width}x${height}"
[ "$width" -lt 1000 ] || fail "PreviewForm is ${width} wide: the picture is not in a small window"
shot="$work/preview.png"
area="${width}x${height}+$left+$top"
seen=0
for _ in $(seq 20); do
  screenshot "$shot"
  seen=$(share "$shot" "$RED" "$area")
  [ "$seen" -ge 15 ] && break
  sleep 0.1
done
keep_shot "$shot" preview-abc.png
# 1600x400 fitted to the width keeps a quarter of the width as height.
expect=$((100 * (width * width / 4) / (width * height)))
echo "PreviewForm ${width}x${height}: $seen% red, about $expect% expected"
[ "$seen" -ge $((expect - 8)) ] && [ "$seen" -le $((expect + 8)) ] ||
  fail "the picture covers $seen% of PreviewForm, not about $expect% (shrunk to its width)"
bands=$(share "$shot" "$BLACK" "${width}x$((height / 8))+$left+$top")
[ "$bands" -ge 90 ] || fail "no black above the shrunk picture ($bands% black in the top eighth)"
center=$(share "$shot" "$RED" "$((width / 2))x$((height / 10))+$((left + width / 4))+$((top + height / 2 - height / 20))")
[ "$center" -ge 90 ] || fail "the picture is not in the middle of PreviewForm ($center% red there)"
white=$(count_pixels "$shot" "$area" "$WHITE")
[ "$white" -eq 0 ] || fail "the preview draws a caption ($white white pixels)"
grep -qi 'Loaded .*mciwave' "$work/saver.log" && fail "/p abc opened the music"
[ "$(sink_streams)" -eq 0 ] || fail "/p abc plays into the audio sink"
stop_saver
echo "preview: ok"

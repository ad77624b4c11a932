#!/usr/bin/env bash
# The full-screen show of a built saver: Mountains.scr /s with its own
# Mountains.002 and pictures of solid colours, checked by the screen's pixels
# and by the life of the process: pictures in list order at the interval, the
# caption where it is configured, the exit rules for keys and mouse, the
# password check of a PASSWORD.CPL of our own, and the music (which libraries
# the saver loads, and the streams of a private PulseAudio null sink).
# A HEIC portrait stored on its side stands upright.
# show.sh VantaSaver.scr vanta-dialog-driver.exe PASSWORD.CPL vanta-saver-host.exe make-heif-samples
source "$(dirname "$0")/lib.sh"
if [ -z "${DISPLAY:-}" ]; then exec "$VANTA_ROOT/scripts/with-display.sh" bash "$0" "$@"; fi
source "$E2E_DIR/showlib.sh"
exe="$1"
driver="$2"
cpl="$3"
saver_host="$4"
make_heif="$5"
work="$(mktemp -d)"
system_cpl="$WINEPREFIX/drive_c/windows/system32/PASSWORD.CPL"
password_key='HKCU\Control Panel\desktop'
cleanup() {
  stop_saver
  stop_audio_sink
  rm -f "$system_cpl"
  wine reg delete "$password_key" /v ScreenSaveUsePassword /f >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
# One left by a killed run of ours goes; any other is not ours to replace.
if [ -e "$system_cpl" ]; then
  cmp -s "$cpl" "$system_cpl" || fail "the Wine prefix has a PASSWORD.CPL of its own"
  rm -f "$system_cpl"
fi

start_audio_sink || fail "the test audio sink (PulseAudio with a null sink) did not start"
make_instance "$exe"
make_picture a.bmp red
make_picture b.bmp blue
make_picture c.bmp lime   # listed with 0: never shown
sox -n -r 22050 -c 1 -b 16 "$work/tune.wav" synth 20 sine 440 vol 0.2
dims=$(xdpyinfo 2>/dev/null | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2] }') || true
read -r W H <<<"${dims:-1024 768}"

# The pictures: a by its full path, b by its bare name in the program folder,
# one whose file is gone and one switched off; so the order is a, b, a...
# Everything but effect 5 (uncovering from the left) off, at the fastest
# speed: each change of picture is a short, predictable wipe.
settings() {  # settings EXTRA_SET_LINES... -- CAPTION_POSITION MUSIC_SECTION_LINES...
  local set=() caption music=()
  while [ "$1" != -- ]; do set+=("$1"); shift; done
  shift; caption="$1"; shift; music=("$@")
  write_settings '[Set]' 'ImageInterval=2' 'EffectSpeed=1' 'RandomImage=0' 'StetchImage=1' \
    'AllowReverseTransition=0' "${set[@]}" \
    '[Caption]' "Position=$caption" 'IncludeFilename=1' 'IncludeAdditionalText=1' \
    'AddtionalText=Mountains at dusk' \
    '[Pictures]' "$(win_path a.bmp)=1" 'gone.bmp=1' 'b.bmp=1' 'c.bmp=0' "${music[@]}" $(transitions_only 5)
}
music_lines=('[Music]' "$(win_path tune.wav)=1")
# Starts the show and waits for its window: "Screen Show" covering the screen.
# Each starts from the first picture (keep_place=1: where the last one stopped).
start_show() {
  [ "${keep_place:-0}" = 1 ] || forget_place
  xdotool mousemove $((W / 2)) $((H / 2))
  wine "$driver" "Screen Show" gone >/dev/null 2>&1 || true   # Wine up before the clock starts
  start_saver /s
  local line style exstyle
  line=$(wine "$driver" "Screen Show" wait style | tr -d '\r') || fail "no \"Screen Show\" window"
  read -r _ left top width height <<<"$(grep '^client ' <<<"$line")" || true
  read -r _ style exstyle <<<"$(grep '^style ' <<<"$line")" || true
  [ "$left $top $width $height" = "0 0 $W $H" ] ||
    fail "the show window's client area is ${width}x${height} at $left,$top, not the screen ${W}x${H}"
  # No title bar or frame (WS_CAPTION, WS_THICKFRAME), and on top of all others.
  (( (0x$style & 0x00C40000) == 0 )) || fail "the show window has a frame or title bar (style $style)"
  (( (0x$exstyle & 0x8) != 0 )) || fail "the show window is not topmost (extended style $exstyle)"
}
# Sends COUNT mouse moves a few pixels apart, slowly enough that none is merged with the next.
mouse_moves() {
  local i x=$((W / 2)) y=$((H / 2))
  for i in $(seq "$1"); do
    x=$((x + 5)); xdotool mousemove "$x" "$y"; sleep 0.04
  done
}
# Ends a show that input may not end: asked to close as the system would,
# so that it tells the system the screensaver has ended; killed otherwise.
end_show() {
  wine "$driver" "Screen Show" close >/dev/null 2>&1 || true
  [ "$(await_exit "$(now_ms)" 3000)" -ge 0 ] || stop_saver
}
saver_running() { wine "$driver" "Screen Show" saverrunning | tr -d '\r'; }
# "cursor 1" while the mouse cursor shows over the window in front, else "cursor 0".
cursor_state() { wine "$driver" "Screen Show" cursor | tr -d '\r'; }
# The saver is still running after SECONDS more.
expect_running() {
  sleep "$1"
  saver_alive || fail "$2"
}

# --- 1: pictures at the interval, no caption with Position=0, music with
#        PlayMusic=1; six mouse moves are tolerated, seven end the show.
settings 'PlayMusic=1' 'MouseMove=1' 'MousePress=1' 'KeyboardPress=1' -- 0 "${music_lines[@]}"
saver_debug=+loaddll  # which libraries it loads tells whether music started
start_show
red_at=$(await_screen first-picture "$RED" 90 "$saver_start" 2000)
red_seen=$((saver_start + red_at))
echo "first picture (red) after $red_at ms"
shot="$work/red.png"; screenshot "$shot"; keep_shot "$shot" show-first.png
grep -qi 'Loaded .*mciwave' "$work/saver.log" || fail "PlayMusic=1 with a WAV in [Music] did not open the music"
streams=$(await_sink_stream 2000)
[ "$streams" -gt 0 ] || fail "PlayMusic=1 with a WAV in [Music]: nothing plays into the audio sink"
echo "music: the WAV plays ($streams stream in the audio sink)"
[ "$(cursor_state)" = "cursor 0" ] || fail "the mouse cursor shows over the running show"
[ "$(saver_running)" = "saverrunning 1" ] || fail "the system is not told that a screensaver runs"
white=$(count_pixels "$shot" "${W}x80+0+$((H - 80))" "$WHITE")
[ "$white" -eq 0 ] || fail "Position=0 still shows a caption ($white white pixels at the bottom)"
# The interval (2 s) runs from the end of a transition to the next picture;
# a poll takes a moment, hence the margins. The look is timed from when red
# was seen, not from the end of the checks above, which a loaded machine
# can stretch past the interval; then the second picture's timing below
# still catches an early change.
still_red_at=$((red_seen + 1200))
wait_ms=$((still_red_at - $(now_ms)))
[ "$wait_ms" -gt 0 ] && sleep "$(printf '%d.%03d' $((wait_ms / 1000)) $((wait_ms % 1000)))"
if [ "$(now_ms)" -lt $((red_seen + 1600)) ]; then
  screenshot "$shot"
  [ "$(share "$shot" "$RED")" -ge 90 ] || fail "the first picture went before the interval ($(share "$shot" "$BLUE")% blue)"
fi
blue_at=$(await_screen second-picture "$BLUE" 90 "$red_seen" 4000)
[ "$blue_at" -ge 1500 ] || fail "the second picture came $blue_at ms after the first, before the interval"
echo "second picture (blue) $blue_at ms after the first"
blue_seen=$((red_seen + blue_at))
red_again=$(await_screen third-picture "$RED" 90 "$blue_seen" 4000)
[ "$red_again" -ge 1500 ] || fail "the third picture came $red_again ms after the second, before the interval"
echo "list order wraps to the first picture $red_again ms after the second"

sleep 2.1  # a mouse timer tick since any move the window's appearance made
mouse_moves 6
expect_running 0.5 "six mouse moves ended the show"
ended=-1
for attempt in 1 2 3; do
  # Seven moves in 0.3 s fall into one 2-second tick unless a tick splits
  # them; then the next burst comes right after that tick.
  sleep 2.1
  t=$(now_ms)
  mouse_moves 7
  ended=$(await_exit "$t" 1500)
  [ "$ended" -ge 0 ] && break
done
[ "$ended" -ge 0 ] || fail "seven mouse moves within a tick did not end the show (three tries)"
echo "seven mouse moves ended the show ($ended ms after the first of them, try $attempt)"
[ "$(saver_running)" = "saverrunning 0" ] || fail "after the show the system still counts a screensaver as running"

# --- 2: a key ends the show within a second; the caption at the bottom of
#        the screen; no music with PlayMusic=0.
settings 'PlayMusic=0' 'MouseMove=1' 'MousePress=1' 'KeyboardPress=1' -- 3 "${music_lines[@]}"
start_show
await_screen first-picture-2 "$RED" 80 "$saver_start" 2000 >/dev/null
sleep 0.3
screenshot "$shot"; keep_shot "$shot" show-caption.png
bottom=$(count_pixels "$shot" "${W}x80+0+$((H - 80))" "$WHITE")
topband=$(count_pixels "$shot" "${W}x80+0+0" "$WHITE")
[ "$bottom" -ge 40 ] || fail "Position=3 shows no caption at the bottom ($bottom white pixels)"
[ "$topband" -eq 0 ] || fail "Position=3 draws $topband white pixels at the top of the screen"
echo "caption at the bottom: $bottom white pixels"
[ "$(sink_streams)" -eq 0 ] || fail "PlayMusic=0 still plays into the audio sink"
grep -qi 'Mountains.scr' "$work/saver.log" || fail "no load trace of the saver to judge its music by"
grep -qi 'Loaded .*mciwave' "$work/saver.log" && fail "PlayMusic=0 still opened the music"
# A slow drift, one move every half second, stays under six per tick.
for _ in $(seq 10); do mouse_moves 1; sleep 0.46; done
saver_alive || fail "a slow drift of mouse moves (one each half second) ended the show"
echo "ten mouse moves at half-second steps left the show running"
t=$(now_ms)
xdotool key x
ended=$(await_exit "$t" 1000)
[ "$ended" -ge 0 ] || fail "a key did not end the show within a second"
echo "a key ended the show after $ended ms"
saver_debug=

# --- 3: with MouseMove, MousePress and KeyboardPress off nothing ends it.
settings 'PlayMusic=0' 'MouseMove=0' 'MousePress=0' 'KeyboardPress=0' -- 0
start_show
await_screen first-picture-3 "$RED" 80 "$saver_start" 2000 >/dev/null
mouse_moves 12
xdotool click 1
xdotool key x key Escape key alt+F4 key Return
expect_running 1.5 "input ended a show whose exit rules are all off"
echo "with all exit rules off, moves, a click and keys (Escape, Alt+F4 too) left the show running"
end_show

# --- 3b: MousePress alone: moves and keys are ignored, a click ends it.
settings 'PlayMusic=0' 'MouseMove=0' 'MousePress=1' 'KeyboardPress=0' -- 0
start_show
await_screen first-picture-3b "$RED" 80 "$saver_start" 2000 >/dev/null
mouse_moves 12
xdotool key x
expect_running 1 "a move or a key ended a show that only a mouse button may end"
t=$(now_ms)
xdotool click 1
ended=$(await_exit "$t" 1000)
[ "$ended" -ge 0 ] || fail "a mouse button did not end the show within a second (MousePress=1)"
echo "MousePress alone: moves and a key ignored, a click ended the show after $ended ms"

# --- 4: password protection on, and our PASSWORD.CPL decides.
cp "$cpl" "$system_cpl"
wine reg add "$password_key" /v ScreenSaveUsePassword /t REG_DWORD /d 1 /f >/dev/null 2>&1 ||
  fail "could not set ScreenSaveUsePassword"
export VANTA_TEST_PASSWORD_LOG="$work/password.log"
settings 'PlayMusic=0' 'MouseMove=1' 'MousePress=1' 'KeyboardPress=1' -- 0
for answer in refuse accept; do
  : >"$VANTA_TEST_PASSWORD_LOG"
  export VANTA_TEST_PASSWORD=$answer
  start_show
  await_screen "password-$answer" "$RED" 80 "$saver_start" 2000 >/dev/null
  t=$(now_ms)
  xdotool key x
  if [ "$answer" = refuse ]; then
    expect_running 1.5 "a refused password ended the show"
    grep -q '^asked window' "$VANTA_TEST_PASSWORD_LOG" || fail "the show did not ask PASSWORD.CPL with its window"
    screenshot "$shot"
    [ "$(share "$shot" "($RED) || ($BLUE)")" -ge 90 ] || fail "the show is not on screen after the refusal"
    [ "$(cursor_state)" = "cursor 0" ] || fail "the mouse cursor stays visible after a refused password"
    echo "refused password: the show goes on, the cursor hidden again"
    end_show
  else
    ended=$(await_exit "$t" 1500)
    [ "$ended" -ge 0 ] || fail "an accepted password did not end the show"
    grep -q '^asked' "$VANTA_TEST_PASSWORD_LOG" || fail "the show ended without asking PASSWORD.CPL"
    [ "$(saver_running)" = "saverrunning 0" ] || fail "after the show the system still counts a screensaver as running"
    echo "accepted password: the show ended after $ended ms"
  fi
done
rm -f "$system_cpl"
wine reg delete "$password_key" /v ScreenSaveUsePassword /f >/dev/null 2>&1 || true

# --- 5: no pictures at all: the background colour fills the screen, and
#        the exit rules hold as ever.
write_settings '[Set]' 'ImageInterval=2' 'PlayMusic=0' 'BackgroundColor=16711680' '[Caption]' 'Position=3'
start_show
await_screen background "$BLUE" 90 "$saver_start" 2000 >/dev/null
t=$(now_ms)
xdotool key x
ended=$(await_exit "$t" 1000)
[ "$ended" -ge 0 ] || fail "a key did not end a show without pictures within a second"
echo "without pictures the screen shows the background colour; a key ended it after $ended ms"

# --- 6: a 4000x3000 photo with ImageFit=1 is shown whole: its blue frame
#        (40 pixels, about 10 on screen) lines the fitted rectangle's edges.
/usr/bin/convert -size 4000x3000 xc:blue -fill red -draw 'rectangle 40,40 3959,2959' -quality 95 "$work/big.jpg"
write_settings '[Set]' 'ImageInterval=30' 'EffectSpeed=1' 'RandomImage=0' 'StetchImage=0' 'ImageFit=1' \
  'BackgroundColor=65280' 'PlayMusic=0' '[Pictures]' "$(win_path big.jpg)=1" $(transitions_only 5)
if (( 4000 * H > 3000 * W )); then fw=$W; fh=$((3000 * W / 4000)); else fw=$((4000 * H / 3000)); fh=$H; fi
fx=$(((W - fw) / 2)); fy=$(((H - fh) / 2))
start_show
await_screen whole-picture "$RED" 60 "$saver_start" 4000 >/dev/null
sleep 1  # the wipe's last frames
screenshot "$shot"; keep_shot "$shot" show-fit.png
for edge in "4x$((fh - 40))+$fx+$((fy + 20))" "4x$((fh - 40))+$((fx + fw - 4))+$((fy + 20))" \
            "$((fw - 40))x4+$((fx + 20))+$fy" "$((fw - 40))x4+$((fx + 20))+$((fy + fh - 4))"; do
  read -r ew eh <<<"$(tr 'x+' '  ' <<<"$edge" | awk '{ print $1, $2 }')"
  blue=$(count_pixels "$shot" "$edge" "$BLUE")
  [ "$blue" -ge $((ew * eh * 95 / 100)) ] ||
    fail "ImageFit=1: the picture's frame is not at the edge $edge ($blue of $((ew * eh)) pixels blue)"
done
[ "$(share "$shot" "$RED" "$((fw / 2))x$((fh / 2))+$((fx + fw / 4))+$((fy + fh / 4))")" -ge 95 ] ||
  fail "ImageFit=1: the picture's middle is not red"
end_show
echo "ImageFit=1: a 4000x3000 photo shows whole in ${fw}x${fh} at $fx,$fy on the ${W}x${H} screen"

# --- 7: the window in front before the show is in front again after it.
out=$(wine "$saver_host" "$work/Mountains.scr" --foreground | tr -d '\r') || fail "the desktop host failed"
grep -qx 'show_found 1' <<<"$out" || fail "the show did not open over the desktop host's windows: $out"
grep -qx 'saver_ended 1' <<<"$out" || fail "a key did not end the show over the desktop host's windows"
grep -qx 'foreground A' <<<"$out" ||
  fail "the window in front before the show did not get the front back ($(grep foreground <<<"$out"))"
echo "the window in front before the show is in front again after it"

# --- 7: a HEIC portrait as a phone stores it (on its side, in a grid of
#        tiles, with the rotation property that stands it up): the top half
#        red and the bottom half blue on screen. Stored turned a quarter
#        anticlockwise, its left half is the upright top.
/usr/bin/convert -size 320x240 xc:blue -fill red -draw 'rectangle 0,0 159,239' -quality 95 "$work/side.jpg"
"$make_heif" "$work/side.jpg" "$work/portrait.heic" 6 2 2 || fail "could not make the HEIC portrait"
write_settings '[Set]' 'ImageInterval=30' 'EffectSpeed=1' 'StetchImage=0' 'PlayMusic=0' 'BackgroundColor=0' \
  '[Caption]' 'Position=0' '[Pictures]' "$(win_path portrait.heic)=1" $(transitions_only 5)
start_show
# At its natural size in the middle: 240 wide, 320 high.
await_screen heic-portrait "$RED" 3 "$saver_start" 4000 >/dev/null
sleep 0.5
shot="$work/heic.png"; screenshot "$shot"; keep_shot "$shot" show-heic-portrait.png
top_red=$(share "$shot" "$RED" "200x140+$((W / 2 - 100))+$((H / 2 - 150))")
bottom_blue=$(share "$shot" "$BLUE" "200x140+$((W / 2 - 100))+$((H / 2 + 10))")
[ "$top_red" -ge 90 ] && [ "$bottom_blue" -ge 90 ] ||
  fail "the HEIC portrait is not upright: its top is ${top_red}% red, its bottom ${bottom_blue}% blue ($(colours "$shot"))"
# Where a picture left lying on its side would reach: the background.
side_black=$(share "$shot" "$BLACK" "30x200+$((W / 2 - 155))+$((H / 2 - 100))")
[ "$side_black" -ge 90 ] || fail "the HEIC portrait is not 240 wide: beside it only ${side_black}% is background"
end_show
echo "a HEIC portrait (a grid of tiles with a rotation) stands upright: top ${top_red}% red, bottom ${bottom_blue}% blue"

# --- 8: the place is kept per user between runs: a second start goes on
#        with the next picture (list order: a red, then b blue).
settings 'PlayMusic=0' 'MouseMove=1' 'MousePress=1' 'KeyboardPress=1' -- 0
start_show
await_screen place-first "$RED" 80 "$saver_start" 2000 >/dev/null
end_show
[ -s "$(show_place)" ] || fail "the show kept no place beside the user's settings ($(show_place))"
keep_place=1 start_show
await_screen place-next "$BLUE" 80 "$saver_start" 2000 >/dev/null
end_show
echo "the show's place is kept: the next start went on with the next picture"

# --- 9: PanZoom=2 moves a fitted picture while it stands: two screenshots
#        a second apart differ, and neither uncovers the background (magenta,
#        in no pixel of the picture, which has the screen's shape). White
#        grid lines over the colours make a slow move visible.
grid=()
for ((x = 24; x < W; x += 48)); do grid+=(-draw "line $x,0 $x,$H"); done
for ((y = 24; y < H; y += 48)); do grid+=(-draw "line 0,$y $W,$y"); done
/usr/bin/convert -size "${W}x${H}" xc: -sparse-color bilinear \
  "0,0 red $((W - 1)),0 yellow 0,$((H - 1)) blue $((W - 1)),$((H - 1)) lime" \
  -stroke white -strokewidth 3 "${grid[@]}" "BMP3:$work/corners.bmp"
write_settings '[Set]' 'ImageInterval=30' 'EffectSpeed=1' 'ImageFit=1' 'StetchImage=0' 'PlayMusic=0' \
  'BackgroundColor=16711935' 'PanZoom=2' 'ClearOldImage=0' '[Caption]' 'Position=0' \
  '[Pictures]' "$(win_path corners.bmp)=1" $(transitions_only 5)
start_show
MAGENTA='r > 200 && g < 60 && b > 200'
await_screen motion-picture "!($MAGENTA) && r + g + b > 200" 100 "$saver_start" 6000 >/dev/null
sleep 0.5
one="$work/motion1.png"; two="$work/motion2.png"
screenshot "$one"; sleep 1; screenshot "$two"; keep_shot "$two" show-motion.png
moved=$(/usr/bin/compare -metric AE -fuzz 2% "$one" "$two" null: 2>&1 | cut -d' ' -f1) || true
uncovered=$(( $(count_pixels "$one" "${W}x${H}+0+0" "$MAGENTA") + $(count_pixels "$two" "${W}x${H}+0+0" "$MAGENTA") ))
end_show
[ "${moved%.*}" -ge $((W * H / 20)) ] || fail "PanZoom=2: the picture did not move in a second (${moved} pixels changed)"
[ "$uncovered" -eq 0 ] || fail "PanZoom=2: the moving picture uncovered $uncovered pixels of background"
echo "PanZoom=2 moves the picture (${moved} pixels changed in a second) and never uncovers the background"
echo "show: ok"

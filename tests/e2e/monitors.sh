#!/usr/bin/env bash
# The full-screen show on three monitors of different sizes, one of them
# left of and above the primary (negative coordinates under Windows), on
# Xorg's dummy driver (Xvfb has one monitor only). For each MultiScreen
# choice a screenshot of the X root, painted magenta where nothing covers it,
# shows each monitor covered, a picture in its middle, and the relation:
# 0 each its own, 1 the same on all, 2 one picture across all, 3 the primary
# alone with the others in the background colour.
# Needs root (Xorg on a display of its own). monitors.sh VantaSaver.scr vanta-dialog-driver.exe
export WINEPREFIX="${WINEPREFIX:-$(cd "$(dirname "$0")/../.." && pwd)/build/wineprefix-monitors}"
unset DISPLAY  # the prefix is made on a private Xvfb; the show runs on our Xorg
source "$(dirname "$0")/lib.sh"
source "$E2E_DIR/showlib.sh"
exe="$1"
driver="$2"
[ "$(id -u)" -eq 0 ] || fail "Xorg with the dummy driver needs root"
command -v Xorg >/dev/null && command -v xrandr >/dev/null || fail "Xorg or xrandr missing: run scripts/bootstrap.sh"
work="$(mktemp -d)"
xorg=
cleanup() {
  stop_saver
  wineserver -k 2>/dev/null || true
  [ -n "$xorg" ] && kill "$xorg" 2>/dev/null && wait "$xorg" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM  # the X server goes with the test however it ends

cat >"$work/xorg.conf" <<'CONF'
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 512000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 2304
  EndSubSection
EndSection
CONF
n=80
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xorg ":$n" -config "$work/xorg.conf" -noreset -nolisten tcp -novtswitch -sharevts -logfile "$work/xorg.log" \
  >/dev/null 2>&1 &
xorg=$!
export DISPLAY=":$n"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || fail "Xorg with the dummy driver did not start: $(tail -n 5 "$work/xorg.log")"

# X root coordinates: the left monitor at 0,0, the primary right of it and
# lower, a small one right of that; gaps above and below the smaller ones.
xrandr --addmode DUMMY1 1280x1024
xrandr --addmode DUMMY2 800x600
xrandr --output DUMMY0 --mode 1920x1080 --pos 1280x200 --primary \
  --output DUMMY1 --mode 1280x1024 --pos 0x0 --output DUMMY2 --mode 800x600 --pos 3200x500
# A full query: Wine asks for the server's current resources only, which
# a fresh server refreshes on such a query.
xrandr >/dev/null
xsetroot -solid '#FF00FF'
LEFT=1280x1024+0+0
PRIMARY=1920x1080+1280+200
RIGHT=800x600+3200+500
# Wine reads the monitors when its desktop process starts: a fresh server,
# and Wine up (the monitors in its registry) before the show asks for them.
wineserver -k 2>/dev/null || true
wine "$driver" "Screen Show" gone >/dev/null 2>&1 || true
sleep 2  # a process started while the desktop process fills in the monitors may see only some

MAGENTA='r > 200 && g < 60 && b > 200'
YELLOW='r > 200 && g > 200 && b < 60'
LIME='r < 60 && g > 200 && b < 60'
GREY='r > 50 && r < 80 && g > 50 && g < 80 && b > 50 && b < 80'  # the background, 0x404040
make_picture red.bmp red
make_picture blue.bmp blue
make_picture lime.bmp lime
make_picture yellow.bmp yellow
# Four upright bands: spread over all monitors, each monitor's middle falls in another.
/usr/bin/convert -size 16x48 xc:red xc:blue xc:lime xc:yellow +append "BMP3:$work/bands.bmp"

# The middle tenth of a monitor's area (WxH+X+Y).
middle() {
  local w h x y
  IFS='x+' read -r w h x y <<<"$1"
  echo "$((w / 10))x$((h / 10))+$((x + w * 9 / 20))+$((y + h * 9 / 20))"
}
# The colour most of an area shows: red, blue, lime, yellow, grey, magenta or mixed.
colour_of() {
  local shot="$1" area="$2" name test
  for name in RED BLUE LIME YELLOW GREY MAGENTA; do
    test="${!name}"
    if [ "$(share "$shot" "$test" "$area")" -ge 95 ]; then echo "${name,,}"; return; fi
  done
  echo mixed
}
# Settings for a choice, with the pictures given.
settings() {
  local mode="$1"; shift
  local pictures=() p
  for p in "$@"; do pictures+=("$(win_path "$p")=1"); done
  write_settings '[Set]' "MultiScreen=$mode" 'ImageInterval=60' 'EffectSpeed=1' 'RandomImage=0' 'StetchImage=1' \
    'AllowReverseTransition=0' 'BackgroundColor=4210752' 'PlayMusic=0' \
    '[Caption]' 'Position=0' '[Pictures]' "${pictures[@]}" $(transitions_only 5)
}
# The relation of the monitors' middles the choice wants, as one word.
relation() {
  local mode="$1" l="$2" p="$3" r="$4"
  case "$mode" in
    0) [[ $l != "$p" && $p != "$r" && $l != "$r" && " red blue lime yellow " == *" $l "* &&
          " red blue lime yellow " == *" $p "* && " red blue lime yellow " == *" $r "* ]] ;;
    1) [[ $l == "$p" && $p == "$r" && " red blue lime yellow " == *" $l "* ]] ;;
    2) [[ $l == red && $p == lime && $r == yellow ]] ;;
    3) [[ $l == grey && $r == grey && " red blue lime yellow " == *" $p "* ]] ;;
  esac
}

make_instance "$exe"
shot="$work/shot.png"
for mode in 0 1 2 3; do
  if [ "$mode" = 2 ]; then settings "$mode" bands.bmp; else settings "$mode" red.bmp blue.bmp lime.bmp yellow.bmp; fi
  start_saver /s
  line=$(wine "$driver" "Screen Show" wait | tr -d '\r') || fail "MultiScreen=$mode: no \"Screen Show\" window"
  [ "$line" = "client -1280 -200 4000 1280" ] ||
    fail "MultiScreen=$mode: the show window is not over the virtual screen (-1280,-200 4000x1280): $line"
  start=$(now_ms)
  while :; do
    screenshot "$shot"
    l=$(colour_of "$shot" "$(middle $LEFT)"); p=$(colour_of "$shot" "$(middle $PRIMARY)")
    r=$(colour_of "$shot" "$(middle $RIGHT)")
    relation "$mode" "$l" "$p" "$r" && break
    if [ $(( $(now_ms) - start )) -gt 15000 ]; then
      keep_shot "$shot" "failed-monitors-$mode.png"
      fail "MultiScreen=$mode: the monitors' middles show left $l, primary $p, right $r"
    fi
    sleep 0.3
  done
  uncovered=$(share "$shot" "$MAGENTA")
  [ "$uncovered" -eq 0 ] || fail "MultiScreen=$mode: $uncovered% of the screen is not covered by the show"
  for area in $LEFT $PRIMARY $RIGHT; do
    [ "$(share "$shot" "$MAGENTA" "$area")" -eq 0 ] || fail "MultiScreen=$mode: the monitor $area is not covered"
  done
  # The gap below the left monitor is the show's: background, or part of the one spread picture.
  want=grey; [ "$mode" = 2 ] && want=red
  gap=$(colour_of "$shot" 960x256+0+1024)
  [ "$gap" = "$want" ] || fail "MultiScreen=$mode: the gap below the left monitor shows $gap, not $want"
  echo "MultiScreen=$mode: left $l, primary $p, right $r, all covered"
  keep_shot "$shot" "monitors-$mode.png"
  wine "$driver" "Screen Show" close >/dev/null 2>&1 || true
  [ "$(await_exit "$(now_ms)" 5000)" -ge 0 ] || { stop_saver; fail "MultiScreen=$mode: the show did not close"; }
done

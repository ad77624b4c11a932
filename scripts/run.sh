#!/usr/bin/env bash
# Starts the program under Wine. Without arguments: the builder ("Vanta
# Screensaver Builder", VantaSaver.scr /c, with VantaSaver.002 listing the
# sample pictures; its first start copies that file to the user's own
# folder in the prefix, where it works from then on). With arguments: a
# saver instance of its own ("Demo", with Demo.002) run with them, such as
# /s for the show.
#
# With a display the program simply runs there. Without one it runs on a
# private Xvfb: the builder is shown page by page and the About box, and a
# saver's Setting dialog, each saved as a screenshot under build/screenshots/
# (scripts/screenshots.sh, which also makes the help file's pictures); a
# show runs for a few seconds and leaves build/screenshot.png.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
bin="$VANTA_ROOT/build/windows/bin"
run="$VANTA_ROOT/build/run"
vanta_wine_prefix

mkdir -p "$run"
cp "$bin/t1.jpg" "$bin/t2.jpg" "$bin/t3.jpg" "$bin/t4.heic" "$bin/t5.avif" "$run/"
[ -f "$bin/mpegdll.dll" ] && cp "$bin/mpegdll.dll" "$run/"

if [ $# -eq 0 ]; then
  cp "$bin/VantaSaver.scr" "$run/VantaSaver.scr"
  working="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Vanta Screensaver Builder/VantaSaver.002"
  if [ ! -f "$run/VantaSaver.002" ]; then
    printf '[Set]\r\nImageInterval=3\r\nBackgroundColor=4210752\r\n[Caption]\r\nPosition=3\r\nAddtionalText=Vanta: \r\n[Pictures]\r\nt3.jpg=1\r\nt1.jpg=1\r\nt2.jpg=1\r\nt4.heic=1\r\nt5.avif=1\r\n' >"$run/VantaSaver.002"
  fi
  if [ -n "${DISPLAY:-}" ]; then
    cd "$run" && exec wine VantaSaver.scr /c
  fi
  shots="$VANTA_ROOT/build/screenshots"
  bash "$VANTA_ROOT/scripts/screenshots.sh" "$bin" "$shots" "$run"
  echo "The builder on a private screen; screenshots in $shots."
  echo "Its working file: $working (made from $run/VantaSaver.002 when missing)."
  exit 0
fi

cp "$bin/VantaSaver.scr" "$run/Demo.scr"
if [ ! -f "$run/Demo.002" ]; then
  printf '[Set]\r\nImageInterval=2\r\nEffectSpeed=2\r\nStetchImage=0\r\nRandomImage=0\r\n[Caption]\r\nPosition=3\r\nFontSize=14\r\nAddtionalText=Vanta: \r\n[Pictures]\r\nt3.jpg=1\r\nt1.jpg=1\r\nt2.jpg=1\r\nt4.heic=1\r\nt5.avif=1\r\n' >"$run/Demo.002"
fi

if [ -n "${DISPLAY:-}" ]; then
  cd "$run" && exec wine Demo.scr "$@"
fi

shot="$VANTA_ROOT/build/screenshot.png"
cd "$run"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  wine Demo.scr "${@:2}" & pid=$!
  for _ in $(seq 1 ${VANTA_RUN_SECONDS:-5}); do kill -0 $pid 2>/dev/null || break; sleep 1; done
  import -window root "$1" 2>/dev/null || true
  # End only the show started here: the prefix may run other programs.
  if kill -0 $pid 2>/dev/null; then
    kill $pid
    for _ in 1 2 3 4 5; do kill -0 $pid 2>/dev/null || break; sleep 1; done
    kill -9 $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true
  else
    wait $pid || exit $?
  fi
' _ "$shot" "$@"
echo "screenshot: $shot (edit $run/Demo.002 to change the show)"

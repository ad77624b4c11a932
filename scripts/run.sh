#!/usr/bin/env bash
# Starts the program under Wine. Without arguments: the builder ("Vanta
# Screensaver Builder", VantaSaver.scr /c, with VantaSaver.002 listing the
# sample pictures). With arguments: a saver instance of its own ("Demo",
# with Demo.002) run with them, such as /s for the show.
#
# With a display the program simply runs there. Without one it runs on a
# private Xvfb: the builder is shown page by page and the About box, each
# saved as a screenshot under build/screenshots/; a show runs for a few
# seconds and leaves build/screenshot.png.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
bin="$VANTA_ROOT/build/windows/bin"
run="$VANTA_ROOT/build/run"
vanta_wine_prefix

mkdir -p "$run"
cp "$bin/t1.jpg" "$bin/t2.jpg" "$bin/t3.jpg" "$run/"
[ -f "$bin/mpegdll.dll" ] && cp "$bin/mpegdll.dll" "$run/"

if [ $# -eq 0 ]; then
  cp "$bin/VantaSaver.scr" "$run/VantaSaver.scr"
  if [ ! -f "$run/VantaSaver.002" ]; then
    printf '[Set]\r\nImageInterval=3\r\nBackgroundColor=4210752\r\n[Caption]\r\nPosition=3\r\nAddtionalText=Vanta: \r\n[Pictures]\r\nt3.jpg=1\r\nt1.jpg=1\r\nt2.jpg=1\r\n' >"$run/VantaSaver.002"
  fi
  if [ -n "${DISPLAY:-}" ]; then
    cd "$run" && exec wine VantaSaver.scr /c
  fi
  shots="$VANTA_ROOT/build/screenshots"
  mkdir -p "$shots"
  rm -f "$shots"/*.png
  cd "$run"
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -euo pipefail
    driver="$1"; shots="$2"; title="Vanta Screensaver Builder"
    # Saves the part of the screen the window covers.
    shoot() {
      # The pointer aside, so that no hint shows; then time for the X server
      # to show what Wine drew.
      if command -v xdotool >/dev/null; then xdotool mousemove 0 0; fi
      sleep 0.4
      read -r _ x y w h <<<"$(wine "$driver" "$3" rect | tr -d "\r")"
      import -window root -crop "${w}x${h}+${x}+${y}" +repage "$shots/$1" 2>/dev/null
      echo "  $shots/$1 ($2)"
    }
    wine VantaSaver.scr /c & pid=$!
    wine "$driver" "$title" wait >/dev/null
    n=1
    for page in images music effects options build; do
      wine "$driver" "$title" "select:OutlookBar=$((n - 1))"
      shoot "$n-$page.png" "page $n" "$title"
      n=$((n + 1))
    done
    wine "$driver" "$title" menu:About1
    wine "$driver" About wait >/dev/null
    shoot "6-about.png" "About box" About
    wine "$driver" About click:IDOK
    wine "$driver" "$title" menu:UndoExit gone
    wait $pid
  ' _ "$bin/vanta-dialog-driver.exe" "$shots"
  echo "The builder on a private screen; screenshots in $shots (edit $run/VantaSaver.002 to change what it shows)."
  exit 0
fi

cp "$bin/VantaSaver.scr" "$run/Demo.scr"
if [ ! -f "$run/Demo.002" ]; then
  printf '[Set]\r\nImageInterval=2\r\nEffectSpeed=2\r\nStetchImage=0\r\nRandomImage=0\r\n[Caption]\r\nPosition=3\r\nFontSize=14\r\nAddtionalText=Vanta: \r\n[Pictures]\r\nt3.jpg=1\r\nt1.jpg=1\r\nt2.jpg=1\r\n' >"$run/Demo.002"
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
  if kill -0 $pid 2>/dev/null; then kill $pid; wineserver -k || true; else wait $pid || exit $?; fi
' _ "$shot" "$@"
echo "screenshot: $shot (edit $run/Demo.002 to change the show)"

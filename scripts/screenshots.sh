#!/usr/bin/env bash
# Screenshots of the program as a user first meets it, on a private Xvfb:
# the builder's five pages (1-images.png ... 5-build.png), its About box
# (6-about.png) and a built saver's "Setting" dialog (7-setting.png).
#   screenshots.sh BIN OUT [WORK]
# BIN holds the Windows build; the program runs from WORK (default: a
# temporary folder) with sample pictures and settings. `make run` shows
# these; the help file is made of them, so its pictures are the program's.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
bin="$(cd "$1" && pwd)" out="$2" work="${3:-}"
vanta_wine_prefix
temp=
if [ -z "$work" ]; then work="$(mktemp -d)"; temp="$work"; fi
# VANTA_SHOTS_FRESH=1: the builder as at its first start, from the sample
# working file; a working file the user has in the prefix is put back after.
user_dir="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Vanta Screensaver Builder"
kept=
if [ "${VANTA_SHOTS_FRESH:-0}" = 1 ] && [ -f "$user_dir/VantaSaver.002" ]; then
  kept="$(mktemp)"
  mv "$user_dir/VantaSaver.002" "$kept"
fi
finish() {
  if [ "${VANTA_SHOTS_FRESH:-0}" = 1 ]; then
    rm -f "$user_dir/VantaSaver.002"
    if [ -n "$kept" ]; then mv "$kept" "$user_dir/VantaSaver.002"; fi
  fi
  if [ -n "$temp" ]; then rm -rf "$temp"; fi
}
trap finish EXIT
mkdir -p "$work" "$out"
rm -f "$out"/[0-9]-*.png
cp "$bin/VantaSaver.scr" "$bin/t1.jpg" "$bin/t2.jpg" "$bin/t3.jpg" "$work/"
cp "$bin/VantaSaver.scr" "$work/Sunset.scr"
if [ ! -f "$work/VantaSaver.002" ]; then
  printf '[Set]\r\nImageInterval=3\r\nBackgroundColor=4210752\r\n[Caption]\r\nPosition=3\r\nAddtionalText=Vanta: \r\n[Pictures]\r\nt3.jpg=1\r\nt1.jpg=1\r\nt2.jpg=1\r\n' >"$work/VantaSaver.002"
fi
printf '[Set]\r\nImageInterval=5\r\nAuthor=Ann Example\r\nWebsite=http://www.example.com/\r\n[Caption]\r\nPosition=3\r\n[Pictures]\r\nt1.jpg=1\r\nt2.jpg=1\r\n' >"$work/Sunset.002"

cd "$work"
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
  wine Sunset.scr /c & pid=$!
  wine "$driver" Setting wait >/dev/null
  shoot "7-setting.png" "a saver'"'"'s Setting dialog" Setting
  wine "$driver" Setting click:Button1 gone
  wait $pid
' _ "$bin/vanta-dialog-driver.exe" "$(cd "$out" && pwd)"

#!/usr/bin/env bash
# Starts the saver under Wine as a saver instance of its own ("Demo", with
# Demo.002 listing the sample pictures) with the given arguments, /s by
# default. Without a display it runs on a private Xvfb for a few seconds
# and leaves a screenshot in build/screenshot.png.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
bin="$VANTA_ROOT/build/windows/bin"
run="$VANTA_ROOT/build/run"
vanta_wine_prefix

mkdir -p "$run"
cp "$bin/VantaSaver.scr" "$run/Demo.scr"
cp "$bin/t1.jpg" "$bin/t2.jpg" "$run/"
[ -f "$bin/mpegdll.dll" ] && cp "$bin/mpegdll.dll" "$run/"
if [ ! -f "$run/Demo.002" ]; then
  printf '[Set]\r\nImageInterval=2\r\nEffectSpeed=2\r\nStetchImage=0\r\nRandomImage=0\r\n[Caption]\r\nPosition=3\r\nFontSize=14\r\nAddtionalText=Vanta: \r\n[Pictures]\r\nt1.jpg=1\r\nt2.jpg=1\r\n' >"$run/Demo.002"
fi
[ $# -gt 0 ] || set -- /s

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

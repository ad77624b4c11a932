#!/usr/bin/env bash
# Starts VantaSaver.scr under Wine with the given arguments. Without a
# display it runs on a private Xvfb and leaves a screenshot in
# build/screenshot.png.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
exe="$VANTA_ROOT/build/windows/bin/VantaSaver.scr"
vanta_wine_prefix

if [ -n "${DISPLAY:-}" ]; then
  exec wine "$exe" "$@"
fi

shot="$VANTA_ROOT/build/screenshot.png"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  wine "$0" "${@:2}" & pid=$!
  for _ in $(seq 1 ${VANTA_RUN_SECONDS:-6}); do kill -0 $pid 2>/dev/null || break; sleep 1; done
  import -window root "$1" 2>/dev/null || true
  if kill -0 $pid 2>/dev/null; then kill $pid; wineserver -k || true; else wait $pid || exit $?; fi
' "$exe" "$shot" "$@"
echo "screenshot: $shot"

#!/usr/bin/env bash
# The whole show under Wine on a 1920x1080 screen (a private Xvfb) with
# PanZoom=2: the saver's own rates from its diagnostics log (frames
# presented a second, CPU a second of show), after SECONDS of show.
#
#   bench/motion-show-rates.sh [SECONDS]     (after make windows)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-35}"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" bash "$0" "$@"
fi
source "$root/tests/e2e/lib.sh"
source "$E2E_DIR/showlib.sh"
work="$(mktemp -d)"
trap 'stop_saver; rm -rf "$work"' EXIT
make_instance "$root/build/windows/bin/VantaSaver.scr"
/usr/bin/convert -size 1920x1080 xc: -sparse-color bilinear \
  "0,0 red 1919,0 yellow 0,1079 blue 1919,1079 lime" "BMP3:$work/a.bmp"
/usr/bin/convert -size 1920x1080 plasma:fractal "BMP3:$work/b.bmp"
write_settings '[Set]' 'ImageInterval=8' 'EffectSpeed=3' 'ImageFit=1' 'StetchImage=0' 'PlayMusic=0' \
  'PanZoom=2' '[Caption]' 'Position=3' '[Pictures]' "$(win_path a.bmp)=1" "$(win_path b.bmp)=1"
log="$(dirname "$(user_settings Mountains)")/Mountains.log"
rm -f "$log"
start_saver /s
sleep "$seconds"
stop_saver
cat "$log"

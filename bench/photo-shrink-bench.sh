#!/usr/bin/env bash
# "Make photos smaller for sharing" against the command-line way: COUNT
# 12-megapixel JPEGs made smaller for 3840 x 2160 by vanta-shrink-bench
# (two threads), and by `djpeg -scale 1/2 | cjpeg -quality 90` for each
# photo, two at a time. Prints the seconds of each, their ratio and the
# photos' bytes before and after.
#
#   bench/photo-shrink-bench.sh [COUNT]     (after make native; works in build/bench-shrink)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
count="${1:-300}"
bin="$root/build/native/bin"
work="$root/build/bench-shrink"
for tool in djpeg cjpeg; do
  command -v "$tool" >/dev/null || { echo "$tool missing (make bootstrap installs libjpeg-turbo-progs)" >&2; exit 1; }
done
mkdir -p "$work"
"$bin/vanta-shrink-bench" "$work" "$count" >/dev/null  # the photos, and a warm cache
read -r ours before after shrunk < <("$bin/vanta-shrink-bench" "$work" "$count")
rm -rf "$work/theirs" && mkdir -p "$work/theirs"
start=$(date +%s%N)
ls "$work"/photos/*.jpg | head -n "$count" |
  xargs -P 2 -I{} sh -c 'djpeg -scale 1/2 "$1" | cjpeg -quality 90 >"$2/$(basename "$1")"' _ {} "$work/theirs"
theirs=$(bc -l <<<"($(date +%s%N) - $start) / 1000000000")
printf '| photos | vanta (s) | djpeg/cjpeg (s) | ratio | before (MB) | after (MB) | made smaller |\n|---|---|---|---|---|---|---|\n'
printf '| %d | %.2f | %.2f | %.2f | %.1f | %.1f | %d |\n' "$count" "$ours" "$theirs" "$(bc -l <<<"$ours / $theirs")" \
  "$(bc -l <<<"$before / 1048576")" "$(bc -l <<<"$after / 1048576")" "$shrunk"

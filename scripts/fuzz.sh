#!/usr/bin/env bash
# Runs fuzz targets: fuzz.sh SECONDS [TARGET [FUZZ_BUILD_DIR]]
# New inputs go to a corpus under the build folder; the committed seeds in
# tests/fuzz/corpus/ are only read.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="$1"
targets="${2:-ini gif bmp ico jpeg png webp heif exif loadpicture script payload uninstalllog}"
dir="${3:-$root/build/native/fuzz}"
export LSAN_OPTIONS="suppressions=$root/tests/fuzz/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
for t in $targets; do
  work="$dir/corpus-$t"
  mkdir -p "$work" "$dir/artifacts"
  "$dir/${t}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
    -artifact_prefix="$dir/artifacts/$t-" "$work" "$root/tests/fuzz/corpus/$t" 2>&1 | tail -n 3
  test "${PIPESTATUS[0]}" -eq 0
done

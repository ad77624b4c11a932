#!/usr/bin/env bash
# Whole-process picture loads: vanta-render --picture against the usual
# command-line decoders on the same files (pngtopnm for PNG, dwebp for
# WebP, both writing a PPM as vanta-render writes a BMP of the same size),
# and a 24-megapixel JPEG tagged with orientation 6 against the same file
# without the tag. Each pair runs in turn, RUNS times; the table gives the
# median times and their ratio.
#
#   bench/picture-load-bench.sh [RUNS]     (after make native; writes build/bench-pictures.md)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-5}"
bin="$root/build/native/bin"
work="$root/build/bench-pictures"
mkdir -p "$work"
for tool in pngtopnm dwebp; do
  command -v "$tool" >/dev/null || { echo "$tool missing (make bootstrap installs netpbm and webp)" >&2; exit 1; }
done
[ -f "$work/photo-24mp-o6.jpg" ] || "$bin/vanta-make-bench-photos" "$work"

now() { date +%s%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# pair NAME "OURS" "THEIRS": median milliseconds of each and the ratio.
pair() {
  local name="$1" ours="$2" theirs="$3" a b t
  : >"$work/a.txt"
  : >"$work/b.txt"
  for _ in $(seq 1 "$runs"); do
    t=$(now); bash -c "$ours" >/dev/null; echo $(( ($(now) - t) / 1000 )) >>"$work/a.txt"
    t=$(now); bash -c "$theirs" >/dev/null; echo $(( ($(now) - t) / 1000 )) >>"$work/b.txt"
  done
  a=$(median <"$work/a.txt")
  b=$(median <"$work/b.txt")
  printf '| %s | %.1f | %.1f | %.2f |\n' "$name" "$(bc -l <<<"$a / 1000")" "$(bc -l <<<"$b / 1000")" "$(bc -l <<<"$a / $b")"
}

render="$bin/vanta-render --picture"
{
  echo "| load | vanta-render (ms) | against (ms) | ratio |"
  echo "|---|---|---|---|"
  for f in photo-1080p photo-24mp; do
    pair "$f.png vs pngtopnm" "$render $work/$f.png --out $work/out.bmp" "pngtopnm $work/$f.png >$work/out.ppm"
    pair "$f.webp vs dwebp" "$render $work/$f.webp --out $work/out.bmp" "dwebp -quiet -ppm $work/$f.webp -o $work/out.ppm"
  done
  pair "photo-1080p-lossless.webp vs dwebp" "$render $work/photo-1080p-lossless.webp --out $work/out.bmp" \
    "dwebp -quiet -ppm $work/photo-1080p-lossless.webp -o $work/out.ppm"
  pair "24 MP JPEG orientation 6 vs untagged" "$render $work/photo-24mp-o6.jpg --out $work/out.bmp" \
    "$render $work/photo-24mp.jpg --out $work/out.bmp"
  # A square box, so that the upright landscape and the untagged portrait
  # shrink to the same number of pixels (1600x1066 and 1066x1600).
  pair "24 MP JPEG orientation 6 vs untagged, 1600x1600 box" \
    "$render $work/photo-24mp-o6.jpg --out $work/out.bmp --box 1600 1600" \
    "$render $work/photo-24mp.jpg --out $work/out.bmp --box 1600 1600"
} | tee "$root/build/bench-pictures.md"

#!/usr/bin/env bash
# Whole-process picture loads: vanta-render --picture against the usual
# command-line decoders on the same files (pngtopnm for PNG, dwebp for
# WebP, both writing a PPM as vanta-render writes a BMP of the same size),
# and a 24-megapixel JPEG tagged with orientation 6 against the same file
# without the tag; a 12-megapixel HEIC (a phone's grid of tiles) and AVIF
# fitted to 1080p against heif-convert writing the whole picture as PNG (and
# as a JPEG of quality 50, whose quick encoding leaves mostly its decode),
# and against a JPEG of the same pixels fitted the same way. Each pair runs
# in turn, RUNS times; the table gives the median times and their ratio.
#
#   bench/picture-load-bench.sh [RUNS]     (after make native; writes build/bench-pictures.md)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-5}"
bin="$root/build/native/bin"
work="$root/build/bench-pictures"
mkdir -p "$work"
for tool in pngtopnm dwebp heif-convert; do
  command -v "$tool" >/dev/null || { echo "$tool missing (make bootstrap installs netpbm, webp and libheif-examples)" >&2; exit 1; }
done
[ -f "$work/photo-24mp-o6.jpg" ] && [ -f "$work/photo-12mp.avif" ] || "$bin/vanta-make-bench-photos" "$work"

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
  for f in photo-12mp.heic photo-12mp.avif; do
    pair "$f fitted to 1080p vs heif-convert to PNG" "$render $work/$f --out $work/out.bmp --box 1920 1080" \
      "heif-convert $work/$f $work/out.png"
    pair "$f fitted to 1080p vs heif-convert to JPEG" "$render $work/$f --out $work/out.bmp --box 1920 1080" \
      "heif-convert -q 50 $work/$f $work/out.jpg"
    pair "$f vs photo-12mp.jpg, both fitted to 1080p" "$render $work/$f --out $work/out.bmp --box 1920 1080" \
      "$render $work/photo-12mp.jpg --out $work/out.bmp --box 1920 1080"
  done
} | tee "$root/build/bench-pictures.md"

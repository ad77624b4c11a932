#!/usr/bin/env bash
# The installer compiler against a plain copy of the same files, on
# payloads made here (seeded, so every run packs the same bytes):
#  (a) 300 MB of JPEGs and MP3s: the compile against `cp -r`, the setup's
#      size against the files'; and the setup installing them with
#      /VERYSILENT under Wine against a plain copy under Wine
#      (vanta-copy.exe, beside the stub; Wine's xcopy is shown too).
#  (b) 100 MB of BMP, WAV and MIDI (they pack): the compile against
#      `cp -r` and the setup's size against the files'.
# installer-bench.sh VANTABUILD SETUP-PROGRAM > table.md
# The payloads are kept in build/bench-payloads (VANTA_BENCH_PAYLOADS) and
# made again when their recipe changes. Times are wall seconds, the median
# of RUNS runs (5; xcopy COPY_RUNS, 3); a ratio is the median
# of the ratios of runs made in turn, so that a machine whose speed drifts
# still compares fairly.
set -euo pipefail
# The setup under Wine wants a display, even when it shows nothing.
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
vb=$(realpath "$1")
stub=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
runs=${RUNS:-5}
xcopy_runs=${COPY_RUNS:-3}
payloads=${VANTA_BENCH_PAYLOADS:-$root/build/bench-payloads}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log() { echo "$*" >&2; }
[ -f "$stub" ] || { echo "the setup program $stub is missing: make windows" >&2; exit 1; }

# ---------------------------------------------------------------- payloads
# Photos: a fractal landscape with grain, as a camera gives, at JPEG
# quality 95. Music: chords sweeping through the octave over pink noise,
# with tremolo and reverb, 320 kbit/s MP3 or 16-bit WAV. MIDI: a Standard
# MIDI File of random melodies in four tracks.
photo() {  # SEED OUT SIZE
  /usr/bin/convert -seed "$1" -size "$3" plasma:fractal -attenuate 0.3 +noise Gaussian -quality 95 "$2"
}
song() {  # SEED OUT.wav SECONDS
  local r=$((220 + $1 % 7 * 20))
  sox -R -n -r 44100 -b 16 -c 2 "$2" synth "$3" sine "$r/$((r * 3 / 2))" triangle "$((r * 5 / 4))/$((r * 15 / 8))" \
    sine "$((r / 2))/$((r * 3 / 4))" pinknoise remix 1v0.3,2v0.2,4v0.02 1v0.2,3v0.3,4v0.02 tremolo $((3 + $1 % 4)) 40 \
    reverb 40
}
midi() {  # SEED OUT
  python3 - "$1" "$2" <<'PY'
import random, struct, sys
r = random.Random(int(sys.argv[1]))
def vlq(n):
    out = [n & 0x7F]
    while n > 0x7F:
        n >>= 7
        out.insert(0, (n & 0x7F) | 0x80)
    return bytes(out)
def track(channel):
    ev = bytearray()
    if channel == 0:
        ev += vlq(0) + b"\xff\x51\x03" + (500000).to_bytes(3, "big")  # 120 beats a minute
    ev += vlq(0) + bytes([0xC0 | channel, r.randrange(128)])          # an instrument
    for _ in range(r.randrange(1500, 3000)):
        note, length = r.randrange(36, 96), r.choice((120, 240, 480, 960))
        ev += vlq(r.choice((0, 0, 120))) + bytes([0x90 | channel, note, r.randrange(40, 127)])
        ev += vlq(length) + bytes([0x80 | channel, note, 64])
    ev += vlq(0) + b"\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(ev)) + ev
data = b"MThd" + struct.pack(">IHHH", 6, 1, 4, 480) + b"".join(track(c) for c in range(4))
open(sys.argv[2], "wb").write(data)
PY
}
generate() {  # FOLDER
  # (a) 30 photos of 3000x2000 (5.1 MB each) and 25 songs of 150 s (6 MB
  # each at 320 kbit/s): about 300 MB.
  mkdir -p "$1/a" "$1/b" "$1/wav"
  seq 1 30 | xargs -P 2 -I{} bash -c 'photo {} "$0/a/photo{}.jpg" 3000x2000' "$1"
  seq 1 25 | xargs -P 2 -I{} bash -c 'song {} "$0/wav/song{}.wav" 150 && lame --quiet -b 320 "$0/wav/song{}.wav" "$0/a/song{}.mp3" && rm "$0/wav/song{}.wav"' "$1"
  # (b) 10 pictures of 1600x1200 as 24-bit BMP (5.8 MB each), 4 songs of
  # 60 s as WAV (10.6 MB each), 12 MIDI files: about 100 MB.
  seq 101 110 | xargs -P 2 -I{} bash -c 'photo {} "BMP3:$0/b/picture{}.bmp" 1600x1200' "$1"
  seq 101 104 | xargs -P 2 -I{} bash -c 'song {} "$0/b/song{}.wav" 60' "$1"
  for i in $(seq 201 212); do midi "$i" "$1/b/tune$i.mid"; done
  rmdir "$1/wav"
}
export -f photo song midi

# Made again only when the recipe above changes.
make_payloads() {
  local stamp="$payloads/recipe" want
  want=$(declare -f photo song midi generate | sha256sum | cut -c1-16)
  [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ] && return 0
  log "making the payloads in $payloads (once)"
  rm -rf "$payloads"
  generate "$payloads"
  echo "$want" >"$stamp"
}
make_payloads

bytes_of() { find "$@" -type f -printf '%s\n' | awk '{ n += $1 } END { print n }'; }
count_of() { find "$@" -type f | wc -l; }

# A script of the builder's kind for one payload folder: every file to
# {app}\sample. Payload folders are C:\, the output D:\.
script() {  # NAME FOLDER
  printf '[Setup]\r\nAppName=Bench %s\r\nAppVerName=Bench %s\r\nDefaultDirName={pf}\\Bench %s\r\noutputdir="D:\\"\r\nOutputBaseFilename="bench-%s"\r\n[Files]\r\n' "$1" "$1" "$1" "$1"
  for f in "$payloads/$2"/*; do printf 'Source:"C:\\%s\\%s"; DestDir: "{app}\\sample"\r\n' "$2" "$(basename "$f")"; done
}
script a a >"$work/a.iss"
script b b >"$work/b.iss"
mkdir -p "$work/out"
compile() { "$vb" --map "C:=$payloads" --map "D:=$work/out" --stub "$stub" "$work/$1.iss" >/dev/null; }

# ------------------------------------------------------------------ timing
source "$here/timing.sh"

# Each command writes anew, its earlier output gone and the disk quiet.
fresh_cp() { rm -rf "$work/cp"; sync; }
fresh_vb() { rm -f "$work"/out/bench-*.exe; sync; }
cp_a() { cp -r "$payloads/a" "$work/cp"; }
cp_b() { cp -r "$payloads/b" "$work/cp"; }
compile_a() { compile a; }
compile_b() { compile b; }

mb() { printf '%.1f MB' "$(echo "$1 / 1000000" | bc -l)"; }

inputA=$(bytes_of "$payloads/a") inputB=$(bytes_of "$payloads/b")
stubBytes=$(stat -c %s "$stub")

echo "# Installer benchmark"
echo
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); load average at the start $(cut -d' ' -f1 /proc/loadavg)."
echo "Setup program (vantasetup.exe, in every setup): $stubBytes bytes."
echo "Times: wall seconds, median of $runs runs (xcopy: $xcopy_runs); ratios: median of the runs' own ratios, the two taken in turn."
echo

# ------------------------------------------------------------------ (a)
log "(a) compile against cp"
pair "$runs" fresh_cp cp_a fresh_vb compile_a
tcpA=$tb tvbA=$ta rA=$ratio
setupA=$(stat -c %s "$work/out/bench-a.exe")
compile a
cp "$work/out/bench-a.exe" "$work/setup-a.exe"  # for (c)

echo "## (a) $(count_of "$payloads/a") JPEGs and MP3s, $(mb "$inputA") ($inputA bytes)"
echo
echo "| figure | value | target | result |"
echo "|---|---|---|---|"
echo "| cp -r | $(f2 "$tcpA") s | | |"
echo "| vantabuild | $(f2 "$tvbA") s | | |"
echo "| vantabuild / cp -r | $(f2 "$rA") | at most 1.5 | $(verdict "$rA <= 1.5") |"
echo "| setup | $setupA bytes ($(printf '%+.2f' "$(echo "100 * ($setupA - $inputA) / $inputA" | bc -l)") % of the files) | files + 1 % at most | $(verdict "$setupA <= $inputA * 1.01") |"
echo

# ------------------------------------------------------------------ (b)
log "(b) compile against cp"
pair "$runs" fresh_cp cp_b fresh_vb compile_b
tcpB=$tb tvbB=$ta rB=$ratio
setupB=$(stat -c %s "$work/out/bench-b.exe")

echo "## (b) $(count_of "$payloads/b") BMPs, WAVs and MIDI files, $(mb "$inputB") ($inputB bytes)"
echo
echo "| figure | value | target | result |"
echo "|---|---|---|---|"
echo "| cp -r | $(f2 "$tcpB") s | | |"
echo "| vantabuild | $(f2 "$tvbB") s | | |"
echo "| vantabuild / cp -r (packing pays here) | $(f2 "$rB") | | |"
echo "| setup | $setupB bytes ($(printf '%.1f' "$(echo "100 * $setupB / $inputB" | bc -l)") % of the files) | | |"
echo

# ------------------------------------------------------------------ (c)
# Both sides under Wine, from and to this computer's own folders (Z:).
source "$root/scripts/wine-env.sh"
copier="$(dirname "$stub")/vanta-copy.exe"
winpath() { echo "Z:${1//\//\\}"; }
setup_exe="$work/setup-a.exe"
wine_ready() {
  vanta_wine_prefix
  wineserver -p60 2>/dev/null || true  # one server for all the runs (or the one running already)
  wine cmd /c exit >/dev/null 2>&1 || true
}
fresh_dest() { rm -rf "$work/dest"; sync; }
install_a() { wine "$setup_exe" /VERYSILENT /SUPPRESSMSGBOXES /NORESTART "/DIR=$(winpath "$work/dest")"; }
copy_a() { wine "$copier" "$(winpath "$payloads/a")" "$(winpath "$work/dest")"; }
xcopy_a() { wine xcopy /E /I /Q /Y "$(winpath "$payloads/a")" "$(winpath "$work/dest")"; }

run_c() {
  log "(c) install under Wine against a copy under Wine"
  wine_ready
  fresh_dest
  install_a >/dev/null 2>&1
  diff -r -q "$payloads/a" "$work/dest/sample" >&2 || { log "the install did not give the files"; return 1; }
  pair "$runs" fresh_dest install_a fresh_dest copy_a
  tinst=$ta tcopy=$tb rC=$ratio
  pair "$xcopy_runs" fresh_dest install_a fresh_dest xcopy_a
  tinst2=$ta txcopy=$tb rX=$ratio
  wine reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Bench a_is1' /f >/dev/null 2>&1 || true
  rm -rf "$work/dest"
}

echo "## (c) installing (a) under Wine"
echo
if ! command -v wine >/dev/null || [ ! -f "$copier" ]; then
  echo "Not measured: Wine or vanta-copy.exe (make windows) is missing."
else
  run_c
  echo "| figure | value | target | result |"
  echo "|---|---|---|---|"
  echo "| setup /VERYSILENT | $(f2 "$tinst") s | | |"
  echo "| vanta-copy.exe (1 MB reads and writes) | $(f2 "$tcopy") s | | |"
  echo "| setup / vanta-copy | $(f2 "$rC") | at most 2 | $(verdict "$rC <= 2") |"
  echo "| xcopy /E (Wine's own; setup $(f2 "$tinst2") s in these runs) | $(f2 "$txcopy") s | | |"
  echo "| setup / xcopy | $(f2 "$rX") | (at most 2) | $(verdict "$rX <= 2") |"
fi

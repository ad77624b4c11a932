#!/usr/bin/env bash
# The compiler against a plain copy of the same files and against makensis
# (zlib, and solid LZMA): a saver's kind of files, pictures and music that
# do not shrink, a program and texts that do. Time (median of three) and
# size. installer-bench.sh VANTABUILD [STUB] > table.md
set -euo pipefail
vb="$1"
stub="${2:-}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data="$work/c"
mkdir -p "$data/Pics" "$data/Music" "$data/Prog" "$work/out"

# Seeded, so every run packs the same bytes.
python3 - "$data" "$vb" <<'PY'
import os, random, shutil, sys
data, program = sys.argv[1], sys.argv[2]
r = random.Random(2004)
for i in range(40):   # JPEG-like: no redundancy left
    open(f"{data}/Pics/photo{i:02}.jpg", "wb").write(r.randbytes(300_000))
for i in range(5):    # MP3-like
    open(f"{data}/Music/track{i}.mp3", "wb").write(r.randbytes(3_000_000))
shutil.copy(program, f"{data}/Prog/VantaSaver.scr")   # a real program
words = ["screen", "saver", "picture", "music", "effect", "folder", "setting", "the", "a", "of"]
open(f"{data}/Prog/readme.txt", "w").write(" ".join(r.choice(words) for _ in range(200_000)))
open(f"{data}/Prog/VantaSaver.001", "w").write("".join(f"Effect{i}={i}\r\n" for i in range(128)) * 20)
PY
if [ -z "$stub" ] || [ ! -f "$stub" ]; then
  head -c 1400000 /dev/zero >"$work/stub.exe"   # stands in for the setup program
  stub="$work/stub.exe"
fi

{
  printf '[Setup]\r\nAppName=Bench\r\nAppVerName=Bench\r\nDefaultDirName={pf}\\Bench\r\noutputdir="C:\\Out\\"\r\nOutputBaseFilename="bench"\r\n[Files]\r\n'
  for f in "$data"/Pics/* "$data"/Music/*; do printf 'Source:"C:\\%s\\%s"; DestDir: "{app}\\sample"\r\n' "$(basename "$(dirname "$f")")" "$(basename "$f")"; done
  printf 'Source:"C:\\Prog\\VantaSaver.scr"; DestDir: "{sys}\\"; DestName: "Bench.scr"\r\n'
  printf 'Source:"C:\\Prog\\VantaSaver.001"; DestDir: "{sys}\\"\r\n'
  printf 'Source:"C:\\Prog\\readme.txt"; DestDir: "{app}\\"; flags: isreadme\r\n'
} >"$data/bench.iss"

nsi() {  # $1: compressor line
  cat <<NSI
$1
OutFile "$work/out/nsis.exe"
InstallDir "\$PROGRAMFILES\\Bench"
RequestExecutionLevel admin
Section
SetOutPath "\$INSTDIR\\sample"
File "$data/Pics/*.jpg"
File "$data/Music/*.mp3"
SetOutPath "\$SYSDIR"
File /oname=Bench.scr "$data/Prog/VantaSaver.scr"
File "$data/Prog/VantaSaver.001"
SetOutPath "\$INSTDIR"
File "$data/Prog/readme.txt"
SectionEnd
NSI
}
nsi "SetCompressor zlib" >"$work/zlib.nsi"
nsi "SetCompressor /SOLID lzma" >"$work/lzma.nsi"

input=$(du -cb "$data"/Pics "$data"/Music "$data"/Prog | tail -n 1 | cut -f1)

# median SECONDS of three runs of "$@"
median() {
  local times=()
  for _ in 1 2 3; do
    rm -rf "$work/out" && mkdir -p "$work/out" "$data/Out"
    local t0 t1
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    t1=$(date +%s.%N)
    times+=("$(echo "$t1 - $t0" | bc)")
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 2p
}

row() {  # name seconds output-bytes
  printf '| %s | %.2f | %s | %.1f%% |\n' "$1" "$2" "$3" "$(echo "100 * $3 / $input" | bc -l)"
}

echo "Input: $input bytes in $(find "$data"/Pics "$data"/Music "$data"/Prog -type f | wc -l) files (median of three runs)."
echo
echo "| method | seconds | output bytes | of input |"
echo "|---|---|---|---|"
t=$(median cp -r "$data"/Pics "$data"/Music "$data"/Prog "$work/out/")
row "cp -r" "$t" "$(du -cb "$work"/out | tail -n 1 | cut -f1)"
for level in 3 9 19; do
  t=$(median "$vb" --map "C:=$data" --stub "$stub" --level "$level" "$data/bench.iss")
  row "vantabuild --level $level (with a $(stat -c %s "$stub")-byte setup program)" "$t" "$(stat -c %s "$data/Out/bench.exe")"
done
if command -v makensis >/dev/null; then
  for c in zlib lzma; do
    t=$(median makensis -V1 "$work/$c.nsi")
    row "makensis ($c$([ $c = lzma ] && echo ', solid'))" "$t" "$(stat -c %s "$work/out/nsis.exe")"
  done
else
  echo
  echo "makensis not found (Debian package nsis): no comparison."
fi

#!/usr/bin/env bash
# A photo library too large for one setup file: SIZE bytes of incompressible
# files of 8 MB (random bytes, as packed photos are), compiled with the
# default slice size into a setup and its parts.
#  - the compile against `cp -r` of the same files;
#  - the setup's files (the .exe and its parts) against the files' size;
#  - the setup installing them with /VERYSILENT under Wine against Wine's
#    own xcopy, both from and to this computer's folders (Z:);
#  - the setup's peak working set while it installs (VmHWM of its process).
# span-bench.sh VANTABUILD SETUP-PROGRAM [SIZE [SLICE]] > table.md
# SIZE defaults to 600 MB (make bench) in slices of 200 MB, so that the
# parts are there too; 6000000000 gives the 6 GB library, in the default
# slices of 2,000,000,000 bytes unless SLICE is given.
# The payload is kept in build/bench-payloads/span-SIZE (VANTA_BENCH_PAYLOADS)
# and removed with `rm -r` when done with it. Times are wall seconds, the
# median of RUNS runs (3); a ratio is the median of the runs' own ratios.
set -euo pipefail
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
vb=$(realpath "$1")
stub=$(realpath "$2")
size=${3:-600000000}
if [ -z "${3:-}" ]; then slice=200000000; else slice=${4:-}; fi
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
runs=${RUNS:-3}
payload=${VANTA_BENCH_PAYLOADS:-$root/build/bench-payloads}/span-$size
work=$(mktemp -d "${TMPDIR:-/tmp}/span-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
log() { echo "$*" >&2; }
[ -f "$stub" ] || { echo "the setup program $stub is missing: make windows" >&2; exit 1; }

# ---------------------------------------------------------------- payload
piece=8000000
count=$(((size + piece - 1) / piece))
if [ "$(find "$payload" -type f 2>/dev/null | wc -l)" != "$count" ]; then
  log "making $count files of $piece bytes in $payload (once)"
  rm -rf "$payload"
  mkdir -p "$payload"
  for ((i = 1; i <= count; i++)); do head -c "$piece" /dev/urandom >"$payload/photo$i.jpg"; done
fi
bytes=$(find "$payload" -type f -printf '%s\n' | awk '{ n += $1 } END { printf "%.0f\n", n }')

{
  printf '[Setup]\r\nAppName=Bench span\r\nAppVerName=Bench span\r\nDefaultDirName={pf}\\Bench span\r\noutputdir="D:\\"\r\nOutputBaseFilename="bench-span"\r\n'
  [ -n "$slice" ] && printf 'DiskSliceSize=%s\r\n' "$slice"
  printf '[Files]\r\n'
  for f in "$payload"/*; do printf 'Source:"C:\\%s"; DestDir: "{app}\\sample"\r\n' "$(basename "$f")"; done
} >"$work/span.iss"
mkdir -p "$work/out"

# ------------------------------------------------------------------ timing
source "$here/timing.sh"

fresh_cp() { rm -rf "$work/cp"; sync; }
fresh_vb() { rm -f "$work"/out/bench-span*; sync; }
cp_files() { cp -r "$payload" "$work/cp"; }
compile() { "$vb" --map "C:=$payload" --map "D:=$work/out" --stub "$stub" "$work/span.iss"; }

log "compile against cp -r"
pair "$runs" fresh_cp cp_files fresh_vb compile
tvb=$ta tcp=$tb rCompile=$ratio
rm -rf "$work/cp"
setupFiles=$(find "$work/out" -name 'bench-span*' -type f | wc -l)
setupBytes=$(find "$work/out" -name 'bench-span*' -type f -printf '%s\n' | awk '{ n += $1 } END { printf "%.0f\n", n }')
largest=$(find "$work/out" -name 'bench-span*' -type f -printf '%s\n' | sort -n | tail -1)

echo "## A library of $count incompressible files, $bytes bytes, in one setup"
echo
echo "| figure | value | target | result |"
echo "|---|---|---|---|"
echo "| cp -r | $(f2 "$tcp") s | | |"
echo "| vantabuild | $(f2 "$tvb") s | | |"
echo "| vantabuild / cp -r | $(f2 "$rCompile") | at most 1.5 | $(verdict "$rCompile <= 1.5") |"
echo "| setup | $setupFiles files, largest $largest bytes, $setupBytes bytes in all ($(printf '%+.3f' "$(echo "100 * ($setupBytes - $bytes) / $bytes" | bc -l)") % of the files) | files + 1 % at most | $(verdict "$setupBytes <= $bytes * 1.01") |"

# ------------------------------------------------------------ under Wine
source "$root/scripts/wine-env.sh"
winpath() { echo "Z:${1//\//\\}"; }
vanta_wine_prefix
wineserver -p60 2>/dev/null || true
wine cmd /c exit >/dev/null 2>&1 || true
fresh_dest() { rm -rf "$work/dest"; sync; }
install() { wine "$work/out/bench-span.exe" /VERYSILENT /SUPPRESSMSGBOXES /NORESTART "/DIR=$(winpath "$work/dest")"; }
xcopy_files() { wine xcopy /E /I /Q /Y "$(winpath "$payload")" "$(winpath "$work/dest")"; }

# The peak working set: the largest VmHWM of the setup's process, read
# while it runs (a process's high-water mark goes with it).
fresh_dest
install >/dev/null 2>&1 &
installer=$!
peak=0
while kill -0 "$installer" 2>/dev/null; do
  for status in /proc/[0-9]*/status; do
    pid=${status#/proc/}
    pid=${pid%/status}
    grep -aq 'bench-span.exe' "/proc/$pid/cmdline" 2>/dev/null || continue
    kb=$(awk '/^VmHWM:/ { print $2 }' "$status" 2>/dev/null || true)
    [ -n "$kb" ] && [ "$kb" -gt "$peak" ] && peak=$kb
  done
  sleep 0.2
done
wait "$installer" || { log "the setup failed"; exit 1; }
diff -r -q "$payload" "$work/dest/sample" >&2 || { log "the install did not give the files"; exit 1; }
wine reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Bench span_is1' /f >/dev/null 2>&1 || true

log "install under Wine against xcopy"
pair "$runs" fresh_dest install fresh_dest xcopy_files
tinst=$ta txcopy=$tb rInstall=$ratio
wine reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Bench span_is1' /f >/dev/null 2>&1 || true
rm -rf "$work/dest"

echo "| setup /VERYSILENT under Wine | $(f2 "$tinst") s | | |"
echo "| xcopy /E under Wine | $(f2 "$txcopy") s | | |"
echo "| setup / xcopy | $(f2 "$rInstall") | at most 1.5 | $(verdict "$rInstall <= 1.5") |"
echo "| setup's peak working set (VmHWM, Wine's own libraries included) | $((peak / 1024)) MB | flat | |"

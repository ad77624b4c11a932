#!/usr/bin/env bash
# The builder's own setup, VantaSaverSetup.exe: data/VantaSaverSetup.iss and
# the files it names staged in DIST/stage, compiled into DIST.
#   dist.sh BIN DIST COMPILER
# BIN holds the Windows build's files; COMPILER is the native vantabuild
# (given BIN's vantasetup.exe as the stub), or vantabuild.exe, run under
# Wine with the prefix the caller set.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$1" dist="$2" compiler="$3"
rm -rf "$dist"
mkdir -p "$dist/stage"
cp "$root/data/VantaSaverSetup.iss" "$dist/stage/"
for f in VantaSaver.scr VantaSaver.001 help.chm vantabuild.exe t1.jpg t2.jpg t3.jpg mpegdll.dll; do
  cp "$bin/$f" "$dist/stage/"
done
if [[ "$compiler" == *.exe ]]; then
  wine "$compiler" "$(winepath -w "$dist/stage/VantaSaverSetup.iss")"
else
  "$compiler" --stub "$bin/vantasetup.exe" "$dist/stage/VantaSaverSetup.iss"
fi
[ -f "$dist/VantaSaverSetup.exe" ] || { echo "dist: no $dist/VantaSaverSetup.exe" >&2; exit 1; }
echo "$dist/VantaSaverSetup.exe"

#!/usr/bin/env bash
# Runs a test program with the Wine prefix's screen at another DPI, for this
# run only: dpi.sh DPI PROGRAM [ARGS...]. The prefix's LogPixels is put back
# as it was afterwards (removed when it was not there), so that later runs
# are at the DPI they expect. VANTA_TEST_DPI tells the program the DPI.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-env.sh"
dpi="$1"
shift
vanta_wine_prefix
key='HKCU\Control Panel\Desktop'
old=$(vanta_with_display wine reg query "$key" /v LogPixels 2>/dev/null | tr -d '\r' |
      awk '$1 == "LogPixels" { print $3 }' || true)
restore() {
  if [ -n "$old" ]; then
    vanta_with_display wine reg add "$key" /v LogPixels /t REG_DWORD /d "$((old))" /f >/dev/null 2>&1
  else
    vanta_with_display wine reg delete "$key" /v LogPixels /f >/dev/null 2>&1
  fi
}
trap restore EXIT
vanta_with_display wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
VANTA_TEST_DPI="$dpi" vanta_with_display wine "$@"

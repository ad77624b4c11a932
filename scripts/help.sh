#!/usr/bin/env bash
# help.chm, the builder's help file: the HTML pages of SRC and screenshots of
# the program in BIN, taken now on a private Xvfb (scripts/screenshots.sh),
# compiled with chmcmd in STAGE and put into BIN beside VantaSaver.scr.
#   help.sh SRC BIN STAGE
# Any warning of the compiler (a page, link or picture it cannot find) fails.
set -euo pipefail
src="$(cd "$1" && pwd)" bin="$(cd "$2" && pwd)" stage="$3"
command -v chmcmd >/dev/null || { echo "help: chmcmd is missing (Debian's fp-utils; make bootstrap)" >&2; exit 1; }
rm -rf "$stage"
mkdir -p "$stage"
cp "$src"/*.hhp "$src"/*.hhc "$src"/*.hhk "$src"/*.htm "$src"/*.css "$stage/"
VANTA_SHOTS_FRESH=1 bash "$(dirname "$0")/screenshots.sh" "$bin" "$stage/images" >/dev/null
mkdir -p "$stage/setup"
bash "$(dirname "$0")/setup-screenshots.sh" "$bin" "$stage/images" "$stage/setup"
cd "$stage"
log="$(chmcmd help.hhp 2>&1)" || { echo "$log" >&2; exit 1; }
if grep -Eiq 'warning|error|hint' <<<"$log"; then
  echo "help: chmcmd reports problems in $src:" >&2
  grep -Ei 'warning|error|hint' <<<"$log" >&2
  exit 1
fi
[ -s help.chm ] || { echo "help: chmcmd wrote no help.chm" >&2; exit 1; }
mv help.chm "$bin/help.chm"

#!/usr/bin/env bash
# Mode 5: /a 0 ends at once without a window; /a with a handle loads the
# system's MPR.DLL for the password dialog and ends without failing.
source "$(dirname "$0")/lib.sh"
exe="$1"
work="$(mktemp -d)"; trap 'rm -rf "$work"' EXIT
cp "$exe" "$work/Mountains.scr"

start=$(date +%s)
rc=$(WINEDEBUG=+loaddll run_limited 30 "$work/Mountains.scr" /a 0 2>"$work/log0")
[ "$rc" = 0 ] || fail "/a 0 exited with $rc"
[ $(( $(date +%s) - start )) -lt 20 ] || fail "/a 0 did not end at once"
[ ! -e "$work/Mountains.002" ] || fail "/a 0 wrote a settings file"

rc=$(WINEDEBUG=+loaddll run_limited 30 "$work/Mountains.scr" /a 65540 2>"$work/log1")
[ "$rc" = 0 ] || fail "/a 65540 exited with $rc"
grep -qi 'mpr.dll' "$work/log1" || fail "/a with a handle did not load MPR.DLL"
grep -qi 'mpr.dll' "$work/log0" && fail "/a 0 loaded MPR.DLL"
echo "password: ok"

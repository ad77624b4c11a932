#!/usr/bin/env bash
# The native vantabuild as a user runs it: cli.sh PATH-TO-vantabuild
set -euo pipefail
vb="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$work/c/Pics" "$work/c/Compile"
printf 'MZ-stub' >"$work/stub.exe"
head -c 50000 /dev/zero >"$work/c/Pics/Big.bmp"
printf 'hello' >"$work/c/Compile/Readme.txt"
printf '[Setup]\r\nAppName=T\r\nAppVerName=T\r\nDefaultDirName={pf}\\T\r\noutputdir="C:\\Out\\"\r\nOutputBaseFilename="t setup"\r\n[Files]\r\nSource:"C:\\Pics\\big.bmp"; DestDir: "{app}\\sample"\r\nSource:"Readme.txt"; DestDir: "{app}\\"; flags: isreadme\r\n' \
  >"$work/c/Compile/temp.iss"

# No arguments: usage, code 1.
set +e; out=$("$vb" 2>&1); rc=$?; set -e
[ "$rc" = 1 ] || fail "no arguments gave $rc"
grep -q "usage: vantabuild" <<<"$out" || fail "no usage: $out"

# A good compile, twice: the same bytes.
"$vb" --map "C:=$work/c" --stub "$work/stub.exe" "$work/c/Compile/temp.iss" >"$work/out1.txt"
grep -q '^File: C:\\Pics\\big.bmp$' "$work/out1.txt" || fail "no File line: $(cat "$work/out1.txt")"
grep -q '^Setup written: ' "$work/out1.txt" || fail "no end line"
cp "$work/c/Out/t setup.exe" "$work/first.exe"
"$vb" --map "c:=$work/c" --stub "$work/stub.exe" --level 9 "$work/c/Compile/temp.iss" >/dev/null
cmp -s "$work/first.exe" "$work/c/Out/t setup.exe" || fail "second compile differs"
[ "$(head -c 7 "$work/first.exe")" = "MZ-stub" ] || fail "setup does not start with the stub"
[ "$(stat -c %s "$work/first.exe")" -lt 10000 ] || fail "50000 zero bytes were not packed"

# Without a mapping the drive path is an error, code 4 (the output folder).
set +e; out=$("$vb" --stub "$work/stub.exe" "$work/c/Compile/temp.iss"); rc=$?; set -e
[ "$rc" = 4 ] || fail "unmapped drive gave $rc: $out"
grep -q "no folder is mapped to drive C:" <<<"$out" || fail "unmapped drive: $out"

# No setup program beside the compiler: code 5, and nothing written.
rm -rf "$work/c/Out"
set +e; out=$("$vb" --map "C:=$work/c" "$work/c/Compile/temp.iss"); rc=$?; set -e
[ "$rc" = 5 ] || fail "missing stub gave $rc: $out"
[ ! -e "$work/c/Out/t setup.exe" ] || fail "a setup was written without a stub"
echo "cli: ok"

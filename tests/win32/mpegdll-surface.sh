#!/usr/bin/env bash
# mpegdll.dll is installed alone: it may import system DLLs only, and it
# exports exactly the 19 entries under their plain names.
# mpegdll-surface.sh OBJDUMP mpegdll.dll
set -euo pipefail
objdump="$1" dll="$2"
dump=$("$objdump" -p "$dll")

allowed=" kernel32.dll msvcrt.dll shlwapi.dll winmm.dll user32.dll advapi32.dll "
bad=0
while read -r name; do
  lower=$(tr 'A-Z' 'a-z' <<<"$name")
  if [[ "$allowed" != *" $lower "* ]]; then
    echo "FAIL: imports $name" >&2
    bad=1
  fi
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$dump")

exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^\s*\[ *[0-9]*\] //p' | sort)
expected=$(printf '%s\n' init deinit Open Pause Restart Stop SetPriority SetOutputDevice Play Close \
  GetFrequency GetBitrate GetLayer GetPlayerMode GetCurrentPos GetLength ResetPlayerMode Seek LastError | sort)
if [ "$exports" != "$expected" ]; then
  echo "FAIL: exports differ:" >&2
  diff <(echo "$expected") <(echo "$exports") >&2 || true
  bad=1
fi
exit $bad

#!/usr/bin/env bash
# The setup runs from a download folder where anyone may have dropped a
# DLL: it imports only DLLs Windows always takes from the system folder
# (KnownDLLs) or, for common controls 6, from the side-by-side store its
# manifest names; and the manifest asks for administrator rights and
# declares DPI awareness. The tests' own switch is not in it.
# setup-surface.sh OBJDUMP vantasetup.exe
set -euo pipefail
objdump="$1" exe="$2"
known=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll comdlg32.dll shlwapi.dll msvcrt.dll "
bad=0
while read -r name; do
  lower=$(tr 'A-Z' 'a-z' <<<"$name")
  if [ "$lower" = comctl32.dll ] && grep -aq 'Microsoft.Windows.Common-Controls' "$exe"; then
    continue
  fi
  if [[ "$known" != *" $lower "* ]]; then
    echo "FAIL: imports $name, not a KnownDLL" >&2
    bad=1
  fi
done < <("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p')
for needle in 'requireAdministrator' 'dpiAware'; do
  grep -aq "$needle" "$exe" || { echo "FAIL: no $needle in the manifest" >&2; bad=1; }
done
if grep -aqi 'TESTPAUSE' "$exe"; then
  echo "FAIL: the shipped setup knows the tests' switch" >&2
  bad=1
fi
exit $bad

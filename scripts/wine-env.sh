# Sourced: the Wine environment of the project. A 32-bit prefix under
# build/ (WINEARCH=win64 asks for a 64-bit one), no runtime downloads, quiet,
# and a prefix made once.
VANTA_ROOT="${VANTA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
export WINEPREFIX="${WINEPREFIX:-$VANTA_ROOT/build/wineprefix}"
export WINEARCH="${WINEARCH:-win32}"
export WINEDEBUG="${WINEDEBUG:--all}"
# VANTA_WINE_OVERRIDES adds to them (a ctest property cannot carry ';').
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}${VANTA_WINE_OVERRIDES:+;$VANTA_WINE_OVERRIDES}"

vanta_wine_prefix() {
  [ -f "$WINEPREFIX/.vanta-ready" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    [ -f "$WINEPREFIX/.vanta-ready" ] && exit 0
    rm -rf "$WINEPREFIX"
    vanta_with_display wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    # Without a window manager Wine waits about two seconds on every hide or
    # destroy of a window unless its windows are unmanaged.
    vanta_with_display wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wineserver -w
    [ -f "$WINEPREFIX/system.reg" ] || { echo "wine prefix could not be made in $WINEPREFIX" >&2; exit 1; }
    touch "$WINEPREFIX/.vanta-ready"
  ) 9>"$WINEPREFIX.lock"
}

# Runs a command on the display, or on a private Xvfb when there is none
# (VANTA_SCREEN pixels, 1024x768 unless set: windows at 200 % want more).
vanta_with_display() {
  if [ -n "${DISPLAY:-}" ]; then
    "$@"
  else
    xvfb-run -a -s "-screen 0 ${VANTA_SCREEN:-1024x768}x24" "$@"
  fi
}

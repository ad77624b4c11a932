#!/usr/bin/env bash
# Screenshots of a saver's setup for the help file, on a private Xvfb: a
# setup compiled here by the compiler in BIN from a picture in WORK, its
# first four pages at 100 % (8-setup-1-welcome.png ... 8-setup-4-ready.png)
# and its first two at 200 % ("-200"); left before anything is installed.
#   setup-screenshots.sh BIN OUT WORK
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
bin="$(cd "$1" && pwd)" out="$(cd "$2" && pwd)" work="$(cd "$3" && pwd)"
vanta_wine_prefix
cp "$bin/t1.jpg" "$work/setup-picture.jpg"
printf '%s\r\n' '[Setup]' 'AppName=Sunset' 'AppVerName=Sunset' 'AppVersion=1.0' 'AppPublisher=Ann Example' \
  'DefaultDirName={pf}\Sunset' 'DefaultGroupName=Sunset' 'OutputDir=.' 'OutputBaseFilename=SunsetSetup' \
  'WizardImageFile=setup-picture.jpg' 'WizardSmallImageFile=setup-picture.jpg' '[Files]' \
  'Source: "setup-picture.jpg"; DestDir: "{app}\sample"' >"$work/setup.iss"
cd "$work"
# Wine keeps the screen it started with: the larger one needs a fresh server.
wineserver -w 2>/dev/null || true
VANTA_SCREEN=1600x1200 vanta_with_display bash -c '
  set -euo pipefail
  bin="$1" shots="$2" driver="$1/vanta-dialog-driver.exe" wizard="Setup - Sunset"
  key="HKCU\Control Panel\Desktop"
  wine "$bin/vantabuild.exe" setup.iss >/dev/null
  shoot() {
    if command -v xdotool >/dev/null; then xdotool mousemove 0 0; fi
    sleep 0.4
    read -r _ x y w h <<<"$(wine "$driver" "$wizard" rect | tr -d "\r")"
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$shots/$1" 2>/dev/null
  }
  pages() {  # SUFFIX COUNT
    wine SunsetSetup.exe & pid=$!
    wine "$driver" "$wizard" wait >/dev/null
    local n=1
    for page in welcome folder group ready; do
      [ "$n" -le "$2" ] || break
      [ "$n" = 1 ] || wine "$driver" "$wizard" click:WizardNext settle >/dev/null
      shoot "8-setup-$n-$page$1.png"
      n=$((n + 1))
    done
    wine "$driver" "$wizard" close await:IDYES click:IDYES >/dev/null
    wait $pid || true
  }
  pages "" 4
  wine reg add "$key" /v LogPixels /t REG_DWORD /d 192 /f >/dev/null
  trap "wine reg delete \"$key\" /v LogPixels /f >/dev/null 2>&1" EXIT
  pages -200 2
' _ "$bin" "$out"

#!/usr/bin/env bash
# The whole loop as a user goes through it, on a fresh Wine prefix: the
# builder's own setup (made as `make dist` makes it) installed silently;
# the builder started from its Start-menu shortcut, given a project and a
# picture named 写真.bmp through its "Add" dialog; a saver built through
# the Build page and its save dialog; the saver's setup installed; the
# saver's show and its "Setting" dialog; both uninstalled silently.
#
#   loop.sh [--shots] [--arch win32|win64] [--standard-user] [--over-the-shoulder]
#           VantaSaver.scr vanta-dialog-driver.exe
# The other Windows files (vantabuild.exe, vantasetup.exe, mpegdll.dll,
# VantaSaver.001, help.chm, t1.jpg, t2.jpg, t3.jpg) are taken from beside VantaSaver.scr.
# --shots installs the saver's setup through its pages instead and keeps a
# screenshot of each stage in build/screenshots/loop-*.png.
# --arch win64: a 64-bit prefix, where the 32-bit programs' system folder is
# syswow64 and Program Files is "Program Files (x86)"; every folder the
# checks use is taken from the prefix.
# --standard-user: Windows' rights made real with Unix ones, which Wine
# honours for a user that is not root: the loop runs as an unprivileged
# user that owns its prefix (started from root with runuser), and between
# the installs the program folders (both install folders and the system
# folder) are read-only to it. The build and the "Setting" dialog's save
# must still succeed, and nothing under those folders may change.
# --over-the-shoulder: an administrator installed for the user, so the
# setups' HKCU values are not the user's: they are deleted after each
# install, and the builder and the saver must find their folders through
# the machine's.
# Stage times and sizes are printed, not judged.
set -euo pipefail
args=("$@")
shots= arch=win32 standard_user= over_shoulder=
while [ $# -gt 2 ]; do
  case "$1" in
    --shots) shots=1 ;;
    --arch) arch="$2"; shift ;;
    --standard-user) standard_user=1 ;;
    --over-the-shoulder) over_shoulder=1 ;;
    *) echo "loop.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
exe="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
driver="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
bin="$(dirname "$exe")"
root="$(cd "$(dirname "$0")/../.." && pwd)"

# As root, a standard user's loop runs as an unprivileged user of its own,
# on copies of what it needs in a folder that user owns (the checkout may
# lie below a folder only root may enter).
if [ -n "$standard_user" ] && [ "$(id -u)" = 0 ]; then
  account=vantaloop
  home="/var/tmp/vanta-loop-user-$(cksum <<<"$root" | cut -d' ' -f1)"  # one a checkout
  id -u "$account" >/dev/null 2>&1 || useradd --system --home-dir "$home" --shell /bin/bash "$account"
  stage="$home/stage"
  rm -rf "$stage"
  mkdir -p "$stage/bin" "$stage/tests" "$stage/build/screenshots"
  cp -r "$root/scripts" "$root/data" "$stage/"
  cp -r "$root/tests/e2e" "$stage/tests/"
  for f in "$exe" "$driver" "$bin"/{vantabuild.exe,vantasetup.exe,mpegdll.dll,VantaSaver.001,help.chm,t1.jpg,t2.jpg,t3.jpg}; do
    cp "$f" "$stage/bin/"
  done
  chown -R "$account:" "$home"
  chmod 755 "$home"
  pass=(--arch "$arch" --standard-user)
  [ -z "$shots" ] || pass+=(--shots)
  [ -z "$over_shoulder" ] || pass+=(--over-the-shoulder)
  set +e
  runuser -u "$account" -- env -i HOME="$home" USER="$account" LOGNAME="$account" PATH="$PATH" LC_ALL=C.UTF-8 \
    bash "$stage/tests/e2e/loop.sh" "${pass[@]}" "$stage/bin/$(basename "$exe")" "$stage/bin/$(basename "$driver")"
  rc=$?
  set -e
  if [ -n "$shots" ]; then mkdir -p "$root/build/screenshots" && cp "$stage"/build/screenshots/loop-*.png "$root/build/screenshots/" 2>/dev/null || true; fi
  exit "$rc"
fi

loop="$root/build/loop"
# Names in any language pass from here to Wine and back.
export LC_ALL=C.UTF-8
export WINEARCH="$arch"
# A prefix made once per Wine version, bitness and user (wineboot is slow)
# and copied afresh for every run; lib.sh makes it.
export WINEPREFIX="$loop/pristine-$arch-$(id -un)-$(wine --version | tr -c 'A-Za-z0-9.\n' _)"
source "$(dirname "$0")/lib.sh"
if [ -z "${DISPLAY:-}" ]; then exec "$VANTA_ROOT/scripts/with-display.sh" bash "$0" "${args[@]}"; fi
source "$(dirname "$0")/showlib.sh"
user="$(id -un)"
# The user's folders are links to $HOME in a new prefix: made real folders,
# so that nothing the loop installs (the desktop shortcut) lands outside it.
for d in "$WINEPREFIX/drive_c/users/$user"/*; do
  if [ -L "$d" ]; then rm "$d" && mkdir "$d"; fi
done

run="$loop/run-$arch"
rm -rf "$run"
mkdir -p "$run"
cp -a "$WINEPREFIX" "$run/prefix"
export WINEPREFIX="$run/prefix"
work="$run/work"  # showlib.sh's screenshots
mkdir -p "$work"
shotdir="$root/build/screenshots"
if [ -n "$shots" ]; then mkdir -p "$shotdir" && rm -f "$shotdir"/loop-*.png; fi

locked=()
pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  # This run's own prefix: its server and whatever still runs in it.
  wineserver -k 2>/dev/null || true
  [ ${#locked[@]} -eq 0 ] || chmod -R u+w "${locked[@]}" 2>/dev/null || true
}
trap cleanup EXIT

C="$WINEPREFIX/drive_c"
# Where a 32-bit program's files land in this prefix, as Windows names them.
if [ "$arch" = win64 ]; then sys_win='C:\windows\syswow64' pf_win='C:\Program Files (x86)'
else sys_win='C:\windows\system32' pf_win='C:\Program Files'; fi
sys="$(winepath -u "$sys_win" 2>/dev/null | tr -d '\r')"
sys="${sys%/}"
[ -d "$sys" ] || fail "no system folder $sys_win in the prefix"
pf="$C/${pf_win#C:\\}"
title="Vanta Screensaver Builder"
builder_dir="$pf/$title"
builder_win="$pf_win\\$title"
saver="Loop Show"
app="$pf/$saver"
app_win="$pf_win\\$saver"
group="$C/ProgramData/Microsoft/Windows/Start Menu/Programs"
desktop="$C/users/$user/Desktop"
mine="$(builder_user_dir)"  # the builder's per-user folder
arp='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
drive() { wine "$driver" "$@" | tr -d '\r'; }
# A registry value as `reg query` prints it (the default value for "").
reg_value() {
  local flag=(/v "$2")
  [ -z "$2" ] && flag=(/ve)
  { wine reg query "$1" "${flag[@]}" 2>/dev/null || true; } | tr -d '\r' |
    sed -n 's/^ *\([^ ].*\)    REG_[A-Z_]*    //p' | head -n 1
}
key_exists() { wine reg query "$1" >/dev/null 2>&1; }
# The shortcut's target, then its arguments, as the shell reads them.
link_of() { drive - "link:$(winepath -w "$1")"; }
size_of() { stat -c %s "$1"; }
# Keeps the part of the screen a window covers as build/screenshots/NAME.
shoot_window() {
  [ -n "$shots" ] || return 0
  local x y w h
  xdotool mousemove 0 0 2>/dev/null || true
  sleep 0.4  # for the X server to show what Wine drew
  read -r _ x y w h <<<"$(drive "$1" rect)"
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$shotdir/$2"
  echo "  screenshot: $shotdir/$2"
}
# Waits until a control of a window shows TEXT.
await_text() {
  local window="$1" name="$2" text="$3" start
  start=$(now_ms)
  until [ "$(drive "$window" "text:$name" 2>/dev/null)" = "$text" ]; do
    [ $(( $(now_ms) - start )) -lt 60000 ] || fail "\"$window\" never showed \"$text\" in $name"
    sleep 0.2
  done
}
# Waits for a folder to go (the uninstaller works on in a copy of itself).
await_gone() {
  local start
  start=$(now_ms)
  while [ -e "$1" ]; do
    [ $(( $(now_ms) - start )) -lt 30000 ] || fail "$1 is still there"
    sleep 0.1
  done
}
must_exist() { local f; for f in "$@"; do [ -e "$f" ] || fail "missing: $f"; done; }
must_be_gone() { local f; for f in "$@"; do [ ! -e "$f" ] || fail "left behind: $f"; done; }
# A standard user's session: the program folders read-only from here until
# unlock_programs, which fails when anything under them changed.
folders_state() { find "$@" -printf '%p %s %T@ %m\n' 2>/dev/null | sort; }
lock_programs() {
  [ -n "$standard_user" ] || return 0
  locked=("$@")
  folders_state "${locked[@]}" >"$run/locked.before"
  chmod -R a-w "${locked[@]}"
  # Only a user that is not root is held by the permissions.
  ! touch "$1/.probe" 2>/dev/null || fail "the program folders are still writable: is this user root?"
}
unlock_programs() {
  [ -n "$standard_user" ] || return 0
  chmod -R u+w "${locked[@]}"
  folders_state "${locked[@]}" | sed 's/ [0-7]*$//' >"$run/locked.after"
  sed 's/ [0-7]*$//' "$run/locked.before" | diff - "$run/locked.after" >"$run/locked.diff" ||
    fail "a standard user's session changed the program folders: $(head -n 5 "$run/locked.diff")"
  locked=()
}
# After an administrator's install for the user: the HKCU value was the
# administrator's, so this user has none.
forget_user_value() {
  [ -n "$over_shoulder" ] || return 0
  wine reg delete "HKCU\\Software\\Norvane\\$1" /f >/dev/null 2>&1 || fail "could not delete HKCU\\Software\\Norvane\\$1"
}
echo "loop: $arch prefix${standard_user:+, standard user $(id -un)}${over_shoulder:+, installed over the shoulder}"
declare -A ms
loop_start=$(now_ms)

# 1. The builder's own setup, as `make dist` makes it, installed silently.
t=$(now_ms)
bash "$root/scripts/dist.sh" "$bin" "$run/dist" "$bin/vantabuild.exe" >"$run/dist.log" 2>&1 ||
  { cat "$run/dist.log"; fail "VantaSaverSetup.exe was not built"; }
ms[dist]=$(( $(now_ms) - t ))
t=$(now_ms)
rc=$(run_limited 120 "$run/dist/VantaSaverSetup.exe" /VERYSILENT /SUPPRESSMSGBOXES)
ms[builder_install]=$(( $(now_ms) - t ))
[ "$rc" = 0 ] || fail "the builder's setup ended with $rc"
cmp -s "$exe" "$builder_dir/VantaSaver.scr" || fail "the builder was not installed"
cmp -s "$bin/help.chm" "$builder_dir/help.chm" || fail "the builder's help.chm was not installed beside it"
must_exist "$builder_dir/VantaSaver.001" "$builder_dir/Compile/vantabuild.exe" "$builder_dir/sample/t1.jpg" \
  "$builder_dir/sample/t2.jpg" "$builder_dir/sample/t3.jpg" "$builder_dir/unins000.exe" "$sys/MPEGDLL.DLL"
for root_key in HKCU HKLM; do
  [ "$(reg_value "$root_key\\Software\\Norvane\\vantasaver" '')" = "$builder_win" ] ||
    fail "the builder's install folder is not in $root_key"
done
mapfile -t shortcut < <(link_of "$group/$title/$title.lnk")
[ "${shortcut[0]:-}" = "$builder_win\\VantaSaver.scr" ] && [ "${shortcut[1]:-}" = /c ] ||
  fail "the Start-menu shortcut runs \"${shortcut[*]:-}\""
forget_user_value vantasaver
lock_programs "$builder_dir" "$sys"

# 2. A project: pictures of colours one can count on the screen, in two
# folders, one unticked (green) and one missing; two music files; some
# effects off. Written as the user's working file of the builder before it
# starts (the builder's own folder is the administrator's).
mkdir -p "$C/loop/photos" "$C/loop/more" "$C/loop/music" "$C/loop/out"
picture() { convert -size 320x240 "xc:$2" "BMP3:$C/loop/$1"; }
picture photos/red.bmp red
picture photos/blue.bmp blue
picture more/green.bmp lime
picture more/yellow.bmp yellow
picture more/写真.bmp magenta
sox -n -r 22050 -c 1 "$C/loop/music/two.wav" synth 1 sine 440 2>/dev/null
sox -n -r 22050 -c 1 -t wav - synth 1 sine 660 2>/dev/null | lame --quiet - "$C/loop/music/one.mp3"
printf '%s\r\n' '[Set]' 'ImageInterval=2' 'StetchImage=1' 'RandomImage=0' 'BackgroundColor=0' 'PlayMusic=1' \
  '[Caption]' 'Position=0' '[Pictures]' 'C:\loop\photos\red.bmp=1' 'C:\loop\photos\blue.bmp=1' \
  'C:\loop\photos\gone.bmp=1' 'C:\loop\more\green.bmp=0' 'C:\loop\more\yellow.bmp=1' \
  '[Music]' 'C:\loop\music\one.mp3=1' 'C:\loop\music\two.wav=1' \
  '[Transitions]' '3=0' '6=0' '9=0' '354=0' '357=0' >"$run/project.002"
mkdir -p "$mine"
cp "$run/project.002" "$mine/VantaSaver.002"

# 3. The builder from its shortcut; 写真.bmp typed into the "Add" dialog.
t=$(now_ms)
(cd "$builder_dir" && exec wine "${shortcut[0]}" "${shortcut[1]}") &
pids+=($!)
drive "$title" wait >/dev/null || fail "the builder did not open"
ms[builder_open]=$(( $(now_ms) - t ))
[ "$(drive "$title" count:ImageList)" = 5 ] || fail "the picture list is not the four found and the one missing"
drive "$title" click:AddImages >/dev/null
drive "Add Images" await:FileName 'type:FileName=C:\loop\more\写真.bmp' click:IDOK gone >/dev/null ||
  fail "the Add dialog did not take 写真.bmp"
[ "$(drive "$title" count:ImageList)" = 6 ] || fail "写真.bmp is not in the picture list"

# 4. The Build page: name, author, website, readme; the save dialog typed
# into; No to testing the setup now.
readme="Loop Show: colours for the end-to-end loop."
drive "$title" select:OutlookBar=4 "set:NameEdit=$saver" 'set:AuthorEdit=Ann Example' \
  'set:WebsiteEdit=http://example.org/ann' "set:ReadmeMemo=$readme" click:BuildB >/dev/null
t=$(now_ms)
drive "Save screensaver installation as..." await:FileName 'type:FileName=C:\loop\out\Loop Show Setup.exe' \
  click:IDOK gone >/dev/null || fail "the save dialog did not take the setup's name"
question=$(drive "$title" await:IDNO text:MessageText) || fail "no question after the build: $(drive "$title" text:StatusMemo)"
ms[build]=$(( $(now_ms) - t ))
setup="$C/loop/out/Loop Show Setup.exe"
setup_win='C:\loop\out\Loop Show Setup.exe'
# The question names what the compile wrote: the setup first.
[[ "$question" == "Build Successful, Would you like to test the installation now?"*"$setup_win"* ]] ||
  fail "the build asks \"$question\": $(drive "$title" text:StatusMemo)"
drive "$title" click:IDNO >/dev/null
must_exist "$setup"
drive "$title" await:BuildB >/dev/null
shoot_window "$title" loop-1-build-page.png
drive "$title" menu:Exit1 gone >/dev/null || fail "the builder did not close"
wait "${pids[-1]}" || fail "the builder ended with $?"
# The build worked in the user's own compile folder, and cleaned it.
must_exist "$mine/Compile"
must_be_gone "$mine/Compile/temp.iss" "$mine/Compile/$saver.002" "$mine/Compile/Readme.txt"
[ "$(ls -A "$builder_dir/Compile")" = vantabuild.exe ] || fail "the build wrote into $builder_win\\Compile"
grep -qF '写真.bmp=1' "$mine/VantaSaver.002" || fail "the builder did not keep 写真.bmp in its settings"
unlock_programs

# 5. The saver's setup. Its Welcome page shows the project's first picture
# (red.bmp) in the tall place left of its words; closed there, nothing is
# installed. Then it installs: silently, or through its pages for the screenshots.
wizard="Setup - $saver"
wine "$setup_win" & welcome_pid=$!
drive "$wizard" wait >/dev/null || fail "the saver's setup showed no Welcome page"
xdotool mousemove 0 0 2>/dev/null || true
sleep 0.5
read -r _ x y w h <<<"$(drive "$wizard" rect)"
import -window root -crop "${w}x${h}+${x}+${y}" +repage "$run/welcome.png"
region="$((w / 5))x$((h / 2))+10+$((h / 6))"
red=$(count_pixels "$run/welcome.png" "$region" 'r > 200 && g < 50 && b < 50')
[ $((red * 10)) -ge $((w / 5 * (h / 2) * 9)) ] ||
  fail "the Welcome page does not show the first picture: $red red pixels of $((w / 5 * (h / 2))) in $region ($run/welcome.png)"
drive "$wizard" close await:IDYES click:IDYES >/dev/null || fail "the setup did not ask before leaving"
set +e; wait "$welcome_pid"; rc=$?; set -e
[ "$rc" = 2 ] || fail "the setup left from its Welcome page ended with $rc"
t=$(now_ms)
if [ -z "$shots" ]; then
  rc=$(run_limited 120 "$setup_win" /VERYSILENT /SUPPRESSMSGBOXES)
else
  wine "$setup_win" & setup_pid=$!
  pids+=($setup_pid)
  drive "$wizard" wait >/dev/null
  for heading in "Install folder" "Start menu folder" "Ready to install" Finished; do
    drive "$wizard" click:WizardNext >/dev/null
    await_text "$wizard" WizardHeading "$heading"
  done
  shoot_window "$wizard" loop-2-setup-finished.png
  drive "$wizard" click:ViewReadme click:WizardNext gone >/dev/null  # not the readme now
  set +e; wait "$setup_pid"; rc=$?; set -e
fi
ms[install]=$(( $(now_ms) - t ))
[ "$rc" = 0 ] || fail "the saver's setup ended with $rc"

# What the script promised.
cmp -s "$exe" "$sys/$saver.scr" || fail "the saver is not in the system folder"
cmp -s "$bin/VantaSaver.001" "$sys/VantaSaver.001" || fail "VantaSaver.001 is not in the system folder"
cmp -s "$bin/mpegdll.dll" "$sys/MPEGDLL.DLL" || fail "MPEGDLL.DLL is not in the system folder"
copy="$sys/$saver.002"
must_exist "$copy"
for line in 'Author=Ann Example' 'Website=http://example.org/ann' 'red.bmp=1' 'blue.bmp=1' 'yellow.bmp=1' \
    '写真.bmp=1' 'one.mp3=1' 'two.wav=1' '354=0' 'ImageInterval=2'; do
  grep -qxF "$line"$'\r' "$copy" || fail "the saver's settings lack $line"
done
! grep -qE '^(green|gone)\.bmp=' "$copy" || fail "the saver's settings list an unticked or missing picture"
for f in photos/red.bmp photos/blue.bmp more/yellow.bmp more/写真.bmp music/one.mp3 music/two.wav; do
  cmp -s "$C/loop/$f" "$app/sample/$(basename "$f")" || fail "$(basename "$f") is not in {app}\\sample"
done
must_be_gone "$app/sample/green.bmp" "$app/sample/gone.bmp"
[ "$(tr -d '\r' <"$app/Readme.txt")" = "$readme" ] || fail "the readme is not in {app}"
for root_key in HKCU HKLM; do
  [ "$(reg_value "$root_key\\Software\\Norvane\\$saver" '')" = "$app_win" ] ||
    fail "the saver's install folder is not in $root_key"
done
# Windows maps system.ini's [boot] SCRNSAVE.EXE into the user's desktop
# settings; Wine keeps the file.
scrnsave=$(reg_value 'HKCU\Control Panel\Desktop' SCRNSAVE.EXE)
[ -n "$scrnsave" ] || scrnsave=$(sed -n 's/^SCRNSAVE.EXE=//Ip' "$C/windows/system.ini" | tr -d '\r' | tail -n 1)
[ -n "$scrnsave" ] && cmp -s "$exe" "$(winepath -u "$scrnsave")" || fail "the screensaver setting names \"$scrnsave\""
mapfile -t shortcut < <(link_of "$group/$saver/$saver.lnk")
[ "${shortcut[0]:-}" = "$sys_win\\$saver.scr" ] || fail "the saver's shortcut runs \"${shortcut[*]:-}\""
must_exist "$desktop/$saver.lnk" "$app/$saver.lnk" "$group/$saver/Uninstall.lnk" "$group/$saver/Readme.lnk"
uninstaller="$(reg_value "$arp\\${saver}_is1" UninstallString)"
[ "$uninstaller" = "\"$app_win\\unins000.exe\"" ] || fail "the uninstall entry runs $uninstaller"
carried=0
for f in "$sys/$saver.scr" "$copy" "$sys/VantaSaver.001" "$sys/MPEGDLL.DLL" "$app/Readme.txt" "$app/sample"/*; do
  carried=$(( carried + $(size_of "$f") ))
done
forget_user_value "$saver"
cp "$copy" "$run/installed.002"
lock_programs "$builder_dir" "$app" "$sys"

# 6. The show: the saver's pictures in list order, 写真.bmp among them, the
# unticked green never. The commonest colour of each poll, in turn.
dominant() {
  convert "$1" -sample '64x48!' -depth 8 txt:- | awk -F'[()]' '
    NR > 1 { split($2, c, ","); r = c[1] + 0; g = c[2] + 0; b = c[3] + 0; t++
             if (r > 200 && g < 60 && b < 60) n["red"]++
             else if (r < 60 && g < 60 && b > 200) n["blue"]++
             else if (r < 60 && g > 200 && b < 60) n["green"]++
             else if (r > 200 && g > 200 && b < 60) n["yellow"]++
             else if (r > 200 && g < 60 && b > 200) n["magenta"]++ }
    END { best = "-"; for (k in n) if (n[k] * 10 >= t * 6) best = k; print best }'
}
t=$(now_ms)
wine "$sys_win\\$saver.scr" /s 2>"$run/saver.log" & show=$!
pids+=($show)
seen=""
while :; do
  screenshot "$work/poll.png"
  c=$(dominant "$work/poll.png")
  if [ "$c" != - ] && [ "$c" != "${seen##* }" ]; then
    seen="$seen $c"
    if [ "$seen" = " red" ]; then
      ms[first_frame]=$(( $(now_ms) - t ))
      [ -z "$shots" ] || { cp "$work/poll.png" "$shotdir/loop-3-first-picture.png"; echo "  screenshot: $shotdir/loop-3-first-picture.png"; }
    fi
  fi
  [ "$c" != magenta ] || break
  [ $(( $(now_ms) - t )) -lt 30000 ] || fail "the show went through \"$seen\" in 30 s, without 写真.bmp's magenta"
  sleep 0.1
done
[ "$seen" = " red blue yellow magenta" ] || fail "the show went through \"$seen\", not red blue yellow magenta"
kill -0 "$show" 2>/dev/null || fail "the show ended by itself"
xdotool key space
for _ in $(seq 1 100); do kill -0 "$show" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$show" 2>/dev/null || fail "a key did not end the show"

# 7. The "Setting" dialog: the author, website and readme of the project;
# a new interval saved, as the user's own copy of the settings.
wine "$sys_win\\$saver.scr" /c & dialog=$!
pids+=($dialog)
drive Setting wait >/dev/null || fail "the saver's Setting dialog did not open"
[ "$(drive Setting text:TitlePanel)" = "$saver" ] || fail "the dialog's title is not the saver's name"
[ "$(drive Setting text:AuthorLabel)" = "Ann Example" ] || fail "the dialog does not name the author"
[ "$(drive Setting text:WebsiteLabel)" = "http://example.org/ann" ] || fail "the dialog does not name the website"
[ "$(drive Setting text:Memo1)" = "$readme" ] || fail "the dialog does not show the readme"
if [ -n "$shots" ]; then
  drive Setting 'press:PageControl1@140,10' >/dev/null  # the "About" tab: author and website
  shoot_window Setting loop-4-setting-dialog.png
fi
drive Setting set:IntervalEdit=5 click:_BtnOK gone >/dev/null || fail "the Setting dialog did not close"
wait "$dialog" || fail "the Setting dialog's saver ended with $?"
own="$(user_settings "$saver")"
grep -qxF $'ImageInterval=5\r' "$own" 2>/dev/null || fail "OK did not save the interval in the user's settings"
grep -qxF $'写真.bmp=1\r' "$own" || fail "the user's settings lost the pictures"
cmp -s "$run/installed.002" "$copy" || fail "OK changed the installed settings"
unlock_programs

# 8. The saver uninstalled silently, as its uninstall entry says: nothing it
# installed stays but VantaSaver.001 and MPEGDLL.DLL, which the builder
# still uses.
t=$(now_ms)
rc=$(run_limited 60 "$app_win\\unins000.exe" /VERYSILENT /SUPPRESSMSGBOXES)
[ "$rc" = 0 ] || fail "the saver's uninstaller ended with $rc"
await_gone "$app"
ms[uninstall]=$(( $(now_ms) - t ))
must_be_gone "$sys/$saver.scr" "$copy" "$group/$saver" "$desktop/$saver.lnk"
must_exist "$sys/VantaSaver.001" "$sys/MPEGDLL.DLL"
! key_exists "HKCU\\Software\\Norvane\\$saver" || fail "the saver's registry key stayed"
! key_exists "HKLM\\Software\\Norvane\\$saver" || fail "the saver's machine registry key stayed"
must_exist "$own"  # what the user saved is theirs
# The screensaver setting named this saver: it gets back what it held.
after=$(reg_value 'HKCU\Control Panel\Desktop' SCRNSAVE.EXE)
[ -n "$after" ] || after=$(sed -n 's/^SCRNSAVE.EXE=//Ip' "$C/windows/system.ini" | tr -d '\r' | tail -n 1)
[[ "${after,,}" != *"${saver,,}"* ]] && [[ "${after,,}" != *loopsh* ]] || fail "the screensaver setting still names the removed saver: $after"
! key_exists "$arp\\${saver}_is1" || fail "the saver's uninstall entry stayed"

# 9. The builder the same way: its working file, the user's, stays; the
# MPEG library goes with the last program that shared it.
t=$(now_ms)
rc=$(run_limited 60 "$builder_win\\unins000.exe" /VERYSILENT /SUPPRESSMSGBOXES)
[ "$rc" = 0 ] || fail "the builder's uninstaller ended with $rc"
await_gone "$builder_dir/Compile"
await_gone "$builder_dir/unins000.exe"
ms[builder_uninstall]=$(( $(now_ms) - t ))
must_be_gone "$builder_dir/VantaSaver.scr" "$builder_dir/VantaSaver.001" "$builder_dir/help.chm" "$builder_dir/sample" \
  "$group/$title"
must_exist "$mine/VantaSaver.002"
must_be_gone "$sys/MPEGDLL.DLL"
await_gone "$builder_dir"
! key_exists 'HKCU\Software\Norvane\vantasaver' || fail "the builder's registry key stayed"
! key_exists 'HKLM\Software\Norvane\vantasaver' || fail "the builder's machine registry key stayed"
! key_exists "$arp\\${title}_is1" || fail "the builder's uninstall entry stayed"

echo "times (ms): VantaSaverSetup.exe built ${ms[dist]}, installed ${ms[builder_install]};" \
  "builder open ${ms[builder_open]}; saver setup built ${ms[build]}, installed ${ms[install]};" \
  "first picture ${ms[first_frame]}; saver uninstalled ${ms[uninstall]}, builder ${ms[builder_uninstall]};" \
  "whole loop $(( $(now_ms) - loop_start ))"
echo "sizes (bytes): VantaSaverSetup.exe $(size_of "$run/dist/VantaSaverSetup.exe");" \
  "the saver's setup $(size_of "$setup") for the $carried bytes of files it carries"
trap - EXIT
cleanup
rm -rf "$run/prefix"
echo "loop: ok"

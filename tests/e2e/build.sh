#!/usr/bin/env bash
# A build as a user makes it, against the installer compiler's stand-in:
# the registry names an install folder whose Compile\ holds the stand-in as
# vantabuild.exe; the Build page gets a name, an author, a web site and a
# readme; "Build" asks for the setup's name in the real save dialog; the
# stand-in records the script and the settings copy it was given and
# answers with two status lines and success, which is answered No. Both
# files must be what is written out below for this project, the status
# memo must show the lines a person is meant to see, the compile folder
# (the user's own, not the install folder) must be clean afterwards and
# "Build" enabled again.
source "$(dirname "$0")/lib.sh"
if [ -z "${DISPLAY:-}" ]; then exec "$VANTA_ROOT/scripts/with-display.sh" bash "$0" "$@"; fi
source "$E2E_DIR/builderlib.sh"
exe="$1"
driver="$2"
compiler="$3"
title="Vanta Screensaver Builder"
work="$(mktemp -d)"

# The builder starts its compiler from the folder the machine's key names
# (never the user's, which any program of the user can set). The prefix is
# shared: whatever was there is put back however the script ends.
regkey='HKLM\Software\Norvane\vantasaver'
reg_state=
save_registry() {
  local out
  if out=$(wine reg query "$regkey" /ve 2>/dev/null); then
    reg_value=$(tr -d '\r' <<<"$out" | sed -n 's/^ *(Default) *REG_[A-Z_]* *//p')
    reg_state=value
    [ "$reg_value" != '(value not set)' ] || reg_state=key
  elif wine reg query 'HKLM\Software\Norvane' >/dev/null 2>&1; then
    reg_state=parent
  else
    reg_state=none
  fi
}
restore_registry() {
  case "$reg_state" in
    value) wine reg add "$regkey" /ve /d "$reg_value" /f ;;
    key) wine reg delete "$regkey" /ve /f ;;
    parent) wine reg delete "$regkey" /f ;;
    none) wine reg delete 'HKLM\Software\Norvane' /f ;;
  esac >/dev/null 2>&1 || echo "could not restore $regkey" >&2
}
trap 'stop_program; restore_registry; rm -rf "$work" "$(builder_user_dir)"' EXIT

cp "$exe" "$work/VantaSaver.scr"
cp "$(dirname "$exe")/VantaSaver.001" "$work/"
mkdir -p "$work/pics" "$work/more" "$work/music" "$work/out" "$work/install/Compile"
cp "$(dirname "$exe")/t1.jpg" "$work/pics/a.jpg"
cp "$(dirname "$exe")/t2.jpg" "$work/more/a.jpg"
cp "$(dirname "$exe")/t2.jpg" "$work/more/b.jpg"
cp "$(dirname "$exe")/t1.jpg" "$work/more/c.jpg"
: >"$work/music/song.mp3"
cp "$compiler" "$work/install/Compile/vantabuild.exe"
printf '%s\r\n' '10000   Compiling script: temp.iss  ' '10000 File: a.jpg' '10000 [detail] of the compiler' \
  '10000 Compressed size: 71 KB' '0 done' >"$work/install/Compile/fake-replies.txt"
save_registry
wine reg add "$regkey" /ve /d "$(win_path install)" /f >/dev/null 2>&1 || fail "could not set $regkey"

pics=$(win_path pics) more=$(win_path more) music=$(win_path music)
# The project: a picture in each of two folders under one name, one
# unticked, one that goes missing after the builder opened and one missing
# from the start; one song; the author of an earlier build.
set_keys=('StetchImage=1' 'RandomImage=0' 'AllowReverseTransition=1' 'ClearOldImage=0' 'PlayMusic=1'
  'RandomMusic=0' 'LoopMusic=1' 'ImageInterval=12' 'BackgroundColor=8388608' 'EffectSpeed=4'
  "PicturePath=$more\\" "MusicPath=$music\\" 'MouseMove=1' 'MousePress=1' 'KeyboardPress=0')
caption_keys=('ForceHide=0' 'Position=3' 'X=10' 'Y=10' 'IncludeFilename=1' 'Filepath=0' 'FileExt=0'
  'IncludeAdditionalText=1' 'AddtionalText=Sunny days' 'FontName=Arial' 'FontSize=14' 'FontColor=65535'
  'FontBold=1' 'FontItalic=0' 'FontUnderline=0' 'FontStrikeout=0')
write_builder_working_file '[Set]' "${set_keys[@]}" 'Author=Old Author' 'Website=http://old.example' '' \
  '[Caption]' "${caption_keys[@]}" '' \
  '[Pictures]' "$pics\\a.jpg=1" "$more\\b.jpg=0" "$more\\c.jpg=1" "$pics\\gone.jpg=1" "$more\\a.jpg=1" '' \
  '[Music]' "$music\\song.mp3=1" '' '[Transitions]' '3=0' '177=0' 

open_window VantaSaver
[ "$(drive count:ImageList)" = 5 ] || fail "the list is not the four pictures found and the one missing"
rm "$work/more/c.jpg"
drive menu:BuildAndSend1 settle await:NameEdit 'set:NameEdit= Sunny: Days? ' 'set:AuthorEdit=Ann Example' \
  'set:WebsiteEdit=http://ann.example/' $'set:ReadmeMemo=Welcome to Sunny Days.\r\n\r\nAnn' click:BuildB >/dev/null ||
  fail "could not fill the Build page"
answer_file_dialog "Save screensaver installation as..." "$(win_path out)\\SunnySetup"
wine "$driver" "$title" await:IDNO click:IDNO gone >/dev/null || fail "no question after the build"
status=$(drive settle text:StatusMemo enabled:BuildB)
[ "$status" = $'Compiling script: temp.iss\nCompressed size: 71 KB\n\nenabled 1' ] ||
  fail "after the build the memo and \"Build\" show: $status"
compile_dir=$(cd "$work/install/Compile" && echo *)
[ "$compile_dir" = "fake-record fake-replies.txt vantabuild.exe" ] || fail "the install's Compile folder holds: $compile_dir"
left=$(ls -A "$(builder_user_dir)/Compile")
[ "$left" = Photos ] || fail "the user's compile folder holds more than the photos kept for the next build: $left"
drive click:CancelButton gone >/dev/null || fail "Cancel did not close the builder"
await_end

record="$work/install/Compile/fake-record"
compile="$(winepath -w "$(builder_user_dir)/Compile" | tr -d '\r')\\"
[ "$(cat "$record/argument.txt")" = "${compile}temp.iss" ] || fail "the compiler was given $(cat "$record/argument.txt")"
# What the builder's computer adds: its own folders.
program="$(win_path '')"
system=$(wine cmd /c echo '%SystemRoot%' | tr -d '\r')\\system32\\
printf '%s\r\n' '[Setup]' 'AppName=Sunny Days' 'AppVerName=Sunny Days' 'AppVersion="1.0"' 'AppPublisher="Ann Example"' \
  'AppPublisherURL="http://ann.example/"' 'AppSupportURL="http://ann.example/"' 'AppUpdatesURL="http://ann.example/"' \
  "WizardImageFile=\"$pics\\a.jpg\"" "WizardSmallImageFile=\"$pics\\a.jpg\"" "SetupIconFile=\"${compile}SetupIcon.ico\"" \
  'DefaultDirName={pf}\Sunny Days' \
  'DefaultGroupName=Sunny Days' "outputdir=\"$(win_path out)\\\"" 'OutputBaseFilename="SunnySetup"' '[Files]' \
  "Source:\"${program}VantaSaver.scr\"; DestDir: \"{sys}\\\"; DestName: \"Sunny Days.scr\"" \
  "Source:\"${program}VantaSaver.001\"; DestDir: \"{sys}\\\"; flags: uninsneveruninstall" \
  "Source:\"$pics\\a.jpg\"; DestDir: \"{app}\\sample\"" \
  "Source:\"${compile}Photos\\a (2).jpg\"; DestDir: \"{app}\\sample\"" \
  "Source:\"$music\\song.mp3\"; DestDir: \"{app}\\sample\"" \
  "Source:\"${system}MPEGDLL.DLL\"; DestDir: \"{sys}\\\"; flags: sharedfile" \
  "Source:\"${compile}Readme.txt\"; DestDir: \"{app}\\\"; flags: isreadme" \
  "Source:\"${compile}Sunny Days.002\"; DestDir: \"{sys}\\\"; DestName: \"Sunny Days.002\"" \
  '[Registry]' \
  'Root: HKCU; Subkey: "Software\Norvane\Sunny Days"; ValueType: string; ValueName: ""; ValueData: {app}; flags: uninsdeletekey' \
  'Root: HKLM; Subkey: "Software\Norvane\Sunny Days"; ValueType: string; ValueName: ""; ValueData: {app}; flags: uninsdeletekey' \
  '[INI]' 'Filename: "{win}\system.INI"; Section: "boot"; Key: "SCRNSAVE.EXE"; String: "{sys}\SunnyD~1.scr"' \
  '[Icons]' 'Name: "{group}\Sunny Days"; Filename: "{sys}\Sunny Days.scr"' \
  'Name: "{userdesktop}\Sunny Days"; Filename: "{sys}\Sunny Days.scr"' \
  'Name: "{group}\Uninstall"; Filename: "{app}\unins000.exe"' \
  'Name: "{app}\Sunny Days"; Filename: "{sys}\Sunny Days.scr"' \
  'Name: "{group}\Readme"; Filename: "{app}\readme.txt"' '[Run]' \
  'Filename: "{sys}\rundll32.exe"; Parameters: "desk.cpl,InstallScreenSaver {sys}\Sunny Days.scr"; Description: "Make it my screensaver"; Flags: postinstall nowait shellexec skipifsilent' \
  'Filename: "{sys}\Sunny Days.scr"; Parameters: "/s"; Description: "Preview the screensaver now"; Flags: postinstall nowait shellexec skipifsilent' \
  'Filename: "{sys}\Sunny Days.scr"; Parameters: "/c"; Description: "Open the screen saver settings"; Flags: postinstall nowait shellexec skipifsilent' \
  >"$work/want.iss"
cmp -s "$work/want.iss" "$record/temp.iss" || fail "temp.iss: $(diff "$work/want.iss" "$record/temp.iss")"
# The new saver's settings: the Build page's author first, then the working
# file's sections, the pictures and music by bare name.
printf '%s\r\n' '[Set]' 'Author=Ann Example' 'Website=http://ann.example/' "${set_keys[@]}" \
  'ImageFit=0' 'ShrinkPhotos=1' 'ShrinkSize=0' 'MultiScreen=0' 'PanZoom=0' '' \
  '[Caption]' "${caption_keys[@]}" '' '[Transitions]' '3=0' '177=0' '' '[Pictures]' 'a.jpg=1' 'a (2).jpg=1' '' \
  '[Music]' 'song.mp3=1' >"$work/want.002"
cmp -s "$work/want.002" "$record/Sunny Days.002" ||
  fail "the settings copy: $(diff "$work/want.002" "$record/Sunny Days.002")"
printf 'Welcome to Sunny Days.\r\n\r\nAnn\r\n' | cmp -s - "$record/Readme.txt" || fail "the readme: $(cat -A "$record/Readme.txt")"
# 30 large photos with "Make photos smaller for sharing" on (the default):
# the setup takes copies at most a third of the photos' size; the photos
# themselves stay as they were.
mkdir -p "$work/big"
/usr/bin/convert -size 4000x3000 plasma:blue-yellow -attenuate 0.3 +noise Gaussian -quality 98 "$work/big/p01.jpg"
for i in $(seq -w 2 30); do cp "$work/big/p01.jpg" "$work/big/p$i.jpg"; done
sum_before=$(md5sum "$work"/big/*.jpg | md5sum)
big=$(win_path big)
lines=()
for f in "$work"/big/*.jpg; do lines+=("$big\\$(basename "$f")=1"); done
write_builder_working_file '[Set]' 'ImageInterval=5' '' '[Pictures]' "${lines[@]}"
open_window VantaSaver
drive menu:BuildAndSend1 settle await:NameEdit 'set:NameEdit=Holiday' click:BuildB >/dev/null || fail "could not start the second build"
answer_file_dialog "Save screensaver installation as..." "$(win_path out)\\HolidaySetup"
wine "$driver" "$title" await:IDNO click:IDNO gone >/dev/null || fail "no question after the build of 30 photos"
status=$(drive settle text:StatusMemo)
grep -q '^Photos made smaller for sharing: 30 of 30$' <<<"$status" || fail "the status does not say the photos were made smaller: $status"
drive click:CancelButton gone >/dev/null || fail "Cancel did not close the builder"
await_end
[ "$(md5sum "$work"/big/*.jpg | md5sum)" = "$sum_before" ] || fail "the photos were changed"
originals=$(cat "$work"/big/*.jpg | wc -c)
shipped=0
while IFS= read -r src; do
  f=$(winepath -u "$src" 2>/dev/null | tr -d '\r')
  [ -f "$f" ] || fail "the script ships $src, which is not there"
  shipped=$((shipped + $(stat -c %s "$f")))
done < <(tr -d '\r' <"$record/temp.iss" | sed -n 's/^Source:"\([^"]*\.jpg\)"; DestDir: "{app}\\sample"$/\1/p')
[ "$shipped" -gt 0 ] && [ $((shipped * 3)) -le "$originals" ] ||
  fail "the setup's photos take $shipped bytes of the originals' $originals: more than a third"
echo "30 photos of $originals bytes ship as $shipped bytes ($((shipped * 100 / originals))%)"
echo "build: ok"

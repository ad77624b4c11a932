#!/usr/bin/env bash
# Projects through the builder's Project menu and the real file dialogs:
# "Save Project As..." writes what the window shows to NAME.vnt and leaves
# the working settings file as it was; every change a user can make in the
# window reaches the working file with OK; "Load Project" followed by OK
# gives back the saved project byte for byte; and a save followed by Cancel
# (or a cancelled dialog) leaves the working file and no backup behind.
source "$(dirname "$0")/lib.sh"
if [ -z "${DISPLAY:-}" ]; then exec "$VANTA_ROOT/scripts/with-display.sh" bash "$0" "$@"; fi
source "$E2E_DIR/builderlib.sh"
exe="$1"
driver="$2"
title="Vanta Screensaver Builder"
work="$(mktemp -d)"
trap 'stop_program; rm -rf "$work" "$(builder_user_dir)"' EXIT
cp "$exe" "$work/VantaSaver.scr"
cp "$(dirname "$exe")/VantaSaver.001" "$work/"  # the Effects page's names
mkdir "$work/pics" "$work/more" "$work/music"
cp "$(dirname "$exe")/t1.jpg" "$work/pics/"
cp "$(dirname "$exe")/t2.jpg" "$work/more/"
cp "$(dirname "$exe")/t1.jpg" "$work/more/t3.jpg"
: >"$work/music/one.mp3"
: >"$work/music/two.wav"
pics=$(win_path pics) more=$(win_path more) music=$(win_path music)
rm -rf "$(builder_user_dir)" && mkdir -p "$(builder_user_dir)"
working="$(builder_user_dir)/VantaSaver.002"
backup="$working.bak"

# Every key the builder writes, so that a save adds none: what changes is
# what the window changed.
printf '%s\r\n' '[Set]' 'StetchImage=0' 'ImageFit=0' 'RandomImage=1' 'AllowReverseTransition=0' 'ClearOldImage=1' 'PlayMusic=1' \
  'RandomMusic=0' 'LoopMusic=1' 'ImageInterval=7' 'BackgroundColor=255' 'EffectSpeed=3' "PicturePath=$more\\" \
  "MusicPath=$music\\" 'ShrinkPhotos=1' 'ShrinkSize=0' 'MouseMove=1' 'MousePress=0' 'KeyboardPress=1' 'MultiScreen=0' 'PanZoom=0' '' \
  '[Caption]' 'ForceHide=0' 'Position=2' 'X=10' 'Y=20' 'IncludeFilename=1' 'Filepath=0' 'FileExt=1' \
  'IncludeAdditionalText=1' 'AddtionalText=Holiday 2004' 'FontName=Arial' 'FontSize=12' 'FontColor=65535' \
  'FontBold=1' 'FontItalic=0' 'FontUnderline=0' 'FontStrikeout=0' '' \
  '[Pictures]' "$pics\\t1.jpg=1" "$more\\t2.jpg=0" "$more\\t3.jpg=1" '' \
  '[Music]' "$music\\one.mp3=1" "$music\\two.wav=1" '' \
  '[Transitions]' '3=0' '177=0' >"$working"
cp "$working" "$work/start.002"

# A settings file as sorted "[Section] key=value" lines, to compare by key.
ini_pairs() {
  tr -d '\r' <"$1" | awk '/^\[/ { s = $0; next } /=/ { print s " " $0 }' | sort
}
# The lines of ini_pairs only in the first file (-23) or only in the second (-13).
only_in() { comm "$1" <(ini_pairs "$2") <(ini_pairs "$3"); }

# 1. Save As with the interval and the caption text changed, then every
#    other change and OK.
open_window VantaSaver
drive select:OutlookBar=3 set:IntervalEdit=11 'set:ImageCaptionEdit=Summer = sun; 2004' menu:SaveProjectAs >/dev/null ||
  fail "no Project menu"
answer_file_dialog "Save Project as..." "$(win_path show)"  # ".vnt" is the builder's to add
drive settle >/dev/null
[ -f "$work/show.vnt" ] || fail "no show.vnt after saving the project as \"show\": $(ls "$work")"
[ ! -e "$work/show" ] || fail "the project was saved without its extension"
[ ! -e "$backup" ] || fail "the backup of the working file remained"
cmp -s "$work/start.002" "$working" || fail "Save Project As changed the working file"
sed -e $'s/^ImageInterval=7\r$/ImageInterval=11\r/' -e $'s/^AddtionalText=.*/AddtionalText=Summer = sun; 2004\r/' \
  "$work/start.002" | cmp -s - "$work/show.vnt" ||
  fail "the project is not the working file with the window's two changes: $(diff "$work/start.002" "$work/show.vnt")"

# Everything else a user can change here. The tree's first group's box is at
# (25, 7) of its client area at 96 DPI, a row 16 pixels: the second group,
# "Regular Wiping", is switched off.
drive select:OutlookBar=3 set:IntervalEdit=25 click:StretchRadio click:NormalizeRadio pick:BackcolorCb=Navy \
  click:PlayMusicCheck click:RandomMusicCheck click:LoopMusicCheck \
  click:FixedRadio set:XSpin=120 set:YSpin=340 click:FilenameCheck click:PathCheck click:ExtensionCheck \
  click:AdditionalTextCheck set:ImageCaptionEdit=Winter click:ReverseCheck click:ClearOldCheck \
  click:MouseMoveCheck click:MousePressCheck click:KeyboardCheck 'pick:ScreensCombo=One picture across all screens' 'pick:MotionCombo=Strong' \
  select:ImageList=1 click:RemoveImage select:MusicList=0 key:MusicList=32 \
  select:OutlookBar=2 press:StyleList@25,23 key:SpeedScrollBar=39 settle click:OkButton gone >/dev/null ||
  fail "could not change the window and close it with OK"
await_end
[ ! -e "$backup" ] || fail "a backup appeared"
# Old values of the project, new ones in the working file, key by key.
# Regular Wiping's effects 6 5 23 22 2 4 3 21 20 (1 was off) and the
# rotations 119..122, off by default, as the tree writes them: number * 3.
switched_off=(18 15 69 66 6 12 9 63 60 357 360 363 366)
want_old=$(printf '%s\n' '[Set] StetchImage=0' '[Set] RandomImage=1' '[Set] BackgroundColor=255' \
  '[Set] ImageInterval=11' '[Set] PlayMusic=1' '[Set] RandomMusic=0' '[Set] LoopMusic=1' \
  '[Set] AllowReverseTransition=0' '[Set] ClearOldImage=1' '[Set] EffectSpeed=3' '[Set] MouseMove=1' \
  '[Set] MousePress=0' '[Set] KeyboardPress=1' '[Set] MultiScreen=0' '[Set] PanZoom=0' '[Caption] Position=2' '[Caption] X=10' '[Caption] Y=20' \
  '[Caption] IncludeFilename=1' '[Caption] Filepath=0' '[Caption] FileExt=1' '[Caption] IncludeAdditionalText=1' \
  '[Caption] AddtionalText=Summer = sun; 2004' "[Pictures] $more\\t2.jpg=0" "[Music] $music\\one.mp3=1" | sort)
want_new=$( { printf '%s\n' '[Set] StetchImage=1' '[Set] RandomImage=0' '[Set] BackgroundColor=8388608' \
  '[Set] ImageInterval=25' '[Set] PlayMusic=0' '[Set] RandomMusic=1' '[Set] LoopMusic=0' \
  '[Set] AllowReverseTransition=1' '[Set] ClearOldImage=0' '[Set] EffectSpeed=2' '[Set] MouseMove=0' \
  '[Set] MousePress=1' '[Set] KeyboardPress=0' '[Set] MultiScreen=2' '[Set] PanZoom=2' '[Caption] Position=5' '[Caption] X=120' '[Caption] Y=340' \
  '[Caption] IncludeFilename=0' '[Caption] Filepath=1' '[Caption] FileExt=0' '[Caption] IncludeAdditionalText=0' \
  '[Caption] AddtionalText=Winter' "[Music] $music\\one.mp3=0"
  printf '[Transitions] %s=0\n' "${switched_off[@]}"; } | sort)
got_old=$(only_in -23 "$work/show.vnt" "$working")
got_new=$(only_in -13 "$work/show.vnt" "$working")
[ "$got_old" = "$want_old" ] || fail "OK changed other keys than the window's: $(diff <(echo "$want_old") <(echo "$got_old"))"
[ "$got_new" = "$want_new" ] || fail "OK wrote other values than the window's: $(diff <(echo "$want_new") <(echo "$got_new"))"

# 2. Load Project (after the Effects page was filled from the file it
#    replaces) and OK: the working file is the project, byte for byte.
open_window VantaSaver
drive select:OutlookBar=2 menu:LoadProject >/dev/null || fail "no Project menu"
answer_file_dialog Open "$(win_path show.vnt)"
shown=$(drive settle select:OutlookBar=3 count:ImageList count:MusicList text:IntervalEdit text:ImageCaptionEdit | tr '\n' '|')
[ "$shown" = '3|2|11|Summer = sun; 2004|' ] || fail "the window does not show the loaded project: $shown"
drive select:OutlookBar=2 settle click:OkButton gone >/dev/null || fail "OK did not close the builder"
await_end
cmp -s "$work/show.vnt" "$working" || fail "the loaded project came back changed: $(diff "$work/show.vnt" "$working")"

# 3. Save As, then Cancel: the working file as before, the project written,
#    no backup. A cancelled save dialog writes nothing.
cp "$working" "$work/before.002"
open_window VantaSaver
drive select:OutlookBar=3 set:IntervalEdit=500 menu:SaveProjectAs >/dev/null || fail "no Project menu"
wine "$driver" "Save Project as..." await:FileName click:Button1 gone >/dev/null || fail "the save dialog did not cancel"
drive settle menu:SaveProjectAs >/dev/null
answer_file_dialog "Save Project as..." "$(win_path other)"
drive settle click:CancelButton gone >/dev/null || fail "Cancel did not close the builder"
await_end
cmp -s "$work/before.002" "$working" || fail "Save Project As and Cancel changed the working file"
[ ! -e "$backup" ] || fail "the backup of the working file remained"
grep -qx $'ImageInterval=500\r' "$work/other.vnt" || fail "the second project lacks the window's interval"
vnt=$(cd "$work" && echo *.vnt)
[ "$vnt" = "other.vnt show.vnt" ] || fail "projects written: $vnt"
echo "projects: ok"

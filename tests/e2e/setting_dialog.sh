#!/usr/bin/env bash
# A built saver asked to configure itself: Mountains.scr /c shows the
# "Setting" dialog (checked on a screenshot of the X screen), OK after a new
# interval writes the user's own copy of the settings (the installed file
# beside the program stays byte for byte) and changes nothing else the
# dialog does not own, Escape leaves the file byte for byte, and Enter is OK.
source "$(dirname "$0")/lib.sh"
if [ -z "${DISPLAY:-}" ]; then exec "$VANTA_ROOT/scripts/with-display.sh" bash "$0" "$@"; fi
exe="$1"
driver="$2"
work="$(mktemp -d)"
saver=
# A failed check must not leave the saver running (it holds the test's output open).
mine="$(user_settings Mountains)"
trap '[ -n "$saver" ] && kill "$saver" 2>/dev/null; rm -rf "$work" "$mine"' EXIT
rm -f "$mine"
cp "$exe" "$work/Mountains.scr"
printf '%s\r\n' '[Set]' 'ImageInterval=7' 'BackgroundColor=255' 'EffectSpeed=2' 'Author=Ann Example' \
  'Website=http://example.org/ann' '[Caption]' 'Position=1' '[Pictures]' 'C:\Photos\a.jpg=1' \
  '[Music]' 'song.mp3=0' '[Transitions]' '177=0' > "$work/Mountains.002"
cp "$work/Mountains.002" "$work/original.002"

# Starts the saver with /c and waits for its dialog; sets $saver and the client rectangle.
open_dialog() {
  wine "$work/Mountains.scr" /c &
  saver=$!
  local line
  line=$(wine "$driver" Setting wait | tr -d '\r') || fail "the \"Setting\" dialog did not open"
  read -r _ left top width height <<<"$line"
  [ "$width" = 412 ] && [ "$height" = 304 ] || fail "client area ${width}x${height}, not 412x304"
}

# Waits for the saver to end by itself: the dialog is its main window.
await_end() {
  local waited=0
  while kill -0 "$saver" 2>/dev/null; do
    sleep 0.2; waited=$((waited + 1))
    [ "$waited" -lt 100 ] || { kill "$saver"; fail "the saver did not end when its dialog closed"; }
  done
  wait "$saver" || fail "the saver ended with $?"
  saver=
}

open_dialog
shot="$work/shot.png"
sleep 0.5  # for the X server to show what Wine drew
/usr/bin/import -window root "$shot"
cp "$shot" "${VANTA_E2E_SHOTS:-.}/setting_dialog.png" 2>/dev/null || true

# The title panel: black, with the instance name in yellow.
black=$(count_pixels "$shot" "412x45+$left+$top" 'r < 40 && g < 40 && b < 40')
yellow=$(count_pixels "$shot" "412x45+$left+$top" 'r > 200 && g > 200 && b < 80')
[ "$black" -gt 14000 ] || fail "title panel has $black black pixels"
[ "$yellow" -gt 150 ] || fail "title panel has $yellow yellow pixels (no instance name)"
# Below it the light face of the dialog, with the loaded red in the colour list's swatch.
light=$(count_pixels "$shot" "412x259+$left+$((top + 45))" 'r > 180 && g > 180 && b > 180')
red=$(count_pixels "$shot" "412x259+$left+$((top + 45))" 'r > 200 && g < 50 && b < 50')
[ "$light" -gt 70000 ] || fail "dialog face has only $light light pixels"
[ "$red" -gt 100 ] || fail "the colour list does not show the loaded red ($red pixels)"
[ "$(wine "$driver" Setting text:TitlePanel | tr -d '\r')" = Mountains ] || fail "title is not the instance name"

# "Other color..." opens the system's colour dialog on the list's colour; its OK keeps red.
wine "$driver" Setting "pick:BackcolorCb=Other color..." >/dev/null || fail "no \"Other color...\" entry"
wine "$driver" Color wait click:IDOK gone >/dev/null || fail "the colour dialog did not open and close"
wine "$driver" Setting set:IntervalEdit=42 "pick:ScreensCombo=The main screen only" pick:MotionCombo=Gentle click:_BtnOK gone ||
  fail "could not drive the dialog"
await_end
grep -qx $'MultiScreen=3\r' "$mine" || fail "OK did not store the choice for several screens"
grep -qx $'PanZoom=1\r' "$mine" || fail "OK did not store the motion"
cmp -s "$work/original.002" "$work/Mountains.002" || fail "OK changed the installed settings beside the program"
grep -qx $'ImageInterval=42\r' "$mine" || fail "OK did not store the interval in the user's copy"
for line in 'Author=Ann Example' 'Website=http://example.org/ann' '[Pictures]' 'C:\Photos\a.jpg=1' \
    '[Music]' 'song.mp3=0' '[Transitions]' '177=0' 'BackgroundColor=255' 'EffectSpeed=2'; do
  grep -qxF "$line"$'\r' "$mine" || fail "OK lost the line $line"
done
sed -n '/^\[Pictures\]/,$p' "$work/original.002" | cmp -s - <(sed -n '/^\[Pictures\]/,$p' "$mine") ||
  fail "OK changed the lists"

cp "$mine" "$work/saved.002"
open_dialog
# Escape (27) reaches Cancel through the saver's message loop.
wine "$driver" Setting set:IntervalEdit=99 click:StretchRadio key:IntervalEdit=27 gone || fail "Escape did not close"
await_end
cmp -s "$work/saved.002" "$mine" || fail "Cancel changed the settings file"

# Enter (13) is OK.
open_dialog
wine "$driver" Setting set:SpeedEdit=4 key:SpeedEdit=13 gone || fail "Enter did not close"
await_end
grep -qx $'EffectSpeed=4\r' "$mine" || fail "Enter did not store the speed"
echo "setting dialog: ok"

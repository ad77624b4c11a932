#!/usr/bin/env bash
# The builder as a user meets it: VantaSaver.scr /c opens "Vanta Screensaver
# Builder" within two seconds (timed beside the "Setting" dialog of a built
# saver, which a copy of the same program shows), draws its side bar,
# Cancel ends it with the settings file byte for byte, and a new interval
# with OK changes exactly that key.
source "$(dirname "$0")/lib.sh"
if [ -z "${DISPLAY:-}" ]; then exec "$VANTA_ROOT/scripts/with-display.sh" bash "$0" "$@"; fi
source "$E2E_DIR/builderlib.sh"
exe="$1"
driver="$2"
title="Vanta Screensaver Builder"
work="$(mktemp -d)"
trap 'stop_program; rm -rf "$work" "$(builder_user_dir)"' EXIT
cp "$exe" "$work/VantaSaver.scr"
cp "$exe" "$work/Mountains.scr"
cp "$(dirname "$exe")/t1.jpg" "$(dirname "$exe")/t2.jpg" "$work/"
# The installed working file, copied to the user's folder at the first start.
rm -rf "$(builder_user_dir)"
working="$(builder_user_dir)/VantaSaver.002"
printf '%s\r\n' '[Set]' 'ImageInterval=7' 'BackgroundColor=255' 'Author=Ann Example' '[Pictures]' 't1.jpg=1' \
  't2.jpg=0' 'gone.jpg=1' '[Music]' 'song.mp3=0' '[Transitions]' '177=0' > "$work/VantaSaver.002"
cp "$work/VantaSaver.002" "$work/installed.002"
printf '%s\r\n' '[Set]' 'ImageInterval=7' > "$work/Mountains.002"

# The "Setting" dialog of a built saver, for the time it takes to open: the
# second time, as Wine is then ready as it is for the builder.
for _ in 1 2; do
  open_window Mountains Setting
  setting_ms=$opened_ms
  wine "$driver" Setting click:Button1 gone >/dev/null || fail "the Setting dialog did not close"
  await_end
done

open_window VantaSaver "$title"
echo "opened in ${opened_ms} ms (the Setting dialog: ${setting_ms} ms)"
[ "$opened_ms" -lt 2000 ] || fail "the builder took ${opened_ms} ms to open"
[ "$width" = 538 ] && [ "$height" = 333 ] || fail "client area ${width}x${height}, not 538x333"
[ "$(wine "$driver" "$title" count:ImageList | tr -d '\r')" = 3 ] ||
  fail "the picture list is not the two found and the one missing"
sleep 0.5  # for the X server to show what Wine drew
shot="$work/shot.png"
/usr/bin/import -window root "$shot"
cp "$shot" "${VANTA_E2E_SHOTS:-.}/builder.png" 2>/dev/null || true
# The side bar: a dark strip down the left, under its light captions.
dark=$(count_pixels "$shot" "100x333+$left+$top" 'r < 90 && g < 110 && b < 150 && b > r')
[ "$dark" -gt 20000 ] || fail "the side bar has only $dark dark pixels"
# OK without change: the file as the builder writes it, to compare with.
wine "$driver" "$title" click:OkButton gone >/dev/null || fail "OK did not close the builder"
await_end
grep -qx $'t2.jpg=0\r' "$working" || fail "OK without change touched the list sections"
grep -qx $'gone.jpg=1\r' "$working" || fail "OK without change dropped a listed file"
cmp -s "$work/installed.002" "$work/VantaSaver.002" || fail "the builder wrote the installed working file"
cp "$working" "$work/saved.002"

# Cancel after changes asks "Save changes?"; No leaves the file byte for byte.
open_window VantaSaver "$title"
wine "$driver" "$title" select:OutlookBar=3 set:IntervalEdit=99 click:StretchRadio click:CancelButton >/dev/null ||
  fail "could not change the options and cancel"
wine "$driver" "$title" await:IDNO click:IDNO gone >/dev/null || fail "Cancel after changes did not ask to save them"
await_end
cmp -s "$work/saved.002" "$working" || fail "Cancel changed the settings file"

# A new interval and OK: that key and nothing else.
open_window VantaSaver "$title"
wine "$driver" "$title" select:OutlookBar=3 set:IntervalEdit=42 click:OkButton gone >/dev/null || fail "OK did not close the builder"
await_end
changes=$(diff "$work/saved.002" "$working" || true)
[ "$changes" = $'2c2\n< ImageInterval=7\r\n---\n> ImageInterval=42\r' ] ||
  fail "OK did not change exactly the interval: $changes"
echo "builder: ok"

#!/usr/bin/env bash
# Pictures dragged from another program onto the builder's picture list,
# through the system's drag loop as from the file manager: the list takes
# both (one named in Japanese), the source is told "copy" (a move
# would delete the files), the files stay, and OK writes them to the
# settings file as UTF-8.
source "$(dirname "$0")/lib.sh"
if [ -z "${DISPLAY:-}" ]; then exec "$VANTA_ROOT/scripts/with-display.sh" bash "$0" "$@"; fi
exe="$1"
driver="$2"
source_exe="$(realpath "$3")"  # run from the photos folder
title="Vanta Screensaver Builder"
work="$(mktemp -d)"
saver=
trap '[ -n "$saver" ] && kill "$saver" 2>/dev/null; rm -rf "$work" "$(builder_user_dir)"' EXIT
cp "$exe" "$work/VantaSaver.scr"
cp "$(dirname "$exe")/t1.jpg" "$(dirname "$exe")/t2.jpg" "$work/"
write_builder_working_file '[Set]' 'ImageInterval=7' '[Pictures]' 't1.jpg=1' 't2.jpg=1' 
mkdir "$work/photos"
photos=(Sunset.bmp 写真.bmp)
/usr/bin/convert -size 40x30 xc:orange "$work/photos/${photos[0]}"
/usr/bin/convert -size 40x30 xc:navy "$work/photos/${photos[1]}"

(cd "$work" && exec wine VantaSaver.scr /c) &
saver=$!
wine "$driver" "$title" wait >/dev/null || fail "the builder did not open"
before=$(wine "$driver" "$title" count:ImageList | tr -d '\r')
[ "$before" = 2 ] || fail "the picture list holds $before entries, not the two listed"
read -r _ left top width height < <(wine "$driver" "$title" where:ImageList | tr -d '\r')
[ "${height:-0}" -gt 0 ] || fail "the picture list has no place on the screen"

# The drag, from the photos folder as the file manager's current folder.
out=$(cd "$work/photos" && timeout 20 wine "$source_exe" $((left + width / 2)) $((top + height / 2)) \
  "${photos[@]}" | tr -d '\r') || fail "the drag ended without a drop: ${out:-nothing printed}"
[ "$out" = "effect 1" ] || fail "the source was told \"$out\", not \"effect 1\" (copy)"
for p in "${photos[@]}"; do [ -f "$work/photos/$p" ] || fail "the dragged $p is gone"; done
after=$(wine "$driver" "$title" count:ImageList | tr -d '\r')
[ "$after" = $((before + 2)) ] || fail "the picture list holds $after entries after the drop, not $((before + 2))"

wine "$driver" "$title" click:OkButton gone >/dev/null || fail "OK did not close the builder"
for _ in $(seq 100); do kill -0 "$saver" 2>/dev/null || break; sleep 0.1; done
kill -0 "$saver" 2>/dev/null && fail "the builder did not end when its window closed"
wait "$saver" || fail "the builder ended with $?"
saver=
folder=$(winepath -w "$work/photos" | tr -d '\r')
for p in "${photos[@]}"; do
  grep -qxF "$folder\\$p=1"$'\r' "$(builder_user_dir)/VantaSaver.002" || fail "the settings file does not list $folder\\$p"
done
echo "drag: ok"

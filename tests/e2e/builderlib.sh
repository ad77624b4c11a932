# Sourced by the builder's end-to-end scripts after lib.sh: the program in a
# work folder of the script's ($work), started with /c and driven by
# $driver, the window titled $title.

saver=
# Starts NAME.scr /c in $work and waits for the window TITLE (the builder's
# by default); sets $saver, $opened_ms and the client rectangle ($left,
# $top, $width, $height).
open_window() {
  local name="$1" want="${2:-$title}" started line
  started=$(now_ms)
  (cd "$work" && exec wine "$name.scr" /c) &
  saver=$!
  line=$(wine "$driver" "$want" wait | tr -d '\r') || fail "\"$want\" did not open"
  opened_ms=$(( $(now_ms) - started ))
  read -r _ left top width height <<<"$line"
}

# Waits for the program to end by itself: the window is its main window.
await_end() {
  local waited=0
  while kill -0 "$saver" 2>/dev/null; do
    sleep 0.2; waited=$((waited + 1))
    [ "$waited" -lt 100 ] || { kill "$saver"; fail "the program did not end when its window closed"; }
  done
  wait "$saver" || fail "the program ended with $?"
  saver=
}

# For the EXIT trap: a failed check must not leave the program running.
stop_program() {
  if [ -n "$saver" ]; then kill "$saver" 2>/dev/null || true; fi
  saver=
}

# Steps of the driver on the builder window; its output without CRs.
drive() {
  local out
  out=$(wine "$driver" "$title" "$@") || return 1
  printf '%s\n' "${out//$'\r'/}"
}

# A file dialog that the builder opened, titled TITLE: the path typed into
# its name box, then its OK button, as a user does.
answer_file_dialog() {
  wine "$driver" "$1" await:FileName "type:FileName=$2" click:IDOK gone >/dev/null ||
    fail "the dialog \"$1\" did not take $2"
}

# Sourced by the show's end-to-end scripts after lib.sh: a saver instance of
# our own in a temporary folder, screenshots, and the saver's life.

# A folder with Mountains.scr (the real executable under a saver's name) and
# pictures of solid colours, 64x48 unless a size is given: make_picture NAME COLOUR [SIZE].
make_instance() {
  cp "$1" "$work/Mountains.scr"
}
make_picture() {
  /usr/bin/convert -size "${3:-64x48}" "xc:$2" "BMP3:$work/$1"
}

# Writes Mountains.002 from its lines, with the Windows line ends the
# program's own writer uses, as the installed settings: no user's copy of
# an earlier run stands in front of them, and no place an earlier show kept
# (Mountains.place) makes this one go on from there.
write_settings() {
  rm -f "$(user_settings Mountains)"
  forget_place
  printf '%s\r\n' "$@" >"$work/Mountains.002"
}
# The place a show keeps between runs: gone, the next show starts afresh.
show_place() { local s; s="$(user_settings Mountains)"; echo "${s%.002}.place"; }
forget_place() { rm -f "$(show_place)"; }
# A [Transitions] section switching off every effect but the given ones.
transitions_only() {
  echo '[Transitions]'
  local n
  for n in $(seq 1 127); do
    [[ " $* " == *" $n "* ]] || echo "$((n * 3))=0"
  done
}

# Percent of a region (whole screen by default) that passes the test, on a
# 64x48 sample of it: quick enough to poll.
share() {
  local shot="$1" test="$2" geometry="${3:-}"
  local crop=()
  [ -n "$geometry" ] && crop=(-crop "$geometry" +repage)
  /usr/bin/convert "$shot" "${crop[@]}" -sample '64x48!' -depth 8 txt:- |
    awk -F'[()]' 'NR > 1 { split($2, c, ","); r = c[1] + 0; g = c[2] + 0; b = c[3] + 0; t++; if ('"$test"') n++ }
                  END { print (t ? int(100 * n / t) : 0) }'
}
# The commonest colours of a screenshot, with their share of a 64x48 sample.
colours() {
  /usr/bin/convert "$1" -sample '64x48!' -depth 8 -format %c histogram:info:- | sort -rn | head -n 3 |
    awk '{ printf "%s%d%% %s", (NR > 1 ? ", " : ""), int(100 * $1 / 3072), $NF }'
}
screenshot() { /usr/bin/import -window root "$1"; }
keep_shot() { cp "$1" "${VANTA_E2E_SHOTS:-/nonexistent}/$2" 2>/dev/null || true; }

RED='r > 200 && g < 60 && b < 60'
BLUE='r < 60 && g < 60 && b > 200'
BLACK='r < 30 && g < 30 && b < 30'
WHITE='r > 200 && g > 200 && b > 200'

# Polls the screen until at least MIN percent passes TEST; prints the
# milliseconds since START, or fails after LIMIT ms with what was seen.
# await_screen WHAT TEST MIN START LIMIT
await_screen() {
  local what="$1" test="$2" min="$3" start="$4" limit="$5" seen=0
  local shot="$work/poll.png"
  while :; do
    screenshot "$shot"
    seen=$(share "$shot" "$test")
    [ "$seen" -ge "$min" ] && { echo $(( $(now_ms) - start )); return 0; }
    [ $(( $(now_ms) - start )) -lt "$limit" ] || break
    sleep 0.1
  done
  keep_shot "$shot" "failed-$what.png"
  fail "$what: after ${limit} ms only $seen% of the screen matches ($test); it shows $(colours "$shot")"
}

saver=
# Starts the saver in the background with the given arguments; its Wine
# messages (WINEDEBUG from $saver_debug) go to $work/saver.log.
start_saver() {
  saver_start=$(now_ms)
  WINEDEBUG="${saver_debug:--all}" wine "$work/Mountains.scr" "$@" 2>"$work/saver.log" &
  saver=$!
}
saver_alive() { [ -n "$saver" ] && kill -0 "$saver" 2>/dev/null; }
# Waits up to LIMIT ms for the saver to end; prints how long it took from
# START, or -1 when it still runs.
await_exit() {
  local start="$1" limit="$2"
  while saver_alive; do
    if [ $(( $(now_ms) - start )) -ge "$limit" ]; then echo -1; return 0; fi
    sleep 0.05
  done
  wait "$saver" 2>/dev/null || true
  saver=
  echo $(( $(now_ms) - start ))
}
stop_saver() {
  if saver_alive; then kill "$saver" 2>/dev/null || true; wait "$saver" 2>/dev/null || true; fi
  saver=
}

source "$VANTA_ROOT/scripts/audio-sink.sh"

# The number of streams playing into the sink now.
sink_streams() {
  pactl list short sink-inputs 2>/dev/null | grep -c . || true
}
# Waits up to LIMIT ms for a stream to play into the sink; prints the count seen.
await_sink_stream() {
  local start n
  start=$(now_ms)
  while :; do
    n=$(sink_streams)
    [ "$n" -gt 0 ] && break
    [ $(( $(now_ms) - start )) -lt "$1" ] || break
    sleep 0.1
  done
  echo "$n"
}

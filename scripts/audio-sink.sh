# Sourced: a private PulseAudio server with a null sink (nothing is heard),
# so that Wine has a wave device and a test can see what plays into it.
# start_audio_sink puts its socket under $work and exports PULSE_SERVER;
# it fails when PulseAudio is not there or does not come up.
pulse_pid=
start_audio_sink() {
  command -v pulseaudio >/dev/null && command -v pactl >/dev/null || return 1
  mkdir -p "$work/pulse"
  XDG_RUNTIME_DIR="$work/pulse" HOME="$work/pulse" pulseaudio --daemonize=no -n --exit-idle-time=-1 \
    --disallow-exit --use-pid-file=no --log-target=stderr \
    -L "module-null-sink sink_name=vanta_null" \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$work/pulse/native" \
    >"$work/pulse.log" 2>&1 &
  pulse_pid=$!
  local i
  for i in $(seq 50); do [ -S "$work/pulse/native" ] && break; sleep 0.1; done
  [ -S "$work/pulse/native" ] || return 1
  export PULSE_SERVER="unix:$work/pulse/native"
}
stop_audio_sink() {
  [ -n "$pulse_pid" ] && { kill "$pulse_pid" 2>/dev/null || true; wait "$pulse_pid" 2>/dev/null || true; }
  pulse_pid=
}

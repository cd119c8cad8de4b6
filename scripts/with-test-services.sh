#!/usr/bin/env bash
# Runs a command with a private runtime folder, a private D-Bus session bus and a private
# PulseAudio servers with two null sinks each, and stops them afterwards.
set -euo pipefail

runtime=$(mktemp -d /tmp/kb-runtime-XXXXXX)
export XDG_RUNTIME_DIR=$runtime
export PULSE_RUNTIME_PATH=$runtime/pulse
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$runtime"
}
trap cleanup EXIT

if command -v dbus-daemon >/dev/null; then
  address=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$runtime/dbus.pid")
  export DBUS_SESSION_BUS_ADDRESS=$address
  pids+=("$(cat "$runtime/dbus.pid")")
fi

# Two sound servers, each with two null sinks: ctest gives each test that plays sound one of
# them (tests/sound_servers.json), so two such tests run at once without hearing each other.
# Server 0 is the default; server 1 is reached through PULSE_SERVER. Only server 0 takes
# the session bus name a PulseAudio server registers.
start_sound_server() {
  local dir=$1
  shift
  mkdir -p "$dir"
  # No fallback sink of its own: the tests decide which sinks exist.
  PULSE_RUNTIME_PATH=$dir "$@" pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --log-target=stderr --log-level=error \
    -L "module-native-protocol-unix" \
    -L "module-null-sink sink_name=kb_speakers sink_properties=device.description=KB-Speakers" \
    -L "module-null-sink sink_name=kb_hall sink_properties=device.description=KB-Hall" \
    2>"$dir.log" &
  pids+=($!)
}
sound_server_up() {
  local server=unix:$1/native sink
  for _ in $(seq 50); do
    PULSE_SERVER=$server pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
  PULSE_SERVER=$server pactl info >/dev/null 2>&1 || return 1
  PULSE_SERVER=$server pactl set-default-sink kb_speakers >/dev/null 2>&1 || true
  # A null sink with nothing playing sleeps in two-second blocks, so a new stream would
  # be heard up to two seconds late. A silent stream on each keeps them awake and at a
  # sound card's latency.
  for sink in kb_speakers kb_hall; do
    PULSE_SERVER=$server pacat --playback -d "$sink" --latency-msec=30 --raw \
      --format=s16le --rate=44100 --channels=1 /dev/zero 2>/dev/null &
    pids+=($!)
  done
}

export KB_SOUND_SERVER=down
if command -v pulseaudio >/dev/null && command -v pactl >/dev/null; then
  start_sound_server "$PULSE_RUNTIME_PATH"
  start_sound_server "$runtime/pulse-1" env -u DBUS_SESSION_BUS_ADDRESS
  if sound_server_up "$PULSE_RUNTIME_PATH" && sound_server_up "$runtime/pulse-1"; then
    # The audio tests fail, rather than skip, when the servers are not up.
    export KB_SOUND_SERVER=up
  fi
fi
if [ "$KB_SOUND_SERVER" != up ]; then
  echo "with-test-services: the PulseAudio test servers did not start; audio tests will fail" >&2
  for log in "$runtime"/pulse*.log; do
    [ -s "$log" ] && sed 's/^/  pulseaudio: /' "$log" >&2
  done
fi

"$@"

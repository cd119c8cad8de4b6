#!/usr/bin/env bash
# Runs a command with a private runtime folder, a private D-Bus session bus and a private
# PulseAudio server with two null sinks, and stops them afterwards.
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

if command -v pulseaudio >/dev/null; then
  mkdir -p "$PULSE_RUNTIME_PATH"
  # No fallback sink of its own: the tests decide which sinks exist.
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --log-target=stderr --log-level=error \
    -L "module-native-protocol-unix" \
    -L "module-null-sink sink_name=kb_speakers sink_properties=device.description=KB-Speakers" \
    -L "module-null-sink sink_name=kb_hall sink_properties=device.description=KB-Hall" \
    2>"$runtime/pulse.log" &
  pids+=($!)
  for _ in $(seq 50); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
fi
# The audio tests fail, rather than skip, when the server is not up.
if command -v pactl >/dev/null && pactl info >/dev/null 2>&1; then
  export KB_SOUND_SERVER=up
  pactl set-default-sink kb_speakers >/dev/null 2>&1 || true
  # A null sink with nothing playing sleeps in two-second blocks, so a new stream would
  # be heard up to two seconds late. A silent stream on each keeps them awake and at a
  # sound card's latency.
  for sink in kb_speakers kb_hall; do
    pacat --playback -d "$sink" --latency-msec=30 --raw --format=s16le --rate=44100 \
      --channels=1 /dev/zero 2>/dev/null &
    pids+=($!)
  done
else
  export KB_SOUND_SERVER=down
  echo "with-test-services: the PulseAudio test server did not start; audio tests will fail" >&2
  [ -s "$runtime/pulse.log" ] && sed 's/^/  pulseaudio: /' "$runtime/pulse.log" >&2
fi

"$@"

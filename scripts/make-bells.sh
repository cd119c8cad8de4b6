#!/usr/bin/env bash
# Makes the bells that ship in the music folder (resources/music/铃声) with sox: struck
# notes with a few partials, fading as a bell does. Run by hand; the files are checked in.
set -euo pipefail
cd "$(dirname "$0")/.."
out=resources/music/铃声
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

calc() { awk "BEGIN { print $1 }"; }

# note NAME FREQUENCY START_SECONDS
note() {
  local f=$2
  sox -n -r 44100 -c 1 -b 16 "$work/$1.wav" synth 2.4 sine "$f" sine mix "$(calc "$f*2.01")" \
    sine mix "$(calc "$f*3.02")" sine mix "$(calc "$f*4.17")" \
    fade l 0.004 2.4 2.3 vol 0.35 pad "$3"
}

# chime OUTPUT FREQUENCIES...: the notes struck 0.55 s apart, played twice.
chime() {
  local output=$1
  shift
  local parts=() start=0 i=0
  for round in 1 2; do
    for f in "$@"; do
      note "n$i" "$f" "$start"
      parts+=("$work/n$i.wav")
      start=$(calc "$start + 0.55")
      i=$((i + 1))
    done
    start=$(calc "$start + 0.6")
  done
  sox -m "${parts[@]}" "$work/mix.wav" norm -3
  sox "$work/mix.wav" -C 3 "$output"
}

chime "$out/上课铃.ogg" 392.00 523.25 659.25 783.99
chime "$out/下课铃.ogg" 783.99 659.25 523.25 392.00
ls -l "$out"

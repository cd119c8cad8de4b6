#!/usr/bin/env bash
# Makes the bells that ship in the music folder (resources/music/铃声) with sox: struck
# notes with a few partials, fading as a bell does; and the emergency alarm (警报/紧急警报.ogg),
# a hi-lo siren. Run by hand; the files are checked in.
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
# siren OUTPUT: two seconds of hi-lo (960 and 770 Hz, half a second each, a third harmonic to
# cut through noise), peaks at -1 dBFS, as loud as a file can be without clipping; it loops
# without a seam.
siren() {
  local parts=()
  for f in 960 770 960 770; do
    sox -n -r 44100 -c 1 -b 16 "$work/s$f.wav" synth 0.5 sine "$f" sine mix "$(calc "$f*3")" \
      fade t 0.005 0.5 0.005
    parts+=("$work/s$f.wav")
  done
  sox "${parts[@]}" "$work/siren.wav" norm -1
  mkdir -p "$(dirname "$1")"
  sox "$work/siren.wav" -C 6 "$1"
}

siren resources/music/警报/紧急警报.ogg
ls -l "$out" resources/music/警报

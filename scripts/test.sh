#!/usr/bin/env bash
# Installs what is missing, checks the layout of the C++ files, builds everything with warnings
# as errors and runs every test with the sound servers and message bus the tests need; builds
# the same suite with AddressSanitizer and UndefinedBehaviorSanitizer (clang) meanwhile and runs
# it again, together with a short run of every fuzz target. Prints the time of each stage.
set -euo pipefail
cd "$(dirname "$0")/.."

stages=()
background=()
stop_background() {
  for pid in "${background[@]}"; do kill -- "-$pid" 2>/dev/null || true; done
}
report() {
  local status=$?
  stop_background
  echo
  echo "== Stages =="
  printf '  %s\n' "${stages[@]}"
  echo "  total $SECONDS s"
  exit "$status"
}
trap report EXIT
stage() {
  local name=$1 start=$SECONDS
  shift
  "$@"
  stages+=("$(printf '%-16s %4d s' "$name" $((SECONDS - start)))")
}

stage install bash scripts/install-deps.sh test
stage format bash scripts/check-format.sh
# Optimised as the package is, without debug information (a third of the compile time, and no
# test reads it); one compiler run per group of files (a unity build) for the Qt-heavy targets.
stage configure cmake -S . -B build-ci -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DKB_WERROR=ON -DCMAKE_UNITY_BUILD=ON \
  -DCMAKE_UNITY_BUILD_BATCH_SIZE=16
stage build cmake --build build-ci
# The sanitized build runs beside the first pass, on what the tests leave idle (SCHED_IDLE): they
# mostly wait on real time (sound, displays), and they are made to hold on a busy machine.
stage configure-san bash scripts/configure-sanitized.sh build-san
set -m
chrt --idle 0 nice -n 19 cmake --build build-san -j 2 >build-san/build.log 2>&1 &
background+=($!)
set +m
san_start=$SECONDS
stage tests bash scripts/with-test-services.sh ctest --test-dir build-ci --output-on-failure -j2 "$@"
wait_for_san_build() {
  local status=0
  wait "${background[0]}" || status=$?
  background=()
  tail -n 3 build-san/build.log
  [ "$status" -eq 0 ] || { cat build-san/build.log; return "$status"; }
}
stage build-san wait_for_san_build
stages[-1]="$(printf '%-16s %4d s (from its start, beside the tests)' build-san $((SECONDS - san_start)))"
# The sanitized pass runs what its checks are for: the engines, the file readers (with a short
# run of every fuzz target), the pages and the program's own start-up and imports. The tests that
# play sound measure real time, which the sanitizers slow several times over, and the desktop
# tests mostly wait for a private X display: both run in the first pass only.
stage tests-san bash scripts/with-test-services.sh bash scripts/sanitizer-env.sh \
  ctest --test-dir build-san --output-on-failure -j2 -LE 'desktop|audio' "$@"

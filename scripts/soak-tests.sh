#!/usr/bin/env bash
# Runs the ordinary test pass (ctest under the test services, as scripts/test.sh runs it) N
# times in a row and prints each run's time, result and what the sink recorder lost.
#   soak-tests.sh N [--load] [--build DIR] [extra ctest arguments]
# --load runs four busy loops and a disk writer beside the tests, as a machine that builds
# something else would. The build folder (default build-ci) must be built already.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:?usage: soak-tests.sh N [--load] [--build DIR] [ctest arguments]}
shift
load=no
build=build-ci
extra=()
while [ $# -gt 0 ]; do
  case "$1" in
    --load) load=yes ;;
    --build) build=$2; shift ;;
    *) extra+=("$1") ;;
  esac
  shift
done
[ -f "$build/CTestTestfile.cmake" ] || { echo "soak-tests: $build is not a built test folder" >&2; exit 2; }

logs=$(mktemp -d /tmp/kb-soak-XXXXXX)
loader=
stop_load() {
  if [ -n "$loader" ]; then
    kill -- -"$loader" 2>/dev/null || true
    wait "$loader" 2>/dev/null || true
    loader=
  fi
  rm -f "$logs/junk"
}
trap stop_load EXIT
if [ "$load" = yes ]; then
  # Its own process group, so that the loops and the writer end together.
  setsid bash -c '
    for i in 1 2 3 4; do (while :; do :; done) & done
    (while :; do dd if=/dev/zero of="$0/junk" bs=1M count=100 conv=fsync status=none; done) &
    wait' "$logs" &
  loader=$!
fi

failed_runs=0
summary=()
for run in $(seq "$runs"); do
  start=$SECONDS
  status=0
  bash scripts/with-test-services.sh ctest --test-dir "$build" --output-on-failure -j2 \
    "${extra[@]}" >"$logs/run-$run.out" 2>&1 || status=$?
  took=$((SECONDS - start))
  cp "$build/Testing/Temporary/LastTest.log" "$logs/run-$run.log" 2>/dev/null || true
  # (A pattern that finds nothing is a figure of nothing, not the end of the soak.)
  result=$(grep -E '^[0-9]+% tests passed' "$logs/run-$run.out" | tail -1 || true)
  # Each recording prints "[recorder] <sink> lost N ms" when it ends.
  lost=$(grep -hoE '\[recorder\] [^ ]+ lost [0-9]+ ms' "$logs/run-$run.log" 2>/dev/null |
         awk '{ total += $4; n++ } END { printf "%d ms in %d recordings", total, n }' || true)
  again=$(grep -hc 'measuring again' "$logs/run-$run.log" 2>/dev/null || true)
  # A track that ran dry on the busy machine (the product's own sound, not the recorder's).
  dropped=$(grep -hoE 'dropped out for [0-9]+ ms' "$logs/run-$run.log" 2>/dev/null |
            awk '{ total += $4 } END { printf "%d ms", total }' || true)
  [ "$status" -eq 0 ] || failed_runs=$((failed_runs + 1))
  line=$(printf 'run %2d%s: %4d s, %s; recorder lost %s; tracks dropped out %s; %s measurement(s) repeated' \
         "$run" "$([ "$load" = yes ] && echo ' (load)')" "$took" "${result:-no result}" "$lost" \
         "$dropped" "${again:-0}")
  summary+=("$line")
  echo "$line"
  [ "$status" -eq 0 ] || grep -E '^\s+[0-9]+ - ' "$logs/run-$run.out" | sed 's/^/    failed: /'
done

echo
echo "== Soak: $runs run(s), $failed_runs failed; logs in $logs =="
printf '  %s\n' "${summary[@]}"
[ "$failed_runs" -eq 0 ]

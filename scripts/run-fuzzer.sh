#!/usr/bin/env bash
# Runs one fuzz target for a bounded time on the seeds its writer makes plus the corpus it
# has gathered in WORKDIR, and prints what it did. Fails on any finding.
#   run-fuzzer.sh FUZZER SECONDS WORKDIR
set -euo pipefail
fuzzer=$1
seconds=$2
work=$3
name=$(basename "$fuzzer")
mkdir -p "$work/seeds" "$work/corpus" "$work/findings"
rm -f "$work/seeds"/*
KB_FUZZ_WRITE_SEEDS="$work/seeds" "$fuzzer" >/dev/null
log="$work/last-run.log"
status=0
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/findings/" "$work/corpus" "$work/seeds" >"$log" 2>&1 || status=$?
# The last status line has the coverage, the final stats the executions.
done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true)
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
echo "$name: ${runs:-?} executions in ${seconds}s; ${done_line:-no final status}"
if [ "$status" -ne 0 ]; then
  tail -40 "$log" >&2
  echo "$name: finding kept in $work/findings" >&2
fi
exit "$status"

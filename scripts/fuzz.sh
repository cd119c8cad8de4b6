#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan + UBSan) in build-san and runs each one for
# SECONDS (default 600), one after the other, keeping each target's corpus between runs.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
bash scripts/configure-sanitized.sh build-san
nice cmake --build build-san --target fuzzers
status=0
for fuzzer in build-san/fuzz/*_fuzzer; do
  name=$(basename "$fuzzer" _fuzzer)
  nice bash scripts/run-fuzzer.sh "$fuzzer" "$seconds" "build-san/fuzz/runs/$name" || status=1
done
exit "$status"

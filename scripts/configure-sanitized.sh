#!/usr/bin/env bash
# Configures the clang build with AddressSanitizer + UndefinedBehaviorSanitizer and the fuzz
# targets in FOLDER (default build-san). Run tests in it through scripts/sanitizer-env.sh.
# -O1 with line tables only: what the sanitizers need for their reports, built sooner.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B "${1:-build-san}" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_UNITY_BUILD=ON -DCMAKE_UNITY_BUILD_BATCH_SIZE=16 -DKB_SANITIZE=ON -DKB_FUZZ=ON -DKB_BUILD_BENCH=OFF >/dev/null

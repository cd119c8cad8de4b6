#!/usr/bin/env bash
# Installs what is missing, checks the layout of the C++ files, builds everything with warnings as errors and runs every test
# with the sound server and message bus the tests need; then builds the same suite with
# AddressSanitizer and UndefinedBehaviorSanitizer (clang) and runs it again, together with a
# short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
bash scripts/check-format.sh
# Optimised as the package is, without debug information: it costs a third of the compile
# time and no test reads it.
cmake -S . -B build-ci -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DKB_WERROR=ON >/dev/null
cmake --build build-ci
bash scripts/with-test-services.sh ctest --test-dir build-ci --output-on-failure -j2 "$@"
bash scripts/configure-sanitized.sh build-san
cmake --build build-san
# The tests that time recorded sound to tens of milliseconds run in the first pass only: the
# sanitizers slow every allocation more than their margins allow.
bash scripts/with-test-services.sh bash scripts/sanitizer-env.sh \
  ctest --test-dir build-san --output-on-failure -j2 \
  -E 'TimedPlayRealTime\.|RecordedFadeInRisesWithoutAStepBack' "$@"

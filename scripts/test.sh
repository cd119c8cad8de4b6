#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs every test
# with the sound server and message bus the tests need.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
cmake -S . -B build-ci -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKB_WERROR=ON >/dev/null
cmake --build build-ci
bash scripts/with-test-services.sh ctest --test-dir build-ci --output-on-failure -j2 "$@"

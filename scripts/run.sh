#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKB_BUILD_TESTS=OFF \
  -DKB_BUILD_BENCH=OFF >/dev/null
cmake --build build --target kelvora-broadcasting
exec build/kelvora-broadcasting "$@"

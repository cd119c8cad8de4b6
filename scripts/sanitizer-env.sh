#!/usr/bin/env bash
# Runs a command with the options of the sanitized build: every finding fails the process,
# and only leaks owned by the system libraries are suppressed (tests/sanitizer/lsan.supp).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0:strict_string_checks=1:check_initialization_order=1
export LSAN_OPTIONS=suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
exec "$@"

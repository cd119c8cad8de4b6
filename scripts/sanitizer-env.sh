#!/usr/bin/env bash
# Runs a command with the options of the sanitized build: every finding fails the process,
# and only leaks owned by the system libraries are suppressed (tests/sanitizer/lsan.supp).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Allocation stacks are unwound without frame pointers (the system libraries have none), so
# that a suppression can name where a leak comes from; ten frames keep that affordable.
export ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0:malloc_context_size=10
# The suppressions are read from a copy outside the trees: the installed-program tests hide
# the source and build trees from the program they start.
supp_dir=$(mktemp -d "${TMPDIR:-/tmp}/kb-sanitizer.XXXXXX")
cp "$root/tests/sanitizer/lsan.supp" "$supp_dir/"
export LSAN_OPTIONS=suppressions=$supp_dir/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
"$@" || status=$?
rm -rf "$supp_dir"
exit "$status"

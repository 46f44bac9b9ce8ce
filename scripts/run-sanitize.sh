#!/usr/bin/env bash
# Builds the project with AddressSanitizer and UndefinedBehaviorSanitizer in its own folder and
# runs every test that needs no OpenGL driver and no X server (tests labelled gl or gui are left
# out). Any memory error, leak or undefined behaviour fails the test that meets it.
# Usage: scripts/run-sanitize.sh [BUILD_DIR]   (default build-sanitize); JOBS (default 2).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-sanitize}"
jobs="${JOBS:-2}"

# -O1 keeps the instrumented tests quick without the long compile of a full optimisation.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DQUILLON_SANITIZE=ON -DQUILLON_BENCH=OFF >/dev/null
cmake --build "$build" -j"$jobs"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/scripts/sanitize-leaks.supp:print_suppressions=0"
cd "$build"
ctest --output-on-failure -j"$jobs" -LE 'gl|gui'

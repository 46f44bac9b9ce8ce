#!/usr/bin/env bash
# Runs every benchmark program; each prints its own baseline beside the figure it is held to.
set -euo pipefail
build=${1:-build}
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" --benchmark_min_time=0.2
done

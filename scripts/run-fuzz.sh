#!/usr/bin/env bash
# Builds the libFuzzer programs in build-fuzz (clang, sanitizers) and runs each for a bounded
# time. Usage: scripts/run-fuzz.sh [fuzzer-name...]   (default: every fuzzer that was built)
# FUZZ_SECONDS (default 30) bounds each run; FUZZ_JOBS (default 2) the build's parallelism.
# Corpora grow in build-fuzz/corpus/NAME, seeded from fuzz/corpus/NAME when that exists;
# crash inputs land in build-fuzz/artifacts/NAME/. Exits non-zero when any fuzzer fails.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-fuzz"
seconds="${FUZZ_SECONDS:-30}"
jobs="${FUZZ_JOBS:-2}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
  -DQUILLON_FUZZ=ON -DQUILLON_TESTS=OFF -DQUILLON_BENCH=OFF >/dev/null
cmake --build "$build" -j"$jobs"

if [ $# -gt 0 ]; then
  names=("$@")
else
  names=()
  for f in "$build"/fuzz/fuzz_*; do
    [ -x "$f" ] && [ -f "$f" ] && names+=("$(basename "$f")")
  done
fi
if [ ${#names[@]} -eq 0 ]; then
  echo "no fuzzers found in $build/fuzz" >&2
  exit 1
fi

# The movie fuzzer starts from tiny AVI files made here with the ffmpeg tool: each codec path
# the source handles, and a stream carrying the matte title.
movie_seeds="$build/corpus/fuzz_movie"
if command -v ffmpeg >/dev/null && [ -z "$(ls -A "$movie_seeds" 2>/dev/null)" ]; then
  mkdir -p "$movie_seeds"
  i=0
  for codec in "ffv1 -pix_fmt bgr0 -g 2" "mjpeg" "rawvideo -pix_fmt bgr24" "mpeg4 -bf 1 -g 3"; do
    for title in plain AlphaInterleave; do
      i=$((i + 1))
      # shellcheck disable=SC2086
      ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=8x6:rate=25 -frames:v 4 \
        -c:v $codec -metadata:s:v:0 title=$title "$movie_seeds/seed$i.avi" || true
    done
  done
fi

failed=()
for name in "${names[@]}"; do
  exe="$build/fuzz/$name"
  if [ ! -x "$exe" ]; then
    echo "no such fuzzer: $name" >&2
    failed+=("$name")
    continue
  fi
  corpus="$build/corpus/$name"
  artifacts="$build/artifacts/$name"
  mkdir -p "$corpus" "$artifacts"
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds=("$root/fuzz/corpus/$name")
  echo "== $name for ${seconds}s"
  if ! "$exe" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$artifacts/" "$corpus" "${seeds[@]}"; then
    echo "== $name FAILED; inputs in $artifacts" >&2
    failed+=("$name")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzers that failed: ${failed[*]}" >&2
  exit 1
fi
echo "all fuzzers ran clean"

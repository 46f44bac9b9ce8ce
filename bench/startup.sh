#!/usr/bin/env bash
# Start-up time of the application under Xvfb: from launching `quillon` on the demo show to the
# monitor's first frame of it (the window drawn), without the stage's 3-second picture. The X
# server is started once beforehand and not counted. Prints each run and the median.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
app="$build/src/app/quillon"
runs=${RUNS:-7}
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x900x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1
profile=$(mktemp -d)/startup.ini
# An empty recovery folder: no start-up question about the user's own recovery copies.
state=$(mktemp -d)
times=()
for i in $(seq "$runs"); do
  start=$(date +%s%N)
  DISPLAY=$display QT_QPA_PLATFORM=xcb QUILLON_PROFILE="$profile" XDG_STATE_HOME="$state" \
    "$app" --no-startup-picture --quit-after-first-frame "$root/data/demo/demo.shw" 2>/dev/null
  end=$(date +%s%N)
  ms=$(( (end - start) / 1000000 ))
  times+=("$ms")
  echo "run $i: $ms ms"
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "median start-up to first frame: ${sorted[$((runs / 2))]} ms (target under 1500 ms)"

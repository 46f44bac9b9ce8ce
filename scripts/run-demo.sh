#!/usr/bin/env bash
# The main job until the application window exists: make the demo show with the CLI, print its
# tree and the path and poses of its camera.
set -euo pipefail
build=${1:-build}
cli="$build/src/cli/quillon-cli"
out="$build/demo"
mkdir -p "$out"
profile="$out/quillon-cli.ini"

"$cli" --profile "$profile" new "$out/demo.shw" --scenes 2 --length 300 --camera-move
echo "== Show tree of $out/demo.shw"
"$cli" --profile "$profile" info "$out/demo.shw"
echo "== Camera path"
"$cli" --profile "$profile" path "$out/demo.shw"
echo "== Scene poses at frames 0, 150 and 450"
for f in 0 150 450; do "$cli" --profile "$profile" eval "$out/demo.shw" --frame "$f"; done

#!/usr/bin/env bash
# The main job until the application window exists: print the demo show under data/demo, its
# tree, its camera paths and its poses at a few frames. The demo is made by
# "quillon-cli make-demo data/demo" and committed; test_demo checks that it matches the code.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
cli="$build/src/cli/quillon-cli"
show="$root/data/demo/demo.shw"
# A profile of its own, so the user's settings are neither used nor changed.
profile="$build/demo-profile.ini"

echo "== Show tree of $show"
"$cli" --profile "$profile" info "$show"
echo "== Camera paths"
"$cli" --profile "$profile" path "$show"
echo "== Poses: fading in (0, 12), camera held (20), moving (60), second scene (180), fading out (347)"
for f in 0 12 20 60 180 347; do "$cli" --profile "$profile" eval "$show" --frame "$f"; done

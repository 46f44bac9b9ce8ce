#!/usr/bin/env bash
# The main job: the demo show under data/demo. With a display the application opens it; without
# one (or with QUILLON_HEADLESS=1) the command-line tool renders it offscreen: a picture of a
# frame of each scene and the whole show as a Motion-JPEG AVI, under build/demo/.
# The demo is made by "quillon-cli make-demo data/demo" and committed; test_demo checks that
# it matches the code.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
cli="$build/src/cli/quillon-cli"
app="$build/src/app/quillon"
show="$root/data/demo/demo.shw"
out="$build/demo"
mkdir -p "$out"
# A profile of its own, so the user's settings are neither used nor changed.
profile="$out/demo-profile.ini"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QUILLON_HEADLESS:-}" ] && [ -x "$app" ]; then
  echo "== Opening $show"
  exec env QUILLON_PROFILE="$profile" "$app" "$show"
fi

echo "== No display: rendering $show offscreen"
"$cli" --profile "$profile" info "$show"
for f in 60 250; do
  "$cli" --profile "$profile" frame "$show" --frame "$f" -o "$out/frame$f.png"
  echo "frame $f -> $out/frame$f.png"
done
"$cli" --profile "$profile" render "$show" -o "$out/demo.avi" --codec mjpeg
echo "movie -> $out/demo.avi"
if command -v ffprobe >/dev/null; then
  ffprobe -v error -show_entries stream=codec_name,width,height,r_frame_rate,nb_frames \
    -of default=noprint_wrappers=1 "$out/demo.avi"
fi

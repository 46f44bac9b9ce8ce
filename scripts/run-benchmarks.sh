#!/usr/bin/env bash
# Runs every benchmark program; each prints its own baseline beside the figure it is held to.
# Programs that need a window system (the application's frame step) run under Xvfb, and the
# application's start-up time is measured by bench/startup.sh.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  case "$(basename "$b")" in
    bench_frame_step)
      xvfb-run -a -s "-screen 0 1280x900x24" env QT_QPA_PLATFORM=xcb "$b" ;;
    bench_stage|bench_timeline|bench_script_follow)
      QT_QPA_PLATFORM=offscreen "$b" ;;
    *)
      "$b" --benchmark_min_time=0.2 ;;
  esac
done
echo "== start-up"
bash "$root/bench/startup.sh" "$build"
echo "== batch"
bash "$root/bench/batch.sh" "$build"

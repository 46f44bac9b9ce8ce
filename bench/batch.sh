#!/usr/bin/env bash
# The AVI batch against plain movie making, in the same run: the demo show ten times over with
# holds of 3 seconds at each end, made by `quillon-cli batch --avi`, against `quillon-cli render`
# of the same show ten times, each at 720 x 484 in Motion JPEG. Reported as frames written per
# second each way and their ratio (target: the batch within 10 % of render). When Slurm is
# installed, the 3-show batch of the Slurm test is also timed end to end on a local one-node
# cluster (scripts/slurm-local.sh) beside the same batch run here.
# Usage: bench/batch.sh [BUILD_DIR]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
cli="$build/src/cli/quillon-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
printf '[System]\nFrameRate=3000\n' > profile.ini
"$cli" --profile profile.ini make-demo demo >/dev/null
shows=()
for i in $(seq 0 9); do cp demo/demo.shw "demo/copy$i.shw"; shows+=("$work/demo/copy$i.shw"); done
opts=(--size 720x484 --codec mjpeg)
now() { date +%s.%N; }

frames=$("$cli" --profile profile.ini info demo/demo.shw --json | python3 -c '
import json, sys
root = json.load(sys.stdin)["root"]
print(sum(s["endFrame"] - s["startFrame"] for s in root["children"]))')
holds=$((2 * 3 * 30))

t0=$(now)
"$cli" --profile profile.ini batch "${shows[@]}" --avi --hold-start 3 --hold-end 3 \
  --log batch.edl "${opts[@]}" >/dev/null 2>&1
t1=$(now)
for i in $(seq 0 9); do
  "$cli" --profile profile.ini render demo/demo.shw -o "render$i.avi" "${opts[@]}" >/dev/null 2>&1
done
t2=$(now)
python3 - "$frames" "$holds" "$t0" "$t1" "$t2" <<'PY'
import sys
frames, holds = int(sys.argv[1]), int(sys.argv[2])
t0, t1, t2 = map(float, sys.argv[3:6])
batch = 10 * (frames + holds) / (t1 - t0)
render = 10 * frames / (t2 - t1)
print(f"batch_avi: {10 * (frames + holds)} frames in {t1 - t0:.2f} s = {batch:.1f} frames/s")
print(f"render:    {10 * frames} frames in {t2 - t1:.2f} s = {render:.1f} frames/s")
print(f"ratio batch/render: {batch / render:.3f} frames/s (target at least 0.90); "
      f"wall time for the same ten shows {(t1 - t0) / (t2 - t1):.3f} (the batch also writes "
      f"its {10 * holds} hold frames)")
PY

if command -v sbatch >/dev/null 2>&1; then
  export QUILLON_SLURM_DIR="$work/slurm"
  eval "$(bash "$root/scripts/slurm-local.sh" start)"
  trap 'bash "$root/scripts/slurm-local.sh" stop >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
  three=("$work/demo/copy0.shw" "$work/demo/copy1.shw" "$work/demo/copy2.shw")
  s0=$(now)
  "$cli" --profile profile.ini batch "${three[@]}" --avi --log local.edl "${opts[@]}" >/dev/null 2>&1
  s1=$(now)
  "$cli" --profile profile.ini batch "${three[@]}" --avi --log slurm.edl "${opts[@]}" \
    --engine slurm --wait >/dev/null 2>&1
  s2=$(now)
  cmp -s local.edl slurm.edl && same=yes || same=NO
  python3 -c "
import sys
l, s = $s1 - $s0, $s2 - $s1
print(f'3-show batch: local {l:.2f} s, slurm {s:.2f} s end to end (ratio {s / l:.2f}); logs equal: $same')"
fi

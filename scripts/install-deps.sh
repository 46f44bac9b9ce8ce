#!/usr/bin/env bash
# Installs the Debian packages Quillon needs to build, test and run.
# Idempotent: when everything is already present it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-serialport-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  libgraphicsmagick++1-dev graphicsmagick
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev ffmpeg
  libgl-dev libegl-dev libglu1-mesa-dev libegl-mesa0 libgl1-mesa-dri
  qt6-qpa-plugins xvfb xauth xdotool x11-utils
  slurm-wlm munge
  qt6-multimedia-dev pulseaudio
  libtinygltf-dev cmark librsvg2-bin desktop-file-utils libxml2-utils shared-mime-info
  poppler-utils
)
# The glTF tests fetch the Khronos validator with npm. Where a Node.js build that bundles npm is
# already installed, Debian's npm package conflicts with it: take npm from Debian only when no
# npm is on the path.
if ! command -v npm >/dev/null 2>&1; then
  packages+=(nodejs npm)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

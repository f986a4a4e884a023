#!/usr/bin/env bash
# Installs every Debian package that building, running and testing plisse needs.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libboost-dev libmpfr-dev libgmp-dev
  bison flex
  libsdl1.2-dev libgl1-mesa-dev libglu1-mesa-dev
  libgtest-dev libbenchmark-dev
  nlohmann-json3-dev libcli11-dev
  xvfb x11-apps imagemagick xdotool libgl1-mesa-dri
  libcairo2-dev libsdl-ttf2.0-dev fonts-dejavu-core poppler-utils
  python3 python3-numpy python3-sympy python3-mpmath
  pybind11-dev python3-dev python3-pytest python3-matplotlib python3-distributed
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Installs the Debian packages the project needs and that are not there yet.
# Usage: scripts/install-deps.sh run|test
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-multimedia-dev libgl-dev libsdl2-dev libgif-dev libenet-dev libminiupnpc-dev fonts-dejavu-core fonts-liberation)
if [ "${1:-run}" = test ]; then
    packages+=(libgtest-dev xvfb xauth xdotool x11-utils imagemagick clang libclang-rt-14-dev
               desktop-file-utils appstream dpkg-dev file openbox man-db gdb clang-format iproute2 util-linux)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

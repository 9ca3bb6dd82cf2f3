#!/usr/bin/env bash
# Installs what the build, the tests, the fuzzing and the peer comparison need, from
# Debian's packages. Safe to run again: only missing packages are installed.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    libpng-dev libjpeg-dev
    clang libclang-rt-dev
    imagemagick libvips-tools
    # The GTK 3 backend, and the GUI tests' X server, input and screenshots.
    libgtk-3-dev libx11-dev xvfb xdotool python3
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

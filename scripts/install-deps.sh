#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Morvane need.
# Quiet and quick when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build ccache pkg-config
    juce-modules-source
    libasound2-dev libcurl4-openssl-dev libfreetype-dev libfontconfig1-dev
    libpng-dev libjpeg-dev zlib1g-dev
    libx11-dev libxrandr-dev libxinerama-dev libxcursor-dev libxext-dev libxcomposite-dev libgl-dev
    libgtest-dev libgmock-dev libcpp-httplib-dev
    fonts-dejavu-core
    xvfb xauth x11-utils xdotool openbox imagemagick
    clang-14 libclang-rt-14-dev llvm-14
)

source "$(dirname "$0")/apt-packages.sh"
morvane_install_missing "Installing" "${packages[@]}"

# What the real MIDI port test guest needs (qemu, busybox, cpio, xz).
bash "$(dirname "$0")/guest/install-deps.sh"

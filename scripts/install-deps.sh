#!/usr/bin/env bash
# Installs the Debian packages that building and running Morvane need: the compiler and build
# tools, JUCE and the libraries it builds against, the fonts its skin is drawn from, and the X
# tools with which run.sh looks for a display. With --virtual-display, also what run.sh needs to
# start Morvane under a virtual display and take a screenshot of its window where there is none.
# What only the test command needs is installed by scripts/install-test-deps.sh.
# Quiet and quick when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build ccache pkg-config
    juce-modules-source
    libasound2-dev libcurl4-openssl-dev libfreetype-dev libfontconfig1-dev
    libpng-dev libjpeg-dev zlib1g-dev
    libx11-dev libxrandr-dev libxinerama-dev libxcursor-dev libxext-dev libxcomposite-dev libgl-dev
    fonts-dejavu-core
    x11-utils
)

if [ "${1:-}" = --virtual-display ]; then
    packages+=(xvfb openbox imagemagick)
fi

source "$(dirname "$0")/apt-packages.sh"
morvane_install_missing "Installing" "${packages[@]}"

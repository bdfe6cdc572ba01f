#!/usr/bin/env bash
# Installs what the test command needs: what building and running need (install-deps.sh, with
# the virtual display the GUI tests run in), then GoogleTest, the HTTP library of the test
# server, the X tools that drive and capture the program's windows, clang and LLVM for the fuzz
# targets, and what the real MIDI port test guest needs.
# Quiet and quick when everything is already there.
set -euo pipefail

here=$(dirname "$0")
bash "$here/install-deps.sh" --virtual-display

packages=(
    libgtest-dev libgmock-dev libcpp-httplib-dev
    xauth xdotool
    clang-14 libclang-rt-14-dev llvm-14
)

source "$here/apt-packages.sh"
morvane_install_missing "Installing for the tests" "${packages[@]}"

# What the real MIDI port test guest needs (qemu, busybox, cpio, xz).
bash "$here/guest/install-deps.sh"

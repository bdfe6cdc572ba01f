#!/usr/bin/env bash
# Installs what the real-port test guest needs: qemu's x86 emulator, a static busybox for the
# guest's userland, cpio to pack its initramfs and xz for compressed kernel modules.
# Quiet and quick when everything is already there.
set -euo pipefail

packages=(qemu-system-x86 busybox-static cpio xz-utils)

source "$(dirname "$0")/../apt-packages.sh"
morvane_install_missing "Installing for the test guest" "${packages[@]}"

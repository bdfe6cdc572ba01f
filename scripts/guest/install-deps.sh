#!/usr/bin/env bash
# Installs what the real-port test guest needs: qemu's x86 emulator, a static busybox for the
# guest's userland, cpio to pack its initramfs and xz for compressed kernel modules.
# Quiet and quick when everything is already there.
set -euo pipefail

packages=(qemu-system-x86 busybox-static cpio xz-utils)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing for the test guest: ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo_cmd apt-get update -qq
    $sudo_cmd apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing[@]}" >/dev/null
fi

#!/usr/bin/env bash
# Fetches Debian's linux-image-amd64 kernel once and keeps, in the cache folder, only what the
# guest needs: the uncompressed vmlinux (booted through its PVH entry, which saves the bzImage's
# own decompression under emulation) and the sound modules. Prints the kernel's folder.
#
#   <cache>/kernel-<version>/vmlinux
#   <cache>/kernel-<version>/modules/kernel/sound/...
#
# Several runs may start at once (parallel test runs, several checkouts): the fetch holds a lock.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"

cache=$(morvane_guest_cache_dir)
mkdir -p "$cache"

exec 9>"$cache/.lock"
flock -w 900 9 || { echo "fetch-kernel: timed out waiting for $cache/.lock" >&2; exit 1; }

# A kernel already unpacked is used as it is, so the test also runs without the network.
for ready in "$cache"/kernel-*/.complete; do
    if [ -e "$ready" ]; then
        dirname "$ready"
        exit 0
    fi
done

# linux-image-amd64 is a metapackage: the kernel is the package it depends on.
package=$(apt-cache depends linux-image-amd64 2>/dev/null | sed -n 's/^ *Depends: \(linux-image-[0-9].*\)$/\1/p' | head -n 1)
if [ -z "$package" ]; then
    [ "$(id -u)" -eq 0 ] && apt-get update -qq >&2 || true
    package=$(apt-cache depends linux-image-amd64 | sed -n 's/^ *Depends: \(linux-image-[0-9].*\)$/\1/p' | head -n 1)
fi
[ -n "$package" ] || { echo "fetch-kernel: apt knows no linux-image-amd64" >&2; exit 1; }

work=$(mktemp -d "$cache/fetch.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "fetch-kernel: downloading $package" >&2
# As root apt would hand the download to its own unprivileged user, who cannot write here.
sandbox=()
[ "$(id -u)" -eq 0 ] && sandbox=(-o APT::Sandbox::User=root)
(cd "$work" && apt-get download -qq "${sandbox[@]}" "$package" >&2)
deb=$(ls "$work"/*.deb)

mkdir "$work/unpacked"
dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$work/unpacked" --wildcards './boot/*' './lib/modules/*/kernel/sound/*' \
    './lib/modules/*/modules.*' 2>/dev/null \
    || dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$work/unpacked" --wildcards './boot/*' './lib/modules/*/kernel/sound/*'

bzimage=$(ls "$work"/unpacked/boot/vmlinuz-* | head -n 1)
version=${bzimage##*/vmlinuz-}
target="$cache/kernel-$version"
rm -rf "$target"
mkdir -p "$target/modules"
cp -a "$work/unpacked/boot/." "$target/"
cp -a "$work/unpacked/lib/modules/$version/." "$target/modules/"

bash "$here/extract-vmlinux.sh" "$bzimage" > "$target/vmlinux"
touch "$target/.complete"
echo "$target"

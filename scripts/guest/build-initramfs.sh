#!/usr/bin/env bash
# Builds the test guest's initramfs: a static busybox, the ALSA sequencer and virtual MIDI
# modules in load order, alsa-lib's configuration, a test program with the shared libraries
# it links, and an /init that loads the modules, runs the program and powers the guest off.
#
#   build-initramfs.sh <kernel folder> <output .cpio.gz> <program> [arguments...]
#
# The program's exit code is printed on the console as "MORVANE-GUEST-RESULT <code>".
set -euo pipefail

kernel=$1 output=$2 program=$3
shift 3

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

mkdir -p "$root"/{bin,sbin,dev,proc,sys,tmp,root,etc,lib/modules,usr/share/alsa,test}

# busybox and its applets. "busybox --list" names busybox itself: linking that name would
# replace the binary with a link to itself.
cp /bin/busybox "$root/bin/busybox"
for applet in $("$root/bin/busybox" --list); do
    [ "$applet" = busybox ] && continue
    [ -e "$root/bin/$applet" ] || ln -s busybox "$root/bin/$applet"
done

# The modules: each wanted module after the modules its depends= field names. No kmod in the
# guest, so /init loads them with insmod in this order.
find_module()
{
    find "$kernel/modules" -name "$1.ko" -o -name "$1.ko.xz" | head -n 1
}

depends_of()
{
    local file=$1
    case "$file" in
        *.xz) xz -dc "$file" ;;
        *) cat "$file" ;;
    esac | tr '\0' '\n' | sed -n 's/^depends=//p' | head -n 1 | tr ',' ' '
}

ordered=()
add_module()
{
    local name=$1 file dep
    for done in "${ordered[@]:-}"; do [ "$done" = "$name" ] && return; done
    file=$(find_module "$name")
    [ -n "$file" ] || { echo "build-initramfs: module $name not found" >&2; exit 1; }
    for dep in $(depends_of "$file"); do
        add_module "$dep"
    done
    for done in "${ordered[@]:-}"; do [ "$done" = "$name" ] && return; done
    ordered+=("$name")
    case "$file" in
        *.xz) xz -dc "$file" > "$root/lib/modules/$name.ko" ;;
        *) cp "$file" "$root/lib/modules/$name.ko" ;;
    esac
}

for module in snd-seq snd-seq-dummy snd-virmidi; do
    add_module "$module"
done

# Without alsa.conf alsa-lib cannot open the sequencer, and JUCE lists no ports.
cp /usr/share/alsa/alsa.conf "$root/usr/share/alsa/alsa.conf"

# The program and every library the dynamic loader resolves for it, at the same paths.
cp "$program" "$root/test/"
name=$(basename "$program")
for lib in $(ldd "$program" | grep -o '/[^ ]*'); do
    mkdir -p "$root$(dirname "$lib")"
    cp -L "$lib" "$root$lib"
done

quoted=""
for arg in "$@"; do
    quoted+=" $(printf '%q' "$arg")"
done

{
    echo '#!/bin/sh'
    echo 'mount -t proc proc /proc'
    echo 'mount -t sysfs sysfs /sys'
    echo 'mount -t devtmpfs devtmpfs /dev'
    echo 'mount -t tmpfs tmpfs /tmp'
    for module in "${ordered[@]}"; do
        echo "insmod /lib/modules/$module.ko || echo 'guest: insmod $module failed'"
    done
    echo 'export HOME=/root PATH=/bin:/sbin'
    echo 'cd /test'
    echo "./$name$quoted"
    echo 'echo "MORVANE-GUEST-RESULT $?"'
    echo 'sync'
    echo 'poweroff -f'
} > "$root/init"
chmod +x "$root/init"

(cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) > "$output"

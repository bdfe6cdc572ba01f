#!/usr/bin/env bash
# Writes the uncompressed ELF kernel held inside a bzImage to standard output: finds the first
# compressed stream (gzip, xz, zstd, lzma, bzip2 or lz4) whose content is an ELF file.
set -euo pipefail

image=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

try()
{
    local magic=$1; shift
    local offsets
    offsets=$(LC_ALL=C grep -obUaP "$magic" "$image" | cut -d: -f1 | head -n 5) || return 1
    for offset in $offsets; do
        tail -c "+$((offset + 1))" "$image" | "$@" > "$scratch/vmlinux" 2>/dev/null || true
        if [ "$(head -c 4 "$scratch/vmlinux" | od -An -tx1 | tr -d ' \n')" = "7f454c46" ]; then
            cat "$scratch/vmlinux"
            exit 0
        fi
    done
    return 1
}

try '\x1f\x8b\x08' gunzip || true
try '\xfd\x37\x7a\x58\x5a\x00' xz -dc || true
try '\x28\xb5\x2f\xfd' zstd -dc || true
try '\x5d\x00\x00\x00' xz -dc --format=lzma || true
try 'BZh' bunzip2 || true
try '\x02\x21\x4c\x18' lz4 -dc || true

echo "extract-vmlinux: no compressed kernel found in $image" >&2
exit 1

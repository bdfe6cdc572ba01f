#!/usr/bin/env bash
# Runs a test program inside a small Linux guest whose ALSA has real MIDI ports: the
# sequencer's "Midi Through" port (snd-seq-dummy) and four VirMIDI ports (snd-virmidi), each a
# sequencer port whose other side is the raw MIDI device /dev/snd/midiC0D<n>. Exits with the
# program's exit code; 1 when the guest did not report one.
#
#   run-guest.sh <program> [arguments...]
#
# Environment: MORVANE_GUEST_WORK, the folder for the initramfs (a temporary one otherwise);
# MORVANE_GUEST_TIMEOUT, seconds before the guest is stopped (240); MORVANE_GUEST_MEMORY, its
# memory in MB (768; a sanitizer build wants 3072); MORVANE_GUEST_CACHE, see
# common.sh.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "$1")
shift

if ! command -v qemu-system-x86_64 >/dev/null || ! command -v cpio >/dev/null || [ ! -x /bin/busybox ] \
    || ! /bin/busybox --list 2>/dev/null | grep -qx insmod; then
    bash "$here/install-deps.sh"
fi

kernel=$(bash "$here/fetch-kernel.sh")

work=${MORVANE_GUEST_WORK:-}
scratch=""
if [ -z "$work" ]; then
    work=$(mktemp -d)
    scratch=$work
fi
mkdir -p "$work"

initramfs="$work/initramfs-$$.cpio.gz"
log="$work/console-$$.log"
trap 'rm -f "$initramfs" "$log"; [ -z "$scratch" ] || rm -rf "$scratch"' EXIT
bash "$here/build-initramfs.sh" "$kernel" "$initramfs" "$program" "$@"

# KVM only on real hardware virtualisation: where /dev/kvm sits on a nested hypervisor, a stock
# kernel does not boot under it, and qemu's own emulation (TCG) is the safe choice.
accel=(-accel tcg,thread=multi)
if [ -w /dev/kvm ] && grep -qwE 'vmx|svm' /proc/cpuinfo && ! grep -qw hypervisor /proc/cpuinfo; then
    accel=(-accel kvm -cpu host)
fi

# One processor: a loaded host then slows the guest's threads alike, and none of them falls behind
# the others (the sequencer drops what a starved reader does not take in time).
# -no-reboot with panic=-1: a crashed init ends qemu at once. No standard input in CI: qemu reads
# from /dev/null and writes the serial console to the log.
# The guest's console goes to a log that is shown as it grows; once the program's result is there,
# the guest is given a few seconds to power off and is then stopped, so that a shutdown that
# hangs does not hold the test up.
: > "$log"
timeout --kill-after=10 "${MORVANE_GUEST_TIMEOUT:-240}" \
    qemu-system-x86_64 "${accel[@]}" -m "${MORVANE_GUEST_MEMORY:-768}" -smp 1 -nodefaults -no-user-config \
        -kernel "$kernel/vmlinux" -initrd "$initramfs" \
        -append "console=ttyS0 panic=-1 quiet loglevel=4" \
        -display none -serial "file:$log" -no-reboot </dev/null &
qemu=$!
tail -n +1 -f "$log" --pid "$qemu" &
follower=$!

reported=""
while kill -0 "$qemu" 2>/dev/null; do
    if [ -z "$reported" ] && grep -q '^MORVANE-GUEST-RESULT' "$log"; then
        reported=$SECONDS
    fi
    if [ -n "$reported" ] && [ $((SECONDS - reported)) -ge 10 ]; then
        kill "$qemu" 2>/dev/null || true
    fi
    sleep 0.5
done
status=0
wait "$qemu" || status=$?
wait "$follower" 2>/dev/null || true

if [ -z "$reported" ] && { [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; }; then
    echo "run-guest: the guest did not finish within ${MORVANE_GUEST_TIMEOUT:-240} s" >&2
fi

result=$(tr -d '\r' < "$log" | sed -n 's/^MORVANE-GUEST-RESULT \([0-9]*\)$/\1/p' | tail -n 1)
if [ -z "$result" ]; then
    echo "run-guest: the guest reported no result" >&2
    exit 1
fi
exit "$result"

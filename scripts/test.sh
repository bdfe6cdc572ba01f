#!/usr/bin/env bash
# Installs what is missing, builds Morvane and runs every test suite: once plainly, once built
# with AddressSanitizer and UndefinedBehaviorSanitizer, and the link suites once more under
# ThreadSanitizer. GUI tests run inside a virtual X display.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh

source scripts/display.sh
morvane_start_display
trap morvane_stop_display EXIT

# The compiler cache stays the user's own, so repeated runs reuse it.
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"

# Tests never touch the real user's settings.
scratch=$(mktemp -d)
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config"
mkdir -p "$HOME" "$XDG_CONFIG_HOME"

jobs=$(nproc)

run_suite()
{
    local dir=$1 label=$2; shift 2
    echo "=== ${label}: configuring and building in ${dir}"
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    echo "=== ${label}: running tests"
    (cd "$dir" && ctest --output-on-failure -j "$jobs" ${MORVANE_CTEST_ARGS:-})
}

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/support/lsan.supp"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/tests/support/tsan.supp"

run_suite build "plain" -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_suite build-asan "asan+ubsan" -DCMAKE_BUILD_TYPE=Debug -DMORVANE_SANITIZE=address,undefined
MORVANE_CTEST_ARGS="-L tsan" run_suite build-tsan "tsan (threaded suites)" -DCMAKE_BUILD_TYPE=Debug \
    -DMORVANE_SANITIZE=thread -DMORVANE_ONLY_THREAD_SUITES=ON

# Every fuzz target for a short bounded time (scripts/fuzz-smoke.sh; campaigns: scripts/fuzz.sh).
bash scripts/fuzz-smoke.sh

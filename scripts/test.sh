#!/usr/bin/env bash
# Installs what is missing, builds Morvane and runs every test suite: once plainly, once built
# with AddressSanitizer and UndefinedBehaviorSanitizer, and the link suites once more under
# ThreadSanitizer. GUI tests run inside a virtual X display.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-test-deps.sh

source scripts/display.sh
morvane_start_display

# The sanitizer and fuzz builds run in the background (below); they end with the script.
builder=""

stop_background_build()
{
    # The builder leads a process group of its own (job control below); end the whole group.
    if [ -n "$builder" ] && kill -0 "$builder" 2>/dev/null; then
        kill -- "-$builder" 2>/dev/null || true
        wait "$builder" 2>/dev/null || true
    fi
}

# The compiler cache stays the user's own, so repeated runs reuse it.
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"

# Tests never touch the real user's settings; their folder goes with the script.
scratch=$(mktemp -d)
trap 'stop_background_build; morvane_stop_display; rm -rf "$scratch"' EXIT
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config"
mkdir -p "$HOME" "$XDG_CONFIG_HOME"

jobs=$(nproc)

elapsed()
{
    echo "$(( $(date +%s) - $1 )) s"
}

# Line tables only: sanitizer reports and failed tests still show file and line, and every
# configuration compiles and links faster than with full debug information.
configure_and_build()
{
    local dir=$1 label=$2 start
    shift 2
    start=$(date +%s)
    echo "=== ${label}: configuring and building in ${dir}"
    cmake -S . -B "$dir" -G Ninja -DMORVANE_LINE_TABLES_ONLY=ON "$@" >/dev/null || return 1
    cmake --build "$dir" -j "$jobs" || return 1
    echo "=== ${label}: built in $(elapsed "$start")"
}

run_tests()
{
    local dir=$1 label=$2 start
    start=$(date +%s)
    echo "=== ${label}: running tests"
    (cd "$dir" && ctest --output-on-failure -j "$jobs" ${MORVANE_CTEST_ARGS:-})
    echo "=== ${label}: tests passed in $(elapsed "$start")"
}

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/support/lsan.supp"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/tests/support/tsan.supp"

plain=(build "plain" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE_BUILD_TESTS=ON)   # run.sh may have left them out
asan=(build-asan "asan+ubsan" -DCMAKE_BUILD_TYPE=Debug -DMORVANE_SANITIZE=address,undefined)
tsan=(build-tsan "tsan (threaded suites)" -DCMAKE_BUILD_TYPE=Debug -DMORVANE_SANITIZE=thread
      -DMORVANE_ONLY_THREAD_SUITES=ON)

# The sanitizer and fuzz configurations are built one after another at the lowest priority while
# the tests of the configuration before run: many tests take turns on the display or wait for
# their devices, and the builds use the time the tests leave. Each build leaves its log and, once
# done, its exit status in builds/ of the scratch folder.
builds="$scratch/builds"
mkdir -p "$builds"

build_in_background()
{
    renice -n 19 -p "$BASHPID" >/dev/null
    local name status
    for name in asan tsan fuzz; do
        status=0
        case $name in
            asan) configure_and_build "${asan[@]}" ;;
            tsan) configure_and_build "${tsan[@]}" ;;
            fuzz) bash scripts/fuzz.sh --build ;;
        esac >"$builds/$name.log" 2>&1 || status=$?
        echo "$status" >"$builds/$name.status.tmp"
        mv "$builds/$name.status.tmp" "$builds/$name.status"
        [ "$status" -eq 0 ] || return 1
    done
}

# While tests run, the builder stays at the lowest priority; while the tests wait for it, it gets
# the normal one back where the system allows it, so that other work on a shared machine does not
# hold it up.
set_builder_priority()
{
    renice -n "$1" -g "$builder" >/dev/null 2>&1 || true
}

wait_for_build()
{
    local name=$1 start
    start=$(date +%s)
    set_builder_priority 0
    while [ ! -f "$builds/$name.status" ]; do
        if ! kill -0 "$builder" 2>/dev/null && [ ! -f "$builds/$name.status" ]; then
            echo "=== the ${name} build ended without a result"
            exit 1
        fi
        sleep 2
    done
    set_builder_priority 19
    cat "$builds/$name.log"
    echo "=== waited $(elapsed "$start") for the ${name} build to finish"
    if [ "$(cat "$builds/$name.status")" != 0 ]; then
        echo "=== the ${name} build failed"
        exit 1
    fi
}

script_start=$(date +%s)
configure_and_build "${plain[@]}"
# The benchmarks are never run here, but they must keep building with the code they measure.
cmake --build build -j "$jobs" --target link_bench program_bench backup_bench

set -m
build_in_background &
builder=$!
set +m

run_tests "${plain[@]:0:2}"

wait_for_build asan
run_tests "${asan[@]:0:2}"

wait_for_build tsan
MORVANE_CTEST_ARGS="-L tsan" run_tests "${tsan[@]:0:2}"

# Every fuzz target for a short bounded time (scripts/fuzz-smoke.sh; campaigns: scripts/fuzz.sh).
wait_for_build fuzz
bash scripts/fuzz-smoke.sh

echo "=== every configuration built and passed in $(elapsed "$script_start")"

#!/usr/bin/env bash
# Runs the test suites over and over on two cores with busy loops beside them, to find tests that
# pass only on a fast, quiet machine. Not part of the test command.
#
#   bash scripts/stress-tests.sh [options] [-- extra ctest arguments]
#
#   --builds "plain asan tsan"  which builds to stress (default: all three, as scripts/test.sh runs them)
#   --build-dir DIR             use DIR instead of the build's usual folder (only with one build)
#   -R REGEX / -E REGEX         run only the tests whose names match / leave out those that match
#   --target TARGET             build only this target (a suite binary, e.g. link_tests)
#   --repeat N                  repetitions of every test: ctest --repeat until-fail:N (default 20)
#   --cores LIST                the CPUs the tests and the load share, for taskset (default 0,1)
#   --load N                    busy loops beside the tests on those CPUs (default 2)
#   --jobs N                    tests run at once (default 4)
#   --name NAME                 names this run's log, <build dir>/stress-NAME.log (default: stress.log)
#   --no-build                  run what is built already
#   --with-end-to-end           also run app_end_to_end_* (under the machine-wide program lock)
#   --with-guest                also run realports_in_guest (boots a qemu guest each time)
#
# The builds use the flags and environment of scripts/test.sh: the same sanitizer options, a
# virtual display, and HOME and XDG_CONFIG_HOME in a temporary folder. Each build's output goes to
# <build dir>/stress.log (or the --name'd one); a summary of the failed tests and each build's time
# ends the run, and the exit status is 1 if any test failed.
#
# Two runs may go at once, each on its own cores (e.g. --builds plain --cores 0,1 beside
# --builds asan --cores 2,3): each starts a virtual display of its own (tests that take the
# keyboard focus would steal it from each other's windows on a shared one) and keeps HOME,
# XDG_CONFIG_HOME and TMPDIR in a folder of its own. Two runs share a build folder only with
# --no-build and a --name each (e.g. the app suite beside the others, which shortens a build's
# run, as the display tests of one run take turns); a run of the same name is refused while the
# first holds it, and a build waits while another run of the folder builds.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

builds="plain asan tsan"
buildDir=""
target=""
repeat=20
cores="0,1"
load=2
jobs=4
name=""
build=1
endToEnd=0
guest=0
ctestFilter=()
extra=()

while [ $# -gt 0 ]; do
    case "$1" in
        --builds) builds=$2; shift 2 ;;
        --build-dir) buildDir=$2; shift 2 ;;
        --target) target=$2; shift 2 ;;
        --repeat) repeat=$2; shift 2 ;;
        --cores) cores=$2; shift 2 ;;
        --load) load=$2; shift 2 ;;
        --jobs) jobs=$2; shift 2 ;;
        --name) name=$2; shift 2 ;;
        --no-build) build=0; shift ;;
        --with-end-to-end) endToEnd=1; shift ;;
        --with-guest) guest=1; shift ;;
        -R|-E) ctestFilter+=("$1" "$2"); shift 2 ;;
        --) shift; extra=("$@"); break ;;
        -h|--help) awk 'NR > 1 && /^#/ { sub (/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; exit 0 ;;
        *) echo "stress-tests.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
    esac
done

if [ -n "$buildDir" ] && [ "$(wc -w <<< "$builds")" -ne 1 ]; then
    echo "stress-tests.sh: --build-dir needs exactly one build in --builds" >&2
    exit 2
fi

# Always a display of our own, even when DISPLAY names one: see above.
source scripts/display.sh
unset DISPLAY
morvane_start_display

loadPids=()

stopLoad()
{
    local pid
    for pid in "${loadPids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${loadPids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    loadPids=()
}

scratch=$(mktemp -d)

cleanUp()
{
    stopLoad
    morvane_stop_display
    rm -rf "$scratch"
}
trap cleanUp EXIT
trap 'exit 130' INT TERM

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" TMPDIR="$scratch/tmp"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$TMPDIR"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/support/lsan.supp"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/tests/support/tsan.supp"

startLoad()
{
    local i
    for i in $(seq 1 "$load"); do
        taskset -c "$cores" bash -c 'while :; do :; done' &
        loadPids+=($!)
    done
}

summary=""
failed=0

for kind in $builds; do
    labelArgs=()
    case "$kind" in
        plain) dir=build; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
        asan) dir=build-asan; flags=(-DCMAKE_BUILD_TYPE=Debug -DMORVANE_SANITIZE=address,undefined) ;;
        tsan) dir=build-tsan; labelArgs=(-L tsan)
              flags=(-DCMAKE_BUILD_TYPE=Debug -DMORVANE_SANITIZE=thread -DMORVANE_ONLY_THREAD_SUITES=ON) ;;
        *) echo "stress-tests.sh: unknown build $kind (plain, asan or tsan)" >&2; exit 2 ;;
    esac
    [ -n "$buildDir" ] && dir=$buildDir
    mkdir -p "$dir"

    # One run of a name at a time in a build folder: a second would write over its log. A build
    # waits for every other run of the folder, and they for it, since it replaces the binaries
    # they run. The locks go with their descriptors when this build is done.
    exec 9> "$dir/.stress-lock${name:+-$name}"
    if ! flock -n 9; then
        failed=1
        summary+="${kind}: not run, another stress run named '${name}' is using ${dir}"$'\n'
        exec 9>&-
        continue
    fi
    exec 8> "$dir/.stress-build-lock"
    if [ "$build" = 1 ]; then flock 8; else flock -s 8; fi

    started=$SECONDS

    if [ "$build" = 1 ]; then
        echo "=== ${kind}: configuring and building in ${dir}"
        if ! { cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null \
               && taskset -c "$cores" cmake --build "$dir" -j 4 ${target:+--target "$target"}; }; then
            failed=1
            summary+="${kind}: the build failed"$'\n'
            exec 9>&- 8>&-
            continue
        fi
        flock -s 8
    fi

    # ctest takes one -E: join ours with the end-to-end runs', which go on their own below, and
    # the guest's, which boots a virtual machine for each run.
    filter=()
    exclude="app_end_to_end"
    [ "$guest" = 1 ] || exclude+="|realports_in_guest"
    for ((i = 0; i < ${#ctestFilter[@]}; i += 2)); do
        if [ "${ctestFilter[i]}" = "-E" ]; then
            exclude="${ctestFilter[i+1]}|${exclude}"
        else
            filter+=("${ctestFilter[i]}" "${ctestFilter[i+1]}")
        fi
    done

    log="$(cd "$dir" && pwd)/stress${name:+-$name}.log"
    echo "=== ${kind}: every test ${repeat} times on CPUs ${cores} beside ${load} busy loops (log: ${log})"
    startLoad
    set +e
    (cd "$dir" && taskset -c "$cores" ctest --output-on-failure -j "$jobs" --repeat "until-fail:${repeat}" \
         "${labelArgs[@]}" "${filter[@]}" -E "$exclude" "${extra[@]}") > "$log" 2>&1
    status=$?

    # The real program's runs share a lock with everyone's runs on this machine: one at a time.
    if [ "$endToEnd" = 1 ] && [ "$kind" != tsan ]; then
        (cd "$dir" && flock /tmp/morvane-program.lock taskset -c "$cores" ctest --output-on-failure \
             --repeat "until-fail:${repeat}" -R app_end_to_end "${extra[@]}") >> "$log" 2>&1
        [ $? = 0 ] || status=1
    fi
    set -e
    stopLoad
    exec 9>&- 8>&-
    took="$((SECONDS - started)) s on CPUs ${cores}"
    grep -E 'tests passed|tests failed|Total Test time' "$log" || true

    failures=$(sed -n '/The following tests FAILED/,$p' "$log" | grep -E '^\s+[0-9]+ - ' || true)
    if [ "$status" != 0 ] || [ -n "$failures" ]; then
        failed=1
        summary+="${kind}: FAILED (${took})"$'\n'"${failures:-  (ctest ended with status ${status}; see ${log})}"$'\n'
    else
        summary+="${kind}: all passed ${repeat} times (${took})"$'\n'
    fi
done

echo
echo "=== stress summary"
printf '%s' "$summary"
exit "$failed"

#!/usr/bin/env bash
# The fuzz step of the test command: builds the libFuzzer targets (scripts/fuzz.sh) and runs each
# for a short bounded time from its seeds, two at a time, so that a regression in a reader of
# outside input fails the tests. Any crash, hang, leak or sanitizer report fails this script;
# what was found is kept in build-fuzz/artifacts/. Long campaigns: scripts/fuzz.sh TARGET SECONDS.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

seconds=${MORVANE_FUZZ_SMOKE_SECONDS:-20}
build=${MORVANE_FUZZ_BUILD:-build-fuzz}

echo "=== fuzz: building the targets in ${build}"
start=$(date +%s)
bash scripts/fuzz.sh --build >/dev/null
echo "=== fuzz: built in $(( $(date +%s) - start )) s; running each target for ${seconds} s"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

run_one()
{
    local target=$1
    mkdir -p "$scratch/$target" "$scratch/$target.tmp"
    # A fresh corpus folder first, so the run adds nothing to the seeds in the repository; a
    # temporary folder of its own, which the target must leave as empty as it found it.
    if TMPDIR="$scratch/$target.tmp" MORVANE_FUZZ_CORPUS_OUT="$scratch/$target" bash scripts/fuzz.sh "$target" "$seconds" \
            >"$scratch/$target.log" 2>&1; then
        if [ -n "$(ls -A "$scratch/$target.tmp")" ]; then
            echo "fuzz $target: FAILED, it left in the temporary folder: $(ls -A "$scratch/$target.tmp" | tr '\n' ' ')"
            return 1
        fi
        echo "fuzz $target: $(grep -o 'stat::number_of_executed_units: [0-9]*' "$scratch/$target.log" | awk '{print $2}') runs, nothing found"
    else
        echo "fuzz $target: FAILED"
        tail -40 "$scratch/$target.log"
        return 1
    fi
}

failed=0
pids=()
names=()

for target in $(bash scripts/fuzz.sh --list); do
    run_one "$target" &
    pids+=($!)
    names+=("$target")

    if [ ${#pids[@]} -ge 2 ]; then
        wait "${pids[0]}" || failed=1
        pids=("${pids[@]:1}")
    fi
done

for pid in "${pids[@]}"; do
    wait "$pid" || failed=1
done

echo "=== fuzz: done in $(( $(date +%s) - start )) s"
exit $failed

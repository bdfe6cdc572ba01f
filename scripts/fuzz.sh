#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ (in build-fuzz/, with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs one of them for a campaign:
#
#   bash scripts/fuzz.sh TARGET SECONDS     e.g. bash scripts/fuzz.sh fuzz_skin_xml 3600
#   bash scripts/fuzz.sh --list             the targets
#   bash scripts/fuzz.sh --build            only build them
#
# The campaign starts from the seeds in fuzz/corpus/TARGET and keeps what it finds in
# build-fuzz/corpus/TARGET; a crash, hang or sanitizer report is written to
# build-fuzz/artifacts/TARGET/ and ends the run with a failure. Runs at low priority.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
build=${MORVANE_FUZZ_BUILD:-build-fuzz}
jobs=${MORVANE_FUZZ_JOBS:-$(nproc)}

build_targets()
{
    if [ ! -f "$build/CMakeCache.txt" ]; then
        CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DMORVANE_LINE_TABLES_ONLY=ON \
            -DMORVANE_FUZZ=ON >/dev/null
    fi
    nice cmake --build "$build" -j "$jobs" --target fuzz_targets
}

targets()
{
    sed -n 's/^morvane_add_fuzz_target(\([a-z0-9_]*\) .*/\1/p' fuzz/CMakeLists.txt
}

case "${1:-}" in
    --list)  targets; exit 0 ;;
    --build) build_targets; exit 0 ;;
    ""|-h|--help) sed -n '2,12p' "$0"; exit 2 ;;
esac

target=$1
seconds=${2:-60}

if ! targets | grep -qx "$target"; then
    echo "No fuzz target $target; the targets are:" >&2
    targets >&2
    exit 2
fi

build_targets >/dev/null

# Absolute paths: some targets change their working directory.
build=$(cd "$build" && pwd)
corpus="${MORVANE_FUZZ_CORPUS_OUT:-$build/corpus/$target}"
artifacts="$build/artifacts/$target"
mkdir -p "$corpus" "$artifacts"

# Symbolised reports; leaks count as findings.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:symbolize=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export ASAN_SYMBOLIZER_PATH="${ASAN_SYMBOLIZER_PATH:-$(command -v llvm-symbolizer-14 || command -v llvm-symbolizer || true)}"

# A hang is an input that takes more than 10 s; memory beyond 2 GB counts as a finding too.
exec nice -n 19 "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len="${MORVANE_FUZZ_MAX_LEN:-65536}" -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$corpus" "$root/fuzz/corpus/$target"

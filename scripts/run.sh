#!/usr/bin/env bash
# Installs what is missing, builds Morvane and starts it.
# Without a display, starts it under a virtual one, saves a screenshot of its window and says where.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh

has_display() { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }

# Without a display, Morvane runs under a virtual one (below), whose tools are installed first.
if ! has_display; then
    bash scripts/install-deps.sh --virtual-display
fi

# The test suites need packages that running does not: a build folder made here leaves them out,
# one that the test command made keeps them.
suites=()
[ -f build/CMakeCache.txt ] || suites=(-DMORVANE_BUILD_TESTS=OFF)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${suites[@]}" >/dev/null
cmake --build build -j "$(nproc)" --target Morvane

exe="$root/build/bin/Morvane"

if has_display; then
    exec "$exe"
fi

source scripts/display.sh
morvane_start_display
trap morvane_stop_display EXIT

shot="$root/build/morvane-screenshot.png"
"$exe" &
pid=$!

# The id of the main window: the top-level window titled exactly "Morvane".
main_window()
{
    xwininfo -root -tree 2>/dev/null | awk '/"Morvane": \(/ && ! found { print $1; found = 1 }' || true
}

# Wait for the main window to appear, then give it a moment to paint.
win=""
for i in $(seq 1 100); do
    win=$(main_window)
    if [ -n "$win" ]; then break; fi
    if ! kill -0 "$pid" 2>/dev/null; then break; fi
    sleep 0.1
done
sleep 1

if kill -0 "$pid" 2>/dev/null && [ -n "$win" ]; then
    # The window alone, not the whole virtual screen around it.
    import -window "$win" "$shot"
    echo "No display here: Morvane ran under a virtual display; its window is in $shot"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
else
    wait "$pid" || true
    echo "Morvane ended before its window could be captured."
    exit 1
fi

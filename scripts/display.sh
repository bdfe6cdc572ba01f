#!/usr/bin/env bash
# Sourced by the other scripts: makes sure DISPLAY points at an X server.
# Without one, starts Xvfb (with -noreset, so the server keeps its atoms between clients) and a
# small window manager, because JUCE windows need the window-manager atoms to exist.
# Sets MORVANE_STARTED_XVFB=1 when it started a server of its own; morvane_stop_display ends it.

morvane_start_display()
{
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        MORVANE_STARTED_XVFB=0
        return 0
    fi

    local n
    for n in $(seq 90 130); do
        [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] || break
    done

    Xvfb ":${n}" -screen 0 1280x1024x24 -noreset -nolisten tcp >/dev/null 2>&1 &
    MORVANE_XVFB_PID=$!
    export DISPLAY=":${n}"

    local i
    for i in $(seq 1 100); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done

    openbox >/dev/null 2>&1 &
    MORVANE_WM_PID=$!
    sleep 0.5
    MORVANE_STARTED_XVFB=1
}

morvane_stop_display()
{
    if [ "${MORVANE_STARTED_XVFB:-0}" = 1 ]; then
        kill "${MORVANE_WM_PID}" "${MORVANE_XVFB_PID}" 2>/dev/null || true
        wait "${MORVANE_WM_PID}" "${MORVANE_XVFB_PID}" 2>/dev/null || true
    fi
}

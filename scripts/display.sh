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

    # Two scripts that start at once may pick the same free number: only the server whose
    # process id stands in the display's lock file owns it, and the other tries the next number.
    # A lock whose server is gone (one killed outright leaves its lock behind) is taken over: the
    # X server replaces a stale lock, and stale locks would otherwise use up every number.
    local n i pid holder owned=0
    for n in $(seq 90 130); do
        if [ -e "/tmp/.X${n}-lock" ]; then
            holder=$(tr -d ' \n' 2>/dev/null < "/tmp/.X${n}-lock")
            [ -n "$holder" ] && kill -0 "$holder" 2>/dev/null && continue
        elif [ -e "/tmp/.X11-unix/X${n}" ]; then
            continue
        fi

        Xvfb ":${n}" -screen 0 1280x1024x24 -noreset -nolisten tcp >/dev/null 2>&1 &
        pid=$!

        for i in $(seq 1 100); do
            kill -0 "$pid" 2>/dev/null || break
            if [ "$(tr -d ' \n' 2>/dev/null < "/tmp/.X${n}-lock")" = "$pid" ] \
               && DISPLAY=":${n}" xdpyinfo >/dev/null 2>&1; then
                owned=1
                break
            fi
            sleep 0.1
        done

        [ "$owned" = 1 ] && break
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done

    if [ "$owned" != 1 ]; then
        echo "display.sh: could not start a virtual X display" >&2
        return 1
    fi

    MORVANE_XVFB_PID=$pid
    export DISPLAY=":${n}"

    openbox >/dev/null 2>&1 &
    MORVANE_WM_PID=$!

    # The window manager is ready once it has set its check window on the root (slow on a busy
    # machine, where the first test's window would otherwise go unmanaged).
    for i in $(seq 1 200); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.1
    done
    MORVANE_STARTED_XVFB=1
}

morvane_stop_display()
{
    if [ "${MORVANE_STARTED_XVFB:-0}" = 1 ]; then
        kill "${MORVANE_WM_PID}" "${MORVANE_XVFB_PID}" 2>/dev/null || true
        wait "${MORVANE_WM_PID}" "${MORVANE_XVFB_PID}" 2>/dev/null || true
    fi
}

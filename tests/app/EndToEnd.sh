#!/usr/bin/env bash
# Runs the real Morvane executable under the test display, with HOME and XDG_CONFIG_HOME in a
# fresh temporary folder, and checks what a user would see.
#   EndToEnd.sh window <exe> <artefact-dir>   one skinned window; screenshot; closing stores MAIN_WINDOW_STATE
#                                             and no folder that the user did not choose
#   EndToEnd.sh badsettings <exe> <artefact-dir>
#                                             a settings file too deep to parse is kept whole under another
#                                             name, and a box says so once
#   EndToEnd.sh noskin <exe>                  without a skin the program says what is missing and where it
#                                             looked (standard error and a box), and ends with an error
#   EndToEnd.sh second <exe>                  three later starts end; the first shows one warning and comes
#                                             back from being minimised
#   EndToEnd.sh sigterm <exe>                 SIGTERM stores the window state as a close does
#   EndToEnd.sh environments <exe>           a start that sees $XDG_RUNTIME_DIR and one that does not (same
#                                             HOME), either first: the later ends, the first shows the warning
#   EndToEnd.sh planted <exe> <artefact-dir>  without $XDG_RUNTIME_DIR, another user's folder, a link or a file
#                                             at the shared temporary folder's "morvane-<uid>" does not stop
#                                             the program; a later start ends with a box that says it runs
#   EndToEnd.sh lockplace <exe> <artefact-dir>
#                                             a folder or a link at the lock file's place: a box says why the
#                                             start ends, and it ends with an error
#   EndToEnd.sh update-silent|update-drip <exe> <server>
#                                             while the update feed is read from a server that answers not
#                                             at all (or at a trickle), closing the window ends the program
#                                             at once
#   EndToEnd.sh silent <exe> <server>         SIGTERM while the update feed's server never answers: the read
#                                             is not interrupted (it would spin for ever); the program ends
#                                             and stores its settings
#   EndToEnd.sh twice <exe> <server>          a second SIGTERM while the first is served ends the program
# Exit code 77 means skipped (no display, or no generated skin beside the executable).
# Exit codes are checked, so a run under the sanitizers also fails on their reports.
set -uo pipefail
# MORVANE_E2E_TRACE=1 traces every step, for a run that fails only among other tests.
[ -n "${MORVANE_E2E_TRACE:-}" ] && set -x

mode=$1
exe=$2
skip=77

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    echo "no X display: skipped"
    exit $skip
fi

scratch=$(mktemp -d)
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/run"
mkdir -p "$HOME" "$XDG_CONFIG_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# JUCE keeps application data in ~/.config on Linux, whatever XDG_CONFIG_HOME says.
settings="$HOME/.config/Zandrel Audio/Morvane/Morvane.settings"
pids=()
errors="$scratch/stderr"

cleanup()
{
    local p
    for p in "${pids[@]}"; do
        kill "$p" 2>/dev/null || true
        wait "$p" 2>/dev/null || true
    done
    rm -rf "$scratch"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; [ -s "${errors:-}" ] && { echo "--- the program said:"; cat "$errors"; }; exit 1; }

# Windows of a process whose title is exactly "Morvane". Other tests open and close windows on the
# same display; a search that meets a window as it goes comes back empty, so it is tried again.
morvane_windows()
{
    local i found
    for i in 1 2 3 4 5; do
        found=$(xdotool search --all --onlyvisible --pid "$1" --name '^Morvane$' 2>/dev/null)
        [ -n "$found" ] && { echo "$found"; return 0; }
        sleep 0.05
    done
    return 0
}

# Waits until the process shows at least count windows, seen on three polls in a row: the window
# manager unmaps a new window for a moment while it frames it.
wait_for_windows() # pid count timeout-tenths
{
    local i seen=0
    for i in $(seq 1 "$3"); do
        if [ "$(morvane_windows "$1" | wc -l)" -ge "$2" ]; then
            seen=$((seen + 1))
            [ "$seen" -ge 3 ] && return 0
        else
            seen=0
        fi
        kill -0 "$1" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# Presses a key in a window as a user would, activating it first. Other tests may open windows on
# the same display and take the focus, so the key is pressed again until the condition holds.
press_until() # window key condition...
{
    local win=$1 key=$2 attempt i; shift 2
    for attempt in 1 2 3 4 5; do
        xdotool windowactivate --sync "$win" key --clearmodifiers "$key" 2>/dev/null
        for i in $(seq 1 20); do
            "$@" && return 0
            sleep 0.1
        done
    done
    return 1
}

has_exited() { ! kill -0 "$1" 2>/dev/null; }
is_viewable() { xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsViewable"; }
geometry_is() { xdotool getwindowgeometry "$1" 2>/dev/null | grep -q "Geometry: $2"; }

# No flood of alsa-lib errors: a missing sequencer is reported once at most, in our words, and any
# other alsa-lib error once each.
check_alsa_output()
{
    ! grep -q "snd/seq failed" "$errors" || fail "alsa-lib's sequencer error reached the output"
    [ "$(grep -c "ALSA sequencer" "$errors")" -le 1 ] || fail "the missing sequencer was reported more than once"
    [ -z "$(grep "^ALSA lib" "$errors" | sort | uniq -d)" ] || fail "an alsa-lib error was repeated"
}
window_gone() { ! xdotool getwindowname "$1" >/dev/null 2>&1; }
position_of() { xdotool getwindowgeometry "$1" 2>/dev/null | sed -n 's/.*Position: \([0-9-]*,[0-9-]*\).*/\1/p'; }

# True once the window is at x,y on two looks in a row (within about 3 s).
holds_position() # window x,y
{
    local i held=0
    for i in $(seq 1 10); do
        if [ "$(position_of "$1")" = "$2" ]; then
            held=$((held + 1)); [ "$held" -ge 2 ] && return 0
        else
            held=0
        fi
        sleep 0.3
    done
    return 1
}

# Waits until the window stands still away from the screen's corner on three looks in a row.
settle_window() # window
{
    local i last="" now seen=0
    for i in $(seq 1 50); do
        now=$(position_of "$1")
        if [ -n "$now" ] && [ "$now" != "0,0" ] && [ "$now" = "$last" ]; then
            seen=$((seen + 1)); [ "$seen" -ge 2 ] && return 0
        else
            seen=0
        fi
        last=$now
        sleep 0.2
    done
    return 1
}

wait_for_exit() # pid timeout-tenths
{
    local i
    for i in $(seq 1 "$2"); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}

need_skin()
{
    [ -f "$(dirname "$exe")/Skin/MV.qorby" ] || { echo "no generated skin beside $exe: skipped"; exit $skip; }
}

case "$mode" in
    window)
        need_skin
        artefacts=$3
        mkdir -p "$artefacts"
        "$exe" 2>"$errors" & pid=$!; pids+=("$pid")
        wait_for_windows "$pid" 1 150 || fail "no window appeared"
        sleep 1   # past the logo's first second
        wait_for_windows "$pid" 1 50 || fail "the window went away"
        count=$(morvane_windows "$pid" | wc -l)
        [ "$count" -eq 1 ] || fail "expected exactly one window, found $count"
        win=$(morvane_windows "$pid" | head -n 1)
        geometry=$(xdotool getwindowgeometry "$win")
        echo "$geometry"
        echo "$geometry" | grep -q "Geometry: 800x580" || fail "window is not 800 by 553 plus the title bar"

        # The first start centres the window on the screen (within a pixel of rounding).
        read -r screen_w screen_h < <(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2] }')
        read -r win_x win_y < <(xdotool getwindowgeometry "$win" | awk '/Position:/ { split($2, p, ","); print p[1], p[2] }')
        centre_dx=$(( win_x + 400 - screen_w / 2 )); centre_dy=$(( win_y + 290 - screen_h / 2 ))
        [ "${centre_dx#-}" -le 1 ] && [ "${centre_dy#-}" -le 1 ] \
            || fail "the first start put the window at $win_x,$win_y, not centred on the ${screen_w}x${screen_h} screen"
        import -window "$win" "$artefacts/morvane-window.png" || fail "screenshot failed"
        echo "screenshot: $artefacts/morvane-window.png"

        # The window manager asks for another size; the window takes its own back.
        xdotool windowsize "$win" 1000 700
        for i in $(seq 1 100); do geometry_is "$win" 800x580 && break; sleep 0.1; done
        xdotool getwindowgeometry "$win"
        geometry_is "$win" 800x580 || fail "the window kept the size the window manager gave it"

        sleep 2.5   # past a port check and a port-list refresh
        check_alsa_output

        # Close it as a user would: the window manager's close key sends the window its close request.
        press_until "$win" alt+F4 has_exited "$pid" || fail "closing the window did not end the program"
        wait "$pid"; rc=$?
        [ "$rc" -eq 0 ] || fail "exit code $rc"
        grep -q 'name="MAIN_WINDOW_STATE"' "$settings" || fail "MAIN_WINDOW_STATE was not written"
        for key in SEND_DIR RCV_DIR AUTO_UPDATE_DIR FIRMWARE_UPDATE_DIR; do
            ! grep -q "name=\"$key\"" "$settings" || fail "$key was written though no folder was chosen"
        done
        ;;

    badsettings)
        need_skin
        artefacts=$3
        mkdir -p "$artefacts" "$(dirname "$settings")"
        { printf '<PROPERTIES>'; for i in $(seq 1 300); do printf '<a><a><a><a><a><a><a><a><a><a>%.0s' $(seq 1 10); done; } >"$settings"
        cp "$settings" "$scratch/original"
        "$exe" 2>"$errors" & pid=$!; pids+=("$pid")
        wait_for_windows "$pid" 2 150 || fail "no box over the window said that the settings could not be read"
        main="" box=""
        for w in $(morvane_windows "$pid"); do
            if geometry_is "$w" 800x580; then main=$w; else box=$w; fi
        done
        [ -n "$main" ] && [ -n "$box" ] || fail "expected the window and one box"
        import -window root "$artefacts/settings-kept-box.png" 2>/dev/null || true
        press_until "$box" Return window_gone "$box" || fail "the box did not close"
        press_until "$main" alt+F4 has_exited "$pid" || fail "closing the window did not end the program"
        wait "$pid"; rc=$?
        [ "$rc" -eq 0 ] || fail "exit code $rc"
        cmp "$scratch/original" "$settings.unreadable" || fail "the unreadable settings were not kept whole"
        grep -q 'name="MAIN_WINDOW_STATE"' "$settings" || fail "no new settings file was written"
        ;;

    noskin)
        bare="$scratch/bare"
        mkdir -p "$bare"
        cp "$exe" "$bare/Morvane"
        "$bare/Morvane" 2>"$errors" & pid=$!; pids+=("$pid")

        # One plain box says so; the program ends once it is dismissed.
        wait_for_windows "$pid" 1 150 || fail "no box said that the skin is missing"
        [ "$(morvane_windows "$pid" | wc -l)" -eq 1 ] || fail "more than the one box was shown"
        box=$(morvane_windows "$pid" | head -n 1)
        [ -n "${3:-}" ] && mkdir -p "$3" && import -window "$box" "$3/no-skin-box.png" 2>/dev/null
        press_until "$box" Return has_exited "$pid" || fail "dismissing the box did not end the program"
        wait "$pid"; rc=$?
        [ "$rc" -ne 0 ] || fail "the program ended with exit code 0 without its skin"
        cat "$errors"
        grep -q "skin could not be loaded" "$errors" || fail "standard error does not say that the skin is missing"
        grep -qF "$bare/Skin/MV.qorby" "$errors" || fail "standard error does not say where the skin was looked for"
        [ ! -e "$settings" ] || fail "settings were written without a console"

        # Without a display it says the same on standard error alone, and ends at once.
        DISPLAY= "$bare/Morvane" 2>"$errors" & pid=$!; pids+=("$pid")
        wait_for_exit "$pid" 100 || fail "without a display the program did not end"
        wait "$pid"; rc=$?
        [ "$rc" -ne 0 ] || fail "without a display the program ended with exit code 0"
        grep -qF "$bare/Skin/MV.qorby" "$errors" || fail "without a display standard error did not say where the skin was looked for"
        ;;

    second)
        need_skin
        "$exe" & first=$!; pids+=("$first")
        wait_for_windows "$first" 1 150 || fail "the first instance showed no window"
        main=$(morvane_windows "$first" | head -n 1)
        ls "$XDG_RUNTIME_DIR"/Morvane-*_in >/dev/null 2>&1 || fail "the instance's pipe is not in the runtime folder"

        # The running window is minimised; three more starts follow, one after the other.
        xdotool windowminimize --sync "$main" 2>/dev/null
        for i in $(seq 1 50); do is_viewable "$main" || break; sleep 0.1; done
        ! is_viewable "$main" || fail "the window could not be minimised"

        for n in 1 2 3; do
            "$exe" & second=$!; pids+=("$second")
            wait_for_exit "$second" 100 || fail "start $n did not end"
            wait "$second"; rc=$?
            [ "$rc" -eq 0 ] || fail "start $n ended with exit code $rc"
            [ -z "$(morvane_windows "$second")" ] || fail "start $n showed a window"
            wait_for_windows "$first" 2 100 || fail "the first instance showed no warning after start $n"
        done
        kill -0 "$first" 2>/dev/null || fail "the first instance ended"
        sleep 0.5
        count=$(morvane_windows "$first" | wc -l)
        [ "$count" -eq 2 ] || fail "expected the window and one warning, found $count windows"
        is_viewable "$main" || fail "the running window was not brought back"
        import -window root "$3/second-start.png" 2>/dev/null || true

        # The warning is dismissed and the first instance goes on, then closes normally.
        warning=$(morvane_windows "$first" | grep -vx "$main" | head -n 1)
        [ -n "$warning" ] || fail "the first instance showed no warning window"

        # The warning belongs to the main window: a dialog, transient for it.
        xprop -id "$warning" WM_TRANSIENT_FOR _NET_WM_WINDOW_TYPE
        owner=$(xprop -id "$warning" WM_TRANSIENT_FOR | awk '{ print $NF }')
        [ -n "$owner" ] && [ "$((owner))" -eq "$main" ] || fail "the warning is not transient for the main window"
        xprop -id "$warning" _NET_WM_WINDOW_TYPE | grep -q "_NET_WM_WINDOW_TYPE_DIALOG" || fail "the warning is not typed as a dialog"
        press_until "$warning" Return window_gone "$warning" || fail "the warning did not close"
        press_until "$main" alt+F4 has_exited "$first" || fail "closing the window did not end the first instance"
        wait "$first"; rc=$?
        [ "$rc" -eq 0 ] || fail "the first instance ended with exit code $rc"
        [ -z "$(ls "$XDG_RUNTIME_DIR" "$(dirname "$settings")" | grep -E '_(in|out)$')" ] || fail "the instance's pipe was left behind"
        ;;

    sigterm)
        need_skin
        "$exe" & pid=$!; pids+=("$pid")
        wait_for_windows "$pid" 1 150 || fail "no window appeared"
        win=$(morvane_windows "$pid" | head -n 1)
        # The user moves the window once it has settled: a busy window manager may first map it
        # in the corner, from which the program takes it back to its own place.
        settle_window "$win" || fail "the window never settled"
        for attempt in 1 2 3; do
            xdotool windowmove --sync "$win" 137 91 2>/dev/null
            holds_position "$win" 137,91 && break
        done
        holds_position "$win" 137,91 || fail "the window would not stay where it was moved"
        # The settings may be saved on their own a few seconds after start (the folders), but the
        # window's place is written only at the end.
        ! grep -q '137 91' "$settings" 2>/dev/null || fail "the window's place was written before the end"

        kill -TERM "$pid"
        wait_for_exit "$pid" 150 || fail "SIGTERM did not end the program"
        wait "$pid"; rc=$?
        [ "$rc" -eq 0 ] || fail "exit code $rc after SIGTERM"
        grep -q 'name="MAIN_WINDOW_STATE"' "$settings" || fail "MAIN_WINDOW_STATE was not written"
        grep 'name="MAIN_WINDOW_STATE"' "$settings"
        grep 'name="MAIN_WINDOW_STATE"' "$settings" | grep -q '137 91' || fail "the stored state is not where the window was"

        # The next start puts the window back there rather than in the centre.
        "$exe" & pid=$!; pids+=("$pid")
        wait_for_windows "$pid" 1 150 || fail "no window appeared on the second start"
        win=$(morvane_windows "$pid" | head -n 1)
        # A busy window manager may still map the window elsewhere for a moment before the
        # program takes its place back: the place counts once it holds on two looks in a row.
        held=0
        for i in $(seq 1 150); do
            if xdotool getwindowgeometry "$win" 2>/dev/null | grep -q "Position: 137,91"; then
                held=$((held + 1)); [ "$held" -ge 2 ] && break
            else
                held=0
            fi
            sleep 0.3
        done
        xdotool getwindowgeometry "$win"
        [ "$held" -ge 2 ] || fail "the second start did not restore the stored place"
        kill -TERM "$pid"
        wait_for_exit "$pid" 150 || fail "SIGTERM did not end the second start"
        wait "$pid"
        ;;

    environments)
        need_skin
        # The desktop's start sees its runtime folder; a terminal's (after su -, over ssh) does not
        # and keeps its pipe in the temporary folder instead. Both share HOME and the settings.
        desktop=(env XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR")
        terminal=(env -u XDG_RUNTIME_DIR TMPDIR="$scratch/tmp")
        mkdir -p "$scratch/tmp"
        for order in desktop-first terminal-first; do
            if [ "$order" = desktop-first ]; then earlier=("${desktop[@]}") later=("${terminal[@]}")
            else earlier=("${terminal[@]}") later=("${desktop[@]}"); fi

            "${earlier[@]}" "$exe" 2>"$errors" & first=$!; pids+=("$first")
            wait_for_windows "$first" 1 150 || fail "$order: the first start showed no window"
            main=$(morvane_windows "$first" | head -n 1)

            "${later[@]}" "$exe" 2>"$scratch/later.err" & second=$!; pids+=("$second")
            wait_for_exit "$second" 100 || fail "$order: the later start did not end (two instances run)"
            wait "$second"; rc=$?
            [ "$rc" -eq 0 ] || { cat "$scratch/later.err"; fail "$order: the later start ended with exit code $rc"; }
            [ -z "$(morvane_windows "$second")" ] || fail "$order: the later start showed a window"
            wait_for_windows "$first" 2 100 || fail "$order: the running instance showed no warning"

            warning=$(morvane_windows "$first" | grep -vx "$main" | head -n 1)
            press_until "$warning" Return window_gone "$warning" || fail "$order: the warning did not close"
            press_until "$main" alt+F4 has_exited "$first" || fail "$order: closing the window did not end the program"
            wait "$first"; rc=$?
            [ "$rc" -eq 0 ] || fail "$order: the first start ended with exit code $rc"
        done
        ;;

    planted)
        need_skin
        # No runtime folder in the environment: the pipe would go to "morvane-<uid>" in the shared
        # temporary folder, where any other user may have put something first.
        export TMPDIR="$scratch/tmp"
        unset XDG_RUNTIME_DIR
        mkdir -p "$TMPDIR" "$scratch/theirs" "$3"
        old="$TMPDIR/morvane-$(id -u)"
        for plant in folder link file; do
            rm -rf "$old"
            case $plant in
                folder)
                    mkdir -m 777 "$old"
                    chown 12345:12345 "$old" 2>/dev/null || { echo "another user's folder needs root: skipped"; continue; } ;;
                link) ln -s "$scratch/theirs" "$old" ;;
                file) echo planted >"$old" ;;
            esac

            "$exe" 2>"$errors" & first=$!; pids+=("$first")
            wait_for_windows "$first" 1 150 || fail "with a $plant at $old the program did not start"
            main=$(morvane_windows "$first" | head -n 1)
            for i in $(seq 1 30); do geometry_is "$main" 800x580 && break; sleep 0.1; done
            geometry_is "$main" 800x580 || fail "with a $plant at $old the program showed no main window"

            # A later start cannot hand over to it without a pipe: it does not run as well, but
            # says in a box of its own that Morvane runs.
            "$exe" 2>"$scratch/later.err" & second=$!; pids+=("$second")
            wait_for_windows "$second" 1 150 || fail "with a $plant at $old the later start showed no box"
            [ "$(morvane_windows "$second" | wc -l)" -eq 1 ] || fail "the later start showed more than its box"
            box=$(morvane_windows "$second" | head -n 1)
            geometry_is "$box" 800x580 && fail "the later start showed a main window"
            [ "$plant" = file ] && import -window "$box" "$3/already-running-box.png" 2>/dev/null
            press_until "$box" Return has_exited "$second" || fail "dismissing the box did not end the later start"
            wait "$second"; rc=$?
            [ "$rc" -ne 0 ] || fail "the later start that could not reach the running one ended with exit code 0"
            grep -q "already running" "$scratch/later.err" || fail "standard error does not say that Morvane runs"

            kill -0 "$first" 2>/dev/null || fail "the first start ended"
            [ -z "$(ls "$scratch/theirs")" ] || fail "something was made in the folder the link points to"
            press_until "$main" alt+F4 has_exited "$first" || fail "closing the window did not end the program"
            wait "$first"; rc=$?
            [ "$rc" -eq 0 ] || fail "with a $plant at $old the program ended with exit code $rc"
        done
        ;;

    lockplace)
        need_skin
        lock="$(dirname "$settings")/Morvane.lock"
        mkdir -p "$3"
        echo "someone else's" >"$scratch/elsewhere"
        for plant in folder link; do
            rm -rf "$lock"
            mkdir -p "$(dirname "$lock")"
            case $plant in
                folder) mkdir "$lock" ;;
                link) ln -s "$scratch/elsewhere" "$lock" ;;
            esac

            "$exe" 2>"$errors" & pid=$!; pids+=("$pid")
            wait_for_windows "$pid" 1 150 || fail "with a $plant at the lock's place no box said why the start ends"
            [ "$(morvane_windows "$pid" | wc -l)" -eq 1 ] || fail "more than the one box was shown"
            box=$(morvane_windows "$pid" | head -n 1)
            geometry_is "$box" 800x580 && fail "the main window was shown"
            [ "$plant" = folder ] && import -window "$box" "$3/lock-refused-box.png" 2>/dev/null
            press_until "$box" Return has_exited "$pid" || fail "dismissing the box did not end the program"
            wait "$pid"; rc=$?
            [ "$rc" -ne 0 ] || fail "with a $plant at the lock's place the program ended with exit code 0"
            grep -q "lock file could not be taken" "$errors" || fail "standard error does not say that the lock could not be taken"
            grep -qF "$lock" "$errors" || fail "standard error does not say where the lock file is"
            [ "$(cat "$scratch/elsewhere")" = "someone else's" ] || fail "the file the link points to was written"
        done

        # Without a display it says the same on standard error alone, and ends at once.
        DISPLAY= "$exe" 2>"$errors" & pid=$!; pids+=("$pid")
        wait_for_exit "$pid" 100 || fail "without a display the refused start did not end"
        wait "$pid"; rc=$?
        [ "$rc" -ne 0 ] || fail "without a display the refused start ended with exit code 0"
        grep -qF "$lock" "$errors" || fail "without a display standard error did not say where the lock file is"
        ;;

    update-silent|update-drip)
        need_skin
        marker="$scratch/feed-asked"
        "$3" "${mode#update-}" "$marker" >"$scratch/server" & server=$!; pids+=("$server")
        for i in $(seq 1 100); do [ -s "$scratch/server" ] && break; sleep 0.1; done
        address=$(head -n 1 "$scratch/server")
        [ -n "$address" ] || fail "the update server did not start"

        MORVANE_UPDATE_SERVER="$address" "$exe" 2>"$errors" & pid=$!; pids+=("$pid")
        wait_for_windows "$pid" 1 150 || fail "no window appeared"
        for i in $(seq 1 150); do [ -e "$marker" ] && break; sleep 0.1; done
        [ -e "$marker" ] || fail "the program never asked for the update feed"
        win=$(morvane_windows "$pid" | head -n 1)

        kill -0 "$pid" 2>/dev/null || fail "the program ended by itself"

        # The close request is handled on the message thread, which the server cannot hold: the
        # program ends well inside the feed read's idle time-out (15 s), let alone the trickle.
        xdotool windowactivate --sync "$win" key --clearmodifiers alt+F4 2>/dev/null
        if ! wait_for_exit "$pid" 50; then
            xdotool windowactivate --sync "$win" key --clearmodifiers alt+F4 2>/dev/null   # the focus went elsewhere
            wait_for_exit "$pid" 30 || fail "closing the window did not end the program while the feed was being read"
        fi
        wait "$pid"; rc=$?
        [ "$rc" -eq 0 ] || fail "exit code $rc"
        grep -q 'name="MAIN_WINDOW_STATE"' "$settings" || fail "MAIN_WINDOW_STATE was not written"
        ;;

    silent|twice)
        need_skin
        server=$3
        "$server" >"$scratch/server.out" & spid=$!; pids+=("$spid")
        for i in $(seq 1 100); do [ -s "$scratch/server.out" ] && break; sleep 0.1; done
        address=$(head -n 1 "$scratch/server.out")
        [ -n "$address" ] || fail "the update server did not start"

        MORVANE_UPDATE_SERVER="$address" "$exe" 2>"$errors" & pid=$!; pids+=("$pid")
        wait_for_windows "$pid" 1 150 || fail "no window appeared"
        for i in $(seq 1 300); do grep -q requested "$scratch/server.out" && break; sleep 0.1; done
        grep -q requested "$scratch/server.out" || fail "the program did not ask for its update feed"
        sleep 0.5   # the read is waiting now

        kill -TERM "$pid"
        if [ "$mode" = twice ]; then
            sleep 0.5
            kill -TERM "$pid" 2>/dev/null
            # The second request ends the program at once, unless the first already had.
            wait_for_exit "$pid" 100 || fail "a second SIGTERM did not end the program"
            wait "$pid"; rc=$?
            echo "exit code $rc"
            [ "$rc" -eq 0 ] || [ "$rc" -eq 143 ] || fail "exit code $rc after two SIGTERMs"
        else
            # Until the read gives up by itself at the latest (its idle limit is 15 s).
            wait_for_exit "$pid" 450 || fail "SIGTERM during the feed read did not end the program"
            wait "$pid"; rc=$?
            [ "$rc" -eq 0 ] || fail "exit code $rc after SIGTERM"
            grep -q 'name="MAIN_WINDOW_STATE"' "$settings" || fail "MAIN_WINDOW_STATE was not written"
        fi
        ;;

    *)
        echo "unknown mode $mode"; exit 2 ;;
esac

echo "PASS: $mode"
exit 0

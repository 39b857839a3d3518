#!/usr/bin/env bash
# varcel and varcelctl watch ended by SIGTERM, SIGINT and SIGHUP, as a
# desktop, a terminal or a user ends them: each ends at once with status 0,
# its control socket gone, its single-instance lock free, and the simulated
# mouse's memory on disk. Under X, also while a box of the start-up or a
# parameter dialog is open.
#   signals_test.sh BIN_DIR LAYOUT_POINT
set -u
bin=$1
point=$2
work=$(mktemp -d)
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=offscreen
pid=""
# A failed check must not leave a program running behind the test.
trap '[ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cp "$bin/config.bin" "$work/config.bin"

socket() { ls "$XDG_RUNTIME_DIR"/varcel-sim-*.sock 2>/dev/null; }
# Ends PID with SIGNAL: within 1 s, with status 0, its control socket gone.
end_with() { # SIGNAL PID WHAT
    local start=$(date +%s%N) status
    kill -$1 $2
    for i in $(seq 1 20); do kill -0 $2 2>/dev/null || break; sleep 0.05; done
    kill -0 $2 2>/dev/null && { kill -KILL $2; fail "$3 did not end within 1 s of SIG$1"; }
    wait $2; status=$?
    [ $status -eq 0 ] || fail "$3 ended on SIG$1 with status $status"
    [ -z "$(socket)" ] || fail "$3 left its control socket behind after SIG$1"
    echo "$3, SIG$1: ended in $(( ($(date +%s%N) - start) / 1000000 )) ms"
}

for program in varcel watch; do
    for signal in TERM INT HUP; do
        rm -f "$work/simulated-mouse.bin"
        if [ $program = varcel ]; then
            "$bin/varcel" --simulate --data-dir "$work" >"$work/log" 2>&1 & pid=$!
        else
            "$bin/varcelctl" --simulate --data-dir "$work" watch >"$work/log" 2>&1 & pid=$!
        fi
        for i in $(seq 1 100); do
            "$bin/varcelctl" --data-dir "$work" sim state >/dev/null 2>&1 && break
            sleep 0.05
        done
        [ -n "$(socket)" ] || fail "$program: no control socket"
        # The sensor exchange (at the window's start-up, at watch's replug)
        # changes the mouse: it is on disk at once, not only at the end.
        if [ $program = watch ]; then
            "$bin/varcelctl" --data-dir "$work" sim unplug >/dev/null
            "$bin/varcelctl" --data-dir "$work" sim plug >/dev/null
            sleep 0.2
        fi
        [ -s "$work/simulated-mouse.bin" ] || fail "$program: the mouse's memory was not saved as it changed"
        end_with $signal $pid $program
    done
done

# The lock is free again: a new varcel starts (and is ended the same way).
# An option neither Varcel nor Qt knows is refused; Qt's own still pass.
timeout 5 "$bin/varcel" --simulate --data-dir "$work" --bogus-option >"$work/log" 2>&1
[ $? -eq 2 ] && grep -q -- --bogus-option "$work/log" || fail "an unknown option was not refused: $(cat "$work/log")"
"$bin/varcel" -platform offscreen --simulate --data-dir "$work" >"$work/log" 2>&1 & pid=$!
sleep 0.5
kill -0 $pid 2>/dev/null || fail "varcel did not start again: the single-instance lock was kept"
kill -TERM $pid; wait $pid
pid=""

# Each box that start-up can show (no mouse; str.ini a folder; no
# config.bin), and a parameter dialog, open when the signal comes. A box of
# the start-up runs before the program's main loop does: the program must
# still end within a second. The window alone too, whose close would only
# hide it into the tray.
(
    . "$(dirname "$0")/x_session.sh"
    x_session "$bin"
    unset QT_QPA_PLATFORM
    export VARCEL_POINTER_SETTINGS=stored
    for row in no-mouse:TERM no-mouse:INT no-mouse:HUP str-ini:TERM str-ini:HUP no-config:TERM dialog:TERM \
        window:TERM window:INT window:HUP window:TERM; do
        case=${row%:*}
        rm -rf "$work/str.ini" && cp "$bin/config.bin" "$work/config.bin"
        case $case in no-mouse) ;; str-ini) mkdir "$work/str.ini" ;; no-config) rm "$work/config.bin" ;; esac
        if [ $case = window ] && [ -z "${tray:-}" ]; then # a tray to hide into, from here on
            trayer --edge top --align right --widthtype request --height 24 --SetDockType true >/dev/null 2>&1 &
            tray=$! && pids+=($tray) && sleep 0.5
        fi
        "$bin/varcel" $([ $case = no-mouse ] || echo --simulate) --data-dir "$work" >"$work/varcel.log" 2>&1 &
        varcel=$! && pids+=($varcel)
        for i in $(seq 1 100); do [ -n "$(xdotool search --onlyvisible --pid $varcel)" ] && break; sleep 0.1; done
        if [ $case = dialog ]; then
            main_window && open_dialog "$point" 3 11 single-key
        elif [ $case = window ]; then # the window alone, opened from the tray icon
            sleep 0.3
            for id in $(xdotool search --onlyvisible --pid $varcel); do
                eval "$(xwininfo -id "$id" | awk '/Absolute upper-left X/ {print "ix="$4} /Absolute upper-left Y/ {print "iy="$4} /Width:/ {print "iw="$2} /Height:/ {print "ih="$2}')"
                [ "$iw" -le 64 ] && xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 1 && break
            done
            main_window
        else # a box, alone: the window would show after it
            sleep 0.5
            [ -n "$(xdotool search --onlyvisible --pid $varcel)" ] && [ -z "$(window_sized 800 630)" ] ||
                fail "$case: no box at start-up"
        fi
        end_with ${row#*:} $varcel "varcel with $case open"
    done
) || exit 1
echo "PASS"

#!/usr/bin/env bash
# varcel and varcelctl watch ended by SIGTERM, SIGINT and SIGHUP, as a
# desktop, a terminal or a user ends them: each ends at once with status 0,
# its control socket gone, its single-instance lock free, and the simulated
# mouse's memory on disk.
#   signals_test.sh BIN_DIR
set -u
bin=$1
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
        start=$(date +%s%N)
        kill -$signal $pid
        for i in $(seq 1 40); do kill -0 $pid 2>/dev/null || break; sleep 0.05; done
        kill -0 $pid 2>/dev/null && { kill -KILL $pid; fail "$program did not end on SIG$signal"; }
        wait $pid; status=$?
        took=$(( ($(date +%s%N) - start) / 1000000 ))
        [ $status -eq 0 ] || { cat "$work/log"; fail "$program ended on SIG$signal with status $status"; }
        [ -z "$(socket)" ] || fail "$program left its control socket behind after SIG$signal"
        echo "$program SIG$signal: ended in $took ms"
    done
done

# The lock is free again: a new varcel starts (and is ended the same way).
"$bin/varcel" --simulate --data-dir "$work" >"$work/log" 2>&1 & pid=$!
sleep 0.5
kill -0 $pid 2>/dev/null || fail "varcel did not start again: the single-instance lock was kept"
kill -TERM $pid; wait $pid
echo "PASS"
